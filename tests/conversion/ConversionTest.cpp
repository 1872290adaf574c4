#include "conversion/Conversion.h"

#include "conversion/ConversionObserver.h"
#include "conversion/SmartStretch.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace {

void FillRandom(CRasterImage& image, unsigned seed)
{
    std::mt19937 random(seed);
    const std::uint64_t bytes = CRasterImage::GetBufferSize(image.width, image.height, image.bitsPerPixel);
    for (std::uint64_t i = 0; i < bytes; ++i) image.Pixels()[i] = static_cast<std::uint8_t>(random());
}

bool SamePixels(const CRasterImage& a, const CRasterImage& b)
{
    return a.width == b.width && a.height == b.height && a.bitsPerPixel == b.bitsPerPixel &&
           std::memcmp(a.Pixels(), b.Pixels(), CRasterImage::GetBufferSize(a.width, a.height, a.bitsPerPixel)) == 0;
}

struct CountingObserver : CConversionObserver {
    int sourceRegion = 0;
    int outputPreview = 0;
    void UpdateSourceRegion() override { ++sourceRegion; }
    void UpdateOutputPreview() override { ++outputPreview; }
};

// A conversion of a random width x height source, loaded as the document loads it.
class ConversionFixture : public testing::Test {
protected:
    void Load(std::uint32_t width, std::uint32_t height, int bits = 24)
    {
        ASSERT_EQ(conversion.source.Create(width, height, bits), kImageOk);
        FillRandom(conversion.source, width * 31 + height);
        if (bits != 24) {
            conversion.source.paletteCount = 2;
            conversion.source.palette[1] = {255, 255, 255, 0};
        }
        conversion.NormalizeNonSquareSource();
        conversion.SetObserver(&observer);
    }

    // Whether the output is the source cropped to `crop` and stretched to 960 x 540 directly.
    bool OutputIsStretchOf(PixelRect crop)
    {
        CRasterImage expected;
        EXPECT_EQ(expected.CopyFrom(conversion.source), kImageOk);
        EXPECT_EQ(expected.Crop(crop), kImageOk);
        SmartStretch(960, 540, expected, conversion.settings.stretchMode, conversion.settings);
        return SamePixels(conversion.output, expected);
    }

    CConversion conversion;
    CountingObserver observer;
};

}  // namespace

TEST_F(ConversionFixture, StretchOnlyConvertsTheWholePicture)
{
    Load(1024, 768);
    ASSERT_TRUE(conversion.UpdateConversion(false));
    EXPECT_EQ(conversion.settings.cropRect, (PixelRect{0, 0, 1024, 768}));
    EXPECT_TRUE(OutputIsStretchOf({0, 0, 1024, 768}));
    EXPECT_EQ(observer.sourceRegion, 1);
    EXPECT_EQ(observer.outputPreview, 1);
}

TEST_F(ConversionFixture, CropOnlyCutsTheMiddleRows)
{
    Load(1024, 768);
    conversion.settings.stretchCropRatio = 100;
    ASSERT_TRUE(conversion.UpdateConversion(false));
    EXPECT_TRUE(OutputIsStretchOf({0, 96, 1024, 672}));
}

TEST_F(ConversionFixture, RatioZeroShowsTheCropFrameButStretchesEverything)
{
    Load(3000, 2000);
    ASSERT_TRUE(conversion.UpdateConversion(false));
    EXPECT_EQ(conversion.settings.cropRect, (PixelRect{167, 0, 2833, 2000}));
    EXPECT_TRUE(OutputIsStretchOf({0, 0, 3000, 2000}));
}

TEST_F(ConversionFixture, PanOnlyMovesTheCropWindowAndNothingElse)
{
    Load(1024, 768);
    conversion.settings.stretchCropRatio = 100;
    ASSERT_TRUE(conversion.UpdateConversion(false));
    CRasterImage before;
    ASSERT_EQ(before.CopyFrom(conversion.output), kImageOk);
    const std::uint8_t* buffer = conversion.output.Pixels();

    conversion.PanCrop(0.0, -0.8);  // 0.5 - 0.8 is held at 0: the window against the top edge
    EXPECT_EQ(conversion.settings.panY, 0.0);
    EXPECT_EQ(conversion.settings.cropRect, (PixelRect{0, 0, 1024, 576}));
    EXPECT_EQ(conversion.output.Pixels(), buffer);
    EXPECT_TRUE(SamePixels(conversion.output, before));
    EXPECT_EQ(observer.sourceRegion, 2);
    EXPECT_EQ(observer.outputPreview, 1);
    conversion.PanCrop(5.0, 5.0);
    EXPECT_EQ(conversion.settings.panX, 1.0);
    EXPECT_EQ(conversion.settings.panY, 1.0);
    EXPECT_EQ(conversion.settings.cropRect, (PixelRect{0, 192, 1024, 768}));
}

TEST_F(ConversionFixture, SharpeningRunsOnlyWithAnAmountAndTheSwitch)
{
    Load(1024, 768);
    ASSERT_TRUE(conversion.UpdateConversion(false));
    CRasterImage plain;
    ASSERT_EQ(plain.CopyFrom(conversion.output), kImageOk);

    conversion.settings.sharpenOn = 1;
    conversion.settings.sharpenAmount = 0;
    ASSERT_TRUE(conversion.UpdateConversion(false));
    EXPECT_TRUE(SamePixels(conversion.output, plain));

    conversion.settings.sharpenAmount = 255;
    ASSERT_TRUE(conversion.UpdateConversion(false));
    EXPECT_FALSE(SamePixels(conversion.output, plain));
}

struct FrameCase {
    const char* name;
    std::uint32_t width, height;
    int direction;
    std::uint32_t wantWidth, wantHeight;
    int nonSquare;
};

class SquarePixels : public ConversionFixture, public testing::WithParamInterface<FrameCase> {};

TEST_P(SquarePixels, D1FramesBecomeSquarePixels)
{
    const FrameCase& c = GetParam();
    conversion.settings.direction = c.direction;
    Load(c.width, c.height);
    EXPECT_EQ(conversion.source.width, c.wantWidth);
    EXPECT_EQ(conversion.source.height, c.wantHeight);
    EXPECT_EQ(conversion.settings.sourceNonSquare, c.nonSquare);
    EXPECT_EQ(conversion.settings.sourceWidth, static_cast<int>(c.width));
    EXPECT_EQ(conversion.settings.sourceHeight, static_cast<int>(c.height));
}

const FrameCase kFrameCases[] = {
    {"ntsc_as_4x3", 720, 480, 0, 720, 540, 1},  {"ntsc_as_anamorphic", 720, 480, 1, 960, 540, 1},
    {"pal_as_4x3", 720, 576, 0, 720, 540, 1},   {"pal_as_anamorphic", 720, 576, 1, 960, 540, 1},
    {"not_a_d1_frame", 720, 500, 0, 720, 500, 0},
};
INSTANTIATE_TEST_SUITE_P(Conversion, SquarePixels, testing::ValuesIn(kFrameCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ConversionFixture, OutputFormatSqueezesOnlyIntoD1Frames)
{
    const struct { int direction, format; std::uint32_t width, height; } cases[] = {
        {0, 1, 720, 480}, {0, 2, 720, 576}, {1, 1, 720, 480}, {0, 0, 960, 540}, {0, 3, 1365, 768},
        {0, 4, 1920, 1080}, {1, 5, 2880, 2160},
    };
    Load(1024, 768);
    for (const auto& c : cases) {
        conversion.settings.direction = c.direction;
        conversion.settings.outputFormat = c.format;
        ASSERT_TRUE(conversion.UpdateConversion(false));
        conversion.ApplyOutputFormat();
        EXPECT_EQ(conversion.output.width, c.width) << c.direction << "/" << c.format;
        EXPECT_EQ(conversion.output.height, c.height) << c.direction << "/" << c.format;
    }
}

TEST_F(ConversionFixture, OneBitSourcesAreBroughtToColour)
{
    Load(64, 48, 1);
    EXPECT_EQ(conversion.source.bitsPerPixel, 24);
    ASSERT_TRUE(conversion.UpdateConversion(false));
    EXPECT_EQ(conversion.output.width, 960u);
}

TEST_F(ConversionFixture, NothingHappensWithoutASource)
{
    conversion.SetObserver(&observer);
    EXPECT_FALSE(conversion.UpdateConversion(false));
    EXPECT_EQ(observer.sourceRegion, 0);
    EXPECT_FALSE(conversion.output.HasPixels());
}
