// Converting while the source decodes gives the bytes of the straightforward load-then-convert, for
// every kind of source and setting, and a decode that stops half-way leaves nothing reading its rows.
#include "conversion/Conversion.h"

#include "platform/WorkerThreads.h"
#include "tests/codec/support/ProgressRecorder.h"

#include "../support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

// A noisy colour picture, saved under `name` (its extension picks the format).
std::string WriteNoisy(const TempFolder& folder, const std::string& name, std::uint32_t width, std::uint32_t height)
{
    CRasterImage picture;
    picture.Create(width, height, 24);
    std::mt19937 random(width * 31 + height);
    for (std::size_t i = 0; i < std::size_t{width} * height * 3; ++i)
        picture.Pixels()[i] = static_cast<std::uint8_t>(random() % 64 + (i / 3 % width) * 150 / width);
    EXPECT_EQ(picture.Save(folder.File(name).c_str()), kImageOk);
    return folder.File(name);
}

struct Outcome {
    int status = 0;
    bool converted = false;
    std::uint32_t width = 0, height = 0;
    std::vector<std::uint8_t> pixels;
};

Outcome Straightforward(const std::string& path, const ConversionSettings& settings)
{
    CConversion conversion;
    conversion.settings = settings;
    Outcome outcome;
    outcome.status = conversion.source.Load(path.c_str());
    if (outcome.status != kImageOk) return outcome;
    conversion.NormalizeNonSquareSource();
    outcome.converted = conversion.UpdateConversion(false);
    outcome.width = conversion.output.width;
    outcome.height = conversion.output.height;
    outcome.pixels.assign(conversion.output.Pixels(), conversion.output.Pixels() + std::size_t{outcome.width} * outcome.height * 3);
    return outcome;
}

Outcome WhileLoading(const std::string& path, const ConversionSettings& settings)
{
    CConversion conversion;
    conversion.settings = settings;
    Outcome outcome;
    outcome.status = conversion.LoadAndConvert(path.c_str(), outcome.converted);
    if (outcome.status != kImageOk) return outcome;
    outcome.width = conversion.output.width;
    outcome.height = conversion.output.height;
    outcome.pixels.assign(conversion.output.Pixels(), conversion.output.Pixels() + std::size_t{outcome.width} * outcome.height * 3);
    return outcome;
}

}  // namespace

TEST(LoadAndConvert, SameBytesAsLoadingThenConverting)
{
    TempFolder folder;
    const std::string half = folder.File("half.jpg");
    const std::string whole = WriteNoisy(folder, "whole.jpg", 1203, 901);
    std::filesystem::copy_file(whole, half);
    std::filesystem::resize_file(half, std::filesystem::file_size(whole) / 2);
    const std::vector<std::string> sources = {whole, half, WriteNoisy(folder, "d1.jpg", 720, 480),
                                              WriteNoisy(folder, "wide.jpg", 1600, 700), WriteNoisy(folder, "plain.png", 400, 300)};

    struct Setting {
        const char* name;
        int toFourThree, ratio, mode, format, sharpen;
        double panX, panY;
    };
    const Setting settings[] = {
        {"stretch only", 0, 0, 0, 0, 0, 0.5, 0.5},
        {"half crop, sharpened", 0, 50, 0, 0, 25, 0.5, 0.5},
        {"crop only, panned down", 0, 100, 3, 0, 0, 0.1, 1.0},
        {"to 4:3, extreme edges", 1, 30, 5, 0, 0, 0.8, 0.2},
        {"original size", 0, 70, 1, 3, 0, 0.5, 0.5},
    };
    platform::SetWorkerCount(2);
    for (const std::string& source : sources) {
        for (const Setting& setting : settings) {
            ConversionSettings conversionSettings;
            conversionSettings.direction = setting.toFourThree;
            conversionSettings.stretchCropRatio = setting.ratio;
            conversionSettings.stretchMode = setting.mode;
            conversionSettings.outputFormat = setting.format;
            conversionSettings.sharpenOn = setting.sharpen > 0;
            conversionSettings.sharpenAmount = setting.sharpen;
            conversionSettings.panX = setting.panX;
            conversionSettings.panY = setting.panY;
            const Outcome expected = Straightforward(source, conversionSettings);
            const Outcome actual = WhileLoading(source, conversionSettings);
            const std::string where = std::filesystem::path(source).filename().string() + ", " + setting.name;
            // Half a JPEG is refused once the decoder finds its end missing, after it delivered rows.
            ASSERT_EQ(expected.status == kImageOk, source != half) << where;
            EXPECT_EQ(actual.status, expected.status) << where;
            EXPECT_EQ(actual.converted, expected.converted) << where;
            EXPECT_EQ(actual.width, expected.width) << where;
            EXPECT_EQ(actual.height, expected.height) << where;
            EXPECT_TRUE(actual.pixels == expected.pixels) << where;
        }
    }
    platform::SetWorkerCount(0);
}

// A decode cancelled half-way frees its rows while the stretch waits for more: the stretch must have let
// go of them first (a sanitizer build sees any late read), and the load fails as the decoder said.
TEST(LoadAndConvert, DecodeStoppedHalfWayFailsTheLoad)
{
    TempFolder folder;
    const std::string path = WriteNoisy(folder, "photo.jpg", 800, 600);
    platform::SetWorkerCount(2);
    for (const int cancelAt : {1, 300, 599}) {
        codec_test::ProgressRecorder progress;
        progress.cancelAt = cancelAt;
        CConversion conversion;
        conversion.settings.stretchCropRatio = 50;
        bool converted = true;
        EXPECT_EQ(conversion.LoadAndConvert(path.c_str(), converted), kCodecErrCancelled) << cancelAt;
        EXPECT_FALSE(converted);
        EXPECT_FALSE(conversion.source.HasPixels());
    }
    platform::SetWorkerCount(0);
}
