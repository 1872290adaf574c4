#include "PanelTestSupport.h"

#include "controls/SkinButton.h"

#include <QAccessible>

namespace {
using Aspect = CAspectPanel;
using Stretch = CStretchPanel;

class AspectPanel : public PanelHarness {
protected:
    CPanelSlider& RatioSlider() { return *aspect->Control<CPanelSlider>(Aspect::kRatioSliderId); }

    // Whether the stretch panel's mode radios, split check and split slider are on.
    std::vector<bool> StretchControlsOn()
    {
        std::vector<bool> on;
        for (int id = Stretch::kFirstModeRadioId; id < Stretch::kFirstModeRadioId + 6; ++id)
            on.push_back(stretch->GetControl(id)->isEnabled());
        on.push_back(stretch->GetControl(Stretch::kSplitCheckId)->isEnabled());
        on.push_back(stretch->Control<CPanelSlider>(Stretch::kSplitSliderId)->IsSliderEnabled());
        return on;
    }
    static std::vector<bool> All(bool on, bool splitSliderOn) { return {on, on, on, on, on, on, on, splitSliderOn}; }
};

TEST_F(AspectPanel, ShowsTheDocumentOnceItsControlsExist)
{
    Settings().stretchCropRatio = 30;
    aspect->SetDocument(&document);   // before Create: only remembered
    EXPECT_FALSE(aspect->IsCreated());
    EXPECT_EQ(aspect->GetControl(Aspect::kRatioSliderId), nullptr);
    ShowPanels();
    EXPECT_EQ(RatioSlider().minimum(), 0);
    EXPECT_EQ(RatioSlider().maximum(), 100);
    EXPECT_EQ(RatioSlider().GetPos(), 30);
    EXPECT_EQ(aspect->GetRadioGroupIndex(Aspect::kToWideRadioId), 0);
    EXPECT_TRUE(RatioSlider().isEnabled());
}

TEST_F(AspectPanel, DragToCropEndSwitchesStretchControlsOffLiveAndConvertsOnceAtRelease)
{
    Settings().stretchCropRatio = 50;
    Settings().splitOn = 1;
    ShowPanels();
    CPanelSlider& slider = RatioSlider();
    ASSERT_EQ(slider.GetPos(), 50);
    ASSERT_EQ(StretchControlsOn(), All(true, true));

    QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(XFor(slider, 50), 8));
    QTest::mouseMove(&slider, QPoint(XFor(slider, 80), 8));
    EXPECT_EQ(StretchControlsOn(), All(true, true));
    QTest::mouseMove(&slider, QPoint(slider.width() - 1, 8));
    EXPECT_EQ(slider.GetPos(), 100);
    EXPECT_EQ(StretchControlsOn(), All(false, false));   // still dragging
    EXPECT_TRUE(conversions.empty());
    EXPECT_EQ(Settings().stretchCropRatio, 50);          // the thumb alone changes nothing
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(slider.width() - 1, 8));
    ASSERT_EQ(conversions.size(), 1u);
    EXPECT_EQ(conversions[0].stretchCropRatio, 100);
    EXPECT_EQ(host.refreshes, 0);   // same direction: no reload

    // Back to 99: on again, the split slider too since its check is on.
    QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(slider.width() - 1, 8));
    QTest::mouseMove(&slider, QPoint(XFor(slider, 99), 8));
    EXPECT_EQ(slider.GetPos(), 99);
    EXPECT_EQ(StretchControlsOn(), All(true, true));
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(XFor(slider, 99), 8));
    ASSERT_EQ(conversions.size(), 2u);
    EXPECT_EQ(conversions[1].stretchCropRatio, 99);
}

TEST_F(AspectPanel, BackFromCropEndTheSplitSliderFollowsItsCheck)
{
    Settings().stretchCropRatio = 100;
    ShowPanels();
    RatioSlider().setFocus();
    QTest::keyPress(&RatioSlider(), Qt::Key_Left);
    EXPECT_EQ(StretchControlsOn(), All(true, false));   // split check off: its slider stays off
    EXPECT_TRUE(conversions.empty());
    QTest::keyRelease(&RatioSlider(), Qt::Key_Left);
    ASSERT_EQ(conversions.size(), 1u);
    EXPECT_EQ(conversions[0].stretchCropRatio, 99);
}

TEST_F(AspectPanel, SelectedRadioClickedAgainConvertsWithoutReload)
{
    ShowPanels();
    QTest::mouseClick(aspect->GetControl(Aspect::kToWideRadioId), Qt::LeftButton, {}, QPoint(4, 8));
    EXPECT_EQ(Settings().direction, 0);
    EXPECT_EQ(host.refreshes, 0);
    ASSERT_EQ(conversions.size(), 1u);
    EXPECT_EQ(aspect->GetRadioGroupIndex(Aspect::kToWideRadioId), 0);
}

TEST_F(AspectPanel, DirectionSwitchReloadsAndLocksTheRatioAndTheModes)
{
    Settings().stretchCropRatio = 40;
    ShowPanels();
    QTest::mouseClick(aspect->GetControl(Aspect::kToNarrowRadioId), Qt::LeftButton, {}, QPoint(4, 8));
    EXPECT_EQ(Settings().direction, 1);
    EXPECT_EQ(host.refreshes, 1);   // the reload refreshed the panels
    ASSERT_FALSE(conversions.empty());
    EXPECT_EQ(conversions.back().direction, 1);
    EXPECT_EQ(conversions.back().stretchCropRatio, 40);
    EXPECT_FALSE(RatioSlider().isEnabled());
    EXPECT_TRUE(RatioSlider().IsSliderEnabled());   // looks as before, takes no input
    for (int id = Stretch::kFirstModeRadioId; id < Stretch::kFirstModeRadioId + 6; ++id)
        EXPECT_FALSE(stretch->GetControl(id)->isEnabled()) << id;

    QTest::mouseClick(&RatioSlider(), Qt::LeftButton, {}, QPoint(5, 8));
    EXPECT_EQ(RatioSlider().GetPos(), 40);

    conversions.clear();
    QTest::mouseClick(aspect->GetControl(Aspect::kToWideRadioId), Qt::LeftButton, {}, QPoint(4, 8));
    EXPECT_EQ(Settings().direction, 0);
    EXPECT_EQ(host.refreshes, 2);
    EXPECT_TRUE(RatioSlider().isEnabled());
    EXPECT_TRUE(stretch->GetControl(Stretch::kFirstModeRadioId)->isEnabled());
}

TEST_F(AspectPanel, WithoutDocumentTheControlsChangeNothing)
{
    ShowPanels();
    host.SetDocument(nullptr);
    QTest::mouseClick(aspect->GetControl(Aspect::kToNarrowRadioId), Qt::LeftButton, {}, QPoint(4, 8));
    QTest::mouseClick(&RatioSlider(), Qt::LeftButton, {}, QPoint(RatioSlider().width() - 1, 8));
    QTest::mouseClick(stretch->GetControl(Stretch::kFirstModeRadioId + 2), Qt::LeftButton, {}, QPoint(4, 8));
    QTest::mouseClick(stretch->GetControl(Stretch::kSharpenCheckId), Qt::LeftButton, {}, QPoint(4, 8));
    EXPECT_TRUE(conversions.empty());
    EXPECT_EQ(Settings().direction, 0);
    EXPECT_EQ(Settings().stretchCropRatio, 0);
    EXPECT_EQ(Settings().stretchMode, 0);
    EXPECT_EQ(Settings().sharpenOn, 0);
}

TEST_F(AspectPanel, ScreenReadersSeeTheDirectionRadiosAndTheRatioSlider)
{
    ShowPanels();
    QAccessibleInterface* radio = QAccessible::queryAccessibleInterface(aspect->GetControl(Aspect::kToNarrowRadioId));
    ASSERT_NE(radio, nullptr);
    EXPECT_EQ(radio->role(), QAccessible::RadioButton);
    EXPECT_EQ(radio->text(QAccessible::Name).toStdString(), "16:9 to 4:3");
    EXPECT_FALSE(radio->state().checked);
    QAccessibleInterface* slider = QAccessible::queryAccessibleInterface(&RatioSlider());
    ASSERT_NE(slider, nullptr);
    EXPECT_EQ(slider->role(), QAccessible::Slider);
    EXPECT_EQ(slider->text(QAccessible::Name).toStdString(), "Stretch/Crop Ratio");
    EXPECT_EQ(slider->valueInterface()->maximumValue().toInt(), 100);
    slider->valueInterface()->setCurrentValue(60);   // a value set by the screen reader converts once
    ASSERT_EQ(conversions.size(), 1u);
    EXPECT_EQ(conversions[0].stretchCropRatio, 60);
    QAccessibleInterface* header = QAccessible::queryAccessibleInterface(aspect->GetControl(Aspect::kConversionHeaderId));
    EXPECT_EQ(header->role(), QAccessible::StaticText);
    EXPECT_EQ(header->text(QAccessible::Name).toStdString(), "Conversion");
}
}  // namespace
