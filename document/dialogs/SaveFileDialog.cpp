#include "document/dialogs/SaveFileDialog.h"

#include "document/dialogs/NameFilters.h"

#include <QDir>

CSaveFileDialog::CSaveFileDialog(QWidget* parent, const SaveDialogRequest& request) : QFileDialog(parent)
{
    // The same dialog as File Open, so both look and behave alike on every desktop.
    setOption(QFileDialog::DontUseNativeDialog);
    setAcceptMode(QFileDialog::AcceptSave);
    setFileMode(QFileDialog::AnyFile);
    setWindowTitle(QString::fromStdString(request.title));
    const QStringList nameFilters = QtNameFilters(request.filter);
    setNameFilters(nameFilters);
    connect(this, &QFileDialog::filterSelected, this, &CSaveFileDialog::OnFilterSelected);
    if (!nameFilters.isEmpty()) {
        selectNameFilter(nameFilters.constFirst());
        OnFilterSelected(nameFilters.constFirst());
    }
    if (!request.initialFolder.empty()) setDirectory(QString::fromStdString(request.initialFolder));
    selectFile(QString::fromStdString(request.initialName));
}

void CSaveFileDialog::OnFilterSelected(const QString& nameFilter)
{
    setDefaultSuffix(FilterExtension(nameFilter));
}

std::string CSaveFileDialog::ChosenPath() const
{
    const QStringList files = selectedFiles();
    return files.isEmpty() ? std::string() : QDir::cleanPath(files.constFirst()).toStdString();
}
