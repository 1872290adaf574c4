#pragma once
// CStretchPanel: the "Stretch Settings" panel: the six stretch modes, the split point and sharpening.
//
// Every change is written into the document's settings and followed by a conversion. The sliders use
// 0..255: the sharpen amount unchanged, the split point as position / 255 (shown truncated, so 0.5 shows
// as 127). Choosing a mode, even the one already chosen, puts the split point back in the middle and
// switches it off. Enabling means window enabling for the radios and check boxes and the slider's own
// flag for the sliders (greyed and deaf to the mouse, still stepped by the keys). The panel owns its
// controls only; the document is the main window's.

#include "controls/PanelDialog.h"

class CVantorelDoc;

class CStretchPanel : public CPanelDialog {
    Q_OBJECT
public:
    static constexpr int kSharpenCheckId = 1006;
    static constexpr int kSplitCheckId = 1007;
    static constexpr int kModeHeaderId = 1034;
    static constexpr int kSharpenHeaderId = 1035;
    static constexpr int kSplitHeaderId = 1036;
    static constexpr int kFirstModeRadioId = 1040;   // 1040 to 1045: stretch modes 0 to 5
    static constexpr int kSharpenSliderId = 1050;
    static constexpr int kSplitSliderId = 1051;
    static constexpr int kSliderMaximum = 255;

    explicit CStretchPanel(QWidget* parent = nullptr);

    // Stores the document (may be null) and shows its settings once the controls exist.
    void SetDocument(CVantorelDoc* document);
    // Called by the aspect panel: the mode radios and the split check follow `enable`, the split slider
    // too while its check is on; the sharpen slider follows its own check.
    void EnableStretchControls(bool enable);
    // Shows the document's mode, sharpening and split point with their enabling.
    void UpdateFromDocument();

    // The split slider's position for a split point: truncated, so 0.5 shows as 127.
    static int SplitToSlider(double splitPosition);

protected:
    bool OnInitDialog() override;
    void OnButtonClicked(int id) override;
    void OnHScroll(int sliderId, int code, int position) override;
    QPixmap TemplatePicture(int pictureId, const QSize& size) const override;

private:
    void OnModeClicked();
    void OnSharpenClicked();
    void OnSplitClicked();
    bool SplitSliderUsable(bool splitOn) const;

    CVantorelDoc* document_ = nullptr;
};
