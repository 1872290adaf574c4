#include "image/ImageOrientation.h"

#include "image/RasterImage.h"

#include "TestPicture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The stored 3 x 2 picture holds 1 2 3 / 4 5 6; `upright` lists the upright picture's pixels row by row.
struct OrientationCase {
    const char* name;
    int orientation;
    std::uint32_t width, height;
    std::vector<std::uint32_t> upright;
};
const OrientationCase kOrientationCases[] = {
    {"upright", 1, 3, 2, {1, 2, 3, 4, 5, 6}},
    {"mirrored", 2, 3, 2, {3, 2, 1, 6, 5, 4}},
    {"half_turn", 3, 3, 2, {6, 5, 4, 3, 2, 1}},
    {"upside_down_mirror", 4, 3, 2, {4, 5, 6, 1, 2, 3}},
    {"transposed", 5, 2, 3, {1, 4, 2, 5, 3, 6}},
    {"turn_clockwise", 6, 2, 3, {4, 1, 5, 2, 6, 3}},
    {"transverse", 7, 2, 3, {6, 3, 5, 2, 4, 1}},
    {"turn_counter_clockwise", 8, 2, 3, {3, 6, 2, 5, 1, 4}},
    {"out_of_range", 9, 3, 2, {1, 2, 3, 4, 5, 6}},
};

class Orientation : public testing::TestWithParam<OrientationCase> {};

TEST_P(Orientation, StoredPixelsLandWhereTheTagSays)
{
    const OrientationCase& c = GetParam();
    CRasterImage picture;
    MakePicture(picture, 3, 2, 8);
    ASSERT_EQ(TurnUpright(picture, c.orientation), kImageOk);
    ASSERT_EQ(picture.width, c.width);
    ASSERT_EQ(picture.height, c.height);
    std::vector<std::uint32_t> upright;
    for (std::uint32_t y = 0; y < c.height; ++y)
        for (std::uint32_t x = 0; x < c.width; ++x) upright.push_back(PixelAt(picture, x, y));
    EXPECT_EQ(upright, c.upright);
    EXPECT_EQ(picture.palette[1], (PaletteEntry{10, 20, 30, 0}));
    // The stored picture has 300 x 150 dots: the sides' resolutions go with them.
    EXPECT_EQ(picture.xResolution, c.width == 3 ? 300u : 150u);
    EXPECT_EQ(picture.yResolution, c.width == 3 ? 150u : 300u);
}

INSTANTIATE_TEST_SUITE_P(Values, Orientation, testing::ValuesIn(kOrientationCases),
                         [](const auto& info) { return std::string(info.param.name); });

// 24-bit and 1-bit pictures 9 wide (1-bit rows cross a byte boundary) turn exactly like the 8-bit one,
// whose pixel values tell each pixel's stored place.
TEST(OrientationDepths, EveryDepthTurnsLikeThePaletteOne)
{
    for (int orientation = 1; orientation <= 8; ++orientation) {
        SCOPED_TRACE(orientation);
        CRasterImage indices, colour, mono;
        MakePicture(indices, 9, 3, 8);
        MakePicture(colour, 9, 3, 24);
        MakePicture(mono, 9, 3, 1);
        CRasterImage stored;
        MakePicture(stored, 9, 3, 1);
        for (CRasterImage* picture : {&indices, &colour, &mono}) ASSERT_EQ(TurnUpright(*picture, orientation), kImageOk);
        ASSERT_EQ(colour.width, indices.width);
        ASSERT_EQ(mono.width, indices.width);
        for (std::uint32_t y = 0; y < indices.height; ++y)
            for (std::uint32_t x = 0; x < indices.width; ++x) {
                const std::uint32_t from = PixelAt(indices, x, y) - 1;
                EXPECT_EQ(PixelAt(colour, x, y) >> 16, from + 1) << x << "," << y;
                EXPECT_EQ(PixelAt(mono, x, y), PixelAt(stored, from % 9, from / 9)) << x << "," << y;
            }
    }
}

TEST(OrientationDepths, AnEmptyPictureGivesNoPixels)
{
    CRasterImage empty;
    EXPECT_EQ(TurnUpright(empty, 6), kImageErrNoPixels);
}

}  // namespace
