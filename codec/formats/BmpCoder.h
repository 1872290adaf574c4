#pragma once
// Windows bitmaps with the 40-byte info header: 1, 4, 8, 16, 24 and 32 bits per pixel, uncompressed,
// with bit-field masks (16 and 32 bits) or run-length coded (RLE8, RLE4). Written uncompressed at 1, 4,
// 8, 16 and 24 bits.
//
// The reader checks the headers field by field and that the file holds every row before it allocates;
// a file that ends early gives kCodecErrReadFailed and no pixels. Returned buffers belong to the caller
// (platform::GlobalFree). Palettes are 256 entries of blue, green, red, reserved.

#include "codec/CodecDpiInfo.h"
#include "codec/CodecIO.h"

#include <cstdint>

// biWidth, biHeight (negative for a top-down file) and biBitCount, read from the source's current
// position; the resolution in pixels per centimetre with unit 1 when `dpi` is given. Nonzero on
// success; kCodecErrNotBmp without "BM" or with a header the reader does not take, kCodecErrReadFailed
// when the headers cannot be read.
int CodecGetBmpDimensions(CodecIOHandle* source, int* width, int* height, int* bitsPerPixel, CodecDpiInfo* dpi);

// The colour table of a 1-, 4- or 8-bit file: count = biClrUsed capped at 256, or 2^bits when it is 0;
// that many entries are copied as stored and the rest of the palette is left as it was.
int CodecGetBmpPalette(CodecIOHandle* source, int* count, std::uint8_t* palette);

// bitsPerPixel 24 (red, green, blue) and 32 (red, green, blue, alpha 255) take every supported file;
// 8 (indices) and 1 (rows as stored) take files of at most that depth and fill the palette, padded to
// 256 entries with copies of entry 0. Rows are delivered top row first whatever the file's order.
std::uint8_t* CodecReadBmp(CodecIOHandle* source, int* width, int* height, int bitsPerPixel,
                           std::uint8_t* palette, int flags);

// Writes packed rows of the given depth (1, 4, 8: palette indices, most significant bits first; 16:
// little-endian 5-5-5 words; 24: red, green, blue), top row first. 1-, 4- and 8-bit images need a
// palette, of which `colorCount` entries are written (all 2^bits when the count is 0 or larger than
// that). The resolution goes unchanged into the pixels-per-metre fields (0 without a record). Returns
// the sink's size in bytes, 0 on failure.
std::int64_t CodecWriteBmp(CodecIOHandle* sink, const std::uint8_t* pixels, int width, int height,
                           int bitsPerPixel, int colorCount, const std::uint8_t* palette,
                           const CodecDpiInfo* dpi, int flags);
