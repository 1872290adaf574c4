#include "PanelTestSupport.h"

#include "controls/SkinButton.h"

#include <QAccessible>

namespace {
using Stretch = CStretchPanel;

class StretchPanel : public PanelHarness {
protected:
    CPanelSlider& Slider(int id) { return *stretch->Control<CPanelSlider>(id); }
    QWidget* Control(int id) { return stretch->GetControl(id); }
    void Click(int id) { QTest::mouseClick(Control(id), Qt::LeftButton, {}, QPoint(4, 8)); }
    // Steps a slider once with the keys and releases: one EndTrack.
    void Step(int id, Qt::Key key)
    {
        Slider(id).setFocus();
        QTest::keyClick(&Slider(id), key);
    }
};

struct ShowCase {
    const char* name;
    double splitPosition;
    int splitSlider;
};
constexpr ShowCase kShowCases[] = {
    {"middle_truncates_to_127", 0.5, 127},
    {"one_is_the_end", 1.0, 255},
    {"zero", 0.0, 0},
    {"just_below_one", 0.999, 254},
    {"above_one_clamps", 1.5, 255},
    {"below_zero_clamps", -0.25, 0},
};
class StretchPanelShows : public StretchPanel, public testing::WithParamInterface<ShowCase> {};
TEST_P(StretchPanelShows, SplitPointAsSliderPosition)
{
    Settings().splitPosition = GetParam().splitPosition;
    ShowPanels();
    EXPECT_EQ(Slider(Stretch::kSplitSliderId).GetPos(), GetParam().splitSlider);
}
INSTANTIATE_TEST_SUITE_P(Stretch, StretchPanelShows, testing::ValuesIn(kShowCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(StretchPanel, ShowsTheDocumentsModeSharpeningAndSplitWithTheirEnabling)
{
    Settings().stretchMode = 3;
    Settings().sharpenOn = 1;
    Settings().sharpenAmount = 77;
    Settings().splitOn = 0;
    ShowPanels();
    EXPECT_EQ(stretch->GetRadioGroupIndex(Stretch::kFirstModeRadioId), 3);
    EXPECT_EQ(stretch->GetButtonCheck(Stretch::kSharpenCheckId), 1);
    EXPECT_EQ(stretch->GetButtonCheck(Stretch::kSplitCheckId), 0);
    EXPECT_EQ(Slider(Stretch::kSharpenSliderId).GetPos(), 77);
    EXPECT_EQ(Slider(Stretch::kSharpenSliderId).maximum(), 255);
    EXPECT_TRUE(Slider(Stretch::kSharpenSliderId).IsSliderEnabled());
    EXPECT_FALSE(Slider(Stretch::kSplitSliderId).IsSliderEnabled());
    EXPECT_TRUE(Control(Stretch::kFirstModeRadioId + 5)->isEnabled());
}

TEST_F(StretchPanel, ReleasingEitherSliderStoresBoth)
{
    Settings().sharpenOn = 0;   // the slider is greyed, the keys still step it
    Settings().sharpenAmount = 25;
    ShowPanels();
    Step(Stretch::kSharpenSliderId, Qt::Key_Right);
    ASSERT_EQ(conversions.size(), 1u);
    EXPECT_EQ(conversions[0].sharpenAmount, 26);
    // The split point is off, but its slider's 127 is stored as 127 / 255, just below 0.5.
    EXPECT_EQ(conversions[0].splitPosition, 127 / 255.0);
    EXPECT_LT(conversions[0].splitPosition, 0.5);
}

struct SplitDragCase {
    const char* name;
    bool toRight;
    double want;
};
constexpr SplitDragCase kSplitDragCases[] = {{"right_end_is_exactly_one", true, 1.0}, {"left_end_is_zero", false, 0.0}};
class StretchPanelSplitDrag : public StretchPanel, public testing::WithParamInterface<SplitDragCase> {};
TEST_P(StretchPanelSplitDrag, EndsOfTheSplitSlider)
{
    Settings().splitOn = 1;
    ShowPanels();
    CPanelSlider& slider = Slider(Stretch::kSplitSliderId);
    const int x = GetParam().toRight ? slider.width() - 1 : 0;
    QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(XFor(slider, 127), 8));
    QTest::mouseMove(&slider, QPoint(x, 8));
    EXPECT_TRUE(conversions.empty());
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(x, 8));
    ASSERT_EQ(conversions.size(), 1u);
    EXPECT_EQ(conversions[0].splitPosition, GetParam().want);
}
INSTANTIATE_TEST_SUITE_P(Stretch, StretchPanelSplitDrag, testing::ValuesIn(kSplitDragCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct ModeCase {
    const char* name;
    int startMode, clickedMode;
};
constexpr ModeCase kModeCases[] = {{"another_mode", 0, 4}, {"the_same_mode", 2, 2}};
class StretchPanelMode : public StretchPanel, public testing::WithParamInterface<ModeCase> {};
TEST_P(StretchPanelMode, ClickResetsTheSplitPointAndConverts)
{
    Settings().stretchMode = GetParam().startMode;
    Settings().splitOn = 1;
    Settings().splitPosition = 0.8;
    ShowPanels();
    ASSERT_TRUE(Slider(Stretch::kSplitSliderId).IsSliderEnabled());
    Click(Stretch::kFirstModeRadioId + GetParam().clickedMode);
    ASSERT_EQ(conversions.size(), 1u);
    EXPECT_EQ(conversions[0].stretchMode, GetParam().clickedMode);
    EXPECT_EQ(conversions[0].splitPosition, 0.5);
    EXPECT_EQ(conversions[0].splitOn, 0);
    EXPECT_EQ(Slider(Stretch::kSplitSliderId).GetPos(), 127);
    EXPECT_EQ(stretch->GetButtonCheck(Stretch::kSplitCheckId), 0);
    EXPECT_FALSE(Slider(Stretch::kSplitSliderId).IsSliderEnabled());
    EXPECT_EQ(stretch->GetRadioGroupIndex(Stretch::kFirstModeRadioId), GetParam().clickedMode);
}
INSTANTIATE_TEST_SUITE_P(Stretch, StretchPanelMode, testing::ValuesIn(kModeCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct CheckCase {
    const char* name;
    int checkId, sliderId;
    std::int32_t ConversionSettings::*field;
    bool startsOn;
};
const CheckCase kCheckCases[] = {
    {"sharpen_off", Stretch::kSharpenCheckId, Stretch::kSharpenSliderId, &ConversionSettings::sharpenOn, true},
    {"split_point_on", Stretch::kSplitCheckId, Stretch::kSplitSliderId, &ConversionSettings::splitOn, false},
};
class StretchPanelCheck : public StretchPanel, public testing::WithParamInterface<CheckCase> {};
TEST_P(StretchPanelCheck, ClickSwitchesFieldAndSliderAndConverts)
{
    const CheckCase& c = GetParam();
    Settings().*c.field = c.startsOn;
    Settings().sharpenAmount = 60;
    ShowPanels();
    for (const bool on : {!c.startsOn, c.startsOn}) {
        conversions.clear();
        Click(c.checkId);
        ASSERT_EQ(conversions.size(), 1u);
        EXPECT_EQ(conversions[0].*c.field, on);
        EXPECT_EQ(conversions[0].sharpenAmount, 60);   // switching sharpening keeps its amount
        EXPECT_EQ(Slider(c.sliderId).IsSliderEnabled(), on);
    }
}
INSTANTIATE_TEST_SUITE_P(Stretch, StretchPanelCheck, testing::ValuesIn(kCheckCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(StretchPanel, ForSixteenNineToFourThreeTheModesAreOff)
{
    Settings().direction = 1;
    Settings().splitOn = 1;
    ShowPanels();
    for (int id = Stretch::kFirstModeRadioId; id < Stretch::kFirstModeRadioId + 6; ++id)
        EXPECT_FALSE(Control(id)->isEnabled()) << id;
    EXPECT_FALSE(Slider(Stretch::kSplitSliderId).IsSliderEnabled());
    EXPECT_TRUE(Control(Stretch::kSplitCheckId)->isEnabled());
    EXPECT_TRUE(Control(Stretch::kSharpenCheckId)->isEnabled());
}

struct EnableCase {
    const char* name;
    bool enable, splitOn, sharpenOn;
    bool wantSplitSlider, wantSharpenSlider;
};
constexpr EnableCase kEnableCases[] = {
    {"off", false, true, true, false, true},
    {"on_split_checked", true, true, false, true, false},
    {"on_split_unchecked", true, false, true, false, true},
};
class StretchPanelEnable : public StretchPanel, public testing::WithParamInterface<EnableCase> {};
TEST_P(StretchPanelEnable, StretchControlsFollowTheAspectPanel)
{
    const EnableCase& c = GetParam();
    Settings().splitOn = c.splitOn;
    Settings().sharpenOn = c.sharpenOn;
    ShowPanels();
    stretch->EnableStretchControls(c.enable);
    for (int id = Stretch::kFirstModeRadioId; id < Stretch::kFirstModeRadioId + 6; ++id)
        EXPECT_EQ(Control(id)->isEnabled(), c.enable) << id;
    EXPECT_EQ(Control(Stretch::kSplitCheckId)->isEnabled(), c.enable);
    EXPECT_TRUE(Control(Stretch::kSharpenCheckId)->isEnabled());
    EXPECT_EQ(Slider(Stretch::kSplitSliderId).IsSliderEnabled(), c.wantSplitSlider);
    EXPECT_EQ(Slider(Stretch::kSharpenSliderId).IsSliderEnabled(), c.wantSharpenSlider);
    EXPECT_TRUE(conversions.empty());
}
INSTANTIATE_TEST_SUITE_P(Stretch, StretchPanelEnable, testing::ValuesIn(kEnableCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(StretchPanel, ScreenReadersNameTheBareCheckBoxesByTheirHeaders)
{
    Settings().sharpenOn = 1;
    ShowPanels();
    QAccessibleInterface* check = QAccessible::queryAccessibleInterface(Control(Stretch::kSharpenCheckId));
    ASSERT_NE(check, nullptr);
    EXPECT_EQ(check->role(), QAccessible::CheckBox);
    EXPECT_EQ(check->text(QAccessible::Name).toStdString(), "Sharpen");
    EXPECT_TRUE(check->state().checked);
    QAccessibleInterface* slider = QAccessible::queryAccessibleInterface(&Slider(Stretch::kSplitSliderId));
    EXPECT_EQ(slider->text(QAccessible::Name).toStdString(), "Adjust Split Point");
    EXPECT_EQ(slider->valueInterface()->currentValue().toInt(), 127);
}
}  // namespace
