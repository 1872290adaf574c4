// The fast conversion engine against the straightforward evaluation: every byte must agree.
#include "conversion/Conversion.h"
#include "conversion/SmartStretch.h"
#include "platform/WorkerThreads.h"
#include "tests/conversion/StretchOracle.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <tuple>

namespace {

void FillRandom(CRasterImage& image, std::uint32_t width, std::uint32_t height, unsigned seed)
{
    ASSERT_EQ(image.Create(width, height, 24), kImageOk);
    std::mt19937 random(seed);
    // Runs of one value between noise, so both flat areas (exact results) and overshoot (clamping) occur.
    std::uint8_t value = 0;
    for (std::uint64_t i = 0; i < std::uint64_t{width} * height * 3; ++i) {
        if (random() % 4 != 0) value = static_cast<std::uint8_t>(random());
        image.Pixels()[i] = value;
    }
}

::testing::AssertionResult SameAsOracle(const CRasterImage& image, const OraclePicture& expected)
{
    if (static_cast<int>(image.width) != expected.width || static_cast<int>(image.height) != expected.height)
        return ::testing::AssertionFailure() << "size " << image.width << "x" << image.height << ", expected "
                                             << expected.width << "x" << expected.height;
    for (std::size_t i = 0; i < expected.pixels.size(); ++i) {
        if (image.Pixels()[i] != expected.pixels[i])
            return ::testing::AssertionFailure() << "byte " << i << " (pixel " << i / 3 % expected.width << ", "
                                                 << i / 3 / expected.width << ") is " << int(image.Pixels()[i])
                                                 << ", expected " << int(expected.pixels[i]);
    }
    return ::testing::AssertionSuccess();
}

struct SourceSize {
    const char* name;
    std::uint32_t width;
    std::uint32_t height;
};
// Shrinking (several source rows and columns per output pixel), enlarging, and tiny pictures whose taps
// all clamp at the borders.
constexpr SourceSize kSourceSizes[] = {
    {"shrink_2000x1500", 2000, 1500}, {"shrink_wide_1700x900", 1700, 900}, {"enlarge_500x381", 500, 381},
    {"tiny_7x5", 7, 5},
};

struct SplitCase {
    std::int32_t splitOn;
    double splitPosition;
    std::int32_t stretchCropRatio;
    std::int32_t sharpenOn;
};
// Split off and on at both sides of the middle and at its end; ratios stretch-only, mixed and crop-only.
constexpr SplitCase kSplitCases[] = {{0, 0.5, 0, 1}, {1, 0.3, 50, 0}, {1, 0.85, 100, 1}, {1, 1.0, 50, 1}};

using UpdateCase = std::tuple<SourceSize, int, int>;  // source, mode, direction

class ConversionIdentity : public testing::TestWithParam<UpdateCase> {};

TEST_P(ConversionIdentity, UpdateMatchesTheStraightforwardEvaluation)
{
    const auto& [size, mode, direction] = GetParam();
    CConversion conversion;
    FillRandom(conversion.source, size.width, size.height, size.width * 7 + mode);
    conversion.NormalizeNonSquareSource();
    for (const SplitCase& split : kSplitCases) {
        conversion.settings.stretchMode = mode;
        conversion.settings.direction = direction;
        conversion.settings.splitOn = split.splitOn;
        conversion.settings.splitPosition = split.splitPosition;
        conversion.settings.stretchCropRatio = split.stretchCropRatio;
        conversion.settings.sharpenOn = split.sharpenOn;
        conversion.settings.panX = 0.3;
        ASSERT_TRUE(conversion.UpdateConversion(false));
        EXPECT_TRUE(SameAsOracle(conversion.output, OracleConversion(conversion.source, conversion.settings)))
            << "split " << split.splitOn << "/" << split.splitPosition << " ratio " << split.stretchCropRatio;
    }
}

INSTANTIATE_TEST_SUITE_P(Conversion, ConversionIdentity,
                         testing::Combine(testing::ValuesIn(kSourceSizes), testing::Range(0, kStretchModeCount),
                                          testing::Values(0, 1)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_mode" +
                                    std::to_string(std::get<1>(info.param)) + "_direction" +
                                    std::to_string(std::get<2>(info.param));
                         });

struct StretchCase {
    const char* name;
    std::uint32_t width, height;
    int outputWidth, outputHeight;
};
// Odd output widths and heights leave partial vector blocks at row ends; one-pixel sides clamp every tap.
constexpr StretchCase kStretchCases[] = {
    {"odd_shrink", 301, 199, 101, 47}, {"odd_enlarge", 13, 9, 37, 23}, {"one_column", 1, 40, 5, 11},
    {"one_row", 40, 1, 17, 3},         {"to_one_pixel", 20, 20, 1, 1},
};

class StretchIdentity : public testing::TestWithParam<std::tuple<StretchCase, int>> {};

TEST_P(StretchIdentity, EveryModeAndThreadCountMatches)
{
    const auto& [shape, mode] = GetParam();
    CRasterImage original;
    FillRandom(original, shape.width, shape.height, shape.width + 3 * shape.height);
    ConversionSettings settings;
    settings.splitOn = 1;
    settings.splitPosition = 0.7;
    const OraclePicture expected = OracleStretch(original.Pixels(), int(shape.width), int(shape.height),
                                                 original.GetStride(), shape.outputWidth, shape.outputHeight, mode, 0.7);
    for (const int threads : {1, 2, 3}) {
        platform::SetWorkerCount(threads);
        CRasterImage image;
        image.CopyFrom(original);
        ASSERT_EQ(SmartStretch(shape.outputWidth, shape.outputHeight, image, mode, settings), StretchResult::Stretched);
        EXPECT_TRUE(SameAsOracle(image, expected)) << threads << " threads";
    }
    platform::SetWorkerCount(0);
}

INSTANTIATE_TEST_SUITE_P(SmartStretch, StretchIdentity,
                         testing::Combine(testing::ValuesIn(kStretchCases), testing::Range(0, kStretchModeCount)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_mode" +
                                    std::to_string(std::get<1>(info.param));
                         });

}  // namespace
