#pragma once
// Device-independent bitmaps embedded in metafile records, decoded into a QImage.
//
// The header and colour table come from one part of a record and the pixel bits from another (enhanced
// metafiles) or right after the table (Windows metafiles, "packed" bitmaps). Every header field is
// checked before a pixel is touched: a bitmap that is malformed, over the pixel budget or not backed
// by enough bits yields a null image, and the record that carries it is skipped.

#include <QImage>

#include <cstdint>
#include <span>

namespace platform::metafile {

// A decoded bitmap, top row first, and whether the file stored it bottom-up (source rectangles of
// bottom-up bitmaps count their y from the bottom row).
struct DecodedDib {
    QImage image;
    bool bottomUp = true;
};

// Header (BITMAPCOREHEADER or BITMAPINFOHEADER and its later versions) plus colour table in `info`,
// rows in `bits`. Colour tables of palette indices (as opposed to RGB entries) are not decoded.
// With `alpha`, uncompressed 32-bit pixels keep their fourth byte as premultiplied alpha (the
// alpha-blend record's per-pixel form); otherwise that byte is ignored.
DecodedDib DecodeDib(std::span<const std::uint8_t> info, std::span<const std::uint8_t> bits, bool alpha = false);

// The same for a packed bitmap: header, colour table and bits in one block.
DecodedDib DecodePackedDib(std::span<const std::uint8_t> packed);

}  // namespace platform::metafile
