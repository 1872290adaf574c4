#include "ui/StretchPanel.h"

#include "controls/PanelSlider.h"
#include "document/VantorelDoc.h"
#include "ui/PanelPictures.h"

#include <cmath>

namespace {
using Kind = DialogItem::Kind;
constexpr int kNoId = CPanelDialog::kNoId;
constexpr int kModeCount = kStretchModeCount;
constexpr int kPicture = panel_pictures::kFirstModePicture;

// The check boxes have no text: the header to their right is their label.
constexpr DialogItem kTemplate[] = {
    {Kind::RadioButton, CStretchPanel::kFirstModeRadioId, "Uniform Stretch", 7, 7, 70, 8, DialogItem::kStartsGroup},
    {Kind::Picture, kNoId, "", 98, 5, 23, 14, 0, kPicture + 0},
    {Kind::Header, CStretchPanel::kModeHeaderId, "Smart Stretch", 7, 25, 116, 8},
    {Kind::RadioButton, CStretchPanel::kFirstModeRadioId + 1, "Stretch Right Side", 7, 41, 73, 10},
    {Kind::Picture, kNoId, "", 98, 37, 23, 14, 0, kPicture + 1},
    {Kind::RadioButton, CStretchPanel::kFirstModeRadioId + 2, "Stretch Left Side", 7, 57, 69, 10},
    {Kind::Picture, kNoId, "", 98, 55, 23, 14, 0, kPicture + 2},
    {Kind::RadioButton, CStretchPanel::kFirstModeRadioId + 3, "Stretch Both Sides", 7, 75, 75, 10},
    {Kind::Picture, kNoId, "", 98, 73, 23, 14, 0, kPicture + 3},
    {Kind::RadioButton, CStretchPanel::kFirstModeRadioId + 4, "Stretch Edges", 7, 93, 61, 10},
    {Kind::Picture, kNoId, "", 98, 91, 23, 14, 0, kPicture + 4},
    {Kind::RadioButton, CStretchPanel::kFirstModeRadioId + 5, "Extreme Edges", 7, 111, 63, 10},
    {Kind::Picture, kNoId, "", 98, 109, 23, 14, 0, kPicture + 5},
    {Kind::CheckBox, CStretchPanel::kSplitCheckId, "", 7, 127, 10, 9, DialogItem::kStartsGroup},
    {Kind::Header, CStretchPanel::kSplitHeaderId, "Adjust Split Point", 19, 127, 104, 8},
    {Kind::Slider, CStretchPanel::kSplitSliderId, "", 7, 140, 115, 12},
    {Kind::CheckBox, CStretchPanel::kSharpenCheckId, "", 7, 158, 10, 10, DialogItem::kStartsGroup},
    {Kind::Header, CStretchPanel::kSharpenHeaderId, "Sharpen", 19, 158, 104, 8},
    {Kind::Slider, CStretchPanel::kSharpenSliderId, "", 7, 173, 115, 11},
};

bool IsModeRadio(int id) { return id >= CStretchPanel::kFirstModeRadioId && id < CStretchPanel::kFirstModeRadioId + kModeCount; }
}  // namespace

CStretchPanel::CStretchPanel(QWidget* parent) : CPanelDialog(parent) {}

int CStretchPanel::SplitToSlider(double splitPosition)
{
    // Out-of-range and non-numbers land on the ends; in range the value is truncated toward zero.
    if (!(splitPosition > 0.0)) return 0;
    if (splitPosition >= 1.0) return kSliderMaximum;
    return int(std::trunc(splitPosition * kSliderMaximum));
}

void CStretchPanel::SetDocument(CVantorelDoc* document)
{
    document_ = document;
    UpdateFromDocument();
}

bool CStretchPanel::OnInitDialog()
{
    BuildTemplate(kTemplate, 130, 191);
    // The headers beside the two check boxes name them and their sliders for screen readers.
    Control<QWidget>(kSplitCheckId)->setAccessibleName(QStringLiteral("Adjust Split Point"));
    Control<QWidget>(kSplitSliderId)->setAccessibleName(QStringLiteral("Adjust Split Point"));
    Control<QWidget>(kSharpenCheckId)->setAccessibleName(QStringLiteral("Sharpen"));
    Control<QWidget>(kSharpenSliderId)->setAccessibleName(QStringLiteral("Sharpen"));
    UpdateFromDocument();
    return true;
}

bool CStretchPanel::SplitSliderUsable(bool splitOn) const
{
    return splitOn && !document_->conversion.settings.ToFourThree();
}

void CStretchPanel::UpdateFromDocument()
{
    if (document_ == nullptr || !IsCreated()) return;
    const ConversionSettings& settings = document_->conversion.settings;
    SetRadioGroupIndex(kFirstModeRadioId, settings.stretchMode);
    SetButtonCheck(kSharpenCheckId, settings.sharpenOn != 0 ? 1 : 0);
    SetSliderPos(kSharpenSliderId, settings.sharpenAmount);
    SetButtonCheck(kSplitCheckId, settings.splitOn != 0 ? 1 : 0);
    SetSliderPos(kSplitSliderId, SplitToSlider(settings.splitPosition));
    // The modes only widen a picture: "16:9 to 4:3" has nothing to stretch.
    for (int mode = 0; mode < kModeCount; ++mode) EnableControl(kFirstModeRadioId + mode, !settings.ToFourThree());
    SetSliderEnabled(kSplitSliderId, SplitSliderUsable(settings.splitOn != 0));
    SetSliderEnabled(kSharpenSliderId, settings.sharpenOn != 0);
}

void CStretchPanel::EnableStretchControls(bool enable)
{
    if (!IsCreated()) return;
    for (int mode = 0; mode < kModeCount; ++mode) EnableControl(kFirstModeRadioId + mode, enable);
    EnableControl(kSplitCheckId, enable);
    SetSliderEnabled(kSplitSliderId, enable && GetButtonCheck(kSplitCheckId) != 0);
    SetSliderEnabled(kSharpenSliderId, GetButtonCheck(kSharpenCheckId) != 0);
}

void CStretchPanel::OnButtonClicked(int id)
{
    if (IsModeRadio(id)) OnModeClicked();
    else if (id == kSharpenCheckId) OnSharpenClicked();
    else if (id == kSplitCheckId) OnSplitClicked();
}

void CStretchPanel::OnModeClicked()
{
    if (document_ == nullptr || !IsCreated()) return;
    ConversionSettings& settings = document_->conversion.settings;
    settings.stretchMode = GetRadioGroupIndex(kFirstModeRadioId);
    // A manual split point belongs to the mode it was set for.
    document_->ResetSplitPoint();
    SetSliderPos(kSplitSliderId, SplitToSlider(settings.splitPosition));
    SetButtonCheck(kSplitCheckId, settings.splitOn != 0 ? 1 : 0);
    SetSliderEnabled(kSplitSliderId, SplitSliderUsable(settings.splitOn != 0));
    document_->UpdateConversion(false);
}

void CStretchPanel::OnSharpenClicked()
{
    if (document_ == nullptr || !IsCreated()) return;
    const bool sharpenOn = GetButtonCheck(kSharpenCheckId) != 0;
    SetSliderEnabled(kSharpenSliderId, sharpenOn);
    document_->conversion.settings.sharpenOn = sharpenOn ? 1 : 0;
    document_->UpdateConversion(false);
}

void CStretchPanel::OnSplitClicked()
{
    if (document_ == nullptr || !IsCreated()) return;
    const bool splitOn = GetButtonCheck(kSplitCheckId) != 0;
    document_->conversion.settings.splitOn = splitOn ? 1 : 0;
    document_->UpdateConversion(false);
    SetSliderEnabled(kSplitSliderId, splitOn);
}

void CStretchPanel::OnHScroll(int sliderId, int code, int position)
{
    (void)sliderId, (void)position;
    if (document_ == nullptr || !IsCreated() || code != int(CPanelSlider::Code::EndTrack)) return;
    // Both sliders are read, whichever of them was released.
    ConversionSettings& settings = document_->conversion.settings;
    settings.sharpenAmount = GetSliderPos(kSharpenSliderId);
    settings.splitPosition = GetSliderPos(kSplitSliderId) / double(kSliderMaximum);
    document_->UpdateConversion(false);
}

QPixmap CStretchPanel::TemplatePicture(int pictureId, const QSize& size) const
{
    return panel_pictures::Draw(pictureId, size);
}
