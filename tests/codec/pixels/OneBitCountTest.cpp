#include "codec/pixels/OneBitCount.h"

#include "codec/CodecErrors.h"
#include "codec/CodecThreadState.h"
#include "tests/codec/pixels/PixelTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using pixel_test::Bytes;

struct CountCase {
    const char* name;
    Bytes rows;   // rows of `stride` bytes
    int width;
    int stride;
    unsigned clear;
    unsigned set;
};

const CountCase kCountCases[] = {
    {"whole_bytes", {0xA5, 0xFF}, 8, 1, 4, 12},
    // Ten pixels a row in three bytes: the last six bits of byte 2 and all of byte 3 are padding.
    {"padding_not_counted", {0x00, 0x7F, 0xFF, 0xFF, 0xC0, 0xFF}, 10, 3, 9, 11},
    {"one_pixel_rows", {0x80, 0x7F, 0x00}, 1, 1, 2, 1},
};

class CountOneBitPixels : public testing::TestWithParam<CountCase> {};

TEST_P(CountOneBitPixels, CountsClearAndSetPixelsOfEachRow)
{
    const CountCase& c = GetParam();
    unsigned counts[2] = {99, 99};   // the counts start at 0 whatever they held
    const int height = static_cast<int>(c.rows.size()) / c.stride;
    ASSERT_EQ(CodecCountOneBitPixels(c.rows.data(), c.width, height, c.stride, counts, 0), 1);
    EXPECT_EQ(CodecGetLastError(), kCodecOk);
    EXPECT_EQ(counts[0], c.clear);
    EXPECT_EQ(counts[1], c.set);
}

INSTANTIATE_TEST_SUITE_P(Pixels, CountOneBitPixels, testing::ValuesIn(kCountCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
