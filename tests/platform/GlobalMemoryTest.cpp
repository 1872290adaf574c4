#include "platform/GlobalMemory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

TEST(GlobalMemory, BlocksAreZeroedAndKnowTheirSize)
{
    constexpr std::uint64_t kBytes = 1000;
    auto* block = static_cast<std::uint8_t*>(platform::GlobalAlloc(kBytes));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(platform::GlobalSize(block), kBytes);
    EXPECT_TRUE(std::all_of(block, block + kBytes, [](std::uint8_t b) { return b == 0; }));
    platform::GlobalFree(block);
}

TEST(GlobalMemory, RequestsAboveTheCapAreRefused)
{
    EXPECT_EQ(platform::GlobalAlloc(platform::kMaxGlobalBlockBytes + 1), nullptr);
    EXPECT_EQ(platform::GlobalAlloc(UINT64_MAX), nullptr);
}

TEST(GlobalMemory, NullIsHarmless)
{
    platform::GlobalFree(nullptr);
    EXPECT_EQ(platform::GlobalSize(nullptr), 0u);
}
