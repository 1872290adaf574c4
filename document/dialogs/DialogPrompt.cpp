#include "document/dialogs/DialogPrompt.h"

#include <QMessageBox>
#include <QString>

void CDialogPrompt::ShowMessage(const std::string& text)
{
    QMessageBox::warning(parent_, QStringLiteral("Lumatrine NR"), QString::fromStdString(text));
}

std::optional<std::string> CDialogPrompt::AskSavePath(const SaveDialogRequest&) { return std::nullopt; }

bool CDialogPrompt::EditJpegOptions(JpegOptionsRequest&) { return false; }
