#pragma once
// Area-averaging reduction of RGB-like and 1-bit pictures.
//
// Destination pixel (i, j) covers the source area [i x rx, (i + 1) x rx) by [j x ry, (j + 1) x ry),
// rx and ry being the source-to-destination ratios. Source pixels wholly inside weigh 1, the partly
// covered first and last ones their covered fraction; the weighted sum is divided by the area's total
// weight and truncated. The destination may not be larger than the source in either direction.

#include <cstdint>

// The variant of CodecShrinkAverageRgb that averages by area; the only one there is.
inline constexpr int kCodecShrinkByArea = 1;

// Each byte of a pixel of bytesPerPixel bytes is averaged on its own. 1 on success; 0 with
// kCodecErrInvalidArgument for missing buffers, a side outside 1..kMaxSide, a pixel size below 1, a
// destination larger than the source, strides below their packed rows or a variant other than
// kCodecShrinkByArea; 0 with kCodecErrOutOfMemory when the weight tables cannot be had; 0 with
// kCodecErrCancelled when the progress callback stops it.
int CodecShrinkAverageRgb(const std::uint8_t* src, int srcWidth, int srcHeight, int srcStride, std::uint8_t* dst,
                          int dstWidth, int dstHeight, int dstStride, int bytesPerPixel, int variant);

// A set source pixel counts as 255, a clear one as 0; the destination bit is set when the truncated
// average is above greyThreshold. Bits of a destination row beyond dstWidth keep their values.
// Fails as CodecShrinkAverageRgb does. No flags are defined.
int CodecShrinkOneBit(const std::uint8_t* src, int srcWidth, int srcHeight, int srcStride, std::uint8_t* dst,
                      int dstWidth, int dstHeight, int dstStride, int greyThreshold, int flags);
