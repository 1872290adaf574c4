#pragma once
// Truevision TGA files: colour-mapped, true-colour and grey images, each uncompressed or run-length
// coded, read at 24 or 32 bits (red, green, blue, alpha) or as 8-bit indices; written uncompressed as
// 8-bit colour-mapped or 24- and 32-bit true-colour files with a top-left origin.
//
// The reader checks the header, then that the file can hold the pixels it claims, before it allocates;
// a file that ends early gives kCodecErrReadFailed and no pixels. Returned buffers belong to the caller
// (platform::GlobalFree). Palettes are 256 entries of blue, green, red, reserved.

#include "codec/CodecIO.h"

#include <cstdint>

// The header's width, height and pixel depth, read from the source's current position. Nonzero on
// success; kCodecErrTgaType for a depth above 32 or an unknown image type, kCodecErrReadFailed for a
// short header.
int CodecGetTgaDimensions(CodecIOHandle* source, int* width, int* height, int* bitsPerPixel);

// The colour map of a file of at most 8 bits per pixel: entry first index + k from map entry k,
// count = first index + map length (at most 256), the rest copies of entry 0. Without a colour map the
// palette is zeroed and the count is 0.
int CodecGetTgaPalette(CodecIOHandle* source, int* count, std::uint8_t* palette);

// bitsPerPixel 24 or 32: red, green, blue (and alpha); 8: indices of a colour-mapped or grey file of
// at most 8 bits per pixel, with the palette (required) filled from the colour map or, for grey files,
// as a grey ramp. Rows are delivered top row first whatever the file's origin.
std::uint8_t* CodecReadTga(CodecIOHandle* source, int* width, int* height, int bitsPerPixel,
                           std::uint8_t* palette, int flags);

// Writes top-row-first pixels of 8 (indices; palette required), 24 (red, green, blue) or 32 bits (red,
// green, blue, alpha) as an uncompressed file. Width and height must fit the format's 16-bit fields.
// Returns the sink's size in bytes, 0 on failure.
std::int64_t CodecWriteTga(CodecIOHandle* sink, const std::uint8_t* pixels, int width, int height,
                           int bitsPerPixel, const std::uint8_t* palette, int reserved);
