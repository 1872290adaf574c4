#include "app/VantorelApp.h"

#include "app/AboutBox.h"
#include "conversion/BusyIndicator.h"
#include "document/dialogs/DialogPrompt.h"
#include "document/dialogs/FileOpenDialog.h"
#include "document/dialogs/FolderConvertDlg.h"
#include "document/Recipe.h"
#include "image/ImageStatusText.h"
#include "platform/QtProfileStore.h"
#include "ui/CommandIds.h"
#include "ui/MainFrame.h"
#include "ui/VantorelView.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>

#include <iostream>

namespace {

// The wait cursor while the document loads or converts.
class WaitCursor : public CBusyIndicator {
public:
    void BeginBusy() override { QApplication::setOverrideCursor(Qt::WaitCursor); }
    void EndBusy() override { QApplication::restoreOverrideCursor(); }
};

std::string AbsolutePath(const QString& path) { return QFileInfo(path).absoluteFilePath().toStdString(); }

}  // namespace

CVantorelApp::CVantorelApp(CUserPrompt* prompt)
    : profile_(std::make_unique<QtProfileStore>()), waitCursor_(std::make_unique<WaitCursor>()), prompt_(prompt)
{
}

CVantorelApp::~CVantorelApp()
{
    // The window goes first: the document still refers to it until then.
    document_.SetHost(nullptr);
    document_.conversion.SetObserver(nullptr);
    frame_.reset();
}

bool CVantorelApp::InitInstance(const QStringList& arguments)
{
    recentFiles_.ReadList(*profile_);
    const SaveSettings saved = SaveSettings::Read(*profile_);
    saveType = saved.saveType;
    savePath = saved.savePath;

    frame_ = std::make_unique<CMainFrame>(*profile_);
    if (prompt_ == nullptr) {
        dialogPrompt_ = std::make_unique<CDialogPrompt>(frame_.get());
        prompt_ = dialogPrompt_.get();
    }
    document_.SetPrompt(prompt_);
    document_.SetHost(frame_.get());
    document_.SetBusyIndicator(waitCursor_.get());
    document_.SetProfile(profile_.get(), saved);
    document_.SetRecentFiles(&recentFiles_);
    CVantorelView* view = frame_->View();
    // The view follows conversion updates itself; the document's own view list repaints it too.
    document_.AddView([view] { view->viewport()->update(); });

    frame_->SetRecentFileList(&recentFiles_);
    frame_->SetOpenFileHandler([this](const std::string& path) { return OpenDocumentFile(path); });
    frame_->SetCommandHandler(cmd::kFileNew, [this] { OnFileNew(); });
    frame_->SetCommandHandler(cmd::kFileOpen, [this] { OnFileOpen(); });
    for (int i = 0; i < profile::kRecentFileCount; ++i)
        frame_->SetCommandHandler(cmd::kFileMruFirst + i, [this, i] { OnOpenRecentFile(i); });
    frame_->SetCommandHandler(cmd::kAppExit, [this] { frame_->close(); });
    frame_->SetCommandHandler(cmd::kAppAbout, [this] { OnAppAbout(); });
    frame_->SetCommandHandler(cmd::kConvertFolder, [this] { OnConvertFolder(); });
    frame_->SetCommandHandler(cmd::kSaveRecipe, [this] { OnSaveRecipe(); });
    frame_->SetCommandHandler(cmd::kLoadRecipe, [this] { OnLoadRecipe(); });
    frame_->SetCommandHandler(cmd::kCopyCommandLine, [this] { OnCopyCommandLine(); });

    if (arguments.isEmpty()) {
        document_.OnNewDocument();
    } else {
        const std::string path = AbsolutePath(arguments.first());
        if (!OpenDocumentFile(path)) {
            // The reason comes from a second read: the document's load reports success or failure only.
            CRasterImage probe;
            const std::string message = "Cannot show " + path + ": " + LoadFailureText(probe.Load(path.c_str()), path) + ".";
            std::cerr << "lumatrine: " << message << "\n";
            prompt_->ShowMessage(message);
            return false;
        }
    }
    frame_->ShowWindow();
    frame_->UpdateCommandStates();
    return true;
}

int CVantorelApp::ExitInstance(int loopStatus)
{
    document_.OnCloseDocument();
    SaveSettings{saveType, savePath}.Write(*profile_);
    recentFiles_.WriteList(*profile_);
    return loopStatus;
}

bool CVantorelApp::OpenDocumentFile(const std::string& path)
{
    if (!document_.OnOpenDocument(path)) return false;
    document_.SetPathName(path, true);
    if (frame_ != nullptr) frame_->UpdateCommandStates();
    return true;
}

void CVantorelApp::OnFileNew()
{
    document_.OnNewDocument();
}

void CVantorelApp::OnFileOpen()
{
    if (const std::optional<std::string> path = RunFileOpenDialog(frame_.get(), *profile_)) OpenDocumentFile(*path);
}

// A recent file that can no longer be read leaves the list.
void CVantorelApp::OnOpenRecentFile(int index)
{
    if (index < 0 || index >= static_cast<int>(recentFiles_.Paths().size())) return;
    const std::string path = recentFiles_.Paths()[index];
    if (!OpenDocumentFile(path)) recentFiles_.Remove(index);
}

void CVantorelApp::OnAppAbout()
{
    CAboutBox box(frame_.get());
    box.exec();
}

// Folder conversion and recipes start in the open picture's folder.
void CVantorelApp::OnConvertFolder()
{
    RunConvertFolderCommand(frame_.get(), document_.conversion.settings, document_.jpegChoice, document_.KeepMetadata(),
                            DocumentFolder());
}

void CVantorelApp::OnSaveRecipe()
{
    const QString filter = QStringLiteral("Recipe (*%1)").arg(kRecipeExtension);
    QString path = QFileDialog::getSaveFileName(frame_.get(), QStringLiteral("Save Settings as Recipe"),
                                                QString::fromStdString(DocumentFolder()), filter);
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += QString::fromLatin1(kRecipeExtension);
    document_.SaveRecipe(path.toStdString());
}

void CVantorelApp::OnLoadRecipe()
{
    const QString filter = QStringLiteral("Recipe (*%1);;All files (*)").arg(kRecipeExtension);
    const QString path = QFileDialog::getOpenFileName(frame_.get(), QStringLiteral("Load Recipe"),
                                                      QString::fromStdString(DocumentFolder()), filter);
    if (!path.isEmpty()) document_.LoadRecipe(path.toStdString());
}

void CVantorelApp::OnCopyCommandLine()
{
    QGuiApplication::clipboard()->setText(QString::fromStdString(document_.CommandLine()));
}

std::string CVantorelApp::DocumentFolder() const
{
    return document_.PathName().empty() ? std::string() : QFileInfo(QString::fromStdString(document_.PathName())).absolutePath().toStdString();
}

int RunVantorelApp(CVantorelApp& app, const QStringList& arguments)
{
    if (!app.InitInstance(arguments)) {
        app.ExitInstance();
        return 1;
    }
    return app.ExitInstance(QApplication::exec());
}
