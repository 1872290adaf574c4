#include "codec/CodecLimits.h"
#include "codec/PixelBuffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <ostream>

namespace {

struct BudgetCase {
    const char* name;
    std::int64_t width;
    std::int64_t height;
    unsigned bitsPerPixel;
    std::optional<std::uint64_t> bytes;
};

const BudgetCase kBudgetCases[] = {
    {"rgb", 3, 2, 24, 18},
    {"one_bit_rows_round_up", 9, 2, 1, 4},
    {"budget_exactly", 16384, 16384, 8, std::uint64_t{1} << 28},
    {"one_row_over_budget", 16384, 16385, 8, std::nullopt},
    {"longest_side", 1'000'000, 268, 8, 268'000'000},
    {"side_too_long", 1'000'001, 1, 8, std::nullopt},
    {"height_too_long", 1, 1'000'001, 8, std::nullopt},
    {"zero_width", 0, 10, 8, std::nullopt},
    {"zero_height", 10, 0, 8, std::nullopt},
    {"negative_width", -5, 10, 8, std::nullopt},
    {"zero_depth", 10, 10, 0, std::nullopt},
    {"full_budget_rgba", 16384, 16384, 32, std::uint64_t{1} << 30},
    {"full_budget_over_block_cap", 16384, 16384, 64, std::nullopt},
    {"huge_sides_cannot_overflow", INT64_MAX, INT64_MAX, 64, std::nullopt},
};

void PrintTo(const BudgetCase& row, std::ostream* out) { *out << row.name; }

class PixelBudget : public testing::TestWithParam<BudgetCase> {};

TEST_P(PixelBudget, GivesThePackedSizeOrRefuses)
{
    const BudgetCase& row = GetParam();
    EXPECT_EQ(codec::RasterBytes(row.width, row.height, row.bitsPerPixel), row.bytes);
}

INSTANTIATE_TEST_SUITE_P(PixelBuffer, PixelBudget, testing::ValuesIn(kBudgetCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PixelBuffer, IsAZeroFilledGlobalBlockOfTheRasterSize)
{
    codec::PixelBuffer pixels = codec::AllocPixelBuffer(13, 7, 24);
    ASSERT_TRUE(pixels);
    EXPECT_EQ(platform::GlobalSize(pixels.get()), 13u * 7 * 3);
    EXPECT_TRUE(std::all_of(pixels.get(), pixels.get() + 13 * 7 * 3, [](std::uint8_t b) { return b == 0; }));
    std::uint8_t* handedOver = pixels.release();
    platform::GlobalFree(handedOver);   // what the caller does
}

TEST(PixelBuffer, OverBudgetAllocatesNothing)
{
    EXPECT_FALSE(codec::AllocPixelBuffer(16000, 17000, 24));
}

}  // namespace
