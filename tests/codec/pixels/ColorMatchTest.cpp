#include "codec/pixels/ColorMatch.h"

#include "codec/CodecErrors.h"
#include "codec/CodecThreadState.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>

namespace {

constexpr int Pack(int c0, int c1, int c2)
{
    return c0 | c1 << 8 | c2 << 16;
}

struct ColorsCase {
    const char* name;
    int a;
    int b;
    unsigned tolerance;
    int want;
};

constexpr unsigned kHalfCube = 3 * 128 * 128;   // 49,152

const ColorsCase kColorsCases[] = {
    {"equal_with_zero_tolerance", Pack(1, 2, 3), Pack(1, 2, 3), 0, 1},
    {"one_apart_with_zero_tolerance", Pack(1, 2, 3), Pack(1, 2, 4), 0, 0},
    {"distance_equal_to_tolerance", Pack(128, 128, 128), 0, kHalfCube, 1},
    {"distance_just_over_tolerance", Pack(128, 128, 129), 0, kHalfCube, 0},
    {"components_treated_alike", Pack(0, 0, 221), 0, kHalfCube, 1},   // 221^2 = 48,841
    {"bits_above_23_ignored", Pack(10, 0, 0) | 0x7F000000, Pack(10, 0, 0), 1, 1},
    {"largest_distance", Pack(255, 255, 255), 0, 3 * 255 * 255, 1},
};

class ColorsMatch : public testing::TestWithParam<ColorsCase> {};

TEST_P(ColorsMatch, AnswersByTheSquaredDistance)
{
    const ColorsCase& c = GetParam();
    EXPECT_EQ(CodecColorsMatch(c.a, c.b, c.tolerance), c.want);
    EXPECT_EQ(CodecColorsMatch(c.b, c.a, c.tolerance), c.want);
}

INSTANTIATE_TEST_SUITE_P(Pixels, ColorsMatch, testing::ValuesIn(kColorsCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ColorsMatchError, ClearsTheLastError)
{
    codec::CurrentThreadState()->lastError = kCodecErrInvalidArgument;
    CodecColorsMatch(1, 2, 0);
    EXPECT_EQ(CodecGetLastError(), kCodecOk);
}

// --- Nearest palette entry --------------------------------------------------------------------------------

using Palette = std::array<std::uint8_t, 1024>;

void SetEntry(Palette& palette, int index, int red, int green, int blue)
{
    palette[4 * index] = static_cast<std::uint8_t>(blue);
    palette[4 * index + 1] = static_cast<std::uint8_t>(green);
    palette[4 * index + 2] = static_cast<std::uint8_t>(red);
}

// Entry 0 black, 1 white, 2 pure red, 3 pure blue, 4 and 9 the same orange, 5..8 and 10..15 mid grey.
Palette SixteenColours()
{
    Palette palette{};
    SetEntry(palette, 1, 255, 255, 255);
    SetEntry(palette, 2, 255, 0, 0);
    SetEntry(palette, 3, 0, 0, 255);
    for (int i = 5; i < 16; ++i) SetEntry(palette, i, 128, 128, 128);
    SetEntry(palette, 4, 250, 140, 20);
    SetEntry(palette, 9, 250, 140, 20);
    return palette;
}

struct MatchCase {
    const char* name;
    int red, green, blue;
    int want;
};

const MatchCase kMatchCases[] = {
    {"exact_hit", 255, 0, 0, 2},
    {"first_of_equal_entries", 250, 140, 20, 4},
    {"nearest_not_exact", 10, 5, 240, 3},
    {"first_of_equally_near_greys", 120, 130, 128, 5},
    {"channels_in_entry_order", 0, 0, 255, 3},   // blue is entry byte 0
};

class ColorMatchNearest : public testing::TestWithParam<MatchCase> {};

TEST_P(ColorMatchNearest, FindsTheFirstNearestEntry)
{
    const MatchCase& c = GetParam();
    const Palette palette = SixteenColours();
    codec::CCodecColorMatch matcher;
    matcher.SetPalette(palette.data(), 16);
    EXPECT_EQ(matcher.Match(c.red, c.green, c.blue), c.want);
    EXPECT_EQ(matcher.Match(c.red, c.green, c.blue), c.want) << "cached answer";
}

INSTANTIATE_TEST_SUITE_P(Pixels, ColorMatchNearest, testing::ValuesIn(kMatchCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ColorMatch, WithoutPaletteAnswersZero)
{
    codec::CCodecColorMatch matcher;
    EXPECT_EQ(matcher.Match(255, 255, 255), 0);
    EXPECT_EQ(matcher.CachedColorCount(), 0);
}

TEST(ColorMatch, OnlyTheGivenCountOfEntriesIsSearched)
{
    const Palette palette = SixteenColours();
    codec::CCodecColorMatch matcher;
    matcher.SetPalette(palette.data(), 2);   // black and white only
    EXPECT_EQ(matcher.Match(255, 0, 0), 0);
}

TEST(ColorMatch, CacheHoldsAtMost255ColoursAndEmptiesWhenFull)
{
    const Palette palette = SixteenColours();
    codec::CCodecColorMatch matcher;
    matcher.SetPalette(palette.data(), 16);
    for (int grey = 0; grey < codec::CCodecColorMatch::kMaxCachedColors; ++grey) matcher.Match(grey, grey, grey);
    EXPECT_EQ(matcher.CachedColorCount(), 255);
    matcher.Match(3, 3, 3);   // already cached: no new entry
    EXPECT_EQ(matcher.CachedColorCount(), 255);
    EXPECT_EQ(matcher.Match(255, 255, 255), 1);   // the 256th colour empties the cache first
    EXPECT_EQ(matcher.CachedColorCount(), 1);
    matcher.SetPalette(palette.data(), 16);
    EXPECT_EQ(matcher.CachedColorCount(), 0);
}

}  // namespace
