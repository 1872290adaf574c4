#pragma once
// CAspectPanel (kept in RatioPanel.h: it holds the direction and the stretch/crop ratio): the
// "Aspect Settings" panel: the direction of the conversion and the stretch/crop slider.
//
// It writes both into the document's settings and re-runs the conversion when a direction radio is
// clicked or a slider interaction ends (EndTrack); moving the thumb changes nothing in the document.
// While the thumb stands at the "Crop" end (100) the stretch panel's mode and split point controls are
// off. The panel owns its controls only; the document and the stretch panel are the main window's.

#include "controls/PanelDialog.h"

class CStretchPanel;
class CVantorelDoc;

class CAspectPanel : public CPanelDialog {
    Q_OBJECT
public:
    static constexpr int kRatioSliderId = 1000;
    static constexpr int kConversionHeaderId = 1034;
    static constexpr int kRatioHeaderId = 1035;
    static constexpr int kToWideRadioId = 1040;     // "4:3 to 16:9", direction 0
    static constexpr int kToNarrowRadioId = 1041;   // "16:9 to 4:3", direction 1
    static constexpr int kCropEnd = 100;

    explicit CAspectPanel(QWidget* parent = nullptr);

    // Stores the document (may be null) and shows its settings once the controls exist.
    void SetDocument(CVantorelDoc* document);
    // The panel whose stretch controls follow the slider (off while it stands at 100).
    void SetStretchPanel(CStretchPanel* stretchPanel) { stretchPanel_ = stretchPanel; }
    // Shows the document's direction and ratio; the slider takes input only for "4:3 to 16:9".
    void UpdateFromDocument();
    // Writes the direction and ratio into the document, reloads the file when the direction changed
    // (its load-time normalisation depends on it), and re-runs the conversion.
    void ApplyToDocument();

protected:
    bool OnInitDialog() override;
    void OnButtonClicked(int id) override;
    void OnHScroll(int sliderId, int code, int position) override;
    QPixmap TemplatePicture(int pictureId, const QSize& size) const override;

private:
    CVantorelDoc* document_ = nullptr;
    CStretchPanel* stretchPanel_ = nullptr;
};
