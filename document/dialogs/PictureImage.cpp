#include "document/dialogs/PictureImage.h"

#include "image/RasterImage.h"

QImage PictureToQImage(const CRasterImage& picture)
{
    if (!picture.HasPixels()) return {};
    const CRasterImage* rgb = &picture;
    CRasterImage widened;
    if (picture.bitsPerPixel != 24) {
        if (picture.ConvertTo24(widened) != kImageOk) return {};
        rgb = &widened;
    }
    // Rows are packed red-green-blue without padding; copy() detaches the image from the picture's buffer.
    return QImage(rgb->Pixels(), static_cast<int>(rgb->width), static_cast<int>(rgb->height),
                  static_cast<qsizetype>(rgb->width) * 3, QImage::Format_RGB888)
        .copy();
}
