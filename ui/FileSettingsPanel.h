#pragma once
// CFileSettingsPanel: the "File Properties" panel: source and output thumbnails, the crop frame that
// pans by dragging, the "File Info" text and the output format.

#include "controls/PanelDialog.h"

class CVantorelDoc;

class CFileSettingsPanel : public CPanelDialog {
    Q_OBJECT
public:
    explicit CFileSettingsPanel(QWidget* parent = nullptr);

    void SetDocument(CVantorelDoc* document);
    void UpdateSourcePreview();
    void UpdateOutputPreview();
    void UpdateSourceRegion();

protected:
    bool OnInitDialog() override;

private:
    CVantorelDoc* document_ = nullptr;
};
