#include "ui/RatioPanel.h"

#include "controls/PanelSlider.h"
#include "document/VantorelDoc.h"
#include "ui/PanelPictures.h"
#include "ui/StretchPanel.h"

namespace {
using Kind = DialogItem::Kind;
constexpr int kNoId = CPanelDialog::kNoId;

constexpr DialogItem kTemplate[] = {
    {Kind::Header, CAspectPanel::kConversionHeaderId, "Conversion", 7, 6, 116, 8},
    {Kind::RadioButton, CAspectPanel::kToWideRadioId, "4:3 to 16:9", 7, 23, 50, 10, DialogItem::kStartsGroup},
    {Kind::RadioButton, CAspectPanel::kToNarrowRadioId, "16:9 to 4:3", 7, 39, 50, 10},
    {Kind::Header, CAspectPanel::kRatioHeaderId, "Stretch/Crop Ratio", 7, 57, 116, 8},
    {Kind::Picture, kNoId, "", 7, 74, 23, 14, 0, panel_pictures::kStretchPicture},
    {Kind::Picture, kNoId, "", 100, 74, 23, 14, 0, panel_pictures::kCropPicture},
    {Kind::Slider, CAspectPanel::kRatioSliderId, "", 7, 90, 116, 11},
    {Kind::Static, kNoId, "Stretch", 7, 102, 24, 8},
    {Kind::Static, kNoId, "Crop", 104, 102, 16, 8},
};
}  // namespace

CAspectPanel::CAspectPanel(QWidget* parent) : CPanelDialog(parent) {}

void CAspectPanel::SetDocument(CVantorelDoc* document)
{
    document_ = document;
    UpdateFromDocument();
}

bool CAspectPanel::OnInitDialog()
{
    BuildTemplate(kTemplate, 130, 146);
    Control<QWidget>(kRatioSliderId)->setAccessibleName(QStringLiteral("Stretch/Crop Ratio"));
    SetSliderRange(kRatioSliderId, 0, kCropEnd, 0);
    UpdateFromDocument();
    return true;
}

void CAspectPanel::UpdateFromDocument()
{
    if (document_ == nullptr || !IsCreated()) return;
    const ConversionSettings& settings = document_->conversion.settings;
    SetRadioGroupIndex(kToWideRadioId, settings.ToFourThree() ? 1 : 0);
    SetSliderPos(kRatioSliderId, settings.stretchCropRatio);
    // "16:9 to 4:3" is a pure crop: the ratio stays shown but takes no input.
    EnableControl(kRatioSliderId, !settings.ToFourThree());
}

void CAspectPanel::ApplyToDocument()
{
    if (document_ == nullptr || !IsCreated()) return;
    ConversionSettings& settings = document_->conversion.settings;
    const std::int32_t oldDirection = settings.direction;
    settings.direction = GetRadioGroupIndex(kToWideRadioId) == 1 ? 1 : 0;
    settings.stretchCropRatio = GetSliderPos(kRatioSliderId);
    // The reload refreshes the panels through the main window when it succeeds.
    if (settings.direction != oldDirection) document_->OnReloadFile();
    document_->UpdateConversion(false);
}

void CAspectPanel::OnButtonClicked(int id)
{
    if (id == kToWideRadioId || id == kToNarrowRadioId) ApplyToDocument();
}

void CAspectPanel::OnHScroll(int sliderId, int code, int position)
{
    (void)position;
    if (sliderId != kRatioSliderId || document_ == nullptr) return;
    if (code == int(CPanelSlider::Code::EndTrack)) ApplyToDocument();
    // Every notification, thumb tracking included: the stretch controls grey out the moment the thumb
    // reaches the "Crop" end, not only when it is released there.
    if (stretchPanel_ != nullptr) stretchPanel_->EnableStretchControls(GetSliderPos(kRatioSliderId) != kCropEnd);
}

QPixmap CAspectPanel::TemplatePicture(int pictureId, const QSize& size) const
{
    return panel_pictures::Draw(pictureId, size);
}
