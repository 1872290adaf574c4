#include "codec/pixels/BitUnpacking.h"

#include "codec/CodecErrors.h"
#include "codec/CodecThreadState.h"
#include "tests/codec/pixels/PixelTestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using pixel_test::Bytes;

struct UnpackCase {
    const char* name;
    Bytes packed;
    int samplesPerRow;
    int rows;
    int bits;
    Bytes want;
};

const UnpackCase kUnpackCases[] = {
    {"one_bit_msb_first", {0xA5}, 8, 1, 1, {1, 0, 1, 0, 0, 1, 0, 1}},
    {"nibbles", {0xA5}, 2, 1, 4, {10, 5}},
    {"two_bits", {0xA5, 0x1B}, 8, 1, 2, {2, 2, 1, 1, 0, 1, 2, 3}},
    // 3-bit values straddle bytes: 101 101 00|1 000 110 1|10 ...
    {"three_bits_straddle", {0xB4, 0x8D, 0x80}, 6, 1, 3, {5, 5, 1, 0, 6, 6}},
    // Rows are not padded: the second row starts inside the first byte.
    {"rows_continue_the_stream", {0xA5}, 3, 2, 1, {1, 0, 1, 0, 0, 1}},
    {"eight_bits_copy", {7, 0, 255, 9}, 2, 2, 8, {7, 0, 255, 9}},
    {"nothing_to_unpack", {}, 0, 4, 3, {}},
};

class UnpackBits : public testing::TestWithParam<UnpackCase> {};

TEST_P(UnpackBits, YieldsOneByteASample)
{
    const UnpackCase& c = GetParam();
    Bytes out(c.want.size() + 1, 0xEE);   // the byte past the last sample must stay untouched
    const Bytes packed = c.packed.empty() ? Bytes{0} : c.packed;
    ASSERT_EQ(CodecUnpackBits(packed.data(), c.samplesPerRow, c.rows, c.bits, out.data()), 1);
    EXPECT_EQ(CodecGetLastError(), kCodecOk);
    EXPECT_EQ(Bytes(out.begin(), out.end() - 1), c.want);
    EXPECT_EQ(out.back(), 0xEE);
}

INSTANTIATE_TEST_SUITE_P(Pixels, UnpackBits, testing::ValuesIn(kUnpackCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
