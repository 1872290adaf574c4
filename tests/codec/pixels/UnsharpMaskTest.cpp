#include "codec/pixels/UnsharpMask.h"

#include "codec/CodecErrors.h"
#include "codec/CodecThreadState.h"
#include "tests/codec/pixels/PixelTestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using pixel_test::Bytes;

// The application's settings: sharpen setting x 0.01 as the amount, radius 0.75, threshold 0.
constexpr double kRadius = 0.75;

TEST(GaussianKernel, RadiusThreeQuartersHasFiveNormalisedTaps)
{
    const std::vector<float> kernel = codec::GaussianKernel(kRadius);
    const std::vector<double> want{0.0151997, 0.2187518, 0.5320971, 0.2187518, 0.0151997};
    ASSERT_EQ(kernel.size(), want.size());
    float sum = 0;
    for (std::size_t i = 0; i < want.size(); ++i) {
        EXPECT_NEAR(kernel[i], want[i], 1e-6) << i;
        sum += kernel[i];
    }
    EXPECT_EQ(kernel.front(), kernel.back());
    EXPECT_NEAR(sum, 1.0, 1e-6);
}

TEST(GaussianKernel, HalfWidthIsTheCeilingOfTwoAndAHalfRadii)
{
    EXPECT_EQ(codec::GaussianKernel(0.4).size(), 3u);    // ceil(1.0) = 1
    EXPECT_EQ(codec::GaussianKernel(0.41).size(), 5u);   // ceil(1.025) = 2
    EXPECT_EQ(codec::GaussianKernel(2.0).size(), 11u);
}

struct SharpenCase {
    const char* name;
    unsigned threshold;
    double amount;
    int source;
    int blurred;
    int want;
};

const SharpenCase kSharpenCases[] = {
    {"half_step_truncates_to_zero", 0, 0.5, 100, 101, 100},
    {"pushed_away_from_blur", 0, 0.5, 100, 96, 102},
    {"negative_truncates_toward_zero", 0, 0.5, 100, 103, 99},
    {"equal_to_blur_unchanged", 0, 2.0, 77, 77, 77},
    {"clamped_at_255", 0, 2.0, 250, 200, 255},
    {"clamped_at_0", 0, 2.0, 5, 50, 0},
    {"huge_amount_clamped", 0, 1e300, 10, 9, 255},
    {"difference_equal_to_threshold_unchanged", 3, 1.0, 100, 97, 100},
    {"difference_above_threshold_sharpened", 3, 1.0, 100, 96, 104},
};

class SharpeningTable : public testing::TestWithParam<SharpenCase> {};

TEST_P(SharpeningTable, EntryAtBlurredTimes256PlusSource)
{
    const SharpenCase& c = GetParam();
    const codec::SharpeningTable table = codec::BuildSharpeningTable(c.threshold, c.amount);
    EXPECT_EQ(table[c.blurred * 256 + c.source], c.want);
}

INSTANTIATE_TEST_SUITE_P(Pixels, SharpeningTable, testing::ValuesIn(kSharpenCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A five-pixel line with a bright middle, laid out as a row or as a column. Blurred with renormalised
// border taps it reads 102, 122, 153, 122, 102; sharpening then pushes each value away from that.
struct ImpulseCase {
    const char* name;
    unsigned threshold;
    double amount;
    Bytes want;
};

const ImpulseCase kImpulseCases[] = {
    {"amount_one", 0, 1.0, {98, 78, 247, 78, 98}},
    {"application_amount", 0, 0.25, {100, 95, 211, 95, 100}},
    {"threshold_keeps_small_differences", 2, 1.0, {100, 78, 247, 78, 100}},
};

class UnsharpImpulse : public testing::TestWithParam<std::tuple<ImpulseCase, bool>> {};

TEST_P(UnsharpImpulse, SharpensAlongRowsAndColumns)
{
    const auto& [c, asColumn] = GetParam();
    const Bytes line{100, 100, 200, 100, 100};
    Bytes out(5, 0xEE);
    const int width = asColumn ? 1 : 5;
    const int height = asColumn ? 5 : 1;
    const int stride = asColumn ? 1 : 5;
    ASSERT_EQ(CodecUnsharpMask(line.data(), width, height, 1, stride, out.data(), stride, c.threshold, c.amount,
                               kRadius, 1),
              1);
    EXPECT_EQ(CodecGetLastError(), kCodecOk);
    EXPECT_EQ(out, c.want);
}

INSTANTIATE_TEST_SUITE_P(Pixels, UnsharpImpulse, testing::Combine(testing::ValuesIn(kImpulseCases), testing::Bool()),
                         pixel_test::OrientedName<ImpulseCase>);

// A flat picture stays flat up to its borders, for any amount: the border taps are renormalised.
TEST(UnsharpMask, FlatPictureUnchangedBordersIncluded)
{
    struct Size {
        int width, height;
    };
    for (const Size size : {Size{1, 1}, Size{2, 3}, Size{17, 9}}) {
        for (const int value : {0, 1, 128, 254, 255}) {
            const int stride = size.width * 3 + 2;
            const Bytes flat(static_cast<std::size_t>(stride) * size.height, static_cast<std::uint8_t>(value));
            Bytes out(flat.size(), 0xEE);
            ASSERT_EQ(CodecUnsharpMask(flat.data(), size.width, size.height, 3, stride, out.data(), stride, 0, 5.0,
                                       kRadius, 7),
                      1);
            for (int y = 0; y < size.height; ++y)
                for (int x = 0; x < size.width * 3; ++x)
                    ASSERT_EQ(out[y * stride + x], value)
                        << size.width << "x" << size.height << " at " << x << "," << y;
        }
    }
}

TEST(UnsharpMask, ChannelsOutsideTheMaskAndRowPaddingAreNotWritten)
{
    const Bytes source{10, 20, 30, 40, 50, 60, 9, 9};   // one row of two RGB pixels, two bytes of padding
    Bytes out(source.size(), 0xEE);
    ASSERT_EQ(CodecUnsharpMask(source.data(), 2, 1, 3, 8, out.data(), 8, 0, 0.25, kRadius, 0b101), 1);
    EXPECT_EQ(out[1], 0xEE);
    EXPECT_EQ(out[4], 0xEE);
    EXPECT_EQ(out[6], 0xEE);
    EXPECT_EQ(out[7], 0xEE);
    EXPECT_NE(out[0], 0xEE);
    EXPECT_NE(out[5], 0xEE);
}

}  // namespace
