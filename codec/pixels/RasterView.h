#pragma once
// A picture in caller memory as the pixel utilities see it: rows of packed pixels top row first, a
// stride apart, never owned. Also the argument check every utility makes on its pictures, and access to
// the single pixels of 1-bit rows (eight to a byte, most significant bit first).

#include "codec/CodecLimits.h"

#include <cstddef>
#include <cstdint>

namespace codec {

template <typename Byte>
struct RasterView {
    Byte* pixels;
    int width;
    int height;
    int stride;   // bytes from one row to the next; at least the packed row

    Byte* Row(int y) const { return pixels + static_cast<std::ptrdiff_t>(y) * stride; }
};
using SourceRaster = RasterView<const std::uint8_t>;
using TargetRaster = RasterView<std::uint8_t>;

// True when the picture has pixels, both sides are 1..kMaxSide (no reader makes a larger one, and row
// counts and offsets then stay far inside int) and its stride holds a packed row of bitsPerPixel bits.
// Computed in 64 bits: a huge width times a pixel size must not wrap to a small row.
template <typename Byte>
bool IsUsable(const RasterView<Byte>& raster, std::int64_t bitsPerPixel)
{
    if (raster.pixels == nullptr || bitsPerPixel < 1) return false;
    if (raster.width < 1 || raster.width > kMaxSide || raster.height < 1 || raster.height > kMaxSide) return false;
    return (std::int64_t{raster.width} * bitsPerPixel + 7) / 8 <= raster.stride;
}

inline bool BitAt(const std::uint8_t* row, int x)
{
    return ((row[x >> 3] >> (7 - (x & 7))) & 1) != 0;
}

// Sets or clears one pixel of a 1-bit row; the other bits of its byte keep their values.
inline void PutBit(std::uint8_t* row, int x, bool set)
{
    const auto mask = static_cast<std::uint8_t>(0x80u >> (x & 7));
    row[x >> 3] = set ? static_cast<std::uint8_t>(row[x >> 3] | mask) : static_cast<std::uint8_t>(row[x >> 3] & ~mask);
}

}  // namespace codec
