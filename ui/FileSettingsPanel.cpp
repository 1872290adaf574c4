#include "ui/FileSettingsPanel.h"

#include "controls/SkinButton.h"
#include "controls/SkinEdit.h"
#include "document/VantorelDoc.h"
#include "ui/ThumbnailStatic.h"

namespace {

constexpr int kSourceThumbnailId = 1011;
constexpr int kOutputThumbnailId = 1012;
constexpr int kFileInfoId = 1001;
constexpr int kFirstFormatId = 1040;  // 1040..1045: output formats 0..5
constexpr int kPanelWidth = 159;
constexpr int kPanelHeight = 405;

using Kind = DialogItem::Kind;
// The panel's controls in dialog units; the two thumbnails are added beside them.
constexpr DialogItem kTemplate[] = {
    {Kind::Header, 1036, "Source", 7, 3, 143, 8},
    {Kind::Header, 1037, "Output", 7, 116, 143, 8},
    {Kind::Static, 1034, "File Info", 7, 235, 143, 8},
    {Kind::Edit, kFileInfoId, "", 7, 246, 145, 31, DialogItem::kMultiLine | DialogItem::kReadOnly},
    {Kind::Header, 1035, "Output Format", 7, 290, 143, 8},
    {Kind::RadioButton, kFirstFormatId, "Kestrovo Universal Size (WYSIWYG)", 7, 305, 131, 10, DialogItem::kStartsGroup},
    {Kind::RadioButton, kFirstFormatId + 1, "NTSC D1 (720x480)", 7, 319, 80, 10},
    {Kind::RadioButton, kFirstFormatId + 2, "PAL D1 (720x576)", 7, 332, 74, 10},
    {Kind::RadioButton, kFirstFormatId + 3, "Original Size (for Photography)", 7, 346, 111, 10},
    {Kind::RadioButton, kFirstFormatId + 4, "Full HD (1920x1080)", 7, 359, 92, 10},
    {Kind::RadioButton, kFirstFormatId + 5, "UHD (3840x2160)", 7, 373, 80, 10},
};

// The pixel sizes of source and output as the "File Info" box shows them, one line each ('\n' is the
// box's line break). The source line gives the file's own size, before any square-pixel conversion.
QString FileInfoText(const ConversionSettings& settings, const CRasterImage& output, bool withOutputLine)
{
    QString text = QString("Source: %1 x %2").arg(settings.sourceWidth).arg(settings.sourceHeight);
    if (settings.sourceNonSquare == 1) text += "\nConverted RectPx->SquarePx";
    if (!withOutputLine) return text;
    switch (static_cast<OutputFormat>(settings.outputFormat)) {
    case OutputFormat::NtscD1: return text + QString("\nOutput: %1 x %2 - non-square px").arg(720).arg(480);
    case OutputFormat::PalD1: return text + QString("\nOutput: %1 x %2 - non-square px").arg(720).arg(576);
    default: return text + QString("\nOutput: %1 x %2").arg(output.width).arg(output.height);
    }
}

}  // namespace

CFileSettingsPanel::CFileSettingsPanel(QWidget* parent) : CPanelDialog(parent) {}

void CFileSettingsPanel::SetDocument(CVantorelDoc* document)
{
    document_ = document;
    // A closed document is let go by the thumbnails too, so a later drag pans nothing.
    if (IsCreated()) {
        sourceThumbnail_->SetDocument(document);
        outputThumbnail_->SetDocument(document);
    }
    UpdateSourcePreview();
}

void CFileSettingsPanel::UpdateSourcePreview()
{
    if (document_ != nullptr) ShowPreview(sourceThumbnail_, false);
}

void CFileSettingsPanel::UpdateOutputPreview()
{
    if (document_ != nullptr) ShowPreview(outputThumbnail_, true);
}

void CFileSettingsPanel::ShowPreview(CThumbnailStatic* thumbnail, bool withOutputLine)
{
    if (!IsCreated()) return;
    thumbnail->SetDocument(document_);
    const CConversion& conversion = document_->conversion;
    const CRasterImage& image = withOutputLine ? conversion.output : conversion.source;
    if (!image.HasPixels()) return;
    ShowFileInfo(withOutputLine);
    thumbnail->ShowPicture(image);
}

void CFileSettingsPanel::ShowFileInfo(bool withOutputLine)
{
    FileInfoBox()->SetText(FileInfoText(document_->conversion.settings, document_->conversion.output, withOutputLine));
}

void CFileSettingsPanel::UpdateSourceRegion()
{
    if (!IsCreated() || document_ == nullptr) return;
    const CConversion& conversion = document_->conversion;
    const CRasterImage& picture = sourceThumbnail_->Picture();
    PixelRect region;
    // Without a source there is no crop window to frame (and no scale to compute it with).
    if (conversion.source.HasPixels() && picture.HasPixels()) {
        const double sx = static_cast<double>(picture.width) / conversion.source.width;
        const double sy = static_cast<double>(picture.height) / conversion.source.height;
        const PixelRect& crop = conversion.settings.cropRect;
        region = {static_cast<std::int32_t>(crop.left * sx), static_cast<std::int32_t>(crop.top * sy),
                  static_cast<std::int32_t>(crop.right * sx), static_cast<std::int32_t>(crop.bottom * sy)};
    }
    sourceThumbnail_->SetRegion(region);
    sourceThumbnail_->RedrawNow();
}

void CFileSettingsPanel::OnFormatClicked(int format)
{
    if (document_ == nullptr) return;
    ConversionSettings& settings = document_->conversion.settings;
    const OutputGeometry old = settings.ComputeOutputSize();
    settings.ChooseOutputFormat(format);
    // Formats 0, 1 and 2 share one output picture and differ only when saving: the picture is rebuilt
    // only when its size changes.
    if (!(settings.ComputeOutputSize() == old)) {
        document_->UpdateConversion(false);
    } else if (IsCreated() && outputThumbnail_->Picture().HasPixels()) {
        ShowFileInfo(true);
    } else {
        UpdateOutputPreview();
    }
}

CSkinEdit* CFileSettingsPanel::FileInfoBox() const { return Control<CSkinEdit>(kFileInfoId); }

CSkinButton* CFileSettingsPanel::FormatRadio(int format) const { return Control<CSkinButton>(kFirstFormatId + format); }

void CFileSettingsPanel::OnButtonClicked(int id)
{
    if (id >= kFirstFormatId && id < kFirstFormatId + kOutputFormatCount) OnFormatClicked(id - kFirstFormatId);
}

bool CFileSettingsPanel::OnInitDialog()
{
    BuildTemplate(kTemplate, kPanelWidth, kPanelHeight);
    sourceThumbnail_ = new CThumbnailStatic;
    AddControl(kSourceThumbnailId, sourceThumbnail_, QRect(7, 12, 145, 101));
    outputThumbnail_ = new CThumbnailStatic;
    AddControl(kOutputThumbnailId, outputThumbnail_, QRect(7, 127, 145, 101));
    outputThumbnail_->SetDraggable(false);
    sourceThumbnail_->setAccessibleName("Source picture");
    sourceThumbnail_->setAccessibleDescription("Drag to move the crop window");
    outputThumbnail_->setAccessibleName("Output picture");
    FileInfoBox()->setAccessibleName("File Info");
    // The panel starts with the first output format checked; a click moves the check from then on.
    SetRadioGroupIndex(kFirstFormatId, 0);
    UpdateSourcePreview();
    // A panel first shown after a picture was converted missed that conversion's notice: it shows the
    // output there is, so the output thumbnail and its "File Info" line are not left empty.
    UpdateOutputPreview();
    return true;
}
