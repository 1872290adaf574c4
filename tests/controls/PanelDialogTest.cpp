#include "controls/PanelDialog.h"

#include "controls/PanelHeader.h"
#include "controls/PanelSlider.h"
#include "controls/SkinButton.h"
#include "controls/SkinEdit.h"
#include "controls/SkinListBox.h"

#include "../support/WidgetTestApp.h"

#include <QAccessible>
#include <QLabel>
#include <QPaintEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace {
using Kind = DialogItem::Kind;

constexpr int kHeaderId = 10, kFirstRadioId = 20, kSecondRadioId = 21, kBareCheckId = 30, kSliderId = 40,
              kInfoId = 50, kListId = 60, kPushId = 70, kLongCheckId = 80;

constexpr DialogItem kTemplate[] = {
    {Kind::Header, kHeaderId, "Section", 7, 6, 116, 8},
    {Kind::RadioButton, kFirstRadioId, "One", 7, 20, 50, 10, DialogItem::kStartsGroup},
    {Kind::RadioButton, kSecondRadioId, "Two", 7, 32, 50, 10},
    {Kind::CheckBox, kBareCheckId, "", 7, 46, 10, 9, DialogItem::kStartsGroup},
    {Kind::Slider, kSliderId, "", 7, 60, 116, 11},
    {Kind::Edit, kInfoId, "Info", 7, 75, 116, 20, DialogItem::kReadOnly | DialogItem::kMultiLine},
    {Kind::ListBox, kListId, "", 7, 100, 50, 20},
    {Kind::PushButton, kPushId, "Go", 70, 100, 50, 14},
    {Kind::Static, CPanelDialog::kNoId, "Caption", 7, 124, 40, 8},
    {Kind::CheckBox, kLongCheckId, "A label far longer than its box in any font", 60, 124, 20, 8},
};

// A panel built from the template above, recording what reaches its handlers and what it repaints.
class TestPanel : public CPanelDialog {
public:
    bool OnInitDialog() override
    {
        BuildTemplate(kTemplate, 130, 140);
        return true;
    }
    void OnButtonClicked(int id) override { clicks.push_back(id); }
    void OnHScroll(int sliderId, int code, int position) override { scrolls.push_back({sliderId, code, position}); }
    void paintEvent(QPaintEvent* event) override
    {
        painted.push_back(event->region());
        CPanelDialog::paintEvent(event);
    }

    std::vector<int> clicks;
    std::vector<std::tuple<int, int, int>> scrolls;
    std::vector<QRegion> painted;
};

// Records the keys that leave the panel.
class Host : public QWidget {
public:
    void keyPressEvent(QKeyEvent* event) override { keys.push_back(event->key()); }
    std::vector<int> keys;
};

class PanelDialog : public testing::Test {
protected:
    PanelDialog()
    {
        host.resize(300, 320);
        panel = new TestPanel;
        panel->setParent(&host);
        panel->Create();
        panel->resize(panel->sizeHint());
        host.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&host));
    }

    Host host;
    TestPanel* panel = nullptr;
};

TEST_F(PanelDialog, CreatesEachControlOnceAsItsSkinnedClass)
{
    EXPECT_TRUE(panel->IsCreated());
    EXPECT_NE(qobject_cast<CPanelHeader*>(panel->GetControl(kHeaderId)), nullptr);
    EXPECT_NE(qobject_cast<CSkinButton*>(panel->FindControl(kBareCheckId)), nullptr);
    EXPECT_TRUE(panel->Control<CSkinButton>(kBareCheckId)->IsCheckBox());
    EXPECT_TRUE(panel->Control<CSkinButton>(kFirstRadioId)->IsRadio());
    EXPECT_NE(qobject_cast<CPanelSlider*>(panel->FindControl(kSliderId)), nullptr);
    EXPECT_TRUE(panel->Control<CSkinEdit>(kInfoId)->IsReadOnlyDisplay());
    EXPECT_NE(qobject_cast<CSkinListBox*>(panel->FindControl(kListId)), nullptr);
    // Headers are not skinned wrappers: FindControl leaves them out, GetControl finds them.
    EXPECT_EQ(panel->FindControl(kHeaderId), nullptr);
    const auto childCount = panel->children().size();
    EXPECT_TRUE(panel->Create());
    EXPECT_EQ(panel->children().size(), childCount);
}

TEST_F(PanelDialog, PlacesControlsInDialogUnits)
{
    // 96 dpi: 1.5 px across and 1.625 px down per unit, each edge rounded on its own.
    EXPECT_EQ(panel->MapDialogRect(QRect(4, 8, 4, 8)), QRect(6, 13, 6, 13));
    EXPECT_EQ(panel->MapDialogRect(QRect(7, 20, 50, 10)), QRect(11, 33, 75, 16));   // 10.5 -> 11, 85.5 -> 86
    EXPECT_EQ(panel->GetControl(kFirstRadioId)->geometry(), QRect(11, 33, 75, 16));
    EXPECT_EQ(panel->sizeHint(), QSize(195, 228));
    // The flat frame of a framed edit is one pixel lower than the template's.
    EXPECT_EQ(panel->GetControl(kInfoId)->height(), panel->MapDialogRect(QRect(7, 75, 116, 20)).height() - 1);
}

TEST_F(PanelDialog, LabelsWiderThanTheirTemplateGrowUpToThePanelEdge)
{
    const QRect place = panel->MapDialogRect(QRect(60, 124, 20, 8));
    const QRect grown = panel->GetControl(kLongCheckId)->geometry();
    EXPECT_EQ(grown.topLeft(), place.topLeft());
    EXPECT_EQ(grown.height(), place.height());
    EXPECT_EQ(grown.right(), panel->sizeHint().width() - 1);
}

TEST_F(PanelDialog, HelpersWithoutSuchControlDoNothing)
{
    constexpr int kMissing = 999;
    EXPECT_EQ(panel->GetSliderPos(kMissing), -1);
    EXPECT_EQ(panel->GetSliderPos(kFirstRadioId), -1);   // not a slider
    panel->SetSliderRange(kMissing, 0, 10, 5);
    panel->SetSliderPos(kMissing, 3);
    panel->SetSliderEnabled(kMissing, false);
    panel->EnableControl(kMissing, false);
    panel->SetControlText(kMissing, "x");
    panel->SetButtonCheck(kMissing, 1);
    panel->SetRadioGroupIndex(kMissing, 0);
    EXPECT_EQ(panel->GetRadioGroupIndex(kMissing), -1);
    EXPECT_EQ(panel->GetButtonCheck(kMissing), 0);
    EXPECT_EQ(panel->GetControl(CPanelDialog::kNoId), nullptr);
}

TEST_F(PanelDialog, HelpersReachTheControls)
{
    panel->SetSliderRange(kSliderId, 0, 100, 150);
    EXPECT_EQ(panel->GetSliderPos(kSliderId), 100);
    panel->SetSliderPos(kSliderId, 42);
    EXPECT_EQ(panel->GetSliderPos(kSliderId), 42);
    panel->SetSliderEnabled(kSliderId, false);
    EXPECT_FALSE(panel->Control<CPanelSlider>(kSliderId)->IsSliderEnabled());
    EXPECT_TRUE(panel->GetControl(kSliderId)->isEnabled());   // the slider's own flag, not the window's
    panel->EnableControl(kPushId, false);
    EXPECT_FALSE(panel->GetControl(kPushId)->isEnabled());
    panel->SetControlText(kInfoId, "Source: 1 x 1");
    EXPECT_EQ(panel->Control<CSkinEdit>(kInfoId)->Text().toStdString(), "Source: 1 x 1");

    EXPECT_EQ(panel->GetRadioGroupIndex(kFirstRadioId), -1);
    panel->SetRadioGroupIndex(kFirstRadioId, 1);
    EXPECT_EQ(panel->GetRadioGroupIndex(kFirstRadioId), 1);
    EXPECT_EQ(panel->GetButtonCheck(kFirstRadioId), 0);
    panel->SetRadioGroupIndex(kFirstRadioId, -1);
    EXPECT_EQ(panel->GetRadioGroupIndex(kFirstRadioId), -1);
}

TEST_F(PanelDialog, ClicksAndSliderNotificationsArriveByControlId)
{
    QTest::mouseClick(panel->GetControl(kSecondRadioId), Qt::LeftButton, {}, QPoint(4, 8));
    QTest::mouseClick(panel->GetControl(kBareCheckId), Qt::LeftButton, {}, QPoint(4, 8));
    EXPECT_EQ(panel->clicks, (std::vector<int>{kSecondRadioId, kBareCheckId}));
    EXPECT_EQ(panel->GetRadioGroupIndex(kFirstRadioId), 1);
    EXPECT_EQ(panel->GetButtonCheck(kBareCheckId), 1);

    panel->SetSliderPos(kSliderId, 0);
    QWidget* slider = panel->GetControl(kSliderId);
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Right);
    using Code = CPanelSlider::Code;
    EXPECT_EQ(panel->scrolls, (std::vector<std::tuple<int, int, int>>{{kSliderId, int(Code::LineDown), 1},
                                                                       {kSliderId, int(Code::EndTrack), 1}}));
}

TEST_F(PanelDialog, EscapeAndEnterStayInThePanel)
{
    panel->setFocus();
    QTest::keyClick(panel, Qt::Key_Escape);
    QTest::keyClick(panel, Qt::Key_Return);
    QTest::keyClick(panel, Qt::Key_Enter);
    EXPECT_TRUE(host.keys.empty());
    QTest::keyClick(panel, Qt::Key_A);
    EXPECT_EQ(host.keys, std::vector<int>{Qt::Key_A});
}

TEST_F(PanelDialog, PaintsFlatBackgroundHeaderAndTransparentStatics)
{
    const QImage image = GrabPixels(*panel);
    EXPECT_EQ(RgbAt(image, 2, 2), Rgb(132, 137, 150));
    EXPECT_EQ(RgbAt(image, 190, 220), Rgb(132, 137, 150));
    // The header bar, 7..123 x 6..14 units: blue with white text in its middle.
    const QRect header = panel->GetControl(kHeaderId)->geometry();
    EXPECT_EQ(RgbAt(image, header.left() + 1, header.top() + 1), Rgb(86, 152, 233));
    int white = 0;
    for (int x = header.left(); x <= header.right(); ++x)
        for (int y = header.top(); y <= header.bottom(); ++y) white += image.pixelColor(x, y).lightness() > 230;
    EXPECT_GT(white, 5);
    // The static text's label leaves the panel colour around its letters.
    const QRect caption = panel->MapDialogRect(QRect(7, 124, 40, 8));
    EXPECT_EQ(RgbAt(image, caption.right() - 1, caption.bottom() - 1), Rgb(132, 137, 150));
}

TEST_F(PanelDialog, ScreenReadersSeeHeadersAsLabels)
{
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(panel->GetControl(kHeaderId));
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::StaticText);
    EXPECT_EQ(accessible->text(QAccessible::Name).toStdString(), "Section");
}

TEST_F(PanelDialog, EnlargingRepaintsTheNewStripsAtOnceAndEverythingLater)
{
    const QSize before = panel->size();
    QTest::qWait(150);   // the repaint after the first sizing is over
    panel->painted.clear();
    panel->resize(before + QSize(60, 80));
    QCoreApplication::processEvents();
    ASSERT_FALSE(panel->painted.empty());
    const QRegion first = panel->painted.front();
    // The new strips, reaching 30 px back into the old width and 40 px into the old height.
    EXPECT_TRUE(first.contains(QRect(before.width() - 30, 0, 90, before.height() + 80)));
    EXPECT_TRUE(first.contains(QRect(0, before.height() - 40, before.width() + 60, 120)));
    EXPECT_FALSE(first.contains(QPoint(10, 10)));
    QTest::qWait(200);
    ASSERT_GE(panel->painted.size(), 2u);
    EXPECT_TRUE(panel->painted.back().contains(panel->rect()));
}
}  // namespace
