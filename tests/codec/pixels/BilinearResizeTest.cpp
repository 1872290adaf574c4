#include "codec/pixels/BilinearResize.h"

#include "codec/CodecErrors.h"
#include "codec/CodecThreadState.h"
#include "tests/codec/pixels/PixelTestSupport.h"
#include "codec/pixels/WeightedSum.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

using pixel_test::Bytes;
using pixel_test::LineCase;

const LineCase kLineCases[] = {
    // Enlarging 2 to 4 steps by (2 - 0.5) / 4: positions 0, 0.375, 0.75 and 1.125 (column 1 with itself).
    {"enlarge_2_to_4", {0, 200}, 4, {0, 75, 150, 200}},
    {"shrink_4_to_2_picks_whole_positions", {10, 20, 30, 40}, 2, {10, 30}},
    {"shrink_3_to_2_blends_halfway", {30, 60, 91}, 2, {30, 75}},
};

class BilinearLine : public testing::TestWithParam<std::tuple<LineCase, bool>> {};

TEST_P(BilinearLine, SamplesTheStepPositions)
{
    const auto& [c, asColumn] = GetParam();
    const int length = static_cast<int>(c.line.size());
    Bytes out(c.want.size(), 0xEE);
    const int result =
        asColumn ? CodecResizeBilinearRgb(c.line.data(), 1, length, 1, out.data(), 1, c.size, 1, 1)
                 : CodecResizeBilinearRgb(c.line.data(), length, 1, length, out.data(), c.size, 1, c.size, 1);
    ASSERT_EQ(result, 1);
    EXPECT_EQ(CodecGetLastError(), kCodecOk);
    EXPECT_EQ(out, c.want);
}

INSTANTIATE_TEST_SUITE_P(Pixels, BilinearLine, testing::Combine(testing::ValuesIn(kLineCases), testing::Bool()),
                         pixel_test::OrientedName<LineCase>);

// Straightforward bilinear sample of one byte, written from the rule, for comparison. The sum is
// truncated with the resizes' rounding slack.
int ReferenceByte(const Bytes& src, int srcWidth, int srcHeight, int srcStride, int bytesPerPixel, int dstWidth,
                  int dstHeight, int x, int y, int byte)
{
    const auto position = [](int sourceSize, int targetSize, int i) {
        const double ratio = static_cast<double>(sourceSize) / targetSize;
        return i * (targetSize > sourceSize ? (sourceSize - ratio) / targetSize : ratio);
    };
    const double px = position(srcWidth, dstWidth, x), py = position(srcHeight, dstHeight, y);
    const int nx = static_cast<int>(px), ny = static_cast<int>(py);
    const double fx = px - nx, fy = py - ny;
    const auto at = [&](int column, int row) {
        return src[std::min(row, srcHeight - 1) * srcStride + std::min(column, srcWidth - 1) * bytesPerPixel + byte];
    };
    return static_cast<int>((1 - fx) * (1 - fy) * at(nx, ny) + fx * (1 - fy) * at(nx + 1, ny) +
                            (1 - fx) * fy * at(nx, ny + 1) + fx * fy * at(nx + 1, ny + 1) + codec::kWeightedSumSlack);
}

struct RandomCase {
    int srcWidth, srcHeight, dstWidth, dstHeight, bytesPerPixel;
};

TEST(BilinearRgb, MatchesAStraightforwardComputationOnRandomPictures)
{
    std::mt19937 random(7);
    for (const RandomCase c : {RandomCase{13, 7, 29, 5, 3}, RandomCase{40, 30, 17, 11, 3}, RandomCase{5, 5, 5, 9, 4},
                               RandomCase{9, 2, 3, 1, 1}}) {
        const int srcStride = c.srcWidth * c.bytesPerPixel + 3, dstStride = c.dstWidth * c.bytesPerPixel + 1;
        Bytes src(static_cast<std::size_t>(srcStride) * c.srcHeight);
        for (auto& value : src) value = static_cast<std::uint8_t>(random());
        Bytes out(static_cast<std::size_t>(dstStride) * c.dstHeight, 0xEE);
        ASSERT_EQ(CodecResizeBilinearRgb(src.data(), c.srcWidth, c.srcHeight, srcStride, out.data(), c.dstWidth,
                                         c.dstHeight, dstStride, c.bytesPerPixel),
                  1);
        for (int y = 0; y < c.dstHeight; ++y) {
            for (int x = 0; x < c.dstWidth; ++x)
                for (int byte = 0; byte < c.bytesPerPixel; ++byte)
                    ASSERT_EQ(out[y * dstStride + x * c.bytesPerPixel + byte],
                              ReferenceByte(src, c.srcWidth, c.srcHeight, srcStride, c.bytesPerPixel, c.dstWidth,
                                            c.dstHeight, x, y, byte))
                        << c.srcWidth << "x" << c.srcHeight << " -> " << c.dstWidth << "x" << c.dstHeight << " at "
                        << x << "," << y;
            EXPECT_EQ(out[y * dstStride + c.dstWidth * c.bytesPerPixel], 0xEE) << "row padding written";
        }
    }
}

// A flat picture stays flat whatever the fractions of the positions: their weights sum to 1 only up to
// rounding, and a sum a hair below the flat value must not truncate to the next lower one.
TEST(BilinearRgb, FlatPicturesStayFlat)
{
    for (const int value : {1, 200, 255}) {
        for (int srcSize = 1; srcSize <= 12; ++srcSize) {
            for (int dstSize = 1; dstSize <= 30; ++dstSize) {
                const Bytes flat(static_cast<std::size_t>(srcSize) * srcSize * 3, static_cast<std::uint8_t>(value));
                Bytes out(static_cast<std::size_t>(dstSize) * 7 * 3);
                ASSERT_EQ(CodecResizeBilinearRgb(flat.data(), srcSize, srcSize, srcSize * 3, out.data(), dstSize, 7,
                                                 dstSize * 3, 3),
                          1);
                ASSERT_EQ(out, Bytes(out.size(), static_cast<std::uint8_t>(value))) << srcSize << " -> " << dstSize;
            }
        }
    }
}

// --- Palette pictures -----------------------------------------------------------------------------------

// Entry 0 black, 1 light grey 200, 2 dark grey 100: a blend of 150 lies as near to 1 as to 2.
std::array<std::uint8_t, 1024> GreyPalette()
{
    std::array<std::uint8_t, 1024> palette{};
    for (int byte = 0; byte < 3; ++byte) {
        palette[4 + byte] = 200;
        palette[8 + byte] = 100;
    }
    return palette;
}

TEST(BilinearPalette, BlendsEntryColoursAndMapsBackToTheFirstNearest)
{
    const auto palette = GreyPalette();
    const Bytes indices{0, 1};
    Bytes out(4, 0xEE);
    ASSERT_EQ(CodecResizeBilinearPalette(indices.data(), 2, 1, 2, out.data(), 4, 1, 4, 3, palette.data()), 1);
    EXPECT_EQ(out, (Bytes{0, 2, 1, 1}));   // greys 0, 75, 150 (a tie: entry 1 comes first), 200
}

TEST(BilinearPalette, EqualSizesCopyTheIndices)
{
    const auto palette = GreyPalette();
    const Bytes indices{2, 7, 1, 0, 2, 0};   // entry 7 is black too, so matching would give 0
    Bytes out(indices.size(), 0xEE);
    ASSERT_EQ(CodecResizeBilinearPalette(indices.data(), 3, 2, 3, out.data(), 3, 2, 3, 8, palette.data()), 1);
    EXPECT_EQ(out, indices);
}

// --- 1-bit pictures -------------------------------------------------------------------------------------

struct OneBitCase {
    const char* name;
    std::uint8_t row;   // the source row, up to eight pixels
    int srcWidth;
    int dstWidth;
    std::uint8_t want;   // destination byte written over 0xFF: bits past dstWidth stay set
};

const OneBitCase kOneBitCases[] = {
    {"enlarge_2_to_4", 0b0100'0000, 2, 4, 0b0011'1111},
    {"blend_of_exactly_half_is_clear", 0b1100'0000, 3, 2, 0b1011'1111},
    {"blend_of_exactly_half_is_clear_either_way", 0b1010'0000, 3, 2, 0b1011'1111},
    {"shrink_keeps_set_pixels", 0b1110'0000, 3, 2, 0b1111'1111},
};

class BilinearOneBit : public testing::TestWithParam<OneBitCase> {};

TEST_P(BilinearOneBit, SetsBitsAboveOneHalf)
{
    const OneBitCase& c = GetParam();
    const Bytes rows{c.row, c.row};
    Bytes out{0xFF, 0xFF};
    ASSERT_EQ(CodecResizeOneBit(rows.data(), c.srcWidth, 2, 1, out.data(), c.dstWidth, 2, 1), 1);
    EXPECT_EQ(out, (Bytes{c.want, c.want}));
}

INSTANTIATE_TEST_SUITE_P(Pixels, BilinearOneBit, testing::ValuesIn(kOneBitCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
