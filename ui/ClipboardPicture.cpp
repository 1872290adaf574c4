#include "ui/ClipboardPicture.h"

#include "document/VantorelDoc.h"
#include "document/dialogs/PictureImage.h"
#include "image/RasterImage.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>

#include <cstring>

void CopyPictureToClipboard(const CRasterImage& picture)
{
    // The clipboard keeps its own copy of the picture's colour rows.
    const QImage image = PictureToQImage(picture);
    if (!image.isNull()) QGuiApplication::clipboard()->setImage(image);
}

bool PasteClipboardPicture(CVantorelDoc& document)
{
    const QImage image = QGuiApplication::clipboard()->image();
    if (image.isNull()) return false;
    // The document checks the size against the pixel budget before the colour copy is made.
    return document.PasteImage(static_cast<std::uint32_t>(image.width()), static_cast<std::uint32_t>(image.height()),
                               [&image](std::uint8_t* rows) {
                                   // The colour copy is null when memory runs short.
                                   const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
                                   if (rgb.size() != image.size()) return false;
                                   const std::size_t rowBytes = static_cast<std::size_t>(rgb.width()) * 3;
                                   for (int y = 0; y < rgb.height(); ++y)
                                       std::memcpy(rows + rowBytes * static_cast<std::size_t>(y), rgb.constScanLine(y), rowBytes);
                                   return true;
                               });
}
