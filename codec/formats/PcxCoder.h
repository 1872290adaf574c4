#pragma once
// PCX files: 1 to 8 bits per pixel in one or more planes, and 24-bit files of three 8-bit planes, read
// as 24-bit red, green, blue, as 8-bit indices or (one-plane 1-bit files) as packed 1-bit rows; written
// run-length coded, version 5, at 8 bits with a 256-colour palette or at 24 bits.
//
// The header is always read from the start of the source. The reader checks it field by field and
// that the file can hold the lines it claims before it allocates; a file that ends early gives
// kCodecErrReadFailed and no pixels. Returned buffers belong to the caller (platform::GlobalFree).

#include "codec/CodecIO.h"

#include <cstdint>

// Width, height and total bits (bits per plane x planes). Nonzero on success; kCodecErrNotPcx for a
// short file, a manufacturer other than 10, an unknown version or a negative extent.
int CodecGetPcxDimensions(CodecIOHandle* source, int* width, int* height, int* bitsPerPixel);

// All 256 entries: the file's 256-colour palette, or a grey ramp; below 8 bits black and white for
// one 1-bit plane, else the header's 16-entry map; the rest copies of entry 0. Files above 8 bits give
// kCodecErrUnsupportedFileDepth.
int CodecGetPcxPalette(CodecIOHandle* source, int* count, std::uint8_t* palette);

// bitsPerPixel 24 (red, green, blue), 8 (indices; palette filled) or 1 (one-plane 1-bit files, rows as
// stored; palette filled). Rows are delivered top row first.
std::uint8_t* CodecReadPcx(CodecIOHandle* source, int* width, int* height, int bitsPerPixel,
                           std::uint8_t* palette, int flags);

// Writes top-row-first pixels of 24 (red, green, blue) or 8 bits (indices, with the palette). Returns
// the sink's size in bytes, 0 on failure.
std::int64_t CodecWritePcx(CodecIOHandle* sink, const std::uint8_t* pixels, int width, int height,
                           int bitsPerPixel, const std::uint8_t* palette, int reserved);
