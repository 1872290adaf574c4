#pragma once
// CMainFrame: the program's one top-level window. Around the image view it holds the menu bar, the
// "Standard" and "Crop" toolbars, the status bar and the three docks with the settings panels. It owns
// the three panel objects for its whole life and builds each panel's controls the first time its dock
// is shown; a dock closed by the user and shown again reuses its panel. It presents the document it is
// given (CDocumentHost), relays the conversion's notifications to the file panel (CConversionObserver)
// and keeps its placement in the profile's "Frame" section.
//
// Every command is one QAction carrying its numeric id. A command runs the handler registered for it
// (the frame registers the view, document and window commands; the application its own); a command
// without a handler stays disabled. The document is not owned.

#include "conversion/ConversionObserver.h"
#include "document/UserPrompt.h"
#include "ui/RatioPanel.h"
#include "ui/FileSettingsPanel.h"
#include "ui/StretchPanel.h"

#include <QMainWindow>

#include <functional>
#include <map>
#include <string>

class CProfileStore;
class CRecentFileList;
class CVantorelView;
class QDockWidget;
class QLabel;
class QMenu;
class QToolBar;

class CMainFrame : public QMainWindow, public CDocumentHost, public CConversionObserver {
    Q_OBJECT
public:
    // Builds the bars, docks and view, and restores the placement saved in `profile` (kept for the
    // close); nothing is shown until ShowWindow.
    explicit CMainFrame(CProfileStore& profile, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Shows the window in its restored state: maximised on a first start, else as it was closed.
    void ShowWindow();

    void SetDocument(CVantorelDoc* document) override;
    void UpdateSourceRegion() override;
    void UpdateOutputPreview() override;

    // Registers what a command does; `enabled` and `checked`, when given, decide its state.
    void SetCommandHandler(int id, std::function<void()> run, std::function<bool()> enabled = {},
                           std::function<bool()> checked = {});
    // Refreshes every command's enabled and checked state, the recent files and the title.
    void UpdateCommandStates();
    // Runs a command as its menu item would; false when it is disabled or has no handler.
    bool RunCommand(int id);
    QAction* Action(int id) const;

    // The File menu lists these files under the commands kFileMruFirst and following.
    void SetRecentFileList(const CRecentFileList* recentFiles) { recentFiles_ = recentFiles; }
    // Files dropped on the view are opened through this, as File Open does.
    void SetOpenFileHandler(std::function<bool(const std::string&)> open);

    CVantorelView* View() const { return view_; }
    QDockWidget* Pane(int paneId) const;
    CPanelDialog* Panel(int paneId);
    void ShowPane(int paneId);
    QToolBar* ToolBar(int toolbarId) const;
    void ShowToolBar(int toolbarId, bool show);
    // The Customize dialog, modal.
    void OnCustomize();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Command {
        std::function<void()> run;
        std::function<bool()> enabled;
        std::function<bool()> checked;
    };

    void RestorePlacement();
    void SavePlacement();
    void SaveBarsAndLayout();
    QAction* CreateAction(int id, const QString& text, const QString& prompt, const QList<QKeySequence>& keys = {});
    void CreateMenus();
    void CreateToolBars();
    void CreateStatusBar();
    void CreatePanes();
    void RegisterFrameCommands();
    QDockWidget* CreatePane(int paneId, const QString& title, CPanelDialog& panel);
    void AttachPanel(QDockWidget* dock);
    void UpdateRecentFileItems();

    CProfileStore& profile_;
    CVantorelDoc* document_ = nullptr;
    const CRecentFileList* recentFiles_ = nullptr;
    CAspectPanel aspectPanel_;
    CFileSettingsPanel filePanel_;
    CStretchPanel stretchPanel_;
    CVantorelView* view_ = nullptr;
    std::map<int, QAction*> actions_;
    std::map<int, Command> commands_;
    std::map<int, QDockWidget*> panes_;
    std::map<int, QToolBar*> toolbars_;
    QAction* recentPlaceholder_ = nullptr;
    Qt::WindowState showState_ = Qt::WindowMaximized;
    bool statesQueued_ = false;
};
