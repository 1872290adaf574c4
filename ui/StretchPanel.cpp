#include "ui/StretchPanel.h"

CStretchPanel::CStretchPanel(QWidget* parent) : CPanelDialog(parent) {}

void CStretchPanel::SetDocument(CVantorelDoc* document) { document_ = document; }

void CStretchPanel::EnableStretchControls(bool) {}

bool CStretchPanel::OnInitDialog() { return true; }
