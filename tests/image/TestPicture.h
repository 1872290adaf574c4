#pragma once
// Small pictures for the image layer's tests: every pixel tells where it came from.

#include "image/RasterImage.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

// The value of pixel (x, y): the colour triple packed for 24 bits, the index for 8, the bit for 1.
inline std::uint32_t PixelAt(const CRasterImage& image, std::uint32_t x, std::uint32_t y)
{
    const std::uint8_t* row = image.Pixels() + static_cast<std::size_t>(y) * image.GetStride();
    switch (image.bitsPerPixel) {
    case 24: return row[3 * x] << 16 | row[3 * x + 1] << 8 | row[3 * x + 2];
    case 8: return row[x];
    default: return (row[x >> 3] >> (7 - (x & 7))) & 1u;
    }
}

// A width x height picture whose pixels all differ (1 bit: an irregular pattern), with a palette and
// unequal resolutions, so a pixel or a field in the wrong place shows.
inline void MakePicture(CRasterImage& image, std::uint32_t width, std::uint32_t height, int bits)
{
    ASSERT_EQ(image.Create(width, height, bits), kImageOk);
    std::memset(image.Pixels(), 0, CRasterImage::GetBufferSize(width, height, bits));
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x) {
            std::uint8_t* row = image.Pixels() + static_cast<std::size_t>(y) * image.GetStride();
            const std::uint32_t value = y * width + x + 1;
            if (bits == 24) row[3 * x] = static_cast<std::uint8_t>(value), row[3 * x + 1] = 200, row[3 * x + 2] = static_cast<std::uint8_t>(y);
            else if (bits == 8) row[x] = static_cast<std::uint8_t>(value);
            else if ((x * 3 + y * 5) % 7 < 3) row[x >> 3] |= static_cast<std::uint8_t>(0x80u >> (x & 7));
        }
    image.paletteCount = 2;
    image.palette[1] = {10, 20, 30, 0};
    image.xResolution = 300;
    image.yResolution = 150;
}
