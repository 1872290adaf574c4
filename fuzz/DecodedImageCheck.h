#pragma once
// The invariant every own-decoder fuzz target checks after a read: a failed read leaves no pixels and a
// nonzero last error; a successful one leaves error 0 and a block exactly as large as the reported width,
// height and requested depth imply. Any other outcome stops the run. The block is freed.

#include "codec/CodecThreadState.h"
#include "platform/GlobalMemory.h"

#include <cstdint>

// Reads above this many pixels are skipped for speed only; the pixel budget has its own unit tests.
inline constexpr std::int64_t kFuzzMaxPixels = std::int64_t{1} << 22;

inline void CheckDecodedImage(std::uint8_t* pixels, int width, int height, int bitsPerPixel)
{
    const int error = CodecGetLastError();
    if ((pixels == nullptr) != (error != 0)) __builtin_trap();
    if (pixels == nullptr) return;
    const std::uint64_t rowBytes = (std::uint64_t(width) * bitsPerPixel + 7) / 8;
    if (width <= 0 || height <= 0 || platform::GlobalSize(pixels) != rowBytes * std::uint64_t(height))
        __builtin_trap();
    platform::GlobalFree(pixels);
}
