#include "ui/AspectPanel.h"

CAspectPanel::CAspectPanel(QWidget* parent) : CPanelDialog(parent) {}

void CAspectPanel::SetDocument(CVantorelDoc* document) { document_ = document; }

bool CAspectPanel::OnInitDialog() { return true; }
