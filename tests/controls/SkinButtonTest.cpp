#include "controls/SkinButton.h"

#include "../support/WidgetTestApp.h"

#include <QAccessible>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

namespace {
using Kind = CSkinButton::Kind;

// Two radio groups with a check box between them, in the order a template would create them.
class SkinButtons : public testing::Test {
protected:
    SkinButtons()
    {
        parent.resize(300, 200);
        first = Add(Kind::RadioButton, "First", true);
        second = Add(Kind::RadioButton, "Second", false);
        check = Add(Kind::CheckBox, "", false);
        third = Add(Kind::RadioButton, "Third", false);   // still the first group: a check box ends none
        other = Add(Kind::RadioButton, "Other", true);
        push = Add(Kind::PushButton, "Push", true);
        parent.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&parent));
    }

    CSkinButton* Add(Kind kind, const char* text, bool startsGroup)
    {
        auto* button = new CSkinButton(kind, text, &parent);
        CSkinButton::SetStartsGroup(button, startsGroup);
        button->setGeometry(10, 10 + 20 * row++, 120, 16);
        return button;
    }

    QWidget parent;
    int row = 0;
    CSkinButton* first = nullptr;
    CSkinButton* second = nullptr;
    CSkinButton* check = nullptr;
    CSkinButton* third = nullptr;
    CSkinButton* other = nullptr;
    CSkinButton* push = nullptr;
};

TEST_F(SkinButtons, RadioClearsItsGroupOnlyAndReportsTheNewChoice)
{
    first->SetCheck(1);
    other->SetCheck(1);
    check->SetCheck(1);
    std::vector<bool> seenInHandler;
    QObject::connect(third, &QAbstractButton::clicked, [&] { seenInHandler = {first->isChecked(), third->isChecked()}; });
    QTest::mouseClick(third, Qt::LeftButton, {}, QPoint(5, 8));
    EXPECT_EQ(seenInHandler, (std::vector<bool>{false, true}));
    EXPECT_FALSE(first->isChecked());
    EXPECT_FALSE(second->isChecked());
    EXPECT_TRUE(third->isChecked());
    EXPECT_TRUE(other->isChecked());   // another group
    EXPECT_TRUE(check->isChecked());   // not a radio
    EXPECT_TRUE(third->hasFocus());
    EXPECT_EQ(third->GroupRadios(), (QList<CSkinButton*>{first, second, third}));
}

TEST_F(SkinButtons, CheckedRadioClickedAgainStaysCheckedAndStillReports)
{
    first->SetCheck(1);
    int clicks = 0;
    QObject::connect(first, &QAbstractButton::clicked, [&] { ++clicks; });
    QTest::mouseClick(first, Qt::LeftButton, {}, QPoint(5, 8));
    EXPECT_TRUE(first->isChecked());
    EXPECT_EQ(clicks, 1);
}

TEST_F(SkinButtons, ArrowKeysChooseWithinTheGroupSkippingDisabledRadios)
{
    first->SetCheck(1);
    second->setEnabled(false);
    std::vector<CSkinButton*> clicked;
    for (CSkinButton* radio : {first, second, third, other})
        QObject::connect(radio, &QAbstractButton::clicked, [&clicked, radio] { clicked.push_back(radio); });
    first->setFocus();
    QTest::keyClick(first, Qt::Key_Down);   // over the disabled second
    EXPECT_TRUE(third->isChecked());
    EXPECT_TRUE(third->hasFocus());
    QTest::keyClick(third, Qt::Key_Right);  // wraps to the group's start
    EXPECT_TRUE(first->isChecked());
    QTest::keyClick(first, Qt::Key_Up);     // and backwards past it
    EXPECT_TRUE(third->isChecked());
    EXPECT_EQ(clicked, (std::vector<CSkinButton*>{third, first, third}));
    EXPECT_FALSE(other->isChecked());
}

TEST_F(SkinButtons, CheckBoxWithoutTextTogglesAndTakesStateTwoAsChecked)
{
    QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(5, 8));
    EXPECT_EQ(check->GetCheck(), 1);
    QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(5, 8));
    EXPECT_EQ(check->GetCheck(), 0);
    check->SetCheck(2);
    EXPECT_EQ(check->GetCheck(), 1);
    push->SetCheck(1);
    EXPECT_EQ(push->GetCheck(), 0);
}

// Pixels of the 12 x 12 box at (0, 2): its outline, the top row of its fill, a tick pixel, a corner.
struct BoxCase {
    const char* name;
    Kind kind;
    int checkState;
    bool disabled;
    const char* outline;
    const char* fillTop;
    const char* mark;   // tick (check box) or dot (radio) pixel; empty: no mark
};
const BoxCase kBoxCases[] = {
    {"unchecked", Kind::CheckBox, 0, false, "30,31,32", "179,182,191", ""},
    {"checked", Kind::CheckBox, 1, false, "30,31,32", "169,202,243", "30,31,32"},
    {"indeterminate_shows_checked", Kind::CheckBox, 2, false, "30,31,32", "169,202,243", "30,31,32"},
    {"disabled_checked_has_no_mark", Kind::CheckBox, 1, true, "108,113,132", "132,137,150", ""},
    {"radio_checked", Kind::RadioButton, 1, false, "30,31,32", "169,202,243", "30,31,32"},
    {"radio_unchecked", Kind::RadioButton, 0, false, "30,31,32", "179,182,191", ""},
};
class SkinButtonBox : public testing::TestWithParam<BoxCase> {};
TEST_P(SkinButtonBox, PaintsTheStateColours)
{
    const BoxCase& c = GetParam();
    QWidget parent;
    parent.resize(200, 60);
    auto* button = new CSkinButton(c.kind, "Label", &parent);
    button->setGeometry(10, 10, 100, 16);
    button->SetCheck(c.checkState);
    button->setEnabled(!c.disabled);
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    const QImage image = GrabPixels(*button);
    // A radio's box is one pixel smaller on every side with its corners left out.
    const int inset = c.kind == Kind::RadioButton ? 1 : 0;
    EXPECT_EQ(RgbAt(image, 5, 2 + inset), c.outline);
    EXPECT_EQ(RgbAt(image, 5, 3 + inset), c.fillTop);
    EXPECT_EQ(RgbAt(image, 50, 0), Rgb(132, 137, 150));   // the item is filled with the panel colour
    // The mark pixel: tick column 2 (rows 3 to 5 from the box corner plus one), or the radio's dot.
    // Without a mark it has the colour of the same fill row further right.
    const bool isCheckBox = c.kind == Kind::CheckBox;
    const QPoint markPixel = isCheckBox ? QPoint(3, 7) : QPoint(5, 8);
    const QPoint plainPixel = isCheckBox ? QPoint(10, 7) : QPoint(9, 8);
    const std::string wantMark = *c.mark != '\0' ? c.mark : RgbAt(image, plainPixel.x(), plainPixel.y());
    EXPECT_EQ(RgbAt(image, markPixel.x(), markPixel.y()), wantMark);
    if (isCheckBox) EXPECT_EQ(RgbAt(image, 0, 2), c.outline);              // square corner
    else EXPECT_EQ(RgbAt(image, 1, 3), Rgb(132, 137, 150));                // round corner left out
}
INSTANTIATE_TEST_SUITE_P(SkinButton, SkinButtonBox, testing::ValuesIn(kBoxCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SkinButtons, HoverLightensTheBoxUntilTheMouseLeavesOrTheButtonIsDisabled)
{
    QTest::mouseMove(first, QPoint(5, 8));
    EXPECT_TRUE(first->IsHovering());
    QImage image = GrabPixels(*first);
    EXPECT_EQ(RgbAt(image, 5, 3), Rgb(70, 71, 72));      // radio outline
    EXPECT_EQ(RgbAt(image, 5, 4), Rgb(204, 207, 216));   // unchecked, hovering
    check->SetCheck(1);
    QTest::mouseMove(check, QPoint(5, 8));
    image = GrabPixels(*check);
    EXPECT_EQ(RgbAt(image, 5, 3), Rgb(209, 242, 255));   // checked, hovering
    EXPECT_EQ(RgbAt(image, 3, 7), Rgb(70, 71, 72));      // its tick
    QTest::mouseMove(second, QPoint(5, 8));
    EXPECT_FALSE(first->IsHovering());
    EXPECT_TRUE(second->IsHovering());
    second->setFocus();
    second->setEnabled(false);
    EXPECT_FALSE(second->IsHovering());
    EXPECT_FALSE(second->hasFocus());
}

TEST_F(SkinButtons, PushButtonFaceFollowsItsState)
{
    const QImage normal = GrabPixels(*push);
    EXPECT_EQ(RgbAt(normal, 60, 3), Rgb(30, 31, 32));      // outline, 3 px below the top
    EXPECT_EQ(RgbAt(normal, 60, 4), Rgb(159, 163, 176));   // inner line
    EXPECT_EQ(RgbAt(normal, 5, 5), Rgb(205, 207, 213));    // top of the face, left of the text
    EXPECT_EQ(RgbAt(normal, 5, normal.height() - 6), Rgb(125, 129, 139));   // its bottom
    push->setEnabled(false);
    const QImage disabled = GrabPixels(*push);
    EXPECT_EQ(RgbAt(disabled, 60, 3), Rgb(63, 67, 76));
    EXPECT_EQ(RgbAt(disabled, 5, 5), Rgb(151, 155, 167));
}

struct RoleCase {
    const char* name;
    Kind kind;
    QAccessible::Role role;
    bool checkable;
};
const RoleCase kRoleCases[] = {
    {"radio", Kind::RadioButton, QAccessible::RadioButton, true},
    {"check_box", Kind::CheckBox, QAccessible::CheckBox, true},
    {"push_button", Kind::PushButton, QAccessible::Button, false},
};
class SkinButtonAccessible : public testing::TestWithParam<RoleCase> {};
TEST_P(SkinButtonAccessible, ScreenReadersSeeKindTextAndState)
{
    const RoleCase& c = GetParam();
    QWidget parent;
    auto* button = new CSkinButton(c.kind, "Label", &parent);
    button->SetCheck(1);
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(button);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), c.role);
    EXPECT_EQ(accessible->text(QAccessible::Name).toStdString(), "Label");
    EXPECT_EQ(bool(accessible->state().checkable), c.checkable);
    EXPECT_EQ(bool(accessible->state().checked), c.checkable);
    button->setAccessibleName("Named");
    EXPECT_EQ(accessible->text(QAccessible::Name).toStdString(), "Named");
}
INSTANTIATE_TEST_SUITE_P(SkinButton, SkinButtonAccessible, testing::ValuesIn(kRoleCases),
                         [](const auto& info) { return std::string(info.param.name); });
}  // namespace
