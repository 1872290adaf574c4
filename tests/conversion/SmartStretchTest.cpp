#include "conversion/SmartStretch.h"

#include "conversion/BusyIndicator.h"
#include "image/RasterImage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace {

constexpr int kW = 1024, kH = 768, kOW = 960, kOH = 540;
constexpr double kStep = 64.0 / 45.0;  // source rows per output row, 768 / 540

void FillRandom(CRasterImage& image, unsigned seed)
{
    std::mt19937 random(seed);
    const std::uint64_t bytes = CRasterImage::GetBufferSize(image.width, image.height, image.bitsPerPixel);
    for (std::uint64_t i = 0; i < bytes; ++i) image.Pixels()[i] = static_cast<std::uint8_t>(random());
}

ConversionSettings SplitAt(double position)
{
    ConversionSettings settings;
    settings.splitOn = 1;
    settings.splitPosition = position;
    return settings;
}

}  // namespace

// Source columns of a 1024 x 768 picture stretched to 960 x 540 with the default split, every mode.
struct ColumnCase {
    int column;
    double want[kStretchModeCount];
};

TEST(SmartStretch, SourceColumnsOfEveryMode)
{
    const ColumnCase cases[] = {
        {0, {0, 0, 0, 0, 0, 0}},
        {100, {106.67, 142.22, 67.56, 94.6, 77.21, 31.14}},
        {360, {384, 512, 276.48, 370.29, 341.33, 341.33}},
        {480, {512, 648.53, 389.12, 512, 512, 512}},
        {600, {640, 768, 512, 658.29, 682.67, 682.67}},
        {959, {kW - 1.07, kW - 1, kW - 1.42, kW - 1, kW - 1, kW - 1}},
    };
    for (int mode = 0; mode < kStretchModeCount; ++mode) {
        const std::vector<double> columns = StretchColumnPositions(kW, kH, kOW, kOH, mode, 0.5);
        for (const ColumnCase& c : cases)
            EXPECT_NEAR(columns[static_cast<std::size_t>(c.column)], c.want[mode], 0.005) << "mode " << mode << " column " << c.column;
    }
}

// The undistorted centre band of the edge modes: step k from A to B, something else just outside.
struct BandCase {
    const char* name;
    int mode, bandLeft, bandRight;
};

class CentreBand : public testing::TestWithParam<BandCase> {};

TEST_P(CentreBand, StepIsUndistortedExactlyInsideTheBand)
{
    const BandCase& c = GetParam();
    const std::vector<double> columns = StretchColumnPositions(kW, kH, kOW, kOH, c.mode, 0.5);
    const int half = 120;
    auto undistorted = [&](int x) { return std::abs(columns[static_cast<std::size_t>(x)] - kStep * (x - half)) < 1e-9; };
    for (int x = c.bandLeft; x <= c.bandRight; ++x) EXPECT_TRUE(undistorted(x)) << x;
    EXPECT_FALSE(undistorted(c.bandLeft - 1));
    EXPECT_FALSE(undistorted(c.bandRight + 1));
}

const BandCase kBandCases[] = {{"edges", 4, 300, 660}, {"extreme_edges", 5, 156, 803}};
INSTANTIATE_TEST_SUITE_P(SmartStretch, CentreBand, testing::ValuesIn(kBandCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SmartStretch, SplitPointsMirrorInStretchBothSides)
{
    EXPECT_EQ(StretchColumnPositions(kW, kH, kOW, kOH, 3, EffectiveSplit(SplitAt(0.25))),
              StretchColumnPositions(kW, kH, kOW, kOH, 3, EffectiveSplit(SplitAt(0.75))));
}

TEST(SmartStretch, SplitAboveOneActsAsOneAndOffActsAsHalf)
{
    EXPECT_EQ(EffectiveSplit(SplitAt(1.7)), 1.0);
    ConversionSettings off = SplitAt(0.9);
    off.splitOn = 0;
    EXPECT_EQ(EffectiveSplit(off), 0.5);
}

// At c = 1 the whole source keeps its proportions and the added columns repeat the outermost ones.
TEST(SmartStretch, WholeSourceBandRepeatsTheEdgeColumns)
{
    const struct { int mode; double split; } cases[] = {{4, 0.75}, {4, 0.9}, {3, 0.0}, {3, 1.0}, {5, 1.0}};
    for (const auto& c : cases) {
        const std::vector<double> columns = StretchColumnPositions(kW, kH, kOW, kOH, c.mode, c.split);
        for (int x = 0; x <= 120; ++x) EXPECT_NEAR(columns[static_cast<std::size_t>(x)], 0.0, 1e-9) << c.mode << " " << x;
        EXPECT_EQ(columns.back(), kW - 1) << c.mode;
    }
}

TEST(SmartStretch, NoAddedColumnsMakesEveryModeUniform)
{
    CRasterImage source;
    ASSERT_EQ(source.Create(1440, 1080, 24), kImageOk);
    FillRandom(source, 1);
    CRasterImage uniform;
    ASSERT_EQ(uniform.CopyFrom(source), kImageOk);
    ASSERT_EQ(SmartStretch(720, 540, uniform, 0, ConversionSettings{}), StretchResult::Stretched);
    for (int mode = 1; mode < kStretchModeCount; ++mode) {
        CRasterImage image;
        ASSERT_EQ(image.CopyFrom(source), kImageOk);
        ASSERT_EQ(SmartStretch(720, 540, image, mode, ConversionSettings{}), StretchResult::Stretched);
        EXPECT_EQ(std::memcmp(image.Pixels(), uniform.Pixels(), 720 * 540 * 3), 0) << "mode " << mode;
    }
}

TEST(SmartStretch, SameSizeSamplesExactPositionsUnchanged)
{
    CRasterImage image, original;
    ASSERT_EQ(image.Create(37, 23, 24), kImageOk);
    FillRandom(image, 2);
    image.xResolution = 300;
    ASSERT_EQ(original.CopyFrom(image), kImageOk);
    ASSERT_EQ(SmartStretch(37, 23, image, 0, ConversionSettings{}), StretchResult::Stretched);
    EXPECT_EQ(std::memcmp(image.Pixels(), original.Pixels(), 37 * 23 * 3), 0);
    EXPECT_EQ(image.xResolution, 0u) << "the result carries no resolution";
}

TEST(SmartStretch, BicubicWeightsAtHalfAndClamping)
{
    const std::int32_t columns[4] = {0, 1, 2, 3};
    const std::int32_t rows[4] = {0, 0, 0, 0};
    const struct { std::uint8_t values[4]; std::uint8_t want; } cases[] = {
        {{0, 100, 200, 255}, 156},  // -0/8 + 62.5 + 125 - 31.875 = 155.625
        {{0, 255, 255, 0}, 255},    // 318.75 is limited to 255
        {{255, 0, 0, 255}, 0},      // -63.75 is limited to 0
    };
    for (const auto& c : cases) EXPECT_EQ(SampleBicubic(c.values, 4, 1, 1.5f, 0.0f, columns, rows, 1), c.want);
}

TEST(SmartStretch, OtherDepthsAndEmptyImagesAreLeftUnchanged)
{
    CRasterImage empty;
    EXPECT_EQ(SmartStretch(960, 540, empty, 0, ConversionSettings{}), StretchResult::NoPixels);
    CRasterImage mono;
    ASSERT_EQ(mono.Create(64, 48, 1), kImageOk);
    EXPECT_EQ(SmartStretch(960, 540, mono, 0, ConversionSettings{}), StretchResult::UnsupportedDepth);
    EXPECT_EQ(mono.width, 64u);
    EXPECT_EQ(mono.bitsPerPixel, 1);
    CRasterImage colour;
    ASSERT_EQ(colour.Create(64, 48, 24), kImageOk);
    EXPECT_EQ(SmartStretch(0, 540, colour, 0, ConversionSettings{}), StretchResult::InvalidSize);
    EXPECT_EQ(colour.width, 64u);
}

TEST(SmartStretch, HoldsTheBusyIndicatorForItsWholeRun)
{
    struct CountingIndicator : CBusyIndicator {
        int begun = 0, ended = 0;
        void BeginBusy() override { ++begun; }
        void EndBusy() override { ++ended; }
    } indicator;
    CRasterImage image;
    ASSERT_EQ(image.Create(8, 6, 24), kImageOk);
    SmartStretch(16, 9, image, 0, ConversionSettings{}, &indicator);
    EXPECT_EQ(indicator.begun, 1);
    EXPECT_EQ(indicator.ended, 1);
}
