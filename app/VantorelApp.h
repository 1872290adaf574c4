#pragma once
// CVantorelApp: the desktop program's application object. It owns the profile, the one document, the
// recent-file list and the main window; InitInstance reads the save settings and the recent files,
// builds the window, opens the file named on the command line (or starts with an empty document) and
// shows the window; ExitInstance writes the save settings and the recent files back. It handles the
// application's commands: File New, File Open, the recent files, Exit and About,
// and the folder conversion and recipe commands.
//
// It lives next to the QApplication, which main creates first; it is not one itself, so the tests
// drive it inside their own QApplication.

#include "document/ProfileSettings.h"
#include "document/VantorelDoc.h"
#include "ui/RecentFileList.h"

#include <QStringList>

#include <memory>
#include <string>

class CBusyIndicator;
class CMainFrame;
class CProfileStore;
class CUserPrompt;

class CVantorelApp {
public:
    // Messages and questions go to `prompt` when given, else to the main window's dialogs.
    explicit CVantorelApp(CUserPrompt* prompt = nullptr);
    ~CVantorelApp();
    CVantorelApp(const CVantorelApp&) = delete;
    CVantorelApp& operator=(const CVantorelApp&) = delete;

    // `arguments` without the program name; the first one, when given, is the file to open. False when
    // that file cannot be read, after a message naming the file and the reason.
    bool InitInstance(const QStringList& arguments);
    // Writes the settings back; returns `loopStatus`, the main loop's result.
    int ExitInstance(int loopStatus = 0);

    // Loads the file into the document; on success the document takes its path and the recent-file
    // list gets it. Silent on failure.
    bool OpenDocumentFile(const std::string& path);
    void OnFileNew();
    void OnFileOpen();
    void OnOpenRecentFile(int index);
    void OnAppAbout();
    // "Convert Folder...", the recipe commands and "Copy as Command Line".
    void OnConvertFolder();
    void OnSaveRecipe();
    void OnLoadRecipe();
    void OnCopyCommandLine();

    CMainFrame* MainFrame() const { return frame_.get(); }
    CVantorelDoc& Document() { return document_; }
    const CRecentFileList& RecentFiles() const { return recentFiles_; }

    // The save settings, read at start-up and written at exit.
    int saveType = 0;
    std::string savePath;

private:
    // The open picture's folder; empty with nothing open.
    std::string DocumentFolder() const;

    std::unique_ptr<CProfileStore> profile_;
    std::unique_ptr<CBusyIndicator> waitCursor_;
    CRecentFileList recentFiles_{profile::kRecentFileCount};
    CVantorelDoc document_;
    std::unique_ptr<CMainFrame> frame_;
    std::unique_ptr<CUserPrompt> dialogPrompt_;
    CUserPrompt* prompt_;
};

// The whole run of the desktop program inside an existing QApplication: start-up, the main loop, exit.
// 1 when the file named on the command line cannot be read.
int RunVantorelApp(CVantorelApp& app, const QStringList& arguments);
