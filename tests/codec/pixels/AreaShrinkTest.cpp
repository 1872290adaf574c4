#include "codec/pixels/AreaShrink.h"

#include "codec/CodecErrors.h"
#include "codec/CodecThreadState.h"
#include "tests/codec/pixels/PixelTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

using pixel_test::Bytes;

Bytes Shrink(const Bytes& src, int srcWidth, int srcHeight, int dstWidth, int dstHeight, int bytesPerPixel = 1)
{
    Bytes out(static_cast<std::size_t>(dstWidth) * dstHeight * bytesPerPixel, 0xEE);
    EXPECT_EQ(CodecShrinkAverageRgb(src.data(), srcWidth, srcHeight, srcWidth * bytesPerPixel, out.data(), dstWidth,
                                    dstHeight, dstWidth * bytesPerPixel, bytesPerPixel, kCodecShrinkByArea),
              1);
    EXPECT_EQ(CodecGetLastError(), kCodecOk);
    return out;
}

TEST(ShrinkAverageRgb, HalvingAveragesEachBlockExactly)
{
    const Bytes src{0,  10, 20, 30,   //
                    40, 50, 60, 70,   //
                    1,  2,  3,  4,    //
                    5,  6,  7,  9};
    EXPECT_EQ(Shrink(src, 4, 4, 2, 2), (Bytes{25, 45, 3, 5}));   // 5.75 truncates to 5
}

// Lines reduced along their axis, laid out as a row and as a column.
using pixel_test::LineCase;

const LineCase kLineCases[] = {
    // 3 to 2: column 0 whole and half of column 1, then half of column 1 and column 2 whole.
    {"three_to_two_weighs_halves", {30, 60, 90}, 2, {40, 80}},
    // 7 to 6: the last area is the last sixth of column 5 and all of column 6, although (7 / 6) x 6
    // computes a hair above 7.
    {"last_area_ends_at_the_source_edge", {0, 0, 0, 0, 0, 0, 240}, 6, {0, 0, 0, 0, 0, 205}},
    // 14 to 12: area 5 ends at 7 x (14 / 12) = 7.000000000000001, which still ends on column 6 whole.
    {"area_ending_a_hair_past_a_whole_column", {0, 0, 0, 0, 0, 0, 240, 0, 0, 0, 0, 0, 0, 0}, 12,
     {0, 0, 0, 0, 0, 205, 0, 0, 0, 0, 0, 0}},
};

class AreaLine : public testing::TestWithParam<std::tuple<LineCase, bool>> {};

TEST_P(AreaLine, WeighsPartlyCoveredPixelsByTheirShare)
{
    const auto& [c, asColumn] = GetParam();
    const int length = static_cast<int>(c.line.size());
    EXPECT_EQ(asColumn ? Shrink(c.line, 1, length, 1, c.size) : Shrink(c.line, length, 1, c.size, 1), c.want);
}

INSTANTIATE_TEST_SUITE_P(Pixels, AreaLine, testing::Combine(testing::ValuesIn(kLineCases), testing::Bool()),
                         pixel_test::OrientedName<LineCase>);

// Flat pictures stay flat for every reduction, one axis or both, the weights' rounding notwithstanding.
TEST(ShrinkAverageRgb, FlatPicturesStayFlat)
{
    for (const int value : {1, 200, 255}) {
        for (int srcSize = 1; srcSize <= 24; ++srcSize) {
            for (int dstSize = 1; dstSize <= srcSize; ++dstSize) {
                const Bytes flat(static_cast<std::size_t>(srcSize) * 3, static_cast<std::uint8_t>(value));
                const Bytes wantRow(static_cast<std::size_t>(dstSize) * 3, static_cast<std::uint8_t>(value));
                const Bytes wantSquare(static_cast<std::size_t>(dstSize) * dstSize, static_cast<std::uint8_t>(value));
                ASSERT_EQ(Shrink(flat, srcSize, 3, dstSize, 3), wantRow) << srcSize << " -> " << dstSize;
                ASSERT_EQ(Shrink(flat, 3, srcSize, 3, dstSize), wantRow) << srcSize << " -> " << dstSize;
                const Bytes flatSquare(static_cast<std::size_t>(srcSize) * srcSize, static_cast<std::uint8_t>(value));
                ASSERT_EQ(Shrink(flatSquare, srcSize, srcSize, dstSize, dstSize), wantSquare)
                    << srcSize << " -> " << dstSize;
            }
        }
    }
}

// The exact area average in whole numbers: source column x covers [x dstWidth, (x + 1) dstWidth) and
// destination column i covers [i srcWidth, (i + 1) srcWidth) in units of 1 / (srcWidth dstWidth).
int ExactAverage(const Bytes& src, int srcWidth, int srcHeight, int bytesPerPixel, int dstWidth, int dstHeight, int x,
                 int y, int byte)
{
    const auto overlap = [](int sourceIndex, int sourceSize, int targetIndex, int targetSize) -> std::int64_t {
        const std::int64_t low = std::max<std::int64_t>(sourceIndex * targetSize, targetIndex * sourceSize);
        const std::int64_t high =
            std::min<std::int64_t>((sourceIndex + 1) * targetSize, (targetIndex + 1) * sourceSize);
        return std::max<std::int64_t>(high - low, 0);
    };
    std::int64_t sum = 0;
    for (int row = 0; row < srcHeight; ++row)
        for (int column = 0; column < srcWidth; ++column)
            sum += overlap(row, srcHeight, y, dstHeight) * overlap(column, srcWidth, x, dstWidth) *
                   src[(row * srcWidth + column) * bytesPerPixel + byte];
    return static_cast<int>(sum / (std::int64_t{srcWidth} * srcHeight));
}

TEST(ShrinkAverageRgb, EqualsTheExactAverageOnRandomPictures)
{
    std::mt19937 random(11);
    struct Case {
        int srcWidth, srcHeight, dstWidth, dstHeight;
    };
    for (const Case c : {Case{40, 30, 14, 11}, Case{23, 17, 7, 17}, Case{31, 9, 31, 4}, Case{50, 50, 3, 2}}) {
        Bytes src(static_cast<std::size_t>(c.srcWidth) * c.srcHeight * 3);
        for (auto& value : src) value = static_cast<std::uint8_t>(random());
        const Bytes out = Shrink(src, c.srcWidth, c.srcHeight, c.dstWidth, c.dstHeight, 3);
        for (int y = 0; y < c.dstHeight; ++y)
            for (int x = 0; x < c.dstWidth; ++x)
                for (int byte = 0; byte < 3; ++byte) {
                    ASSERT_EQ(out[(y * c.dstWidth + x) * 3 + byte],
                              ExactAverage(src, c.srcWidth, c.srcHeight, 3, c.dstWidth, c.dstHeight, x, y, byte))
                        << c.srcWidth << "x" << c.srcHeight << " -> " << c.dstWidth << "x" << c.dstHeight << " at "
                        << x << "," << y;
                }
    }
}

// --- 1-bit pictures -------------------------------------------------------------------------------------

struct OneBitCase {
    const char* name;
    Bytes rows;   // a 4 x 4 picture, one byte a row, halved to 2 x 2
    int threshold;
    std::uint8_t want;   // both destination rows, written over 0xFF: bits past the width stay set
};

const OneBitCase kOneBitCases[] = {
    {"all_set_threshold_64", {0xF0, 0xF0, 0xF0, 0xF0}, 64, 0xFF},
    {"all_set_threshold_192", {0xF0, 0xF0, 0xF0, 0xF0}, 192, 0xFF},
    {"one_of_four_is_63_below_64", {0x40, 0x00, 0x40, 0x00}, 64, 0x3F},
    {"two_of_four_is_127_above_64", {0x50, 0x50, 0x50, 0x50}, 64, 0xFF},
    {"two_of_four_is_127_below_192", {0x50, 0x50, 0x50, 0x50}, 192, 0x3F},
    {"average_equal_to_threshold_is_clear", {0x50, 0x50, 0x50, 0x50}, 127, 0x3F},
    {"padding_bits_of_the_source_ignored", {0x0F, 0x0F, 0x0F, 0x0F}, 0, 0x3F},
};

class ShrinkOneBit : public testing::TestWithParam<OneBitCase> {};

TEST_P(ShrinkOneBit, SetsBitsWhoseAverageIsAboveTheThreshold)
{
    const OneBitCase& c = GetParam();
    Bytes out{0xFF, 0xFF};
    ASSERT_EQ(CodecShrinkOneBit(c.rows.data(), 4, 4, 1, out.data(), 2, 2, 1, c.threshold, 0), 1);
    EXPECT_EQ(out, (Bytes{c.want, c.want}));
}

INSTANTIATE_TEST_SUITE_P(Pixels, ShrinkOneBit, testing::ValuesIn(kOneBitCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
