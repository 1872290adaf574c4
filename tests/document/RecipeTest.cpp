#include "document/Recipe.h"

#include "document/VantorelDoc.h"

#include "../support/RecordingPrompt.h"
#include "../support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

// The settings a recipe holds, for comparing; the picture's facts are not among them.
std::string Held(const ConversionSettings& settings, const JpegChoice& jpeg)
{
    return RecipeText(settings, jpeg);
}

ConversionSettings Unusual()
{
    ConversionSettings settings;
    settings.direction = 1;
    settings.stretchCropRatio = 37;
    settings.stretchMode = 4;
    settings.splitOn = 1;
    settings.splitPosition = 0.1 + 0.2;  // a double with no short decimal form
    settings.sharpenOn = 1;
    settings.sharpenAmount = 180;
    settings.outputFormat = 2;
    settings.panX = 1.0 / 3.0;
    settings.panY = 0.75;
    return settings;
}

JpegChoice UnusualJpeg()
{
    return JpegChoice{61, false, true, 123456};
}

TEST(Recipe, RoundTripGivesTheSameSettings)
{
    for (const auto& [settings, jpeg] : {std::pair{Unusual(), UnusualJpeg()}, std::pair{ConversionSettings{}, JpegChoice{}}}) {
        ConversionSettings read;
        read.sourceWidth = 640;  // a picture's facts stay as they were
        JpegChoice readJpeg;
        std::string error;
        ASSERT_TRUE(ApplyRecipeText(RecipeText(settings, jpeg), read, readJpeg, error)) << error;
        EXPECT_EQ(read.direction, settings.direction);
        EXPECT_EQ(read.stretchCropRatio, settings.stretchCropRatio);
        EXPECT_EQ(read.stretchMode, settings.stretchMode);
        EXPECT_EQ(read.splitOn, settings.splitOn);
        EXPECT_EQ(read.splitPosition, settings.splitPosition);
        EXPECT_EQ(read.sharpenOn, settings.sharpenOn);
        EXPECT_EQ(read.sharpenAmount, settings.sharpenAmount);
        EXPECT_EQ(read.outputFormat, settings.outputFormat);
        EXPECT_EQ(read.panX, settings.panX);
        EXPECT_EQ(read.panY, settings.panY);
        EXPECT_EQ(read.sourceWidth, 640);
        EXPECT_EQ(readJpeg.quality, jpeg.quality);
        EXPECT_EQ(readJpeg.fullChroma, jpeg.fullChroma);
        EXPECT_EQ(readJpeg.progressive, jpeg.progressive);
        EXPECT_EQ(readJpeg.targetBytes, jpeg.targetBytes);
    }
}

TEST(Recipe, KeysLeftOutTakeTheirDefaultsAndCommentsAreSkipped)
{
    ConversionSettings settings = Unusual();
    JpegChoice jpeg = UnusualJpeg();
    std::string error;
    ASSERT_TRUE(ApplyRecipeText("\xEF\xBB\xBF# only two\r\n\n  ratio=12  \nmode = both", settings, jpeg, error)) << error;
    ConversionSettings want;
    want.stretchCropRatio = 12;
    want.stretchMode = 3;
    EXPECT_EQ(Held(settings, jpeg), Held(want, JpegChoice{}));
}

struct RefusedCase {
    const char* name;
    const char* text;
    const char* error;  // the message's start: the line, then the reason
};

constexpr RefusedCase kRefusedCases[] = {
    {"unknown_key", "ratio = 10\nbrightness = 5\n", "line 2: unknown setting \"brightness\""},
    {"ratio_out_of_range", "ratio = 101", "line 1: invalid value for ratio: a whole number 0..100"},
    {"quality_below_range", "\n\nquality = 39", "line 3: invalid value for quality"},
    {"pan_without_comma", "pan = 0.5", "line 1: invalid value for pan"},
    {"pan_out_of_range", "pan = 0.5,1.5", "line 1: invalid value for pan"},
    {"split_not_a_number", "split = half", "line 1: invalid value for split"},
    {"split_with_decimal_comma", "split = 0,5", "line 1: invalid value for split"},
    {"mode_unknown", "mode = sideways", "line 1: invalid value for mode"},
    {"direction_unknown", "to = 21x9", "line 1: invalid value for to"},
    {"switch_not_yes_or_no", "progressive = true", "line 1: invalid value for progressive"},
    {"empty_value", "sharpen =", "line 1: invalid value for sharpen"},
    {"line_without_equals", "ratio = 10\nmode uniform", "line 2: expected \"key = value\""},
    {"key_given_twice", "ratio = 10\nratio = 20", "line 2: \"ratio\" is given twice"},
    {"number_with_trailing_text", "sharpen = 40%", "line 1: invalid value for sharpen"},
    {"format_beyond_the_known", "format = 6", "line 1: invalid value for format"},
    {"size_without_height", "size = 1280", "line 1: invalid value for size: WxH in pixels"},
    {"size_zero", "size = 0x0", "line 1: invalid value for size"},
    {"size_negative", "size = -16x9", "line 1: invalid value for size"},
    {"size_side_too_long", "size = 1000001x562501", "line 1: invalid value for size"},
    {"size_over_the_budget", "size = 21846x12288", "line 1: invalid value for size"},
    {"format_and_size", "format = hd\nsize = 1280x720", "line 2: the output size is given twice"},
    {"size_not_the_picture_shape", "size = 1280x720\nto = 4x3", "size: 1280x720 is not a 4:3 frame"},
};

class RecipeRefused : public testing::TestWithParam<RefusedCase> {};

TEST_P(RecipeRefused, NamesTheLineAndChangesNothing)
{
    ConversionSettings settings = Unusual();
    JpegChoice jpeg = UnusualJpeg();
    const std::string before = Held(settings, jpeg);
    std::string error;
    EXPECT_FALSE(ApplyRecipeText(GetParam().text, settings, jpeg, error));
    EXPECT_EQ(error.rfind(GetParam().error, 0), 0u) << error;
    EXPECT_EQ(Held(settings, jpeg), before);
}

INSTANTIATE_TEST_SUITE_P(Recipe, RecipeRefused, testing::ValuesIn(kRefusedCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Recipe, OutputSizesReadAndWriteBack)
{
    struct Case {
        const char* line;
        int format, frameWidth, frameHeight;
        const char* written;
    };
    const Case cases[] = {
        {"format = hd", 4, 0, 0, "format = hd"},          {"format = 5", 5, 0, 0, "format = uhd"},
        {"size = 1280x720", 0, 1280, 720, "size = 1280x720"},
        {"size = 16384x16384\nto = 4x3", 0, 0, 0, nullptr},  // refused: not 4:3
        {"size = 21845x12288", 0, 21845, 12288, "size = 21845x12288"},  // just within the pixel budget
    };
    for (const Case& c : cases) {
        ConversionSettings settings;
        settings.outputFormat = 3;
        JpegChoice jpeg;
        std::string error;
        const bool read = ApplyRecipeText(c.line, settings, jpeg, error);
        EXPECT_EQ(read, c.written != nullptr) << c.line << ": " << error;
        if (!read) continue;
        EXPECT_EQ(settings.outputFormat, c.format) << c.line;
        EXPECT_EQ(settings.frameWidth, c.frameWidth) << c.line;
        EXPECT_EQ(settings.frameHeight, c.frameHeight) << c.line;
        const std::string text = RecipeText(settings, jpeg);
        EXPECT_NE(text.find(std::string("\n") + c.written + "\n"), std::string::npos) << text;
        ConversionSettings again;
        ASSERT_TRUE(ApplyRecipeText(text, again, jpeg, error)) << error;
        EXPECT_EQ(Held(again, jpeg), text);
    }
}

TEST(Recipe, FilesThatAreNoRecipeAreRefused)
{
    TempFolder folder;
    ConversionSettings settings;
    JpegChoice jpeg;
    std::string error;
    EXPECT_FALSE(ReadRecipeFile(folder.File("missing.lumrecipe"), settings, jpeg, error));
    EXPECT_EQ(error, "the file cannot be read");
    EXPECT_FALSE(ReadRecipeFile(folder.Path(), settings, jpeg, error)) << "a folder";
    EXPECT_FALSE(ReadRecipeFile(folder.Write("big.lumrecipe", std::string(70000, '#')), settings, jpeg, error));
    EXPECT_EQ(error, "the file is too large to be a recipe");
    EXPECT_FALSE(ReadRecipeFile(folder.Write("nul.lumrecipe", std::string("ratio = 1\0x", 11)), settings, jpeg, error));
    EXPECT_EQ(error, "line 1: not text");
}

TEST(Recipe, CommandLineNamesOnlyWhatDiffersFromTheDefaults)
{
    EXPECT_EQ(ConvertCommandLine(ConversionSettings{}, JpegChoice{}, ""), "lumatrine-cli convert");
    EXPECT_EQ(ConvertCommandLine(Unusual(), UnusualJpeg(), "/pics/it's here.png"),
              "lumatrine-cli convert --to 4x3 --ratio 37 --mode edges --split 0.30000000000000004 --sharpen 180 --format pal"
              " --pan 0.3333333333333333,0.75 --quality 61 --target-size 123456 --subsample --progressive"
              " '/pics/it'\\''s here.png'");
    EXPECT_EQ(ConvertCommandLine(ConversionSettings{}, JpegChoice{}, "-dash.png"), "lumatrine-cli convert -- -dash.png");
    ConversionSettings ownFrame;
    ownFrame.ChooseOwnFrame(1280, 720);
    EXPECT_EQ(ConvertCommandLine(ownFrame, JpegChoice{}, ""), "lumatrine-cli convert --size 1280x720");
}

TEST(Recipe, DocumentSavesAndLoadsItsSettings)
{
    TempFolder folder;
    RecordingPrompt prompt;
    CVantorelDoc document;
    document.SetPrompt(&prompt);
    document.conversion.settings = Unusual();
    document.jpegChoice = UnusualJpeg();
    const std::string path = folder.File("look.lumrecipe");
    ASSERT_TRUE(document.SaveRecipe(path));

    CVantorelDoc other;
    other.SetPrompt(&prompt);
    ASSERT_TRUE(other.LoadRecipe(path));
    EXPECT_EQ(Held(other.conversion.settings, other.jpegChoice), Held(Unusual(), UnusualJpeg()));

    folder.Write("bad.lumrecipe", "ratio = 5\nzoom = 2\n");
    EXPECT_FALSE(other.LoadRecipe(folder.File("bad.lumrecipe")));
    EXPECT_EQ(Held(other.conversion.settings, other.jpegChoice), Held(Unusual(), UnusualJpeg()));
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_NE(prompt.messages[0].find("bad.lumrecipe: line 2: unknown setting \"zoom\""), std::string::npos) << prompt.messages[0];

    EXPECT_FALSE(document.SaveRecipe(folder.File("no-such-folder/look.lumrecipe")));
    EXPECT_EQ(prompt.messages.size(), 2u);
}

}  // namespace
