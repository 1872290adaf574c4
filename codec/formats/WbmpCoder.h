#pragma once
// Wireless bitmaps (type 0 only): a two-byte zero header, width and height as multi-byte integers,
// then 1-bit rows, most significant bit first, each padded to a whole byte. A set bit is white.
//
// The reader checks the header and that the file holds every row before it allocates; a file that ends
// early gives kCodecErrReadFailed and no pixels. Returned buffers belong to the caller (platform::GlobalFree).

#include "codec/CodecIO.h"

#include <cstdint>

// Width and height of a type-0 WBMP read from the source's current position. Nonzero on success;
// kCodecErrNotWbmp when the file is not a type-0 WBMP or its sizes cannot be read.
int CodecGetWbmpDimensions(CodecIOHandle* source, int* width, int* height);

// At 8 bits one byte per pixel, 0 (black) or 1 (white); at 1 bit the rows as stored. The palette
// (required) gets entry 0 = (0, 0, 0, 0) and entry 1 = (255, 255, 255, 255); the other entries are left.
std::uint8_t* CodecReadWbmp(CodecIOHandle* source, int* width, int* height, std::uint8_t* palette,
                            int bitsPerPixel, int flags);

// Writes 8-bit pixels (rows of `width` bytes, top row first): every nonzero pixel becomes a set bit.
// Returns the sink's size in bytes, 0 on failure.
std::int64_t CodecWriteWbmp(CodecIOHandle* sink, const std::uint8_t* pixels, int width, int height, int reserved);
