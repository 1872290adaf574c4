#pragma once
// Expansion of 8-bit palette pictures to 24-bit RGB.

#include <cstdint>

// Flag of CodecExpandToRgb: write each palette entry's bytes in their stored order (blue, green, red).
inline constexpr int kCodecExpandStoredOrder = 1;

// Writes for every index of src its palette entry as three bytes red, green, blue (entry bytes 2, 1, 0)
// into dst. The palette holds 256 entries of blue, green, red, reserved, so every index has an entry;
// paletteCount is not consulted. 1 on success; 0 with kCodecErrInvalidArgument for a missing buffer or
// palette, a side outside 1..kMaxSide or a stride below its packed row; 0 with kCodecErrCancelled when the progress
// callback stops it.
int CodecExpandToRgb(const std::uint8_t* src, int width, int height, int srcStride, std::uint8_t* dst,
                     int dstStride, int paletteCount, const std::uint8_t* palette, int flags);
