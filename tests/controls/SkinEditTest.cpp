#include "controls/SkinEdit.h"

#include "../support/WidgetTestApp.h"

#include <QAccessible>
#include <QTest>

#include <gtest/gtest.h>

namespace {
class SkinEdit : public testing::Test {
protected:
    SkinEdit()
    {
        parent.resize(300, 120);
        display = new CSkinEdit(CSkinEdit::kMultiLine | CSkinEdit::kReadOnly, &parent);
        display->setGeometry(10, 10, 200, 50);
        display->SetText("Source: 4000 x 3000\nOutput: 960 x 540");
        editable = new CSkinEdit(CSkinEdit::kSingleLine, &parent);
        editable->setGeometry(10, 70, 200, 20);
        parent.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&parent));
    }

    QWidget parent;
    CSkinEdit* display = nullptr;
    CSkinEdit* editable = nullptr;
};

TEST_F(SkinEdit, ReadOnlyBoxIgnoresClicksAndKeys)
{
    editable->setFocus();
    QTest::mouseClick(display->viewport(), Qt::LeftButton, {}, QPoint(20, 10));
    QTest::mouseDClick(display->viewport(), Qt::LeftButton, {}, QPoint(20, 10));
    EXPECT_FALSE(display->hasFocus());
    EXPECT_TRUE(editable->hasFocus());
    EXPECT_FALSE(display->textCursor().hasSelection());
    QTest::keyClicks(display, "xyz");
    QTest::keyClick(display, Qt::Key_Backspace);
    EXPECT_EQ(display->Text().toStdString(), "Source: 4000 x 3000\nOutput: 960 x 540");
}

TEST_F(SkinEdit, EditableBoxTakesText)
{
    editable->setFocus();
    QTest::keyClicks(editable, "abc");
    EXPECT_EQ(editable->Text().toStdString(), "abc");
}

TEST_F(SkinEdit, ShowsItsTextOnTheLightBoxInABlackFrame)
{
    const QImage image = GrabPixels(*display);
    EXPECT_EQ(RgbAt(image, 0, 0), Rgb(0, 0, 0));
    EXPECT_EQ(RgbAt(image, 199, 49), Rgb(0, 0, 0));
    EXPECT_EQ(RgbAt(image, 195, 45), Rgb(203, 207, 218));
    bool hasText = false;
    for (int y = 1; y < 20 && !hasText; ++y)
        for (int x = 1; x < 100 && !hasText; ++x) hasText = image.pixelColor(x, y).lightness() < 100;
    EXPECT_TRUE(hasText);
}

TEST_F(SkinEdit, ScreenReadersSeeReadOnlyText)
{
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(display);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::EditableText);
    EXPECT_TRUE(accessible->state().readOnly);
    ASSERT_NE(accessible->textInterface(), nullptr);
    EXPECT_EQ(accessible->textInterface()->text(0, 6).toStdString(), "Source");
    EXPECT_FALSE(QAccessible::queryAccessibleInterface(editable)->state().readOnly);
}
}  // namespace
