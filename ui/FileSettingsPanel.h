#pragma once
// CFileSettingsPanel: the "File Properties" panel: source and output thumbnails, the crop frame that
// pans by dragging, the "File Info" text and the output format.
//
// It holds a non-owning pointer to the document and owns its controls, built on first Create(). The
// crop frame is redrawn at once, with the event queue dispatched, even inside a running conversion
// update; every operation reached from that dispatch may therefore run while another is under way, and
// each one reads the document afresh instead of keeping values across the call.

#include "controls/PanelDialog.h"

class CSkinButton;
class CSkinEdit;
class CThumbnailStatic;
class CVantorelDoc;

class CFileSettingsPanel : public CPanelDialog {
    Q_OBJECT
public:
    explicit CFileSettingsPanel(QWidget* parent = nullptr);

    // Stores the document (or null) and shows its source picture.
    void SetDocument(CVantorelDoc* document);
    // Rebuild the source or output thumbnail and the "File Info" text from the document's pictures.
    void UpdateSourcePreview();
    void UpdateOutputPreview();
    // Moves the red frame to the document's crop window and repaints it at once.
    void UpdateSourceRegion();

    // The controls; null until Create().
    CThumbnailStatic* SourceThumbnail() const { return sourceThumbnail_; }
    CThumbnailStatic* OutputThumbnail() const { return outputThumbnail_; }
    CSkinEdit* FileInfoBox() const;
    // The radio of output format 0..5.
    CSkinButton* FormatRadio(int format) const;

protected:
    bool OnInitDialog() override;
    void OnButtonClicked(int id) override;

private:
    void ShowPreview(CThumbnailStatic* thumbnail, bool withOutputLine);
    void ShowFileInfo(bool withOutputLine);
    void OnFormatClicked(int format);

    CThumbnailStatic* outputThumbnail_ = nullptr;
    CThumbnailStatic* sourceThumbnail_ = nullptr;
    CVantorelDoc* document_ = nullptr;
};
