#include "app/VantorelApp.h"

#include "image/RasterImage.h"
#include "ui/CommandIds.h"
#include "ui/MainFrame.h"

#include "../support/QtTestProfile.h"
#include "../support/RecordingPrompt.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QLabel>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// A small picture file in `folder`; its path.
std::string WritePicture(const TempFolder& folder, const std::string& name)
{
    CRasterImage picture;
    picture.Create(8, 6, 24);
    const std::string path = folder.File(name);
    EXPECT_EQ(picture.Save(path.c_str()), 0) << path;
    return path;
}

class AppTest : public testing::Test {
protected:
    TempProfile tempProfile;
    TempFolder pictures;
    RecordingPrompt prompt;
};

TEST_F(AppTest, EmptyProfileStartsWithDefaultsAndWritesThemAtExit)
{
    EXPECT_FALSE(TempProfile::Value("Settings/savetype").isValid());
    CVantorelApp app(&prompt);
    ASSERT_TRUE(app.InitInstance({}));
    EXPECT_EQ(app.saveType, 0);
    EXPECT_EQ(app.savePath, "");
    EXPECT_EQ(app.Document().Title(), "Untitled");
    EXPECT_EQ(app.MainFrame()->windowTitle(), "Untitled - Calvenor");
    EXPECT_TRUE(app.MainFrame()->isVisible());
    EXPECT_EQ(app.ExitInstance(7), 7);
    EXPECT_EQ(TempProfile::Value("Settings/savetype").toString(), "0");
    EXPECT_TRUE(TempProfile::Value("Settings/savepath").isValid());
    EXPECT_EQ(TempProfile::Value("Settings/savepath").toString(), "");
    EXPECT_TRUE(prompt.messages.empty());
}

TEST_F(AppTest, SaveSettingsReadAtStartAndWrittenBack)
{
    TempProfile::SetValue("Settings/savetype", 1);
    TempProfile::SetValue("Settings/savepath", "/out");
    CVantorelApp app(&prompt);
    ASSERT_TRUE(app.InitInstance({}));
    EXPECT_EQ(app.saveType, 1);
    EXPECT_EQ(app.savePath, "/out");
    app.savePath = "/elsewhere";
    app.ExitInstance();
    EXPECT_EQ(TempProfile::Value("Settings/savepath").toString(), "/elsewhere");
}

TEST_F(AppTest, CommandLineFileIsOpenedAndListed)
{
    const std::string path = WritePicture(pictures, "shot.bmp");
    CVantorelApp app(&prompt);
    ASSERT_TRUE(app.InitInstance({QString::fromStdString(path)}));
    EXPECT_EQ(app.Document().PathName(), path);
    EXPECT_TRUE(app.Document().conversion.output.HasPixels());
    EXPECT_EQ(app.MainFrame()->windowTitle(), "shot.bmp - Calvenor");
    EXPECT_TRUE(app.MainFrame()->Action(cmd::kNextImage)->isEnabled());
    app.ExitInstance();
    EXPECT_EQ(TempProfile::Value("Recent File List/File1").toString().toStdString(), path);
}

struct UnreadableCase {
    const char* name;
    const char* file;
    const char* content;   // null: no file at all
    const char* reason;    // part of the message
};

const UnreadableCase kUnreadableCases[] = {
    {"missing", "missing.jpg", nullptr, "could not be opened"},
    {"not_a_picture", "notes.txt", "just some words, not a picture", "not a picture"},
};

class AppUnreadableFile : public AppTest, public testing::WithParamInterface<UnreadableCase> {};

TEST_P(AppUnreadableFile, NamesFileAndReasonAndEndsWithStatusOne)
{
    const UnreadableCase& c = GetParam();
    const std::string path = c.content != nullptr ? pictures.Write(c.file, c.content) : pictures.File(c.file);
    CVantorelApp app(&prompt);
    EXPECT_EQ(RunVantorelApp(app, {QString::fromStdString(path)}), 1);
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_NE(prompt.messages[0].find(path), std::string::npos) << prompt.messages[0];
    EXPECT_NE(prompt.messages[0].find(c.reason), std::string::npos) << prompt.messages[0];
    EXPECT_FALSE(app.MainFrame()->isVisible());
    // The exit still writes the save settings.
    EXPECT_TRUE(TempProfile::Value("Settings/savetype").isValid());
}

INSTANTIATE_TEST_SUITE_P(App, AppUnreadableFile, testing::ValuesIn(kUnreadableCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(AppTest, RecentListKeepsFourAndOpensFromTheMenu)
{
    std::vector<std::string> paths;
    for (const char* name : {"a.bmp", "b.bmp", "c.bmp", "d.bmp", "e.bmp"}) paths.push_back(WritePicture(pictures, name));
    {
        CVantorelApp app(&prompt);
        ASSERT_TRUE(app.InitInstance({}));
        for (const std::string& path : paths) ASSERT_TRUE(app.OpenDocumentFile(path));
        EXPECT_EQ(app.RecentFiles().Paths(), (std::vector<std::string>{paths[4], paths[3], paths[2], paths[1]}));
        app.ExitInstance();
    }
    EXPECT_EQ(TempProfile::Value("Recent File List/File4").toString().toStdString(), paths[1]);

    CVantorelApp app(&prompt);
    ASSERT_TRUE(app.InitInstance({}));
    EXPECT_EQ(app.RecentFiles().Paths(), (std::vector<std::string>{paths[4], paths[3], paths[2], paths[1]}));
    QAction* third = app.MainFrame()->Action(cmd::kFileMruFirst + 2);
    EXPECT_TRUE(third->isVisible());
    EXPECT_TRUE(third->isEnabled());
    third->trigger();
    EXPECT_EQ(app.Document().PathName(), paths[2]);
    EXPECT_EQ(app.RecentFiles().Paths().front(), paths[2]);

    // An entry that can no longer be read leaves the list; the document keeps its file.
    std::filesystem::remove(paths[1]);
    app.MainFrame()->Action(cmd::kFileMruFirst + 3)->trigger();
    EXPECT_EQ(app.RecentFiles().Paths().size(), 3u);
    EXPECT_EQ(app.Document().PathName(), paths[2]);
    app.ExitInstance();
}

TEST_F(AppTest, FileNewEmptiesThePathOnly)
{
    const std::string path = WritePicture(pictures, "shot.bmp");
    CVantorelApp app(&prompt);
    ASSERT_TRUE(app.InitInstance({QString::fromStdString(path)}));
    EXPECT_TRUE(app.MainFrame()->RunCommand(cmd::kFileNew));
    EXPECT_EQ(app.Document().PathName(), "");
    EXPECT_EQ(app.MainFrame()->windowTitle(), "Untitled - Calvenor");
    EXPECT_TRUE(app.Document().conversion.output.HasPixels());
    EXPECT_FALSE(app.MainFrame()->Action(cmd::kNextImage)->isEnabled());
    app.ExitInstance();
}

TEST_F(AppTest, ExitClosesTheWindowAndSavesItsPlacement)
{
    CVantorelApp app(&prompt);
    ASSERT_TRUE(app.InitInstance({}));
    EXPECT_TRUE(app.MainFrame()->RunCommand(cmd::kAppExit));
    EXPECT_FALSE(app.MainFrame()->isVisible());
    EXPECT_EQ(TempProfile::Value("Frame/Status").toInt(), 3);
    app.ExitInstance();
}

TEST_F(AppTest, AboutBoxRunsModally)
{
    CVantorelApp app(&prompt);
    ASSERT_TRUE(app.InitInstance({}));
    QString title, text;
    QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        for (const QLabel* label : box->findChildren<QLabel*>()) text += label->text() + "\n";
        box->close();
    });
    EXPECT_TRUE(app.MainFrame()->RunCommand(cmd::kAppAbout));
    EXPECT_EQ(title, "About ");
    EXPECT_TRUE(text.contains("Calvenor 1.0")) << text.toStdString();
    app.ExitInstance();
}

}  // namespace

TEST_F(AppTest, FolderAndRecipeCommandsStandInTheMenusAndCopyGivesTheCommandLine)
{
    const std::string path = WritePicture(pictures, "shot.bmp");
    CVantorelApp app(&prompt);
    ASSERT_TRUE(app.InitInstance({QString::fromStdString(path)}));
    const auto menuTexts = [&](const QString& title) {
        QStringList texts;
        for (QAction* entry : app.MainFrame()->menuBar()->actions())
            if (entry->text() == title)
                for (QAction* item : entry->menu()->actions())
                    if (!item->isSeparator() && item->isEnabled()) texts.append(item->text());
        return texts;
    };
    for (const char* text : {"Convert &Folder...", "Save Settings as &Recipe...", "&Load Recipe..."})
        EXPECT_TRUE(menuTexts("&File").contains(text)) << text;
    EXPECT_TRUE(menuTexts("&Edit").contains("Copy as Command &Line"));

    app.Document().conversion.settings.sharpenOn = 1;
    app.Document().conversion.settings.sharpenAmount = 40;
    ASSERT_TRUE(app.MainFrame()->RunCommand(cmd::kCopyCommandLine));
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "lumatrine-cli convert --sharpen 40 " + path);
    app.ExitInstance();
}
