#include "platform/PainterDeviceContext.h"

#include <QImage>
#include <QList>
#include <QPaintDevice>
#include <QPainter>

#include <cstddef>

namespace platform {
namespace {

// The part of the painter's surface being painted, in the painter's coordinates: its device, narrowed
// to the clip when one is set.
QRect PaintedArea(const QPainter& painter)
{
    const QPaintDevice* device = painter.device();
    QRect area = painter.combinedTransform().inverted().mapRect(QRect(0, 0, device->width(), device->height()));
    if (painter.hasClipping()) area &= painter.clipBoundingRect().toAlignedRect();
    return area;
}

// A full colour table for the bitmap's depth (256 entries for 8 bits, 2 for 1 bit): an index the
// palette does not reach reads entry 0, so no index is left without a colour.
QList<QRgb> ColorTable(const DeviceBitmap& bitmap)
{
    const int tableSize = bitmap.bitsPerPixel == 1 ? 2 : 256;
    QList<QRgb> table(tableSize, qRgb(0, 0, 0));
    if (bitmap.palette == nullptr || bitmap.paletteCount < 1) return table;
    for (int index = 0; index < tableSize; ++index) {
        const std::uint8_t* entry = bitmap.palette + 4 * (index < bitmap.paletteCount ? index : 0);
        table[index] = qRgb(entry[2], entry[1], entry[0]);
    }
    return table;
}

}  // namespace

bool CPainterDeviceContext::Blit(const DeviceBitmap& bitmap, int x, int y)
{
    if (!painter_.isActive() || bitmap.pixels == nullptr || bitmap.width < 1 || bitmap.height < 1) return false;
    const QRect seen = QRect(x, y, bitmap.width, bitmap.height) & PaintedArea(painter_);
    if (seen.isEmpty()) return true;

    // Only the rows and columns that are seen are wrapped; the rows keep the picture's stride, so nothing
    // is copied here. A 1-bit row can only start at a whole byte: the wrap then begins up to seven
    // pixels early and those pixels are skipped when painting.
    const int firstColumn = seen.left() - x;
    const std::uint8_t* firstRow = bitmap.pixels + static_cast<std::ptrdiff_t>(seen.top() - y) * bitmap.stride;
    int skippedColumns = 0;
    QImage part;
    switch (bitmap.bitsPerPixel) {
    case 24:
        part = QImage(firstRow + 3 * static_cast<std::ptrdiff_t>(firstColumn), seen.width(), seen.height(),
                      bitmap.stride, QImage::Format_RGB888);
        break;
    case 8:
        part = QImage(firstRow + firstColumn, seen.width(), seen.height(), bitmap.stride, QImage::Format_Indexed8);
        part.setColorTable(ColorTable(bitmap));
        break;
    case 1:
        skippedColumns = firstColumn & 7;
        part = QImage(firstRow + (firstColumn >> 3), seen.width() + skippedColumns, seen.height(), bitmap.stride,
                      QImage::Format_Mono);
        part.setColorTable(ColorTable(bitmap));
        break;
    default:
        return false;
    }
    if (part.isNull()) return false;
    painter_.drawImage(seen.topLeft(), part, QRect(skippedColumns, 0, seen.width(), seen.height()));
    return true;
}

}  // namespace platform
