#pragma once
// CAspectPanel: the "Aspect Settings" panel: the direction of the conversion and the stretch/crop slider.

#include "controls/PanelDialog.h"

class CStretchPanel;
class CVantorelDoc;

class CAspectPanel : public CPanelDialog {
    Q_OBJECT
public:
    explicit CAspectPanel(QWidget* parent = nullptr);

    void SetDocument(CVantorelDoc* document);
    // The panel whose stretch controls follow the slider (off while it stands at 100).
    void SetStretchPanel(CStretchPanel* stretchPanel) { stretchPanel_ = stretchPanel; }

protected:
    bool OnInitDialog() override;

private:
    CVantorelDoc* document_ = nullptr;
    CStretchPanel* stretchPanel_ = nullptr;
};
