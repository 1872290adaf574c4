#pragma once
// Bilinear resizing of RGB-like, 8-bit palette and 1-bit pictures.
//
// On each axis destination index i samples source position i x step, where step is source size /
// destination size when shrinking and (source size - source size / destination size) / destination size
// when enlarging, so that the last destination pixel of an enlargement still lands inside the source.
// The two source pixels at the integer part n of the position and n + 1 (both limited to the source)
// are blended by the fraction. Every check failure gives kCodecErrInvalidArgument; a cancel from the
// progress callback gives kCodecErrCancelled; a destination row is written once per call.

#include <cstdint>

// Each byte of a pixel of bytesPerPixel bytes is blended on its own and truncated. Equal sizes and
// strides copy the rows. Fails for missing or shared buffers, a side outside 1..kMaxSide, a pixel size
// below 1 and strides below their packed rows.
int CodecResizeBilinearRgb(const std::uint8_t* src, int srcWidth, int srcHeight, int srcStride, std::uint8_t* dst,
                           int dstWidth, int dstHeight, int dstStride, int bytesPerPixel);

// The palette colours (256 entries of blue, green, red, reserved) of the four neighbours are blended per
// component, truncated, and mapped back to the nearest of the first paletteCount entries. Equal sizes
// and strides copy the rows. Fails also for a missing palette or a count outside 0..256.
int CodecResizeBilinearPalette(const std::uint8_t* src, int srcWidth, int srcHeight, int srcStride,
                               std::uint8_t* dst, int dstWidth, int dstHeight, int dstStride, int paletteCount,
                               const std::uint8_t* palette);

// The neighbours' bit values are blended and the destination bit is set when the blend is above 0.5.
// Bits of a destination row beyond dstWidth keep their values.
int CodecResizeOneBit(const std::uint8_t* src, int srcWidth, int srcHeight, int srcStride, std::uint8_t* dst,
                      int dstWidth, int dstHeight, int dstStride);
