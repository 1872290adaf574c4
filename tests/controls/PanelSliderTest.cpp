#include "controls/PanelSlider.h"

#include "../support/WidgetTestApp.h"

#include <QAccessible>
#include <QTest>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {
using Code = CPanelSlider::Code;
using Note = std::pair<Code, int>;   // notification code and the position it carried

// A 134 x 18 slider on a panel-coloured parent, recording its notifications.
class PanelSlider : public testing::Test {
protected:
    PanelSlider()
    {
        parent.setAutoFillBackground(true);
        QPalette colors = parent.palette();
        colors.setColor(QPalette::Window, QColor(132, 137, 150));
        parent.setPalette(colors);
        parent.resize(200, 40);
        slider = new CPanelSlider(&parent);
        slider->setGeometry(0, 0, 134, 18);
        QObject::connect(slider, &CPanelSlider::Scrolled, [this](Code code, int position) { notes.push_back({code, position}); });
        parent.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&parent));
    }

    QWidget parent;
    CPanelSlider* slider = nullptr;
    std::vector<Note> notes;
};

TEST_F(PanelSlider, StartsAtTheTopOfItsDefaultRangeWithTheTrackbarStepSizes)
{
    EXPECT_EQ(slider->minimum(), 0);
    EXPECT_EQ(slider->maximum(), 255);
    EXPECT_EQ(slider->GetPos(), 255);
    EXPECT_EQ(slider->PageSize(), 51);
    EXPECT_EQ(slider->LineSize(), 1);
    slider->SetRange(0, 100, 0);
    EXPECT_EQ(slider->PageSize(), 20);
}

TEST_F(PanelSlider, ThumbLeftEdgeFollowsTheTrackLength)
{
    // 134 px: the track is 115 px, split into 256 positions.
    EXPECT_EQ(slider->ThumbLeft(127), 57);
    EXPECT_EQ(slider->ThumbLeft(0), 0);
    EXPECT_EQ(slider->ThumbLeft(255), 114);
    slider->SetRange(0, 100, 50);
    EXPECT_EQ(slider->ThumbLeft(50), 56);   // trunc(115 / 101 x 50)
}

struct ClampCase {
    const char* name;
    int minimum, maximum, position, want;
};
constexpr ClampCase kClampCases[] = {
    {"above_maximum", 0, 255, 300, 255},
    {"below_minimum", 0, 100, -5, 0},
    {"inside", 10, 20, 15, 15},
    {"raised_minimum", 10, 20, 3, 10},
};
class PanelSliderClamp : public PanelSlider, public testing::WithParamInterface<ClampCase> {};
TEST_P(PanelSliderClamp, SetPosKeepsTheRangeAndSendsNothing)
{
    const ClampCase& c = GetParam();
    slider->SetRange(c.minimum, c.maximum, c.minimum);
    slider->SetPos(c.position);
    EXPECT_EQ(slider->GetPos(), c.want);
    slider->SetRange(c.minimum, c.maximum, c.position);
    EXPECT_EQ(slider->GetPos(), c.want);
    EXPECT_TRUE(notes.empty());
}
INSTANTIATE_TEST_SUITE_P(Slider, PanelSliderClamp, testing::ValuesIn(kClampCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PanelSlider, ClickOnTheCurrentPositionSendsNothing)
{
    slider->SetPos(127);
    // x = 65: trunc(55 / (115 / 256)) = 122, plus the 5-unit offset: 127.
    QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(65, 12));
    EXPECT_EQ(slider->GetPos(), 127);
    EXPECT_TRUE(notes.empty());
}

TEST_F(PanelSlider, ClickElsewhereJumpsThereAndEndsTheTrack)
{
    slider->SetPos(127);
    QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(30, 12));   // trunc(20 / 0.449) + 5 = 49
    EXPECT_EQ(slider->GetPos(), 49);
    EXPECT_EQ(notes, (std::vector<Note>{{Code::ThumbTrack, 49}, {Code::EndTrack, 49}}));
}

TEST_F(PanelSlider, DragTracksEveryChangeAndEndsOnceAtRelease)
{
    slider->SetRange(0, 100, 50);
    const int start = 62;   // trunc(52 / (115 / 101)) + 5: the thumb's own position, 50
    QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(start, 12));
    ASSERT_TRUE(notes.empty());
    QTest::mouseMove(slider, QPoint(start + 20, 12));
    QTest::mouseMove(slider, QPoint(start + 20, 14));   // same column: no change, no notification
    QTest::mouseMove(slider, QPoint(200, 12));          // past the end: the maximum
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(200, 12));
    ASSERT_EQ(notes.size(), 3u);
    EXPECT_EQ(notes[0].first, Code::ThumbTrack);
    EXPECT_GT(notes[0].second, 50);
    EXPECT_EQ(notes[1], Note(Code::ThumbTrack, 100));
    EXPECT_EQ(notes[2], Note(Code::EndTrack, 100));
}

TEST_F(PanelSlider, TooNarrowForATrackIgnoresPresses)
{
    slider->setGeometry(0, 0, 19, 18);   // a track of 0 px
    slider->SetPos(40);
    QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(15, 12));
    EXPECT_EQ(slider->GetPos(), 40);
    EXPECT_TRUE(notes.empty());
}

TEST_F(PanelSlider, PressBeyondTheMaximumAtTheMaximumIsNoChange)
{
    // The hit test asks for maximum + 1 right of the track; clamped back it changes nothing.
    QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(133, 12));
    EXPECT_EQ(slider->GetPos(), 255);
    EXPECT_TRUE(notes.empty());
}

struct KeyCase {
    const char* name;
    int start;
    Qt::Key key;
    int want;
    Code code;
};
constexpr KeyCase kKeyCases[] = {
    {"left_at_zero_wraps_to_maximum", 0, Qt::Key_Left, 255, Code::LineUp},
    {"up_steps_down", 10, Qt::Key_Up, 9, Code::LineUp},
    {"right_at_maximum_wraps_to_zero", 255, Qt::Key_Right, 0, Code::LineDown},
    {"down_steps_up", 10, Qt::Key_Down, 11, Code::LineDown},
    {"page_up_wraps", 10, Qt::Key_PageUp, 215, Code::PageUp},   // 10 - 51 + 256
    {"page_down", 100, Qt::Key_PageDown, 151, Code::PageDown},
    {"page_down_wraps", 250, Qt::Key_PageDown, 45, Code::PageDown},   // 250 + 51 - 256
};
class PanelSliderKeys : public PanelSlider, public testing::WithParamInterface<KeyCase> {};
TEST_P(PanelSliderKeys, StepWrapsAndTheReleaseEndsTheTrack)
{
    const KeyCase& c = GetParam();
    slider->SetPos(c.start);
    slider->setFocus();
    QTest::keyPress(slider, c.key);
    EXPECT_EQ(slider->GetPos(), c.want);
    EXPECT_EQ(notes, (std::vector<Note>{{c.code, c.want}}));
    QTest::keyRelease(slider, c.key);
    EXPECT_EQ(notes.back(), Note(Code::EndTrack, c.want));
}
INSTANTIATE_TEST_SUITE_P(Slider, PanelSliderKeys, testing::ValuesIn(kKeyCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PanelSlider, HomeAndEndDoNothing)
{
    slider->SetPos(40);
    QTest::keyClick(slider, Qt::Key_Home);
    QTest::keyClick(slider, Qt::Key_End);
    EXPECT_EQ(slider->GetPos(), 40);
    EXPECT_TRUE(notes.empty());
}

TEST_F(PanelSlider, SwitchedOffItIgnoresTheMouseButNotTheKeys)
{
    slider->SetPos(127);
    slider->SetEnabled(false);
    QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(20, 12));
    QTest::mouseMove(slider, QPoint(100, 12));
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(100, 12));
    EXPECT_EQ(slider->GetPos(), 127);
    EXPECT_TRUE(notes.empty());

    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Right);
    EXPECT_EQ(slider->GetPos(), 128);
    EXPECT_EQ(notes, (std::vector<Note>{{Code::LineDown, 128}, {Code::EndTrack, 128}}));
}

TEST_F(PanelSlider, SwitchedOffDuringADragTheNextDragStillWorks)
{
    slider->SetPos(127);
    QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(30, 12));
    slider->SetEnabled(false);
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(30, 12));
    notes.clear();
    slider->SetEnabled(true);
    QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(100, 12));
    ASSERT_FALSE(notes.empty());
    EXPECT_EQ(notes.back().first, Code::EndTrack);
}

TEST_F(PanelSlider, PaintsGrooveFillAndThumb)
{
    slider->SetPos(127);   // thumb from x = 57 to 76
    const QImage image = GrabPixels(*slider);
    EXPECT_EQ(RgbAt(image, 5, 10), Rgb(61, 66, 78));        // groove's upper edge
    EXPECT_EQ(RgbAt(image, 5, 12), Rgb(86, 152, 223));      // filled left of the thumb
    EXPECT_EQ(RgbAt(image, 100, 12), Rgb(98, 105, 121));    // groove right of the thumb
    EXPECT_EQ(RgbAt(image, 100, 14), Rgb(185, 188, 200));   // groove's lower edge
    EXPECT_EQ(RgbAt(image, 5, 4), Rgb(132, 137, 150));      // the panel shows through above
    EXPECT_EQ(RgbAt(image, 58, 7), Rgb(28, 25, 25));        // thumb outline
    EXPECT_EQ(RgbAt(image, 57, 7), Rgb(132, 137, 150));     // its corner left out
    EXPECT_EQ(RgbAt(image, 58, 8), Rgb(224, 230, 236));     // thumb rim
    EXPECT_EQ(RgbAt(image, 60, 10), Rgb(211, 217, 223));    // top of the thumb's gradient
    EXPECT_EQ(RgbAt(image, 63, 12), Rgb(99, 105, 124));     // first grip mark
    EXPECT_EQ(RgbAt(image, 64, 15), Rgb(184, 193, 202));    // and its light line
}

TEST_F(PanelSlider, SwitchedOffItPaintsGreyWithoutTheFill)
{
    slider->SetPos(127);
    slider->SetEnabled(false);
    const QImage image = GrabPixels(*slider);
    EXPECT_EQ(RgbAt(image, 5, 10), Rgb(155, 158, 170));
    EXPECT_EQ(RgbAt(image, 5, 12), Rgb(128, 135, 151));
    EXPECT_EQ(RgbAt(image, 5, 14), Rgb(155, 158, 170));
    EXPECT_EQ(RgbAt(image, 58, 7), Rgb(155, 158, 170));   // thumb outlined in the lower edge colour
    EXPECT_EQ(RgbAt(image, 63, 12), Rgb(128, 135, 151));  // and filled with the groove colour
}

TEST_F(PanelSlider, ScreenReadersSeeASliderWithRangeAndValue)
{
    slider->SetRange(0, 100, 42);
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(slider);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::Slider);
    QAccessibleValueInterface* value = accessible->valueInterface();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->currentValue().toInt(), 42);
    EXPECT_EQ(value->minimumValue().toInt(), 0);
    EXPECT_EQ(value->maximumValue().toInt(), 100);
    EXPECT_TRUE(notes.empty());

    // Setting the value through the screen reader is a whole interaction: it ends the track.
    value->setCurrentValue(70);
    EXPECT_EQ(slider->GetPos(), 70);
    EXPECT_EQ(notes, (std::vector<Note>{{Code::ThumbTrack, 70}, {Code::EndTrack, 70}}));
}
}  // namespace
