#include "conversion/ConversionSettings.h"

#include <gtest/gtest.h>

struct GeometryCase {
    const char* name;
    int width, height, direction, ratio;
    double panX, panY;
    PixelRect crop;
    OutputGeometry wysiwyg;   // output formats 0 to 2
    OutputGeometry original;  // output format 3
};

class Geometry : public testing::TestWithParam<GeometryCase> {};

TEST_P(Geometry, CropWindowAndOutputSize)
{
    const GeometryCase& c = GetParam();
    ConversionSettings settings;
    settings.direction = c.direction;
    settings.stretchCropRatio = c.ratio;
    settings.panX = c.panX;
    settings.panY = c.panY;
    settings.stretchMode = 4;
    settings.ComputeCropRect(c.width, c.height);
    EXPECT_EQ(settings.cropRect, c.crop);
    for (const int format : {0, 1, 2}) {
        settings.outputFormat = format;
        EXPECT_EQ(settings.ComputeOutputSize(), c.wysiwyg) << "format " << format;
    }
    settings.outputFormat = 3;
    EXPECT_EQ(settings.ComputeOutputSize(), c.original);
}

const GeometryCase kGeometryCases[] = {
    {"stretch_only_4x3", 1024, 768, 0, 0, 0.5, 0.5, {0, 0, 1024, 768}, {960, 540, 4}, {1365, 768, 4}},
    {"crop_only_4x3", 1024, 768, 0, 100, 0.5, 0.5, {0, 96, 1024, 672}, {960, 540, 4}, {1024, 576, 4}},
    {"half_and_half_14x9", 1024, 768, 0, 50, 0.5, 0.5, {0, 55, 1024, 713}, {960, 540, 4}, {1169, 658, 4}},
    {"wide_source_stretch_only", 3000, 2000, 0, 0, 0.5, 0.5, {167, 0, 2833, 2000}, {960, 540, 4}, {3555, 2000, 4}},
    {"to_4x3_from_hd", 1920, 1080, 1, 0, 0.5, 0.5, {240, 0, 1680, 1080}, {720, 540, 0}, {1440, 1080, 4}},
    {"pan_left_edge", 1920, 1080, 1, 0, 0.0, 0.5, {0, 0, 1440, 1080}, {720, 540, 0}, {1440, 1080, 4}},
    {"pan_right_edge", 1920, 1080, 1, 0, 1.0, 0.5, {480, 0, 1920, 1080}, {720, 540, 0}, {1440, 1080, 4}},
    {"pan_top_edge", 1024, 768, 0, 100, 0.5, 0.0, {0, 0, 1024, 576}, {960, 540, 4}, {1024, 576, 4}},
    {"pan_bottom_edge", 1024, 768, 0, 100, 0.5, 1.0, {0, 192, 1024, 768}, {960, 540, 4}, {1024, 576, 4}},
    {"exact_4x3_ignores_pan", 800, 600, 0, 0, 0.0, 1.0, {0, 0, 800, 600}, {960, 540, 4}, {1066, 600, 4}},
    {"exact_16x9_ignores_pan", 1920, 1080, 0, 100, 1.0, 0.0, {0, 0, 1920, 1080}, {960, 540, 4}, {1920, 1080, 4}},
};
INSTANTIATE_TEST_SUITE_P(Conversion, Geometry, testing::ValuesIn(kGeometryCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ConversionSettings, DefaultsAndSplitReset)
{
    ConversionSettings settings;
    EXPECT_EQ(settings.sharpenAmount, 25);
    EXPECT_EQ(settings.panX, 0.5);
    EXPECT_EQ(settings.splitPosition, 0.5);
    settings.splitPosition = 0.8;
    settings.splitOn = 1;
    settings.ResetSplitPoint();
    EXPECT_EQ(settings.splitPosition, 0.5);
    EXPECT_EQ(settings.splitOn, 0);
}

TEST(ConversionSettings, AnyNonZeroDirectionActsAsFourThree)
{
    ConversionSettings settings;
    settings.direction = 7;
    settings.ComputeCropRect(1920, 1080);
    EXPECT_EQ(settings.cropRect, (PixelRect{240, 0, 1680, 1080}));
}
