#include "document/dialogs/PrevFileDlg.h"

#include "document/dialogs/DialogUnits.h"
#include "document/dialogs/PreviewStatic.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>

#include <utility>

bool CPrevFileDlg::previewEnabled = true;

CPrevFileDlg::CPrevFileDlg(QWidget* parent) : QFileDialog(parent)
{
    // Only Qt's own dialog can carry the panel.
    setOption(QFileDialog::DontUseNativeDialog);

    // The panel: 114 x 143 dialog units to the right of the dialog's own controls.
    auto* panel = new QWidget(this);
    UseDialogFont(panel);
    panel->setFixedSize(DialogUnitSize(panel, 114, 143));
    previewCheck = new QCheckBox(tr("&Preview"), panel);
    PlaceInDialogUnits(previewCheck, 11, 3, 45, 10);
    preview = new CPreviewStatic(panel);
    PlaceInDialogUnits(preview, 11, 17, 95, 88);
    sizeText = new QLabel(panel);
    sizeText->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    PlaceInDialogUnits(sizeText, 15, 114, 76, 18);
    if (auto* grid = qobject_cast<QGridLayout*>(layout())) {
        grid->addWidget(panel, 0, grid->columnCount(), grid->rowCount(), 1, Qt::AlignTop);
    }

    previewCheck->setChecked(previewEnabled);
    sizeText->setText(tr("No Image"));

    connect(this, &QFileDialog::currentChanged, this, &CPrevFileDlg::OnFileNameChange);
    connect(this, &QFileDialog::directoryEntered, this, &CPrevFileDlg::OnFolderChange);
    connect(previewCheck, &QCheckBox::clicked, this, &CPrevFileDlg::OnPreviewClicked);
}

void CPrevFileDlg::UpdateSizeText()
{
    const int width = preview->StoredWidth(), height = preview->StoredHeight();
    sizeText->setText(width > 0 && height > 0 ? QStringLiteral("%1 x %2\nPixels").arg(width).arg(height) : QString());
}

void CPrevFileDlg::OnFileNameChange(const QString& path)
{
    currentPath = path;
    ShowCurrentSelection();
}

void CPrevFileDlg::OnPreviewClicked(bool checked)
{
    previewEnabled = checked;
    ShowCurrentSelection();
}

void CPrevFileDlg::ShowCurrentSelection()
{
    ++selectionCount;
    pendingLoad.clear();
    if (!previewEnabled) {
        ClearPreviewBox();
        return;
    }
    // A name being typed: the box keeps what it shows.
    if (!QFileInfo::exists(currentPath)) {
        UpdateSizeText();
        return;
    }
    pendingLoad = currentPath;
    LoadPendingPreview();
}

void CPrevFileDlg::LoadPendingPreview()
{
    // Entered again from the event dispatch below: the load already running picks up the newest selection.
    if (loading) return;
    loading = true;
    std::uint64_t selection = 0;
    do {
        selection = selectionCount;
        // The file list finishes its own updates first; a selection that changes meanwhile overtakes
        // this one, which is then skipped without being loaded.
        QCoreApplication::processEvents();
        if (selection != selectionCount) continue;
        if (pendingLoad.isEmpty()) break;
        const bool shown = preview->LoadPreview(std::exchange(pendingLoad, QString()).toStdString());
        UpdateSizeText();
        emit PreviewLoaded(shown);
    } while (selection != selectionCount);
    loading = false;
}

void CPrevFileDlg::ClearPreviewBox()
{
    preview->ClearPreview();
    preview->update();
    UpdateSizeText();
}

void CPrevFileDlg::OnFolderChange()
{
    currentPath.clear();
    ++selectionCount;
    pendingLoad.clear();
    ClearPreviewBox();
}
