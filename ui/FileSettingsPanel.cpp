#include "ui/FileSettingsPanel.h"

#include "controls/PanelHeader.h"
#include "controls/SkinButton.h"
#include "controls/SkinEdit.h"
#include "document/VantorelDoc.h"
#include "ui/ThumbnailStatic.h"

#include <QKeyEvent>
#include <QLabel>

namespace {

constexpr int kOriginalFormat = static_cast<int>(OutputFormat::Original);

// The pixel sizes of source and output as the "File Info" box shows them, one line each. The source
// line gives the file's own size, before any square-pixel conversion.
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
    fileInfo_->SetText(FileInfoText(document_->conversion.settings, document_->conversion.output, withOutputLine));
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
    formatIndex_ = format;
    if (document_ == nullptr) return;
    ConversionSettings& settings = document_->conversion.settings;
    const int old = settings.outputFormat;
    settings.outputFormat = format;
    // Formats 0, 1 and 2 share one output picture and differ only when saving; the photographic size
    // is a different picture.
    if ((old == kOriginalFormat) != (format == kOriginalFormat)) {
        document_->UpdateConversion(false);
    } else if (IsCreated() && outputThumbnail_->Picture().HasPixels()) {
        ShowFileInfo(true);
    } else {
        UpdateOutputPreview();
    }
}

void CFileSettingsPanel::keyPressEvent(QKeyEvent* event)
{
    // Escape and Enter would otherwise reach the main window; the panel has nothing to close or accept.
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter: event->accept(); return;
    default: CPanelDialog::keyPressEvent(event);
    }
}

bool CFileSettingsPanel::OnInitDialog()
{
    // Controls in declaration order of the panel; positions in dialog units.
    sourceHeader_ = new CPanelHeader("Source", this);
    sourceThumbnail_ = new CThumbnailStatic(this);
    outputHeader_ = new CPanelHeader("Output", this);
    outputThumbnail_ = new CThumbnailStatic(this);
    auto* caption = new QLabel("File Info", this);
    fileInfo_ = new CSkinEdit(CSkinEdit::kMultiLine | CSkinEdit::kReadOnly, this);
    formatHeader_ = new CPanelHeader("Output Format", this);
    const char* const formatTexts[] = {"Kestrovo Universal Size (WYSIWYG)", "NTSC D1 (720x480)", "PAL D1 (720x576)",
                                       "Original Size (for Photography)"};
    for (int format = 0; format < 4; ++format) {
        formatRadios_[format] = new CSkinButton(CSkinButton::Kind::RadioButton, formatTexts[format], this);
    }
    (void)caption;

    outputThumbnail_->SetDraggable(false);
    sourceThumbnail_->setAccessibleName("Source picture");
    sourceThumbnail_->setAccessibleDescription("Drag to move the crop window");
    outputThumbnail_->setAccessibleName("Output picture");
    fileInfo_->setAccessibleName("File Info");
    formatRadios_[formatIndex_]->setChecked(true);
    for (int format = 0; format < 4; ++format) {
        connect(formatRadios_[format], &CSkinButton::clicked, this, [this, format] { OnFormatClicked(format); });
    }
    UpdateSourcePreview();
    return true;
}
