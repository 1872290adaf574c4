#include "codec/pixels/PaletteExpansion.h"

#include "codec/CodecErrors.h"
#include "codec/CodecThreadState.h"
#include "tests/codec/pixels/PixelTestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

namespace {

using pixel_test::Bytes;

// Entry i is (blue i, green i + 10, red i + 20); entry 3 is the one the application's example uses.
std::array<std::uint8_t, 1024> TestPalette()
{
    std::array<std::uint8_t, 1024> palette{};
    for (int i = 0; i < 256; ++i) {
        palette[4 * i] = static_cast<std::uint8_t>(i);
        palette[4 * i + 1] = static_cast<std::uint8_t>(i + 10);
        palette[4 * i + 2] = static_cast<std::uint8_t>(i + 20);
    }
    palette[12] = 10, palette[13] = 20, palette[14] = 30;
    return palette;
}

TEST(ExpandToRgb, EachIndexTakesItsEntryRedFirstAcrossStrides)
{
    const auto palette = TestPalette();
    // Two rows of two indices in rows of 3 bytes; the output rows are 8 bytes apart.
    const Bytes indices{3, 200, 0xAA, 255, 0, 0xAA};
    Bytes out(16, 0xEE);
    // The palette count is not consulted: index 200 and 255 expand although the count says 4.
    ASSERT_EQ(CodecExpandToRgb(indices.data(), 2, 2, 3, out.data(), 8, 4, palette.data(), 0), 1);
    EXPECT_EQ(CodecGetLastError(), kCodecOk);
    EXPECT_EQ(out, (Bytes{30, 20, 10, 220, 210, 200, 0xEE, 0xEE, 19, 9, 255, 20, 10, 0, 0xEE, 0xEE}));
}

TEST(ExpandToRgb, StoredOrderFlagWritesBlueFirst)
{
    const auto palette = TestPalette();
    const Bytes indices{3};
    Bytes out(3);
    ASSERT_EQ(CodecExpandToRgb(indices.data(), 1, 1, 1, out.data(), 3, 256, palette.data(), kCodecExpandStoredOrder),
              1);
    EXPECT_EQ(out, (Bytes{10, 20, 30}));
}

}  // namespace
