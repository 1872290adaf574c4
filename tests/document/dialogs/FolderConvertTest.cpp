#include "document/FolderConversion.h"
#include "document/NeighbourFiles.h"
#include "document/dialogs/ConversionSummaryDlg.h"
#include "document/dialogs/FolderConvertDlg.h"
#include "document/dialogs/FolderProgressWindow.h"

#include "DialogTestSupport.h"
#include "../../support/TempFolder.h"

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

void WritePicture(const std::string& path, std::uint32_t width, std::uint32_t height)
{
    CRasterImage picture;
    FillTestPicture(picture, width, height);
    ASSERT_EQ(picture.Save(path.c_str()), kImageOk) << path;
}

// Waits while a window that closes itself is open, then lets the answer return.
void WaitUntilClosed(QWidget& window)
{
    for (int i = 0; i < 3000 && window.isVisible(); ++i) QTest::qWait(10);
}

TEST(FolderConvertDialog, ConvertNeedsPicturesAndAnOutputFolder)
{
    TempFolder pictures, empty;
    WritePicture(pictures.File("a.png"), 8, 6);
    WritePicture(pictures.File("a_16x9.png"), 8, 6);
    struct Case {
        std::string pictureFolder, outputFolder, count;
        bool convert;
    };
    const Case cases[] = {
        {pictures.Path(), empty.Path(), "1 picture to convert.", true},
        {empty.Path(), empty.Path(), "0 pictures to convert.", false},
        {pictures.File("missing"), empty.Path(), "No such folder.", false},
        {pictures.Path(), empty.File("missing"), "1 picture to convert.", false},
        {pictures.Path(), "", "1 picture to convert.", false},
    };
    for (const Case& c : cases) {
        CFolderConvertDlg dialog(nullptr, QString(), QString());
        dialog.PictureFolderEdit().setText(QString::fromStdString(c.pictureFolder));
        dialog.OutputFolderEdit().setText(QString::fromStdString(c.outputFolder));
        EXPECT_EQ(dialog.CountText().text().toStdString(), c.count) << c.pictureFolder;
        EXPECT_EQ(dialog.ConvertButton().isEnabled(), c.convert) << c.pictureFolder << " -> " << c.outputFolder;
    }
}

// The whole command: the dialog, the one question about existing files, the progress window, the summary.
TEST(FolderConvertDialog, KeepingExistingFilesIsAskedOnceAndTheSummaryNamesEveryFailure)
{
    TempFolder pictures, output;
    WritePicture(pictures.File("a.png"), 64, 48);
    WritePicture(pictures.File("b.bmp"), 64, 48);
    WritePicture(pictures.File("c.png"), 64, 48);
    pictures.Write("broken.tga", "not a picture");
    output.Write("a_16x9.png", "precious");
    output.Write("c_16x9.png", "precious too");

    std::string count, question, progressTitle, counts, list;
    int questions = 0;
    AnswerNextModal([&](QWidget& modal) {
        ASSERT_TRUE(qobject_cast<CFolderConvertDlg*>(&modal)) << modal.metaObject()->className();
        auto& dialog = dynamic_cast<CFolderConvertDlg&>(modal);
        count = dialog.CountText().text().toStdString();
        dialog.OutputFolderEdit().setText(QString::fromStdString(output.Path()));
        AnswerNextModal([&](QWidget& box) {
            ++questions;
            ASSERT_TRUE(qobject_cast<QMessageBox*>(&box)) << box.metaObject()->className();
            question = dynamic_cast<QMessageBox&>(box).text().toStdString();
            AnswerNextModal([&](QWidget& progress) {
                progressTitle = progress.windowTitle().toStdString();
                WaitUntilClosed(progress);
                AnswerNextModal([&](QWidget& summary) {
                    ASSERT_TRUE(qobject_cast<CConversionSummaryDlg*>(&summary)) << summary.metaObject()->className();
                    auto& dialog = dynamic_cast<CConversionSummaryDlg&>(summary);
                    counts = dialog.CountsText().text().toStdString();
                    list = dialog.ListText().toPlainText().toStdString();
                    dialog.accept();
                });
            });
            for (QAbstractButton* button : dynamic_cast<QMessageBox&>(box).buttons())
                if (button->text() == "Keep Existing") button->click();
        });
        QTest::mouseClick(&dialog.ConvertButton(), Qt::LeftButton);
    });
    RunConvertFolderCommand(nullptr, ConversionSettings{}, JpegChoice{}, true, pictures.Path());

    EXPECT_EQ(count, "4 pictures to convert.");
    EXPECT_EQ(questions, 1);
    EXPECT_EQ(question, "2 of the 4 converted pictures already exist in " + output.Path() + ".");
    EXPECT_EQ(progressTitle, "Convert Folder");
    EXPECT_EQ(counts, "1 picture written, 3 failed.");
    EXPECT_NE(list.find("broken.tga: "), std::string::npos) << list;
    EXPECT_NE(list.find(output.File("c_16x9.png") + " exists"), std::string::npos) << list;
    EXPECT_NE(list.find(output.File("b_16x9.bmp")), std::string::npos) << list;
    EXPECT_EQ(ReadFileBytes(output.File("a_16x9.png")), "precious");
}

TEST(FolderProgressWindow, CancelStopsAfterTheFilesUnderWayAndKeepsThem)
{
    TempFolder pictures, output;
    for (int i = 0; i < 8; ++i) WritePicture(pictures.File("p" + std::to_string(i) + ".bmp"), 1200, 900);
    CFolderConversion conversion(PlanConversionJobs(ListFolderPictures(pictures.Path()), output.Path(), false),
                                 ConversionRunSettings{ConversionSettings{}, JpegChoice{}, false, 1});
    CFolderProgressWindow window(nullptr, conversion);
    std::string countText, cancelText;
    bool stayedOpen = false;
    AnswerNextModal([&](QWidget&) {
        countText = window.CountText().text().toStdString();
        QTest::keyClick(&window, Qt::Key_Escape);
        stayedOpen = window.isVisible();
        cancelText = window.CancelButton().text().toStdString();
        WaitUntilClosed(window);
    });
    window.Run();

    EXPECT_EQ(countText.substr(countText.find(" of ")), " of 8 pictures done");
    EXPECT_TRUE(stayedOpen) << "the window waits for the files under way";
    EXPECT_EQ(cancelText, "Stopping...");
    std::size_t written = 0;
    for (const ConversionJob& job : conversion.Jobs()) {
        ASSERT_NE(job.state, ConversionJob::State::kFailed) << job.failure;
        if (job.state != ConversionJob::State::kWritten) continue;
        ++written;
        CRasterImage image;
        EXPECT_EQ(image.Load(job.output.c_str()), kImageOk) << job.output;
    }
    EXPECT_LT(written, 8u);
    EXPECT_EQ(static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(output.Path()), {})), written);
}

}  // namespace
