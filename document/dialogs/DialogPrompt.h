#pragma once
// CDialogPrompt: the desktop program's answers to the document's questions: message boxes, the save
// dialog and the JPEG options dialog.

#include "document/UserPrompt.h"

class QWidget;

class CDialogPrompt : public CUserPrompt {
public:
    explicit CDialogPrompt(QWidget* parent) : parent_(parent) {}

    void ShowMessage(const std::string& text) override;
    std::optional<std::string> AskSavePath(const SaveDialogRequest& request) override;
    bool EditJpegOptions(JpegOptionsRequest& request) override;

private:
    QWidget* parent_;
};
