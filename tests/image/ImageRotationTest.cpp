#include "image/ImageRotation.h"

#include "image/RasterImage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// The value of pixel (x, y): the colour triple packed for 24 bits, the index for 8, the bit for 1.
std::uint32_t PixelAt(const CRasterImage& image, std::uint32_t x, std::uint32_t y)
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
void MakePicture(CRasterImage& image, std::uint32_t width, std::uint32_t height, int bits)
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

class QuarterTurn : public testing::TestWithParam<int> {};

TEST_P(QuarterTurn, PixelsMoveToTheirTurnedPlace)
{
    // 9 wide crosses a byte boundary of 1-bit rows; the turned picture's rows are 3 wide.
    CRasterImage picture;
    MakePicture(picture, 9, 3, GetParam());
    for (const bool clockwise : {true, false}) {
        SCOPED_TRACE(clockwise ? "clockwise" : "counter-clockwise");
        CRasterImage turned;
        ASSERT_EQ(RotateQuarterTurn(picture, turned, clockwise), kImageOk);
        ASSERT_EQ(turned.width, 3u);
        ASSERT_EQ(turned.height, 9u);
        EXPECT_EQ(turned.bitsPerPixel, GetParam());
        EXPECT_EQ(turned.palette[1], picture.palette[1]);
        EXPECT_EQ(turned.xResolution, 150u);
        EXPECT_EQ(turned.yResolution, 300u);
        // Clockwise the top row becomes the right column; counter-clockwise the left column.
        for (std::uint32_t y = 0; y < 9; ++y)
            for (std::uint32_t x = 0; x < 3; ++x) {
                const std::uint32_t fromX = clockwise ? y : 8 - y, fromY = clockwise ? 2 - x : x;
                EXPECT_EQ(PixelAt(turned, x, y), PixelAt(picture, fromX, fromY)) << x << "," << y;
            }
    }
}

TEST_P(QuarterTurn, FourTurnsOrATurnBackGiveThePictureBack)
{
    CRasterImage picture;
    MakePicture(picture, 9, 3, GetParam());
    const auto bytes = CRasterImage::GetBufferSize(9, 3, GetParam());
    for (const bool clockwise : {true, false}) {
        CRasterImage turned, back;
        ASSERT_EQ(RotateQuarterTurn(picture, turned, clockwise), kImageOk);
        ASSERT_EQ(RotateQuarterTurn(turned, back, !clockwise), kImageOk);
        EXPECT_EQ(std::memcmp(back.Pixels(), picture.Pixels(), bytes), 0);
        for (int turn = 1; turn < 4; ++turn) {
            ASSERT_EQ(RotateQuarterTurn(turned, back, clockwise), kImageOk);
            turned.TakeOver(back);
        }
        ASSERT_EQ(turned.width, 9u);
        EXPECT_EQ(std::memcmp(turned.Pixels(), picture.Pixels(), bytes), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Depths, QuarterTurn, testing::Values(24, 8, 1),
                         [](const auto& info) { return std::to_string(info.param) + "_bits"; });

TEST(QuarterTurnOfNothing, AnEmptyPictureGivesNoPixels)
{
    CRasterImage empty, turned;
    EXPECT_EQ(RotateQuarterTurn(empty, turned, true), kImageErrNoPixels);
    EXPECT_FALSE(turned.HasPixels());
}

}  // namespace
