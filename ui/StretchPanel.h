#pragma once
// CStretchPanel: the "Stretch Settings" panel: the six stretch modes, the split point and sharpening.

#include "controls/PanelDialog.h"

class CVantorelDoc;

class CStretchPanel : public CPanelDialog {
    Q_OBJECT
public:
    explicit CStretchPanel(QWidget* parent = nullptr);

    void SetDocument(CVantorelDoc* document);
    // Called by the aspect panel: the mode radios and the split check follow `enable`.
    void EnableStretchControls(bool enable);

protected:
    bool OnInitDialog() override;

private:
    CVantorelDoc* document_ = nullptr;
};
