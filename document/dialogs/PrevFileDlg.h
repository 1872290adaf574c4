#pragma once
// CPrevFileDlg: the open-file dialog with a preview panel at its right: the "&Preview" check box, the
// picture box (CPreviewStatic) and the size text ("3000 x 2000" over "Pixels").
//
// The preview follows the dialog's selection. Loading runs on the user-interface thread; before each load
// the dialog lets pending events through, and a selection that changes meanwhile replaces the one
// waiting, so quick stepping through a folder of large pictures loads only the pictures it stops on and
// never queues loads. The check box state is shared by every dialog of the run and is not saved.

#include <QFileDialog>

#include <cstdint>

class CPreviewStatic;
class QCheckBox;
class QLabel;

class CPrevFileDlg : public QFileDialog {
    Q_OBJECT
public:
    explicit CPrevFileDlg(QWidget* parent = nullptr);

    // The "&Preview" check box's state for the rest of the run; every run starts with it on.
    static bool previewEnabled;

    CPreviewStatic& Preview() { return *preview; }
    QCheckBox& PreviewCheck() { return *previewCheck; }
    QLabel& SizeText() { return *sizeText; }

    // The dialog's selection changed to `path` (a file, a folder or a name being typed).
    void OnFileNameChange(const QString& path);
    // The dialog entered another folder: the preview empties.
    void OnFolderChange();
    void OnPreviewClicked(bool checked);
    // "3000 x 2000\nPixels" with the previewed file's stored size; empty without one.
    void UpdateSizeText();

signals:
    // A preview load finished (true: a picture is shown); for anything that waits on the preview.
    void PreviewLoaded(bool shown);

private:
    // Shows the current selection as the check box asks: loaded, emptied, or (a name being typed) as it was.
    void ShowCurrentSelection();
    // Loads the newest selection waiting for its preview, skipping those overtaken meanwhile.
    void LoadPendingPreview();
    void ClearPreviewBox();

    CPreviewStatic* preview = nullptr;
    QCheckBox* previewCheck = nullptr;
    QLabel* sizeText = nullptr;
    QString currentPath;
    QString pendingLoad;               // the selection whose preview is still to be loaded
    std::uint64_t selectionCount = 0;  // grows with every selection, so a load can see it was overtaken
    bool loading = false;
};
