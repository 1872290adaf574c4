#include "document/dialogs/PreviewStatic.h"

#include "document/dialogs/PictureImage.h"
#include "image/FileType.h"

#include <QPainter>

#include <algorithm>
#include <filesystem>

CPreviewStatic::CPreviewStatic(QWidget* parent) : QFrame(parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
}

QRect CPreviewStatic::AvailableRect() const
{
    return contentsRect().adjusted(1, 1, -1, -1);
}

void CPreviewStatic::ClearPreview()
{
    thumbnail.FreePixels();
    thumbnailImage = QImage();
    loadedWidth = loadedHeight = storedWidth = storedHeight = 0;
}

bool CPreviewStatic::LoadPreview(const std::string& path)
{
    ClearPreview();
    // Only plain files are opened: reading a folder gives nothing, and reading a pipe or a device
    // could wait for ever.
    std::error_code error;
    const bool plainFile = std::filesystem::is_regular_file(path, error);
    const int type = plainFile ? CRasterImage::DetectFileType(path.c_str()) : kFileUnknown;
    CRasterImage loaded;
    // The hint lets the JPEG reader decode at 1/8, 1/4 or 1/2 scale while that stays larger than the box.
    loaded.SetDecodeHint(contentsRect().width(), contentsRect().height());
    if (type == kFileUnknown || loaded.Load(path.c_str(), type) != kImageOk) {
        update();
        return false;
    }
    loadedWidth = static_cast<int>(loaded.width);
    loadedHeight = static_cast<int>(loaded.height);
    storedWidth = static_cast<int>(loaded.fileWidth);
    storedHeight = static_cast<int>(loaded.fileHeight);

    const QRect available = AvailableRect();
    if (loadedWidth <= available.width() && loadedHeight <= available.height()) {
        thumbnail.TakeOver(loaded);
    } else if (!available.isEmpty()) {
        const double scale = std::max(static_cast<double>(loadedWidth) / available.width(),
                                      static_cast<double>(loadedHeight) / available.height());
        // A very long, thin picture still keeps one row or column.
        const auto fittedWidth = std::max<std::uint32_t>(1, static_cast<std::uint32_t>(loadedWidth * (1 / scale)));
        const auto fittedHeight = std::max<std::uint32_t>(1, static_cast<std::uint32_t>(loadedHeight * (1 / scale)));
        thumbnail.Resample(loaded, fittedWidth, fittedHeight, kResampleAverage);
    }
    thumbnailImage = PictureToQImage(thumbnail);
    update();
    return true;
}

void CPreviewStatic::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    const QRect available = AvailableRect();
    painter.fillRect(available, QColor(128, 128, 128));
    if (thumbnailImage.isNull()) return;
    // Integer halves, so the thumbnail sits centred to the pixel the same way every time.
    painter.drawImage(available.left() + (available.width() - thumbnailImage.width()) / 2,
                      available.top() + (available.height() - thumbnailImage.height()) / 2, thumbnailImage);
}
