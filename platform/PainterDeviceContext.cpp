#include "platform/PainterDeviceContext.h"

#include <QImage>
#include <QPaintDevice>
#include <QPainter>

#include <algorithm>
#include <array>
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

// The colours of an indexed picture's pixel values: an index the palette does not reach reads entry 0,
// so no value is left without a colour.
std::array<QRgb, 256> ColorTable(const DeviceBitmap& bitmap)
{
    std::array<QRgb, 256> table;
    table.fill(qRgb(0, 0, 0));
    if (bitmap.palette == nullptr || bitmap.paletteCount < 1) return table;
    for (int index = 0; index < 256; ++index) {
        const std::uint8_t* entry = bitmap.palette + 4 * (index < bitmap.paletteCount ? index : 0);
        table[index] = qRgb(entry[2], entry[1], entry[0]);
    }
    return table;
}

// Rows in the screen's own format for the seen part of an indexed picture, kept between paints so a
// paint allocates nothing once the window has been painted at its size.
QImage& ScratchRows(QSize size)
{
    thread_local QImage scratch;
    if (scratch.width() < size.width() || scratch.height() < size.height())
        scratch = QImage(std::max(scratch.width(), size.width()), std::max(scratch.height(), size.height()),
                         QImage::Format_RGB32);
    return scratch;
}

}  // namespace

bool CPainterDeviceContext::Blit(const DeviceBitmap& bitmap, int x, int y)
{
    if (!painter_.isActive() || bitmap.pixels == nullptr || bitmap.width < 1 || bitmap.height < 1) return false;
    if (bitmap.bitsPerPixel != 24 && bitmap.bitsPerPixel != 8 && bitmap.bitsPerPixel != 1) return false;
    const QRect seen = QRect(x, y, bitmap.width, bitmap.height) & PaintedArea(painter_);
    if (seen.isEmpty()) return true;

    // Only the rows and columns that are seen are read.
    const int firstColumn = seen.left() - x;
    const std::uint8_t* firstRow = bitmap.pixels + static_cast<std::ptrdiff_t>(seen.top() - y) * bitmap.stride;
    if (bitmap.bitsPerPixel == 24) {
        // Wrapped where they lie, at the picture's stride: nothing is copied here.
        const QImage part(firstRow + 3 * static_cast<std::ptrdiff_t>(firstColumn), seen.width(), seen.height(),
                          bitmap.stride, QImage::Format_RGB888);
        if (part.isNull()) return false;
        painter_.drawImage(seen.topLeft(), part);
        return true;
    }

    // Indexed pixels are looked up here, once each: the painter's own path for them is several times
    // slower on a window-sized part.
    QImage& rows = ScratchRows(seen.size());
    if (rows.isNull()) return false;
    const std::array<QRgb, 256> table = ColorTable(bitmap);
    for (int row = 0; row < seen.height(); ++row) {
        const std::uint8_t* in = firstRow + static_cast<std::ptrdiff_t>(row) * bitmap.stride;
        auto* out = reinterpret_cast<QRgb*>(rows.scanLine(row));
        if (bitmap.bitsPerPixel == 8) {
            for (int i = 0; i < seen.width(); ++i) out[i] = table[in[firstColumn + i]];
        } else {
            // Bit by bit up to a byte boundary, then eight pixels from each whole byte, then the rest.
            int i = 0, column = firstColumn;
            const auto pixel = [&] { out[i++] = table[(in[column >> 3] >> (7 - (column & 7))) & 1]; ++column; };
            while (i < seen.width() && (column & 7) != 0) pixel();
            for (; i + 8 <= seen.width(); i += 8, column += 8) {
                const unsigned bits = in[column >> 3];
                for (int bit = 0; bit < 8; ++bit) out[i + bit] = table[(bits >> (7 - bit)) & 1];
            }
            while (i < seen.width()) pixel();
        }
    }
    painter_.drawImage(seen.topLeft(), rows, QRect(QPoint(0, 0), seen.size()));
    return true;
}

}  // namespace platform
