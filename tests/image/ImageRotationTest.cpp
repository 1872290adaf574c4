#include "image/ImageRotation.h"

#include "image/RasterImage.h"

#include "TestPicture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

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
