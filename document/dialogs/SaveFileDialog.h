#pragma once
// CSaveFileDialog: the "Save image" dialog, set up from the document's question: the proposed name, the
// file types with the proposed one first and preselected, and the start folder.
//
// A name typed without an extension gets the chosen type's; a typed extension is kept as typed, so a
// format the list does not offer (".pcx", ".wbmp", ".jpeg") still reaches its writer. An existing file
// is replaced only after the person confirms.

#include "document/UserPrompt.h"

#include <QFileDialog>

#include <string>

class CSaveFileDialog : public QFileDialog {
    Q_OBJECT
public:
    CSaveFileDialog(QWidget* parent, const SaveDialogRequest& request);

    // The chosen full path, the chosen type's extension added to a name typed without one.
    std::string ChosenPath() const;

private:
    void OnFilterSelected(const QString& nameFilter);
};
