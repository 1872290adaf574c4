#include "document/dialogs/DialogPrompt.h"

#include "document/dialogs/JpegOptionsDlg.h"
#include "document/dialogs/MessageBox.h"
#include "document/dialogs/SaveFileDialog.h"

#include <QString>

void CDialogPrompt::ShowMessage(const std::string& text)
{
    ShowProgramMessage(parent_, QString::fromStdString(text));
}

std::optional<std::string> CDialogPrompt::AskSavePath(const SaveDialogRequest& request)
{
    CSaveFileDialog dialog(parent_, request);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const std::string path = dialog.ChosenPath();
    if (path.empty()) return std::nullopt;
    return path;
}

bool CDialogPrompt::EditJpegOptions(JpegOptionsRequest& request)
{
    CJpegOptionsDlg dialog(parent_, request);
    if (dialog.exec() != QDialog::Accepted) return false;
    dialog.FillAnswer(request);
    return true;
}
