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

// Every output format in both directions, from one 1024 x 768 source at ratio 100 (crop window 1024 x 576
// across, 1024 x 768 when going to 4:3), with the "Stretch Edges" mode chosen.
struct FormatCase {
    const char* name;
    int format, direction;
    OutputGeometry expected;
};
const FormatCase kFormatCases[] = {
    {"wysiwyg_to_16x9", 0, 0, {960, 540, 4}},      {"wysiwyg_to_4x3", 0, 1, {720, 540, 0}},
    {"ntsc_to_16x9", 1, 0, {960, 540, 4}},         {"ntsc_to_4x3", 1, 1, {720, 540, 0}},
    {"pal_to_16x9", 2, 0, {960, 540, 4}},          {"pal_to_4x3", 2, 1, {720, 540, 0}},
    {"original_to_16x9", 3, 0, {1024, 576, 4}},    {"original_to_4x3", 3, 1, {1024, 768, 4}},
    {"full_hd_to_16x9", 4, 0, {1920, 1080, 4}},    {"full_hd_to_4x3", 4, 1, {1440, 1080, 0}},
    {"uhd_to_16x9", 5, 0, {3840, 2160, 4}},        {"uhd_to_4x3", 5, 1, {2880, 2160, 0}},
    // A stored value outside the known formats is taken as WYSIWYG.
    {"unknown_high_to_16x9", 6, 0, {960, 540, 4}}, {"unknown_negative_to_4x3", -1, 1, {720, 540, 0}},
};

class FormatGeometry : public testing::TestWithParam<FormatCase> {};

TEST_P(FormatGeometry, OutputSizeAndStretchMode)
{
    const FormatCase& c = GetParam();
    ConversionSettings settings;
    settings.direction = c.direction;
    settings.stretchCropRatio = 100;
    settings.stretchMode = 4;
    settings.outputFormat = c.format;
    settings.ComputeCropRect(1024, 768);
    EXPECT_EQ(settings.ComputeOutputSize(), c.expected);
}
INSTANTIATE_TEST_SUITE_P(Conversion, FormatGeometry, testing::ValuesIn(kFormatCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ConversionSettings, OwnFrameReplacesTheFormatUntilAFormatIsChosen)
{
    ConversionSettings settings;
    settings.stretchMode = 2;
    settings.outputFormat = 3;
    settings.ComputeCropRect(1024, 768);
    settings.ChooseOwnFrame(1280, 720);
    EXPECT_EQ(settings.ComputeOutputSize(), (OutputGeometry{1280, 720, 2}));
    settings.direction = 1;
    EXPECT_EQ(settings.ComputeOutputSize(), (OutputGeometry{960, 720, 0})) << "a 16:9 frame for a 4:3 picture";
    settings.ChooseOwnFrame(1024, 768);
    EXPECT_EQ(settings.ComputeOutputSize(), (OutputGeometry{1024, 768, 0}));
    settings.ChooseOutputFormat(4);
    EXPECT_FALSE(settings.HasOwnFrame());
    EXPECT_EQ(settings.ComputeOutputSize(), (OutputGeometry{1440, 1080, 0}));
}

TEST(ConversionSettings, OwnFrameMustHaveThePictureShape)
{
    struct Case {
        int width, height, direction;
        bool fits;
    };
    const Case cases[] = {
        {1280, 720, 0, true}, {1366, 768, 0, true}, {1365, 768, 0, true},  {1367, 768, 0, false},
        {1280, 720, 1, false}, {1024, 768, 1, true}, {1000, 1000, 0, false}, {1000, 1000, 1, false},
    };
    for (const Case& c : cases) {
        ConversionSettings settings;
        settings.direction = c.direction;
        settings.ChooseOwnFrame(c.width, c.height);
        EXPECT_EQ(settings.OwnFrameFitsShape(), c.fits) << c.width << "x" << c.height << " direction " << c.direction;
    }
}
