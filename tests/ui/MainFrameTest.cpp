#include "ui/MainFrame.h"

#include "document/VantorelDoc.h"
#include "platform/QtProfileStore.h"
#include "ui/CommandIds.h"
#include "ui/CustomizeDialog.h"
#include "ui/RecentFileList.h"
#include "ui/ToolbarImages.h"
#include "ui/VantorelView.h"

#include "../support/QtTestProfile.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDockWidget>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

#include <optional>

namespace {

// A frame over a fresh temporary profile, with the entries a test puts there first.
class FrameTest : public testing::Test {
protected:
    TempProfile tempProfile;
    QtProfileStore profile;
};

std::vector<int> ToolBarCommands(const QToolBar* bar)
{
    std::vector<int> ids;
    for (const QAction* action : bar->actions()) ids.push_back(action->isSeparator() ? 0 : action->data().toInt());
    return ids;
}

// ----- placement ---------------------------------------------------------------------------------

struct PlacementCase {
    const char* name;
    std::optional<int> status, top, left, bottom, right;   // absent: not in the profile
    Qt::WindowStates wantState;
    int wantLeft;                                           // -1: not checked; -2: screen width - icon
};

const PlacementCase kPlacementCases[] = {
    {"first_start_maximised", {}, {}, {}, {}, {}, Qt::WindowMaximized, -1},
    {"partial_values_maximised", 1, 10, {}, 400, 500, Qt::WindowMaximized, -1},
    {"normal_where_it_was", 1, 20, 30, 420, 630, Qt::WindowNoState, 30},
    {"left_beyond_screen_pulled_back", 1, 20, 5000, 420, 5600, Qt::WindowNoState, -2},
    {"minimised_reopens_minimised", 2, 20, 30, 420, 630, Qt::WindowMinimized, 30},
    {"maximised_reopens_maximised", 3, 20, 30, 420, 630, Qt::WindowMaximized, -1},
    {"hidden_status_opens_normal", 0, 20, 30, 420, 630, Qt::WindowNoState, 30},
};

class FramePlacement : public FrameTest, public testing::WithParamInterface<PlacementCase> {};

TEST_P(FramePlacement, RestoredFromTheFrameSection)
{
    const PlacementCase& c = GetParam();
    const std::pair<const char*, std::optional<int>> entries[] = {
        {"Frame/Status", c.status}, {"Frame/Top", c.top}, {"Frame/Left", c.left}, {"Frame/Bottom", c.bottom}, {"Frame/Right", c.right}};
    for (const auto& [key, value] : entries) {
        if (value) TempProfile::SetValue(QString::fromLatin1(key), *value);
    }

    CMainFrame frame(profile);
    frame.ShowWindow();
    EXPECT_EQ(frame.windowState(), c.wantState);
    EXPECT_TRUE(frame.isVisible());
    const int screenWidth = QGuiApplication::primaryScreen()->geometry().width();
    if (c.wantLeft == -1) return;
    EXPECT_EQ(frame.normalGeometry().left(), c.wantLeft == -2 ? screenWidth - 32 : c.wantLeft);
    EXPECT_EQ(frame.normalGeometry().width(), *c.right - *c.left);
}

INSTANTIATE_TEST_SUITE_P(Frame, FramePlacement, testing::ValuesIn(kPlacementCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FrameTest, CloseWritesShowCommandAndNormalRectangle)
{
    {
        CMainFrame frame(profile);
        frame.setGeometry(40, 50, 500, 300);
        frame.ShowWindow();   // first start: maximised, over the normal rectangle just set
        frame.close();
    }
    EXPECT_EQ(TempProfile::Value("Frame/Status").toInt(), 3);
    EXPECT_EQ(TempProfile::Value("Frame/Left").toInt(), 40);
    EXPECT_EQ(TempProfile::Value("Frame/Top").toInt(), 50);
    EXPECT_EQ(TempProfile::Value("Frame/Right").toInt(), 540);
    EXPECT_EQ(TempProfile::Value("Frame/Bottom").toInt(), 350);
    EXPECT_TRUE(TempProfile::Value("NormalLayout/State").isValid());
    EXPECT_EQ(TempProfile::Value("CommandBars/Visible").toString(), "Standard");

    {
        CMainFrame frame(profile);
        frame.ShowWindow();
        frame.showMinimized();
        frame.close();
    }
    EXPECT_EQ(TempProfile::Value("Frame/Status").toInt(), 2);
    CMainFrame reopened(profile);
    reopened.ShowWindow();
    EXPECT_TRUE(reopened.isMinimized());
    EXPECT_EQ(reopened.normalGeometry(), QRect(40, 50, 500, 300));
}

// ----- bars, panes, commands ---------------------------------------------------------------------

TEST_F(FrameTest, ToolBarsHoldTheirButtonsInOrderAndCropStartsHidden)
{
    CMainFrame frame(profile);
    frame.ShowWindow();
    using namespace cmd;
    EXPECT_EQ(ToolBarCommands(frame.ToolBar(toolbar::kStandard)),
              (std::vector<int>{kFileOpen, kFileSave, 0, kPrevImage, kNextImage, 0, kEditPaste, 0, kAppAbout, 0, kRotateCcw, kRotateCw}));
    EXPECT_EQ(ToolBarCommands(frame.ToolBar(toolbar::kCrop)), (std::vector<int>{kApplyCrop, 0, kShowGrid, 0, kZoomIn, kZoomOut}));
    EXPECT_TRUE(frame.ToolBar(toolbar::kStandard)->isVisible());
    EXPECT_FALSE(frame.ToolBar(toolbar::kCrop)->isVisible());
    for (const int id : {toolbar::kStandard, toolbar::kCrop}) {
        EXPECT_EQ(frame.toolBarArea(frame.ToolBar(id)), Qt::TopToolBarArea);
        EXPECT_FALSE(frame.toolBarBreak(frame.ToolBar(id)));
        for (QAction* button : frame.ToolBar(id)->actions())
            EXPECT_TRUE(button->isSeparator() || !button->icon().isNull()) << button->text().toStdString();
    }

    // The View menu's toolbar list brings "Crop" back.
    frame.ToolBar(toolbar::kCrop)->toggleViewAction()->trigger();
    EXPECT_TRUE(frame.ToolBar(toolbar::kCrop)->isVisible());
}

TEST_F(FrameTest, CommandsWithoutHandlerStayDisabled)
{
    CMainFrame frame(profile);
    frame.ShowWindow();
    using namespace cmd;
    // Without a document the picture commands (turns, zoom, Copy) are disabled too.
    for (const int id : {kApplyCrop, kRotateCcw, kRotateCw, kZoomIn, kZoomOut, kZoomFit, kZoomActualSize, kEditCopy,
                         kEditUndo, kEditCut, kNextPane, kPrevPane, kFileNew, kFileOpen, kAppExit, kAppAbout}) {
        EXPECT_FALSE(frame.Action(id)->isEnabled()) << id;
        EXPECT_FALSE(frame.RunCommand(id)) << id;
    }
    for (const int id : {kShowMainTools, kShowStretchSettings, kShowFileSettings, kCustomize, kShowGrid})
        EXPECT_TRUE(frame.Action(id)->isEnabled()) << id;

    // Registering a handler enables the command; its state function keeps deciding.
    int runs = 0;
    bool allowed = false;
    frame.SetCommandHandler(kAppAbout, [&] { ++runs; }, [&] { return allowed; });
    EXPECT_FALSE(frame.RunCommand(kAppAbout));
    allowed = true;
    frame.UpdateCommandStates();
    EXPECT_TRUE(frame.RunCommand(kAppAbout));
    EXPECT_EQ(runs, 1);
}

TEST_F(FrameTest, DocumentCommandsFollowTheDocument)
{
    CMainFrame frame(profile);
    frame.ShowWindow();
    using namespace cmd;
    for (const int id : {kFileSave, kFileSaveAs, kFileReload, kNextImage, kPrevImage}) EXPECT_FALSE(frame.Action(id)->isEnabled()) << id;

    CVantorelDoc document;
    frame.SetDocument(&document);
    frame.UpdateCommandStates();
    for (const int id : {kFileSave, kFileSaveAs, kFileReload}) EXPECT_TRUE(frame.Action(id)->isEnabled()) << id;
    for (const int id : {kNextImage, kPrevImage}) EXPECT_FALSE(frame.Action(id)->isEnabled()) << id;
    EXPECT_EQ(frame.windowTitle(), "Untitled - Calvenor");

    document.SetPathName("/pictures/a.jpg", false);
    frame.UpdateCommandStates();
    for (const int id : {kNextImage, kPrevImage}) EXPECT_TRUE(frame.Action(id)->isEnabled()) << id;
    EXPECT_EQ(frame.windowTitle(), "a.jpg - Calvenor");

    frame.SetDocument(nullptr);
    frame.UpdateCommandStates();
    EXPECT_FALSE(frame.Action(kFileSave)->isEnabled());
}

TEST_F(FrameTest, GridCommandTogglesItsCheckMark)
{
    CMainFrame frame(profile);
    frame.ShowWindow();
    EXPECT_FALSE(frame.Action(cmd::kShowGrid)->isChecked());
    EXPECT_TRUE(frame.RunCommand(cmd::kShowGrid));
    EXPECT_TRUE(frame.Action(cmd::kShowGrid)->isChecked());
    EXPECT_TRUE(frame.RunCommand(cmd::kShowGrid));
    EXPECT_FALSE(frame.Action(cmd::kShowGrid)->isChecked());
}

// A shown frame presenting a document that reads its settings from `profile`, as at start-up.
struct FrameWithDocument {
    explicit FrameWithDocument(CProfileStore& profile) : frame(profile)
    {
        frame.ShowWindow();
        document.SetProfile(&profile, SaveSettings{});
        frame.SetDocument(&document);
        frame.UpdateCommandStates();
    }
    ~FrameWithDocument() { frame.SetDocument(nullptr); }
    CVantorelDoc document;
    CMainFrame frame;
};

TEST_F(FrameTest, KeepMetadataTogglesTheDocumentAndTheProfile)
{
    {
        FrameWithDocument first(profile);
        QAction* item = first.frame.Action(cmd::kKeepMetadata);
        ASSERT_NE(item, nullptr);
        const QList<QAction*> fileItems = first.frame.menuBar()->actions().value(0)->menu()->actions();
        EXPECT_TRUE(fileItems.contains(item)) << "in the File menu";
        EXPECT_TRUE(item->isCheckable());
        EXPECT_TRUE(item->isChecked()) << "on at first";

        item->trigger();   // as a click on the menu item
        EXPECT_FALSE(first.document.KeepMetadata());
        EXPECT_FALSE(item->isChecked());
        EXPECT_EQ(TempProfile::Value(QStringLiteral("Settings/keepmetadata")).toInt(), 0);
    }
    FrameWithDocument next(profile);
    EXPECT_FALSE(next.document.KeepMetadata());
    EXPECT_FALSE(next.frame.Action(cmd::kKeepMetadata)->isChecked());
    EXPECT_TRUE(next.frame.RunCommand(cmd::kKeepMetadata));
    EXPECT_TRUE(next.document.KeepMetadata());
    EXPECT_TRUE(next.frame.Action(cmd::kKeepMetadata)->isChecked());
    EXPECT_EQ(TempProfile::Value(QStringLiteral("Settings/keepmetadata")).toInt(), 1);
    next.frame.SetDocument(nullptr);
    next.frame.UpdateCommandStates();
    EXPECT_FALSE(next.frame.Action(cmd::kKeepMetadata)->isEnabled()) << "nothing to save without a document";
}

TEST_F(FrameTest, AcceleratorsReachTheirCommands)
{
    CMainFrame frame(profile);
    std::map<int, int> runs;
    const struct {
        int id;
        QKeyCombination keys;
    } kAccelerators[] = {
        {cmd::kFileNew, Qt::CTRL | Qt::Key_N},          {cmd::kFileOpen, Qt::CTRL | Qt::Key_O},
        {cmd::kFileSave, Qt::CTRL | Qt::Key_S},         {cmd::kEditUndo, Qt::ALT | Qt::Key_Backspace},
        {cmd::kEditCut, Qt::SHIFT | Qt::Key_Delete},    {cmd::kEditCopy, Qt::CTRL | Qt::Key_Insert},
        {cmd::kEditPaste, Qt::SHIFT | Qt::Key_Insert},  {cmd::kNextPane, Qt::Key_F6},
        {cmd::kZoomIn, Qt::CTRL | Qt::Key_Equal},       {cmd::kZoomOut, Qt::CTRL | Qt::Key_Minus},
        {cmd::kZoomFit, Qt::CTRL | Qt::Key_0},          {cmd::kZoomActualSize, Qt::CTRL | Qt::Key_1},
    };
    for (const auto& accelerator : kAccelerators)
        frame.SetCommandHandler(accelerator.id, [&runs, id = accelerator.id] { ++runs[id]; });
    frame.SetCommandHandler(cmd::kEditPaste, [&runs] { ++runs[cmd::kEditPaste]; });
    frame.ShowWindow();
    frame.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    for (const auto& accelerator : kAccelerators) {
        QTest::keyClick(&frame, accelerator.keys.key(), accelerator.keys.keyboardModifiers());
        EXPECT_EQ(runs[accelerator.id], 1) << QKeySequence(accelerator.keys).toString().toStdString();
    }
}

TEST_F(FrameTest, StatusBarHasMessagePaneAndLockIndicators)
{
    CMainFrame frame(profile);
    frame.ShowWindow();
    QStringList texts;
    for (const QLabel* label : frame.statusBar()->findChildren<QLabel*>()) texts.append(label->text());
    EXPECT_EQ(texts, (QStringList{"Ready", "Zoom 100%", "CAP", "NUM", "SCRL"}));
    EXPECT_GE(frame.statusBar()->height(), 20);
    EXPECT_EQ(frame.Action(cmd::kNextImage)->statusTip(), "Load Next Image in Folder");
    EXPECT_EQ(frame.Action(cmd::kNextImage)->toolTip(), "Load next Image");
    EXPECT_EQ(frame.Action(cmd::kZoomOut)->toolTip(), "Zoom out");
}

struct PaneCase {
    const char* name;
    int paneId;
    const char* title;
    Qt::DockWidgetArea area;
    int showCommand;
    bool hasIcon;
};

const PaneCase kPaneCases[] = {
    {"aspect", pane::kAspectSettings, "Aspect Settings", Qt::RightDockWidgetArea, cmd::kShowMainTools, true},
    {"stretch", pane::kStretchSettings, "Stretch Settings", Qt::RightDockWidgetArea, cmd::kShowStretchSettings, false},
    {"file", pane::kFileProperties, "File Properties", Qt::LeftDockWidgetArea, cmd::kShowFileSettings, true},
};

class FramePane : public FrameTest, public testing::WithParamInterface<PaneCase> {};

TEST_P(FramePane, PanelCreatedOnFirstShowAndReusedAfterClose)
{
    const PaneCase& c = GetParam();
    CMainFrame frame(profile);
    QDockWidget* dock = frame.Pane(c.paneId);
    CPanelDialog* panel = frame.Panel(c.paneId);
    EXPECT_EQ(dock->windowTitle(), c.title);
    EXPECT_EQ(frame.dockWidgetArea(dock), c.area);
    EXPECT_EQ(dock->testAttribute(Qt::WA_SetWindowIcon), c.hasIcon);   // else it shows the window's own
    EXPECT_FALSE(panel->IsCreated());   // nothing is built before the window shows

    frame.ShowWindow();
    ASSERT_TRUE(panel->IsCreated());
    QWidget* content = dock->widget();
    ASSERT_NE(content, nullptr);
    EXPECT_TRUE(content->isAncestorOf(panel));
    EXPECT_TRUE(panel->isVisible());

    dock->close();
    EXPECT_FALSE(dock->isVisible());
    EXPECT_TRUE(frame.RunCommand(c.showCommand));
    EXPECT_TRUE(dock->isVisible());
    EXPECT_EQ(dock->widget(), content);
    EXPECT_TRUE(content->isAncestorOf(panel));
    EXPECT_TRUE(panel->isVisible());
}

INSTANTIATE_TEST_SUITE_P(Frame, FramePane, testing::ValuesIn(kPaneCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FrameTest, StretchPaneSitsBelowAspectPane)
{
    CMainFrame frame(profile);
    frame.setGeometry(0, 0, 1000, 700);
    frame.setWindowState(Qt::WindowNoState);
    frame.show();
    const QRect aspect = frame.Pane(pane::kAspectSettings)->geometry();
    const QRect stretch = frame.Pane(pane::kStretchSettings)->geometry();
    EXPECT_EQ(aspect.left(), stretch.left());
    EXPECT_LT(aspect.bottom(), stretch.top());
    EXPECT_LT(frame.Pane(pane::kFileProperties)->geometry().right(), frame.View()->geometry().left());
    EXPECT_LT(frame.View()->geometry().right(), aspect.left());
    // Initial sizes: 200 wide on the right, 240 on the left; the right column split about 130 : 200.
    EXPECT_NEAR(aspect.width(), 200, 4);
    EXPECT_NEAR(frame.Pane(pane::kFileProperties)->width(), 240, 4);
    EXPECT_NEAR(static_cast<double>(aspect.height()) / stretch.height(), 130.0 / 200.0, 0.1);
}

TEST_F(FrameTest, RecentFilesAppearInTheFileMenu)
{
    CMainFrame frame(profile);
    CRecentFileList recent(4);
    frame.SetRecentFileList(&recent);
    frame.UpdateCommandStates();
    for (int i = 0; i < 4; ++i) EXPECT_FALSE(frame.Action(cmd::kFileMruFirst + i)->isVisible());

    recent.AddRecentFile("/p/one.jpg");
    recent.AddRecentFile("/p/R&D.png");
    frame.UpdateCommandStates();
    EXPECT_EQ(frame.Action(cmd::kFileMruFirst)->text(), "&1 /p/R&&D.png");
    EXPECT_EQ(frame.Action(cmd::kFileMruFirst + 1)->text(), "&2 /p/one.jpg");
    EXPECT_TRUE(frame.Action(cmd::kFileMruFirst + 1)->isVisible());
    EXPECT_FALSE(frame.Action(cmd::kFileMruFirst + 2)->isVisible());
}

// ----- recent-file list --------------------------------------------------------------------------

TEST(RecentFileList, HoldsFourNewestFirstAndRoundTripsThroughTheProfile)
{
    TempProfile tempProfile;
    QtProfileStore profile;
    CRecentFileList recent(4);
    for (const char* path : {"/a.jpg", "/b.jpg", "/c.jpg", "/d.jpg", "/e.jpg"}) recent.AddRecentFile(path);
    EXPECT_EQ(recent.Paths(), (std::vector<std::string>{"/e.jpg", "/d.jpg", "/c.jpg", "/b.jpg"}));
    recent.AddRecentFile("/c.jpg");   // already listed: moves up, nothing falls off
    EXPECT_EQ(recent.Paths(), (std::vector<std::string>{"/c.jpg", "/e.jpg", "/d.jpg", "/b.jpg"}));
    recent.AddRecentFile(recent.Paths()[2]);   // an entry of the list itself
    EXPECT_EQ(recent.Paths(), (std::vector<std::string>{"/d.jpg", "/c.jpg", "/e.jpg", "/b.jpg"}));

    recent.Remove(1);
    recent.WriteList(profile);
    EXPECT_EQ(TempProfile::Value("Recent File List/File1").toString(), "/d.jpg");
    EXPECT_EQ(TempProfile::Value("Recent File List/File4").toString(), "");

    CRecentFileList reread(4);
    reread.ReadList(profile);
    EXPECT_EQ(reread.Paths(), (std::vector<std::string>{"/d.jpg", "/e.jpg", "/b.jpg"}));
}

// ----- toolbar images ----------------------------------------------------------------------------

TEST(ToolbarImages, StandardColoursRecolouredThroughTheTable)
{
    const struct {
        QRgb drawn, shown;
    } kColours[] = {
        {qRgb(0, 128, 0), qRgb(0, 151, 94)},        {qRgb(255, 0, 0), qRgb(172, 83, 164)},
        {qRgb(128, 0, 0), qRgb(123, 1, 126)},       {qRgb(0, 0, 255), qRgb(58, 123, 252)},
        {qRgb(0, 0, 128), qRgb(1, 81, 205)},        {qRgb(128, 128, 128), qRgb(100, 100, 100)},
        {qRgb(128, 128, 0), qRgb(8, 167, 228)},     {qRgb(192, 192, 192), qRgb(205, 198, 187)},
        {qRgb(255, 255, 0), qRgb(33, 218, 255)},    {qRgb(0, 255, 0), qRgb(56, 218, 255)},
        {qRgb(0, 0, 0), qRgb(0, 0, 0)},             {qRgb(255, 255, 255), qRgb(255, 255, 255)},
        {qRgba(0, 0, 0, 0), qRgba(0, 0, 0, 0)},      // the transparent colour
    };
    QImage image(std::size(kColours) + 4, 1, QImage::Format_Indexed8);
    QList<QRgb> table;
    for (const auto& colour : kColours) table.append(colour.drawn);
    // Entries beyond the first 16 keep their colour, standard or not.
    while (table.size() < 17) table.append(qRgb(1, 2, 3));
    table.append(qRgb(255, 0, 0));
    image.setColorTable(table);
    RemapToolbarColours(image);
    for (std::size_t i = 0; i < std::size(kColours); ++i) EXPECT_EQ(image.color(i), kColours[i].shown) << i;
    EXPECT_EQ(image.color(17), qRgb(255, 0, 0));
}

TEST(ToolbarImages, ResourceStripsSplitIntoButtons)
{
    TestApplication();
    CMainFrame::staticMetaObject.className();   // the frame's library brings the resources
    TempProfile tempProfile;
    QtProfileStore profile;
    CMainFrame frame(profile);
    EXPECT_EQ(LoadToolbarIcons(":/toolbars/standard.xpm", 16).size(), 8u);
    EXPECT_EQ(LoadToolbarIcons(":/toolbars/crop.xpm", 16).size(), 4u);
    EXPECT_EQ(LoadPaneIcons(":/toolbars/panes.xpm").size(), 2u);
    EXPECT_TRUE(LoadToolbarIcons(":/toolbars/missing.xpm", 16).empty());

    // The drawing's yellow shows as the look's light blue.
    const QImage open = LoadToolbarIcons(":/toolbars/standard.xpm", 16)[0].pixmap(16, 15).toImage();
    bool sawRecoloured = false, sawYellow = false;
    for (int y = 0; y < open.height(); ++y)
        for (int x = 0; x < open.width(); ++x) {
            sawRecoloured |= open.pixel(x, y) == qRgb(33, 218, 255);
            sawYellow |= open.pixel(x, y) == qRgb(255, 255, 0);
        }
    EXPECT_TRUE(sawRecoloured);
    EXPECT_FALSE(sawYellow);
}

// ----- customize ---------------------------------------------------------------------------------

TEST_F(FrameTest, CustomizeListsCategoriesAndChangesToolBars)
{
    CMainFrame frame(profile);
    frame.ShowWindow();
    QList<QToolBar*> bars{frame.ToolBar(toolbar::kStandard), frame.ToolBar(toolbar::kCrop)};
    CCustomizeDialog dialog(frame.menuBar(), bars, &frame);
    EXPECT_EQ(dialog.Categories(), (QStringList{"File", "Edit", "View", "Help", "All Commands", "Built-in Menus", "New Menu"}));
    EXPECT_TRUE(dialog.CategoryCommands(4).contains(frame.Action(cmd::kZoomIn)));   // toolbar-only commands too
    EXPECT_EQ(dialog.CategoryCommands(5).size(), 4);                                // the four menus

    // The "Toolbars" page shows and hides the bars.
    auto* toolbarList = dialog.findChild<QListWidget*>();
    ASSERT_NE(toolbarList, nullptr);
    toolbarList->item(1)->setCheckState(Qt::Checked);
    EXPECT_TRUE(frame.ToolBar(toolbar::kCrop)->isVisible());
    toolbarList->item(0)->setCheckState(Qt::Unchecked);
    EXPECT_FALSE(frame.ToolBar(toolbar::kStandard)->isVisible());

    QToolBar* crop = frame.ToolBar(toolbar::kCrop);
    const int before = crop->actions().size();
    dialog.AddToToolBar(crop, frame.Action(cmd::kShowMainTools));
    dialog.AddToToolBar(crop, dialog.CategoryCommands(6).first());
    ASSERT_EQ(crop->actions().size(), before + 2);
    EXPECT_EQ(crop->actions()[before], frame.Action(cmd::kShowMainTools));
    ASSERT_NE(crop->actions().last()->menu(), nullptr);
    EXPECT_EQ(crop->actions().last()->text(), "New Menu");
}

}  // namespace

// ----- picture commands: zoom, turns, Copy and Paste ----------------------------------------------

namespace {

// A document whose source and output are a small picture with a colour per pixel.
void LoadSmallPicture(CVantorelDoc& document, std::uint32_t width, std::uint32_t height)
{
    ASSERT_TRUE(document.PasteImage(width, height, [&](std::uint8_t* rows) {
        for (std::uint32_t i = 0; i < width * height * 3; ++i) rows[i] = static_cast<std::uint8_t>(i * 7);
        return true;
    }));
}

}  // namespace

TEST_F(FrameTest, PictureCommandsNeedAPictureAndZoomShowsInTheStatusBar)
{
    CMainFrame frame(profile);
    frame.ShowWindow();
    CVantorelDoc document;
    frame.SetDocument(&document);
    frame.UpdateCommandStates();
    using namespace cmd;
    const int pictureCommands[] = {kRotateCcw, kRotateCw, kZoomIn, kZoomOut, kZoomFit, kZoomActualSize, kEditCopy};
    for (const int id : pictureCommands) EXPECT_FALSE(frame.Action(id)->isEnabled()) << id;

    LoadSmallPicture(document, 64, 48);
    frame.UpdateCommandStates();
    for (const int id : pictureCommands) EXPECT_TRUE(frame.Action(id)->isEnabled()) << id;
    const QLabel* zoom = frame.statusBar()->findChild<QLabel*>(QStringLiteral("Zoom"));
    ASSERT_NE(zoom, nullptr);
    EXPECT_TRUE(frame.RunCommand(kZoomIn));
    EXPECT_EQ(zoom->text().toStdString(), "Zoom 200%");
    for (int step = 0; step < 6; ++step) frame.RunCommand(kZoomOut);
    EXPECT_EQ(zoom->text().toStdString(), "Zoom 6.25%");
    EXPECT_FALSE(frame.Action(kZoomOut)->isEnabled()) << "1/16 is the last step";
    EXPECT_TRUE(frame.RunCommand(kZoomActualSize));
    EXPECT_EQ(zoom->text().toStdString(), "Zoom 100%");

    // The turn commands turn the source and convert it again.
    EXPECT_TRUE(frame.RunCommand(kRotateCw));
    EXPECT_EQ(document.conversion.source.width, 48u);
    EXPECT_TRUE(frame.RunCommand(kRotateCcw));
    EXPECT_EQ(document.conversion.source.width, 64u);
    frame.SetDocument(nullptr);
}

TEST_F(FrameTest, CopyThenPasteMakesTheOutputTheNewSource)
{
    CMainFrame frame(profile);
    frame.ShowWindow();
    CVantorelDoc document;
    frame.SetDocument(&document);
    LoadSmallPicture(document, 64, 48);
    document.SetPathName("/pictures/a.jpg", false);
    const CRasterImage& output = document.conversion.output;
    const std::vector<std::uint8_t> copied(output.Pixels(), output.Pixels() + std::size_t{output.width} * output.height * 3);
    const QSize copiedSize(static_cast<int>(output.width), static_cast<int>(output.height));

    // Paste is offered exactly while the clipboard holds a picture.
    QGuiApplication::clipboard()->setText(QStringLiteral("words"));
    QApplication::processEvents();
    EXPECT_FALSE(frame.Action(cmd::kEditPaste)->isEnabled());
    EXPECT_TRUE(frame.RunCommand(cmd::kEditCopy));
    QApplication::processEvents();
    EXPECT_TRUE(frame.Action(cmd::kEditPaste)->isEnabled());
    EXPECT_EQ(QGuiApplication::clipboard()->image().size(), copiedSize);

    EXPECT_TRUE(frame.RunCommand(cmd::kEditPaste));
    const CRasterImage& source = document.conversion.source;
    ASSERT_EQ(QSize(static_cast<int>(source.width), static_cast<int>(source.height)), copiedSize);
    EXPECT_TRUE(std::equal(copied.begin(), copied.end(), source.Pixels()));
    EXPECT_EQ(document.PathName(), "");
    EXPECT_EQ(frame.windowTitle(), "Pasted - Calvenor");
    frame.SetDocument(nullptr);
}
