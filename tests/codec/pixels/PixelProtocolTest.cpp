// What every pixel utility shares: arguments refused with kCodecErrInvalidArgument before any pixel is
// touched, and progress reported once per row through the thread's callback, which may cancel.

#include "codec/CodecErrors.h"
#include "codec/CodecThreadState.h"
#include "codec/pixels/AreaShrink.h"
#include "codec/pixels/BilinearResize.h"
#include "codec/pixels/BitUnpacking.h"
#include "codec/pixels/OneBitCount.h"
#include "codec/pixels/PaletteExpansion.h"
#include "codec/pixels/UnsharpMask.h"
#include "tests/codec/support/ProgressRecorder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace {

// Room for every picture below (at most 8 x 8 pixels of 3 bytes), and a palette.
std::array<std::uint8_t, 256> gSource{};
std::array<std::uint8_t, 256> gTarget{};
std::array<std::uint8_t, 1024> gPalette{};
std::array<unsigned, 2> gCounts{};
std::uint8_t* const src = gSource.data();
std::uint8_t* const dst = gTarget.data();
const std::uint8_t* const palette = gPalette.data();
unsigned* const counts = gCounts.data();
constexpr double kNan = NAN;

struct RefusalCase {
    const char* name;
    int (*call)();
};

const RefusalCase kRefusals[] = {
    {"expand_null_source", [] { return CodecExpandToRgb(nullptr, 2, 2, 2, dst, 6, 256, palette, 0); }},
    {"expand_null_palette", [] { return CodecExpandToRgb(src, 2, 2, 2, dst, 6, 256, nullptr, 0); }},
    {"expand_target_stride_below_row", [] { return CodecExpandToRgb(src, 2, 2, 2, dst, 5, 256, palette, 0); }},
    {"unpack_null_target", [] { return CodecUnpackBits(src, 8, 1, 1, nullptr); }},
    {"unpack_zero_bits", [] { return CodecUnpackBits(src, 8, 1, 0, dst); }},
    {"unpack_nine_bits", [] { return CodecUnpackBits(src, 8, 1, 9, dst); }},
    {"unpack_negative_rows", [] { return CodecUnpackBits(src, 8, -1, 1, dst); }},
    {"unsharp_null_source", [] { return CodecUnsharpMask(nullptr, 4, 4, 3, 12, dst, 12, 0, 0.25, 0.75, 7); }},
    {"unsharp_null_target", [] { return CodecUnsharpMask(src, 4, 4, 3, 12, nullptr, 12, 0, 0.25, 0.75, 7); }},
    {"unsharp_same_buffer", [] { return CodecUnsharpMask(src, 4, 4, 3, 12, src, 12, 0, 0.25, 0.75, 7); }},
    {"unsharp_zero_bytes_per_pixel", [] { return CodecUnsharpMask(src, 4, 4, 0, 12, dst, 12, 0, 0.25, 0.75, 7); }},
    {"unsharp_stride_below_row", [] { return CodecUnsharpMask(src, 4, 4, 3, 11, dst, 12, 0, 0.25, 0.75, 7); }},
    {"unsharp_zero_radius", [] { return CodecUnsharpMask(src, 4, 4, 3, 12, dst, 12, 0, 0.25, 0.0, 7); }},
    {"unsharp_nan_radius", [] { return CodecUnsharpMask(src, 4, 4, 3, 12, dst, 12, 0, 0.25, kNan, 7); }},
    {"unsharp_huge_radius", [] { return CodecUnsharpMask(src, 4, 4, 3, 12, dst, 12, 0, 0.25, 1e300, 7); }},
    {"unsharp_nan_amount", [] { return CodecUnsharpMask(src, 4, 4, 3, 12, dst, 12, 0, kNan, 0.75, 7); }},
    {"bilinear_null_target", [] { return CodecResizeBilinearRgb(src, 4, 4, 12, nullptr, 2, 2, 6, 3); }},
    {"bilinear_same_buffer", [] { return CodecResizeBilinearRgb(src, 4, 4, 12, src, 2, 2, 6, 3); }},
    {"bilinear_zero_target_width", [] { return CodecResizeBilinearRgb(src, 4, 4, 12, dst, 0, 2, 6, 3); }},
    {"bilinear_zero_bytes_per_pixel", [] { return CodecResizeBilinearRgb(src, 4, 4, 12, dst, 2, 2, 6, 0); }},
    {"bilinear_target_stride_below_row", [] { return CodecResizeBilinearRgb(src, 4, 4, 12, dst, 2, 2, 5, 3); }},
    {"palette_resize_null_palette",
     [] { return CodecResizeBilinearPalette(src, 4, 4, 4, dst, 2, 2, 2, 256, nullptr); }},
    {"palette_resize_same_buffer", [] { return CodecResizeBilinearPalette(src, 4, 4, 4, src, 2, 2, 2, 256, palette); }},
    {"palette_resize_count_above_256",
     [] { return CodecResizeBilinearPalette(src, 4, 4, 4, dst, 2, 2, 2, 257, palette); }},
    {"one_bit_resize_same_buffer", [] { return CodecResizeOneBit(src, 4, 4, 1, src, 2, 2, 1); }},
    {"one_bit_resize_zero_source_height", [] { return CodecResizeOneBit(src, 4, 0, 1, dst, 2, 2, 1); }},
    {"shrink_null_source", [] { return CodecShrinkAverageRgb(nullptr, 4, 4, 12, dst, 2, 2, 6, 3, 1); }},
    {"shrink_target_wider", [] { return CodecShrinkAverageRgb(src, 4, 4, 12, dst, 5, 2, 15, 3, 1); }},
    {"shrink_target_taller", [] { return CodecShrinkAverageRgb(src, 4, 4, 12, dst, 2, 5, 6, 3, 1); }},
    {"shrink_zero_bytes_per_pixel", [] { return CodecShrinkAverageRgb(src, 4, 4, 12, dst, 2, 2, 6, 0, 1); }},
    {"shrink_unknown_variant", [] { return CodecShrinkAverageRgb(src, 4, 4, 12, dst, 2, 2, 6, 3, 2); }},
    {"one_bit_shrink_null_target", [] { return CodecShrinkOneBit(src, 8, 4, 1, nullptr, 2, 2, 1, 128, 0); }},
    {"one_bit_shrink_target_wider", [] { return CodecShrinkOneBit(src, 8, 4, 1, dst, 9, 2, 2, 128, 0); }},
    {"count_null_counts", [] { return CodecCountOneBitPixels(src, 8, 4, 1, nullptr, 0); }},
    {"count_stride_below_row", [] { return CodecCountOneBitPixels(src, 9, 4, 1, counts, 0); }},
    {"count_more_rows_than_any_picture", [] { return CodecCountOneBitPixels(src, 8, 1'000'001, 1, counts, 0); }},
};

class PixelRefusal : public testing::TestWithParam<RefusalCase> {};

bool Holds(const std::array<std::uint8_t, 256>& bytes, std::uint8_t value)
{
    return std::all_of(bytes.begin(), bytes.end(), [&](std::uint8_t byte) { return byte == value; });
}

TEST_P(PixelRefusal, FailsWithInvalidArgumentAndWritesNothing)
{
    gSource.fill(0x5A);
    gTarget.fill(0xEE);
    EXPECT_EQ(GetParam().call(), 0);
    EXPECT_EQ(CodecGetLastError(), kCodecErrInvalidArgument);
    EXPECT_TRUE(Holds(gSource, 0x5A)) << "source written";
    EXPECT_TRUE(Holds(gTarget, 0xEE)) << "target written";
}

INSTANTIATE_TEST_SUITE_P(Pixels, PixelRefusal, testing::ValuesIn(kRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

// --- Progress and cancellation ------------------------------------------------------------------------------

// Each call works on a picture whose result has four rows.
struct ProgressCase {
    const char* name;
    int (*call)();
    int rowsTotal;
};

const ProgressCase kProgressCases[] = {
    {"expand", [] { return CodecExpandToRgb(src, 4, 4, 4, dst, 12, 256, palette, 0); }, 4},
    {"unpack", [] { return CodecUnpackBits(src, 8, 4, 1, dst); }, 4},
    // Two passes (horizontal, vertical) over the four rows for each of the three channels.
    {"unsharp", [] { return CodecUnsharpMask(src, 4, 4, 3, 12, dst, 12, 0, 0.25, 0.75, 7); }, 24},
    {"unsharp_one_channel", [] { return CodecUnsharpMask(src, 4, 4, 3, 12, dst, 12, 0, 0.25, 0.75, 2); }, 8},
    {"bilinear", [] { return CodecResizeBilinearRgb(src, 8, 8, 24, dst, 3, 4, 9, 3); }, 4},
    {"palette_resize", [] { return CodecResizeBilinearPalette(src, 2, 2, 2, dst, 3, 4, 3, 256, palette); }, 4},
    {"one_bit_resize", [] { return CodecResizeOneBit(src, 8, 2, 1, dst, 3, 4, 1); }, 4},
    {"shrink", [] { return CodecShrinkAverageRgb(src, 8, 8, 24, dst, 3, 4, 9, 3, 1); }, 4},
    {"one_bit_shrink", [] { return CodecShrinkOneBit(src, 8, 8, 1, dst, 3, 4, 1, 128, 0); }, 4},
    {"count", [] { return CodecCountOneBitPixels(src, 8, 4, 1, counts, 0); }, 4},
};

class PixelProgress : public testing::TestWithParam<ProgressCase> {
protected:
    codec_test::ProgressRecorder log;
};

TEST_P(PixelProgress, ReportsEveryRowOnce)
{
    ASSERT_EQ(GetParam().call(), 1);
    EXPECT_EQ(CodecGetLastError(), kCodecOk);
    const int total = GetParam().rowsTotal;
    std::vector<int> want(total);
    for (int row = 0; row < total; ++row) want[row] = row + 1;
    EXPECT_EQ(log.rowsDone, want);
    EXPECT_EQ(log.rowsTotal, std::vector<int>(total, total));
}

TEST_P(PixelProgress, ZeroFromTheCallbackCancels)
{
    log.cancelAt = 2;
    EXPECT_EQ(GetParam().call(), 0);
    EXPECT_EQ(CodecGetLastError(), kCodecErrCancelled);
    EXPECT_EQ(log.rowsDone, (std::vector<int>{1, 2}));
    EXPECT_EQ(codec::CurrentThreadState()->progressDepth, 0);
}

INSTANTIATE_TEST_SUITE_P(Pixels, PixelProgress, testing::ValuesIn(kProgressCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
