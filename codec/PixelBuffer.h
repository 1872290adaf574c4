#pragma once
// Pixel buffers that readers hand to their callers.
//
// A pixel buffer is a zero-filled platform global memory block; the caller that receives it releases it
// with platform::GlobalFree. While a reader fills it, a PixelBuffer owns it, so a failed read frees it
// and returns no partial picture; release() hands it over on success.
//
// Every width and height taken from a file passes through RasterBytes before memory is asked for:
// both sides non-zero and at most kMaxSide, width x height at most kMaxPixels, the packed size (rows of
// (width x bitsPerPixel + 7) / 8 bytes, no padding) at most kMaxBlockBytes, all in 64-bit arithmetic.

#include "platform/GlobalMemory.h"

#include <cstdint>
#include <memory>
#include <optional>

namespace codec {

struct GlobalBlockDeleter {
    void operator()(std::uint8_t* block) const { platform::GlobalFree(block); }
};
using PixelBuffer = std::unique_ptr<std::uint8_t, GlobalBlockDeleter>;

// Bytes of one packed row; nullopt when the width is outside 1..kMaxSide or bitsPerPixel outside 1..64.
std::optional<std::uint64_t> RowBytes(std::int64_t width, unsigned bitsPerPixel);
// Bytes of a packed raster; nullopt when the picture is over the pixel budget.
std::optional<std::uint64_t> RasterBytes(std::int64_t width, std::int64_t height, unsigned bitsPerPixel);
// A zero-filled block of RasterBytes bytes; empty when over the budget or memory is short (both are
// reported as kCodecErrOutOfMemory).
PixelBuffer AllocPixelBuffer(std::int64_t width, std::int64_t height, unsigned bitsPerPixel);

}  // namespace codec
