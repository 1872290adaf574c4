#include "ui/FileSettingsPanel.h"

CFileSettingsPanel::CFileSettingsPanel(QWidget* parent) : CPanelDialog(parent) {}

void CFileSettingsPanel::SetDocument(CVantorelDoc* document) { document_ = document; }

void CFileSettingsPanel::UpdateSourcePreview() {}

void CFileSettingsPanel::UpdateOutputPreview() {}

void CFileSettingsPanel::UpdateSourceRegion() {}

bool CFileSettingsPanel::OnInitDialog() { return true; }
