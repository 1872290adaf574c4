#include "controls/PanelDialog.h"

CPanelDialog::CPanelDialog(QWidget* parent) : QWidget(parent) {}

bool CPanelDialog::Create()
{
    if (created_) return true;
    created_ = true;
    return OnInitDialog();
}
