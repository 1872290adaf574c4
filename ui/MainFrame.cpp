#include "ui/MainFrame.h"

#include "document/ProfileSettings.h"
#include "document/VantorelDoc.h"
#include "platform/ProfileStore.h"
#include "ui/ClipboardPicture.h"
#include "ui/CommandIds.h"
#include "ui/CustomizeDialog.h"
#include "ui/RecentFileList.h"
#include "ui/ToolbarImages.h"
#include "ui/VantorelView.h"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QDockWidget>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QHBoxLayout>
#include <QVBoxLayout>

// The pictures are compiled into this static library: they must be registered before first use, from
// outside any namespace.
static void InitResources() { Q_INIT_RESOURCE(lumatrine); }

namespace {

constexpr const char* kTitle = "Calvenor";
constexpr const char* kCommandBarsSection = "CommandBars";
constexpr const char* kLayoutSection = "NormalLayout";
constexpr int kNoValue = -1;
// Window show commands as the profile stores them.
constexpr int kShowNormal = 1;
constexpr int kShowMinimized = 2;
constexpr int kShowMaximized = 3;
// A restored window keeps at least an icon-sized corner on the screen.
constexpr int kIconSize = 32;
constexpr int kStatusBarMinHeight = 20;
constexpr QSize kButtonSize{16, 15};

// The dark look's colours.
constexpr QRgb kBarBackground = qRgb(19, 20, 23);
constexpr QRgb kBarEdge = qRgb(97, 104, 121);
constexpr QRgb kAccent = qRgb(124, 190, 255);
constexpr QRgb kBarText = qRgb(132, 137, 150);

QString Css(QRgb colour) { return QColor(colour).name(); }

// Menu bar, menus, toolbars, dock titles and the status bar in the dark look. Only these are styled:
// the panels and the view draw themselves.
QString DarkLookStyleSheet()
{
    return QStringLiteral(
               "QMenuBar { background: %1; color: %4; border-bottom: 1px solid %2; }"
               "QMenuBar::item { background: transparent; padding: 3px 8px; }"
               "QMenuBar::item:selected, QMenuBar::item:pressed { background: %2; color: %3; }"
               "QMenu { background: %1; color: %4; border: 1px solid %2; }"
               "QMenu::item { padding: 4px 24px 4px 24px; }"
               "QMenu::item:selected { background: %2; color: %3; }"
               "QMenu::item:disabled { color: #45484f; }"
               "QMenu::separator { height: 1px; background: %2; margin: 3px 6px; }"
               "QToolBar { background: %1; border: none; border-bottom: 1px solid %2; spacing: 2px; padding: 2px; }"
               "QToolBar::separator { background: %2; width: 1px; margin: 3px 4px; }"
               "QToolBar QToolButton { background: transparent; border: 1px solid transparent; padding: 2px; }"
               "QToolBar QToolButton:hover { background: %2; border: 1px solid %3; }"
               "QToolBar QToolButton:pressed, QToolBar QToolButton:checked { background: %3; }"
               "QWidget#paneTitle { background: %1; border-bottom: 1px solid %2; }"
               "QWidget#paneTitle QLabel { color: %3; }"
               "QWidget#paneTitle QToolButton { border: 1px solid transparent; }"
               "QWidget#paneTitle QToolButton:hover { background: %2; border: 1px solid %3; }"
               "QMainWindow { background: %1; }"
               "QMainWindow::separator { background: %1; width: 4px; height: 4px; }"
               "QMainWindow::separator:hover { background: %2; }"
               "QStatusBar { background: %1; color: %4; border-top: 1px solid %2; }"
               "QStatusBar::item { border: none; }"
               "QStatusBar QLabel { color: %4; padding: 0 4px; }"
               "QStatusBar QLabel[indicator=\"true\"] { border: 1px solid %2; min-width: 32px; }"
               "QStatusBar QLabel:disabled { color: #45484f; }")
        .arg(Css(kBarBackground), Css(kBarEdge), Css(kAccent), Css(kBarText));
}

// The one-pixel frame around each panel in its dock, in the bars' edge colour.
class PaneBorder : public QWidget {
public:
    explicit PaneBorder(QWidget* panel)
    {
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(1, 1, 1, 1);
        layout->addWidget(panel);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setPen(QColor(kBarEdge));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
};

// A dock's title bar with the pane's icon before the title (the standard one shows no icon), and the
// float and close buttons.
class PaneTitleBar : public QWidget {
public:
    explicit PaneTitleBar(QDockWidget* dock)
    {
        setObjectName(QStringLiteral("paneTitle"));
        setAttribute(Qt::WA_StyledBackground);
        auto* layout = new QHBoxLayout(this);
        layout->setContentsMargins(4, 2, 2, 2);
        layout->setSpacing(4);
        icon_ = new QLabel;
        icon_->setFixedSize(16, 16);
        auto* title = new QLabel(dock->windowTitle());
        layout->addWidget(icon_);
        layout->addWidget(title, 1);
        const auto addButton = [&](QStyle::StandardPixmap picture, const QString& name, auto clicked) {
            auto* button = new QToolButton;
            button->setIcon(style()->standardIcon(picture));
            button->setIconSize(QSize(10, 10));
            button->setAutoRaise(true);
            button->setToolTip(name);
            button->setAccessibleName(name);
            button->setFocusPolicy(Qt::NoFocus);
            connect(button, &QToolButton::clicked, dock, clicked);
            layout->addWidget(button);
        };
        addButton(QStyle::SP_TitleBarNormalButton, QStringLiteral("Float"), [dock] { dock->setFloating(!dock->isFloating()); });
        addButton(QStyle::SP_TitleBarCloseButton, QStringLiteral("Close"), [dock] { dock->close(); });
    }

    void ShowIcon(const QIcon& paneIcon) { icon_->setPixmap(paneIcon.pixmap(16, 16)); }

private:
    QLabel* icon_;
};

struct ButtonLayout {
    int toolbarId;
    const char* title;
    const char* resource;
    std::initializer_list<int> commands;   // 0: a separator
};

const ButtonLayout kToolBars[] = {
    {toolbar::kStandard, "Standard", ":/toolbars/standard.xpm",
     {cmd::kFileOpen, cmd::kFileSave, 0, cmd::kPrevImage, cmd::kNextImage, 0, cmd::kEditPaste, 0, cmd::kAppAbout, 0,
      cmd::kRotateCcw, cmd::kRotateCw}},
    {toolbar::kCrop, "Crop", ":/toolbars/crop.xpm",
     {cmd::kApplyCrop, 0, cmd::kShowGrid, 0, cmd::kZoomIn, cmd::kZoomOut}},
};

}  // namespace

CMainFrame::CMainFrame(CProfileStore& profile, QWidget* parent) : QMainWindow(parent), profile_(profile)
{
    InitResources();
    setObjectName(QStringLiteral("MainFrame"));
    setWindowTitle(QString::fromLatin1(kTitle));
    setWindowIcon(QIcon(QStringLiteral(":/icons/lumatrine.png")));
    setStyleSheet(DarkLookStyleSheet());
    RestorePlacement();

    view_ = new CVantorelView(this);
    view_->setObjectName(QStringLiteral("VantorelView"));
    view_->SetSourceRegionObserver(this);
    setCentralWidget(view_);
    view_->setFocus();

    CreateStatusBar();
    CreateMenus();
    CreateToolBars();
    CreatePanes();
    RegisterFrameCommands();
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, &CMainFrame::UpdateCommandStates);
    UpdateCommandStates();
}

CMainFrame::~CMainFrame()
{
    if (document_ != nullptr) document_->conversion.SetObserver(nullptr);
}

QAction* CMainFrame::CreateAction(int id, const QString& text, const QString& prompt, const QList<QKeySequence>& keys)
{
    auto* action = new QAction(text, this);
    action->setData(id);
    // The string table's text is "status prompt\ntooltip".
    const QStringList parts = prompt.split(QLatin1Char('\n'));
    action->setStatusTip(parts.value(0));
    action->setToolTip(parts.value(1, parts.value(0)));
    action->setShortcuts(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    action->setEnabled(false);
    connect(action, &QAction::triggered, this, [this, id] { RunCommand(id); });
    addAction(action);   // the accelerators work while the menus are closed and the bars hidden
    actions_[id] = action;
    return action;
}

void CMainFrame::CreateMenus()
{
    using K = QKeySequence;
    CreateAction(cmd::kFileNew, QStringLiteral("&New"), QStringLiteral("Create a new document\nNew"), {K(Qt::CTRL | Qt::Key_N)});
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(CreateAction(cmd::kFileOpen, QStringLiteral("&Open...\tCtrl+O"),
                                 QStringLiteral("Open an existing image file\nOpen"), {K(Qt::CTRL | Qt::Key_O)}));
    file->addAction(CreateAction(cmd::kFileSave, QStringLiteral("&Save\tCtrl+S"),
                                 QStringLiteral("Save the converted image\nSave"), {K(Qt::CTRL | Qt::Key_S)}));
    file->addAction(CreateAction(cmd::kFileSaveAs, QStringLiteral("Save &As..."),
                                 QStringLiteral("Save the converted image with a new name\nSave As")));
    QAction* keepMetadata = CreateAction(cmd::kKeepMetadata, QStringLiteral("Keep &Metadata"),
                                         QStringLiteral("Save the source's colour profile, Exif and XMP with the converted image\nKeep Metadata"));
    keepMetadata->setCheckable(true);
    file->addAction(keepMetadata);
    file->addSeparator();
    file->addAction(CreateAction(cmd::kConvertFolder, QStringLiteral("Convert &Folder..."),
                                 QStringLiteral("Convert every picture of a folder with the current settings\nConvert Folder")));
    file->addAction(CreateAction(cmd::kSaveRecipe, QStringLiteral("Save Settings as &Recipe..."),
                                 QStringLiteral("Save the current settings in a recipe file\nSave Settings as Recipe")));
    file->addAction(CreateAction(cmd::kLoadRecipe, QStringLiteral("&Load Recipe..."),
                                 QStringLiteral("Take the settings from a recipe file\nLoad Recipe")));
    file->addSeparator();
    file->addAction(CreateAction(cmd::kFileReload, QStringLiteral("Reload Current File"),
                                 QStringLiteral("Reload Current File\nReload")));
    file->addAction(CreateAction(cmd::kNextImage, QStringLiteral("Load Next Image in Folder"),
                                 QStringLiteral("Load Next Image in Folder\nLoad next Image")));
    file->addAction(CreateAction(cmd::kPrevImage, QStringLiteral("Load Previous Image in Folder"),
                                 QStringLiteral("Load Previous Image in Folder\nLoad previous Image")));
    file->addSeparator();
    recentPlaceholder_ = file->addAction(QStringLiteral("Recent File"));
    recentPlaceholder_->setEnabled(false);
    for (int i = 0; i < profile::kRecentFileCount; ++i)
        file->addAction(CreateAction(cmd::kFileMruFirst + i, QString(), QStringLiteral("Open this document")));
    file->addSeparator();
    file->addAction(CreateAction(cmd::kAppExit, QStringLiteral("E&xit"),
                                 QStringLiteral("Quit the application\nExit")));

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->addAction(CreateAction(cmd::kEditUndo, QStringLiteral("&Undo\tCtrl+Z"), QStringLiteral("Undo the last action\nUndo"),
                                 {K(Qt::CTRL | Qt::Key_Z), K(Qt::ALT | Qt::Key_Backspace)}));
    edit->addSeparator();
    edit->addAction(CreateAction(cmd::kEditCut, QStringLiteral("Cu&t\tCtrl+X"),
                                 QStringLiteral("Cut the selection and put it on the Clipboard\nCut"),
                                 {K(Qt::CTRL | Qt::Key_X), K(Qt::SHIFT | Qt::Key_Delete)}));
    edit->addAction(CreateAction(cmd::kEditCopy, QStringLiteral("&Copy\tCtrl+C"),
                                 QStringLiteral("Copy the selection and put it on the Clipboard\nCopy"),
                                 {K(Qt::CTRL | Qt::Key_C), K(Qt::CTRL | Qt::Key_Insert)}));
    edit->addAction(CreateAction(cmd::kEditPaste, QStringLiteral("&Paste\tCtrl+V"),
                                 QStringLiteral("Insert Clipboard contents\nPaste"),
                                 {K(Qt::CTRL | Qt::Key_V), K(Qt::SHIFT | Qt::Key_Insert)}));
    edit->addSeparator();
    edit->addAction(CreateAction(cmd::kCopyCommandLine, QStringLiteral("Copy as Command &Line"),
                                 QStringLiteral("Put the lumatrine-cli command that converts like this on the Clipboard\nCopy as Command Line")));

    // Reached by F6 and Shift+F6 only; with one view there is no other pane to go to.
    CreateAction(cmd::kNextPane, QStringLiteral("Next Pane"), QStringLiteral("Switch to the next window pane\nNext Pane"),
                 {K(Qt::Key_F6)});
    CreateAction(cmd::kPrevPane, QStringLiteral("Previous Pane"),
                 QStringLiteral("Switch back to the previous window pane\nPrevious Pane"), {K(Qt::SHIFT | Qt::Key_F6)});

    // The toolbar buttons that appear in no menu.
    CreateAction(cmd::kApplyCrop, QStringLiteral("Apply Crop"), QStringLiteral("Apply Crop\nApply Crop"));
    CreateAction(cmd::kRotateCcw, QStringLiteral("Rotate CCW"), QStringLiteral("Rotate CCW\nRotate CCW"));
    CreateAction(cmd::kRotateCw, QStringLiteral("Rotate CW"), QStringLiteral("Rotate CW\nRotate CW"));
    CreateAction(cmd::kZoomIn, QStringLiteral("Zoom In"), QStringLiteral("Zoom In\nZoom In"),
                 {K(Qt::CTRL | Qt::Key_Plus), K(Qt::CTRL | Qt::Key_Equal)});
    CreateAction(cmd::kZoomOut, QStringLiteral("Zoom Out"), QStringLiteral("Zoom Out\nZoom out"), {K(Qt::CTRL | Qt::Key_Minus)});
    CreateAction(cmd::kShowGrid, QStringLiteral("Show Grid"), QStringLiteral("Show Grid\nGrid"))->setCheckable(true);

    QMenu* viewMenu = menuBar()->addMenu(QStringLiteral("&View"));
    QMenu* toolbars = viewMenu->addMenu(QStringLiteral("&Toolbars"));
    toolbars->setObjectName(QStringLiteral("ToolbarsMenu"));
    toolbars->addSeparator();
    toolbars->addAction(CreateAction(cmd::kCustomize, QStringLiteral("&Customize..."),
                                     QStringLiteral("Customize the toolbars\nCustomize")));
    viewMenu->addSeparator();
    viewMenu->addAction(CreateAction(cmd::kShowMainTools, QStringLiteral("Show Main Tools"),
                                     QStringLiteral("Show the Aspect Settings\nShow Main Tools")));
    viewMenu->addAction(CreateAction(cmd::kShowStretchSettings, QStringLiteral("Show Stretch Settings"),
                                     QStringLiteral("Show the Stretch Settings\nShow Stretch Settings")));
    viewMenu->addAction(CreateAction(cmd::kShowFileSettings, QStringLiteral("Show File Settings"),
                                     QStringLiteral("Show the File Properties\nShow File Settings")));
    viewMenu->addSeparator();
    viewMenu->addAction(Action(cmd::kShowGrid));
    viewMenu->addSeparator();
    viewMenu->addAction(Action(cmd::kZoomIn));
    viewMenu->addAction(Action(cmd::kZoomOut));
    viewMenu->addAction(CreateAction(cmd::kZoomFit, QStringLiteral("Fit in Window"),
                                     QStringLiteral("Show the whole picture in the window\nFit in Window"), {K(Qt::CTRL | Qt::Key_0)}));
    viewMenu->addAction(CreateAction(cmd::kZoomActualSize, QStringLiteral("Actual Size"),
                                     QStringLiteral("Show the picture at one screen pixel per image pixel\nActual Size"),
                                     {K(Qt::CTRL | Qt::Key_1)}));

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->addAction(CreateAction(cmd::kAppAbout, QStringLiteral("&About Calvenor"),
                                 QStringLiteral("Display program information, version number and copyright\nAbout")));

    for (QMenu* menu : {file, edit, viewMenu, help})
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandStates);
}

void CMainFrame::CreateToolBars()
{
    QMenu* toolbarsMenu = findChild<QMenu*>(QStringLiteral("ToolbarsMenu"));
    QAction* customize = Action(cmd::kCustomize);
    for (const ButtonLayout& layout : kToolBars) {
        QToolBar* bar = addToolBar(QString::fromLatin1(layout.title));
        bar->setObjectName(QStringLiteral("toolbar%1").arg(layout.toolbarId));
        bar->setIconSize(kButtonSize);
        const std::vector<QIcon> icons = LoadToolbarIcons(QString::fromLatin1(layout.resource), kButtonSize.width());
        std::size_t image = 0;
        for (const int id : layout.commands) {
            if (id == 0) {
                bar->addSeparator();
                continue;
            }
            QAction* action = Action(id);
            if (image < icons.size()) action->setIcon(icons[image]);
            ++image;
            bar->addAction(action);
        }
        toolbars_[layout.toolbarId] = bar;
        toolbarsMenu->insertAction(toolbarsMenu->actions().value(toolbarsMenu->actions().indexOf(customize) - 1),
                                   bar->toggleViewAction());
    }
    // "Crop" shares the first row, right of "Standard", and starts hidden every time.
    ShowToolBar(toolbar::kCrop, false);
}

void CMainFrame::CreateStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setMinimumHeight(kStatusBarMinHeight);
    bar->addWidget(new QLabel(QStringLiteral("Ready")), 1);
    // The view's zoom, left of the keyboard indicators.
    auto* zoom = new QLabel;
    zoom->setObjectName(QStringLiteral("Zoom"));
    const auto showZoom = [zoom](double factor) { zoom->setText(QStringLiteral("Zoom %1%").arg(factor * 100, 0, 'g', 3)); };
    showZoom(view_->Zoom());
    connect(view_, &CVantorelView::ZoomChanged, zoom, showZoom);
    bar->addPermanentWidget(zoom);
    for (const char* text : {"CAP", "NUM", "SCRL"}) {
        auto* indicator = new QLabel(QString::fromLatin1(text));
        indicator->setProperty("indicator", true);
        indicator->setAlignment(Qt::AlignCenter);
        indicator->setObjectName(QString::fromLatin1(text));
        // The lock keys' states are not visible to a Qt program: the indicators stay dimmed.
        indicator->setEnabled(false);
        bar->addPermanentWidget(indicator);
    }
}

QDockWidget* CMainFrame::CreatePane(int paneId, const QString& title, CPanelDialog& panel)
{
    auto* dock = new QDockWidget(title, this);
    dock->setObjectName(QStringLiteral("pane%1").arg(paneId));
    dock->setProperty("paneId", paneId);
    dock->installEventFilter(this);
    dock->setTitleBarWidget(new PaneTitleBar(dock));
    panes_[paneId] = dock;
    panel.setObjectName(QStringLiteral("panel%1").arg(paneId));
    return dock;
}

void CMainFrame::CreatePanes()
{
    setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowTabbedDocks);
    QDockWidget* aspect = CreatePane(pane::kAspectSettings, QStringLiteral("Aspect Settings"), aspectPanel_);
    QDockWidget* stretch = CreatePane(pane::kStretchSettings, QStringLiteral("Stretch Settings"), stretchPanel_);
    QDockWidget* file = CreatePane(pane::kFileProperties, QStringLiteral("File Properties"), filePanel_);
    addDockWidget(Qt::RightDockWidgetArea, aspect);
    splitDockWidget(aspect, stretch, Qt::Vertical);
    addDockWidget(Qt::LeftDockWidgetArea, file);
    resizeDocks({aspect, file}, {200, 240}, Qt::Horizontal);
    resizeDocks({aspect, stretch}, {130, 200}, Qt::Vertical);

    const std::vector<QIcon> icons = LoadPaneIcons(QStringLiteral(":/toolbars/panes.xpm"));
    const int iconPanes[] = {pane::kAspectSettings, pane::kFileProperties};
    for (std::size_t i = 0; i < icons.size() && i < std::size(iconPanes); ++i) {
        QDockWidget* dock = Pane(iconPanes[i]);
        dock->setWindowIcon(icons[i]);
        static_cast<PaneTitleBar*>(dock->titleBarWidget())->ShowIcon(icons[i]);
    }
}

void CMainFrame::RegisterFrameCommands()
{
    const auto always = [] { return true; };
    const auto hasDocument = [this] { return document_ != nullptr; };
    SetCommandHandler(cmd::kShowMainTools, [this] { ShowPane(pane::kAspectSettings); }, always);
    SetCommandHandler(cmd::kShowStretchSettings, [this] { ShowPane(pane::kStretchSettings); });
    SetCommandHandler(cmd::kShowFileSettings, [this] { ShowPane(pane::kFileProperties); });
    SetCommandHandler(cmd::kCustomize, [this] { OnCustomize(); });

    // The view's commands: the grid toggles, the zoom steps.
    SetCommandHandler(cmd::kShowGrid, [this] { view_->OnShowGrid(); }, {}, [this] { return view_->IsGridShown(); });
    SetCommandHandler(cmd::kZoomIn, [this] { view_->ZoomIn(); }, [this] { return view_->CanZoomIn(); });
    SetCommandHandler(cmd::kZoomOut, [this] { view_->ZoomOut(); }, [this] { return view_->CanZoomOut(); });
    const auto hasPicture = [this] { return document_ != nullptr && document_->CanRotateSource(); };
    SetCommandHandler(cmd::kZoomFit, [this] { view_->FitInWindow(); }, hasPicture);
    SetCommandHandler(cmd::kZoomActualSize, [this] { view_->ActualSize(); }, hasPicture);

    // The picture: turned in the document, copied from the output, pasted in as a new source.
    SetCommandHandler(cmd::kRotateCcw, [this] { document_->RotateSource(false); }, hasPicture);
    SetCommandHandler(cmd::kRotateCw, [this] { document_->RotateSource(true); }, hasPicture);
    SetCommandHandler(cmd::kEditCopy, [this] { CopyPictureToClipboard(document_->conversion.output); },
                      [this] { return document_ != nullptr && document_->conversion.output.HasPixels(); });
    SetCommandHandler(cmd::kEditPaste, [this] { PasteClipboardPicture(*document_); },
                      [this] { return document_ != nullptr && view_->CanPaste(); });

    // The document's commands; Save As saves exactly as Save does.
    SetCommandHandler(cmd::kFileSave, [this] { document_->DoSave("", true); }, hasDocument);
    SetCommandHandler(cmd::kFileSaveAs, [this] { document_->DoSave("", true); }, hasDocument);
    SetCommandHandler(cmd::kFileReload, [this] { document_->OnReloadFile(); }, hasDocument);
    SetCommandHandler(cmd::kKeepMetadata, [this] { document_->SetKeepMetadata(!document_->KeepMetadata()); }, hasDocument,
                      [this] { return document_ != nullptr && document_->KeepMetadata(); });
    const auto hasPath = [this] { return document_ != nullptr && document_->CanLoadNeighbourImage(); };
    SetCommandHandler(cmd::kNextImage, [this] { document_->OnLoadNextImage(); }, hasPath);
    SetCommandHandler(cmd::kPrevImage, [this] { document_->OnLoadPreviousImage(); }, hasPath);
}

void CMainFrame::SetCommandHandler(int id, std::function<void()> run, std::function<bool()> enabled,
                                   std::function<bool()> checked)
{
    commands_[id] = Command{std::move(run), std::move(enabled), std::move(checked)};
    UpdateCommandStates();
}

QAction* CMainFrame::Action(int id) const
{
    const auto found = actions_.find(id);
    return found != actions_.end() ? found->second : nullptr;
}

bool CMainFrame::RunCommand(int id)
{
    // The state is asked afresh: the one shown may be older than the document's.
    const auto found = commands_.find(id);
    if (found == commands_.end() || (found->second.enabled && !found->second.enabled())) return false;
    // The handler may replace the handlers (and close the window): run a copy.
    const std::function<void()> run = found->second.run;
    run();
    UpdateCommandStates();
    return true;
}

void CMainFrame::UpdateCommandStates()
{
    UpdateRecentFileItems();
    for (const auto& [id, action] : actions_) {
        const auto found = commands_.find(id);
        const bool handled = found != commands_.end();
        action->setEnabled(handled && (!found->second.enabled || found->second.enabled()));
        if (handled && found->second.checked) action->setChecked(found->second.checked());
    }
    const QString title = document_ != nullptr ? QString::fromStdString(document_->Title()) : QString();
    setWindowTitle(title.isEmpty() ? QString::fromLatin1(kTitle) : title + QStringLiteral(" - ") + kTitle);
}

void CMainFrame::UpdateRecentFileItems()
{
    const int count = recentFiles_ != nullptr ? static_cast<int>(recentFiles_->Paths().size()) : 0;
    recentPlaceholder_->setVisible(count == 0);
    for (int i = 0; i < profile::kRecentFileCount; ++i) {
        QAction* entry = Action(cmd::kFileMruFirst + i);
        entry->setVisible(i < count);
        if (i < count) {
            QString path = QString::fromStdString(recentFiles_->Paths()[i]);
            entry->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(path.replace(QLatin1Char('&'), QStringLiteral("&&"))));
        }
    }
}

void CMainFrame::SetOpenFileHandler(std::function<bool(const std::string&)> open)
{
    view_->SetOpenFileHandler([this, open = std::move(open)](const std::string& path) {
        const bool opened = open(path);
        UpdateCommandStates();
        return opened;
    });
}

void CMainFrame::SetDocument(CVantorelDoc* document)
{
    aspectPanel_.SetDocument(document);
    filePanel_.SetDocument(document);
    aspectPanel_.SetStretchPanel(&stretchPanel_);
    stretchPanel_.SetDocument(document);
    if (document != document_) {
        if (document_ != nullptr) document_->conversion.SetObserver(nullptr);
        if (document != nullptr) document->conversion.SetObserver(this);
    }
    document_ = document;
    view_->SetDocument(document);
    // A load tells the host before it sets the path: refresh once the current event is done.
    if (!statesQueued_) {
        statesQueued_ = true;
        QTimer::singleShot(0, this, [this] {
            statesQueued_ = false;
            UpdateCommandStates();
        });
    }
}

void CMainFrame::UpdateSourceRegion() { filePanel_.UpdateSourceRegion(); }

void CMainFrame::UpdateOutputPreview() { filePanel_.UpdateOutputPreview(); }

QDockWidget* CMainFrame::Pane(int paneId) const
{
    const auto found = panes_.find(paneId);
    return found != panes_.end() ? found->second : nullptr;
}

CPanelDialog* CMainFrame::Panel(int paneId)
{
    switch (paneId) {
    case pane::kAspectSettings: return &aspectPanel_;
    case pane::kFileProperties: return &filePanel_;
    case pane::kStretchSettings: return &stretchPanel_;
    default: return nullptr;
    }
}

void CMainFrame::ShowPane(int paneId)
{
    if (QDockWidget* dock = Pane(paneId)) {
        dock->show();
        dock->raise();
    }
}

// The panel's controls are built just before its dock is first shown, then stay in the dock.
void CMainFrame::AttachPanel(QDockWidget* dock)
{
    if (dock->widget() != nullptr) return;
    CPanelDialog* panel = Panel(dock->property("paneId").toInt());
    if (panel == nullptr) return;
    panel->Create();
    auto* border = new PaneBorder(panel);
    dock->setWidget(border);
    border->show();
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show)
        if (auto* dock = qobject_cast<QDockWidget*>(watched); dock != nullptr && panes_.count(dock->property("paneId").toInt()))
            AttachPanel(dock);
    return QMainWindow::eventFilter(watched, event);
}

QToolBar* CMainFrame::ToolBar(int toolbarId) const
{
    const auto found = toolbars_.find(toolbarId);
    return found != toolbars_.end() ? found->second : nullptr;
}

void CMainFrame::ShowToolBar(int toolbarId, bool show)
{
    if (QToolBar* bar = ToolBar(toolbarId)) bar->setVisible(show);
}

void CMainFrame::OnCustomize()
{
    QList<QToolBar*> bars;
    for (const auto& [id, bar] : toolbars_) bars.append(bar);
    CCustomizeDialog dialog(menuBar(), bars, this);
    dialog.exec();
}

// First start, or a placement only partly saved: maximised at the default place. Otherwise the saved
// normal rectangle, relative to the work area, pulled back so an icon-sized corner stays on the screen.
void CMainFrame::RestorePlacement()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QRect workArea = screen->availableGeometry();
    // The default place: three quarters of the work area, centred; it is also what a maximised window
    // returns to, and what shows where no window manager maximises.
    QRect defaultPlace(QPoint(), workArea.size() * 3 / 4);
    defaultPlace.moveCenter(workArea.center());
    setGeometry(defaultPlace);

    int values[5];
    const char* const entries[5] = {"Status", "Top", "Left", "Bottom", "Right"};
    for (int i = 0; i < 5; ++i) {
        values[i] = profile_.GetInt(profile::kFrame, entries[i], kNoValue);
        if (values[i] == kNoValue) return;   // showState_ stays maximised
    }
    const int status = values[0], top = values[1], left = values[2], bottom = values[3], right = values[4];
    // A saved hidden or unknown show command would start an invisible window: it opens normally.
    showState_ = status == kShowMinimized ? Qt::WindowMinimized : status == kShowMaximized ? Qt::WindowMaximized : Qt::WindowNoState;
    if (right <= left || bottom <= top) return;
    const QRect screenRect = screen->geometry();
    const int x = std::min(left + workArea.left(), screenRect.width() - kIconSize);
    const int y = std::min(top + workArea.top(), screenRect.height() - kIconSize);
    setGeometry(x, y, right - left, bottom - top);
}

void CMainFrame::ShowWindow()
{
    setWindowState(showState_);
    show();
}

void CMainFrame::SavePlacement()
{
    const int status = isMinimized() ? kShowMinimized : isMaximized() ? kShowMaximized : kShowNormal;
    const QScreen* screen = this->screen();
    const QPoint origin = screen != nullptr ? screen->availableGeometry().topLeft() : QPoint();
    const QRect normal = normalGeometry().translated(-origin);
    profile_.WriteInt(profile::kFrame, "Status", status);
    profile_.WriteInt(profile::kFrame, "Top", normal.top());
    profile_.WriteInt(profile::kFrame, "Left", normal.left());
    profile_.WriteInt(profile::kFrame, "Bottom", normal.top() + normal.height());
    profile_.WriteInt(profile::kFrame, "Right", normal.left() + normal.width());
}

// The bars' and docks' state is kept for reference only: every start builds them afresh.
void CMainFrame::SaveBarsAndLayout()
{
    QStringList shown;
    for (const auto& [id, bar] : toolbars_)
        if (bar->isVisible()) shown.append(bar->windowTitle());
    profile_.WriteString(kCommandBarsSection, "Visible", shown.join(QLatin1Char(',')).toStdString());
    profile_.WriteString(kLayoutSection, "State", saveState().toBase64().toStdString());
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    SaveBarsAndLayout();
    SavePlacement();
    event->accept();
}
