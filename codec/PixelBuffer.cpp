#include "codec/PixelBuffer.h"

#include "codec/CodecLimits.h"

namespace codec {

std::optional<std::uint64_t> RowBytes(std::int64_t width, unsigned bitsPerPixel)
{
    if (width < 1 || width > kMaxSide || bitsPerPixel < 1 || bitsPerPixel > 64) return std::nullopt;
    return (static_cast<std::uint64_t>(width) * bitsPerPixel + 7) / 8;
}

std::optional<std::uint64_t> RasterBytes(std::int64_t width, std::int64_t height, unsigned bitsPerPixel)
{
    const std::optional<std::uint64_t> rowBytes = RowBytes(width, bitsPerPixel);
    if (!rowBytes || height < 1 || height > kMaxSide) return std::nullopt;
    if (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > kMaxPixels) return std::nullopt;
    // Both factors are bounded above (8 Mi bytes a row, a million rows), so the product fits 64 bits.
    const std::uint64_t bytes = *rowBytes * static_cast<std::uint64_t>(height);
    return bytes <= kMaxBlockBytes ? std::optional{bytes} : std::nullopt;
}

PixelBuffer AllocPixelBuffer(std::int64_t width, std::int64_t height, unsigned bitsPerPixel)
{
    const std::optional<std::uint64_t> bytes = RasterBytes(width, height, bitsPerPixel);
    if (!bytes) return nullptr;
    return PixelBuffer(static_cast<std::uint8_t*>(platform::GlobalAlloc(*bytes)));
}

}  // namespace codec
