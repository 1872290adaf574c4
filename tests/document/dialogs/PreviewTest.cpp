#include "document/dialogs/PrevFileDlg.h"
#include "document/dialogs/PreviewStatic.h"

#include "DialogTestSupport.h"
#include "../../support/TempFolder.h"

#include <QCheckBox>
#include <QLabel>
#include <QListView>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

namespace {

// A folder with a large JPEG, a small red PNG and a text file, and a shown open dialog inside it.
class Preview : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder = new TempFolder;
        CRasterImage picture;
        FillTestPicture(picture, 3000, 2000);
        picture.Save(folder->File("large.jpg").c_str());
        FillSolid(picture, 20, 10, 255, 0, 0);
        picture.Save(folder->File("small.png").c_str());
        FillSolid(picture, 3000, 2, 0, 0, 255);
        picture.Save(folder->File("thin.png").c_str());
        folder->Write("notes.txt", "not a picture\n");
    }
    static void TearDownTestSuite() { delete folder; }

    void SetUp() override
    {
        CPrevFileDlg::previewEnabled = true;
        dialog = std::make_unique<CPrevFileDlg>();
        dialog->setDirectory(QString::fromStdString(folder->Path()));
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    }
    void TearDown() override { CPrevFileDlg::previewEnabled = true; }

    // Selects `name` in the dialog as a click in its list would, and waits for the preview to settle.
    void Select(const std::string& name)
    {
        QSignalSpy loaded(dialog.get(), &CPrevFileDlg::PreviewLoaded);
        dialog->OnFileNameChange(QString::fromStdString(folder->File(name)));
        EXPECT_EQ(loaded.count(), 1) << name;
    }
    QString SizeText() const { return dialog->SizeText().text(); }
    bool BoxEmpty() const { return !dialog->Preview().Thumbnail().HasPixels(); }

    static TempFolder* folder;
    std::unique_ptr<CPrevFileDlg> dialog;
};
TempFolder* Preview::folder = nullptr;

}  // namespace

TEST_F(Preview, LargeJpegShowsItsStoredSizeThoughDecodedSmaller)
{
    Select("large.jpg");
    EXPECT_EQ(SizeText(), "3000 x 2000\nPixels");
    const CPreviewStatic& preview = dialog->Preview();
    EXPECT_LT(preview.LoadedWidth(), 3000) << "the decode hint reduces the JPEG decode";
    EXPECT_GE(preview.LoadedWidth(), preview.AvailableRect().width()) << "but not below the box";
    const QRect available = preview.AvailableRect();
    EXPECT_TRUE(preview.Thumbnail().width == static_cast<std::uint32_t>(available.width()) ||
                preview.Thumbnail().height == static_cast<std::uint32_t>(available.height()))
        << "fitted to the box";
    EXPECT_LE(preview.Thumbnail().width, static_cast<std::uint32_t>(available.width()));
    EXPECT_LE(preview.Thumbnail().height, static_cast<std::uint32_t>(available.height()));
}

TEST_F(Preview, SmallPictureIsCentredOnGreyAtItsOwnSize)
{
    Select("small.png");
    EXPECT_EQ(SizeText(), "20 x 10\nPixels");
    const CPreviewStatic& preview = dialog->Preview();
    ASSERT_EQ(preview.Thumbnail().width, 20u);
    ASSERT_EQ(preview.Thumbnail().height, 10u);
    const QImage shown = const_cast<CPreviewStatic&>(preview).grab().toImage();
    const QRect available = preview.AvailableRect();
    const int left = available.left() + (available.width() - 20) / 2;
    const int top = available.top() + (available.height() - 10) / 2;
    const QColor grey(128, 128, 128), red(255, 0, 0);
    EXPECT_EQ(shown.pixelColor(available.topLeft()), grey);
    EXPECT_EQ(shown.pixelColor(available.bottomRight()), grey);
    EXPECT_EQ(shown.pixelColor(left - 1, top), grey);
    EXPECT_EQ(shown.pixelColor(left, top), red);
    EXPECT_EQ(shown.pixelColor(left + 19, top + 9), red);
    EXPECT_EQ(shown.pixelColor(left + 20, top + 9), grey);
    EXPECT_EQ(shown.pixelColor(left + 19, top + 10), grey);
}

TEST_F(Preview, AVeryThinPictureKeepsARowInTheBox)
{
    // Fitted to the box its height would round down to nothing; it keeps one row and stays visible.
    Select("thin.png");
    EXPECT_EQ(SizeText(), "3000 x 2\nPixels");
    EXPECT_EQ(dialog->Preview().Thumbnail().width, static_cast<std::uint32_t>(dialog->Preview().AvailableRect().width()));
    EXPECT_EQ(dialog->Preview().Thumbnail().height, 1u);
}

TEST_F(Preview, WhatIsNoPictureEmptiesBoxAndText)
{
    // At the start the text says there is nothing; a text file or a folder after a picture empties both.
    EXPECT_EQ(SizeText(), "No Image");
    for (const char* notAPicture : {"notes.txt", "."}) {
        Select("small.png");
        ASSERT_FALSE(BoxEmpty());
        QSignalSpy loaded(dialog.get(), &CPrevFileDlg::PreviewLoaded);
        dialog->OnFileNameChange(QString::fromStdString(folder->File(notAPicture)));
        ASSERT_EQ(loaded.count(), 1);
        EXPECT_FALSE(loaded.at(0).at(0).toBool());
        EXPECT_TRUE(BoxEmpty()) << notAPicture;
        EXPECT_EQ(SizeText(), "") << notAPicture;
    }
}

TEST_F(Preview, APipeIsNeverOpened)
{
    // Reading a pipe that nobody writes would hold the dialog for ever. Should the preview open it, the
    // watchdog finds a reader waiting, fails the test and lets the reader go.
    const std::string pipe = folder->File("pipe.jpg");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    std::atomic<bool> done = false, readerFound = false;
    std::thread watchdog([&] {
        for (int tries = 0; tries < 40 && !done; ++tries) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            if (const int writer = open(pipe.c_str(), O_WRONLY | O_NONBLOCK); writer >= 0) {
                readerFound = true;
                close(writer);
            }
        }
    });
    Select("small.png");
    QSignalSpy loaded(dialog.get(), &CPrevFileDlg::PreviewLoaded);
    dialog->OnFileNameChange(QString::fromStdString(pipe));
    done = true;
    watchdog.join();
    EXPECT_FALSE(readerFound);
    EXPECT_EQ(loaded.count(), 1);
    EXPECT_TRUE(BoxEmpty());
    EXPECT_EQ(SizeText(), "");
    std::filesystem::remove(pipe);
}

TEST_F(Preview, NameBeingTypedLeavesThePreviewAlone)
{
    Select("small.png");
    dialog->OnFileNameChange(QString::fromStdString(folder->File("sma")));
    EXPECT_FALSE(BoxEmpty());
    EXPECT_EQ(SizeText(), "20 x 10\nPixels");
}

TEST_F(Preview, EnteringAFolderEmptiesThePreview)
{
    Select("small.png");
    dialog->OnFolderChange();
    EXPECT_TRUE(BoxEmpty());
    EXPECT_EQ(SizeText(), "");
}

TEST_F(Preview, UncheckingEmptiesAtOnceAndCheckingLoadsTheSelection)
{
    Select("small.png");
    QCheckBox& check = dialog->PreviewCheck();
    QTest::mouseClick(&check, Qt::LeftButton);
    EXPECT_FALSE(CPrevFileDlg::previewEnabled);
    EXPECT_TRUE(BoxEmpty());
    EXPECT_EQ(SizeText(), "");

    // Selections while it is off show nothing.
    dialog->OnFileNameChange(QString::fromStdString(folder->File("large.jpg")));
    EXPECT_TRUE(BoxEmpty());

    QTest::mouseClick(&check, Qt::LeftButton);
    EXPECT_TRUE(CPrevFileDlg::previewEnabled);
    EXPECT_EQ(SizeText(), "3000 x 2000\nPixels");
    EXPECT_FALSE(BoxEmpty());
}

TEST_F(Preview, TheSwitchIsKeptForTheNextDialog)
{
    QTest::mouseClick(&dialog->PreviewCheck(), Qt::LeftButton);
    dialog.reset();
    CPrevFileDlg second;
    EXPECT_FALSE(second.PreviewCheck().isChecked());
    QTest::mouseClick(&second.PreviewCheck(), Qt::LeftButton);
    CPrevFileDlg third;
    EXPECT_TRUE(third.PreviewCheck().isChecked());
}

TEST_F(Preview, SelectionsThatChangeBeforeTheirLoadAreSkipped)
{
    // While the first selection lets pending events through, three more arrive (each entering the
    // dialog again); only the last one is loaded, once.
    QSignalSpy loaded(dialog.get(), &CPrevFileDlg::PreviewLoaded);
    QTimer::singleShot(0, dialog.get(), [this] {
        for (const char* name : {"notes.txt", "large.jpg", "small.png"}) dialog->OnFileNameChange(QString::fromStdString(folder->File(name)));
    });
    dialog->OnFileNameChange(QString::fromStdString(folder->File("large.jpg")));
    EXPECT_EQ(loaded.count(), 1);
    EXPECT_EQ(SizeText(), "20 x 10\nPixels");
}

TEST_F(Preview, ReentryDuringALoadIsHarmless)
{
    // Selections arriving from inside the dialog's event dispatch, including one that turns the
    // preview off and one that leaves the folder, leave a consistent box.
    struct Case {
        const char* name;
        std::function<void(CPrevFileDlg&, TempFolder&)> during;
        bool expectEmpty;
        const char* expectText;
    };
    const Case cases[] = {
        {"same file again", [](CPrevFileDlg& d, TempFolder& f) { d.OnFileNameChange(QString::fromStdString(f.File("small.png"))); }, false, "20 x 10\nPixels"},
        {"preview off", [](CPrevFileDlg& d, TempFolder&) { QTest::mouseClick(&d.PreviewCheck(), Qt::LeftButton); }, true, ""},
        {"folder left", [](CPrevFileDlg& d, TempFolder&) { d.OnFolderChange(); }, true, ""},
    };
    for (const Case& c : cases) {
        CPrevFileDlg::previewEnabled = true;
        dialog->PreviewCheck().setChecked(true);
        dialog->OnFolderChange();
        QTimer::singleShot(0, dialog.get(), [this, &c] { c.during(*dialog, *folder); });
        dialog->OnFileNameChange(QString::fromStdString(folder->File("small.png")));
        EXPECT_EQ(BoxEmpty(), c.expectEmpty) << c.name;
        EXPECT_EQ(SizeText(), c.expectText) << c.name;
    }
}

TEST_F(Preview, SelectingInTheFileListShowsThePreview)
{
    // A click on the file in the dialog's own list reaches the preview.
    auto* list = dialog->findChild<QListView*>("listView");
    ASSERT_NE(list, nullptr);
    QModelIndex item;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        for (int row = 0; row < list->model()->rowCount(list->rootIndex()); ++row) {
            const QModelIndex index = list->model()->index(row, 0, list->rootIndex());
            if (index.data().toString() == "small.png") item = index;
        }
        return item.isValid();
    }, 5000));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(item).center());
    EXPECT_TRUE(QTest::qWaitFor([this] { return SizeText() == "20 x 10\nPixels"; }, 5000)) << SizeText().toStdString();
}
