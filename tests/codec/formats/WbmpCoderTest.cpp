#include "codec/formats/WbmpCoder.h"

#include "codec/CodecErrors.h"
#include "codec/CodecThreadState.h"
#include "tests/codec/support/PeerImages.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace {

using namespace codec_test;
std::uint8_t* CallReadWbmp(CodecIOHandle* source, int* width, int* height, int bits, std::uint8_t* palette)
{
    return CodecReadWbmp(source, width, height, palette, bits, 0);
}

Decoded ReadWbmp(const Bytes& file, int bits) { return ReadWith(CallReadWbmp, file, bits); }

const PeerCase kPeerCases[] = {
    {"magick", "convert src.ppm -monochrome wbmp:out.wbmp", true},
    {"netpbm", "convert src.ppm -monochrome pbm:- | pbmtowbmp >out.wbmp 2>/dev/null", true},
};

class WbmpPeerFile : public testing::TestWithParam<PeerCase> {};

TEST_P(WbmpPeerFile, DecodesAsThePeerDoes)
{
    ASSERT_TRUE(PeersInstalled({"convert", "pbmtowbmp", "wbmptopbm"}));
    const PeerFile file = MakePeerFile(GetParam().command, "out.wbmp", NetpbmDecoder("wbmptopbm"));
    const Decoded decoded = ReadWbmp(file.bytes, 8);
    ASSERT_EQ(decoded.error, kCodecOk);
    EXPECT_EQ(ExpandIndices(decoded.pixels.data(), 13, 7, decoded.palette.data()), file.want);
    EXPECT_EQ(ReadWbmp(file.bytes, 1).pixels, Bytes(file.bytes.begin() + 4, file.bytes.end()));   // rows after a 4-byte header
}

INSTANTIATE_TEST_SUITE_P(Wbmp, WbmpPeerFile, testing::ValuesIn(kPeerCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(WbmpReader, PaletteGetsBlackAndWhiteOnly)
{
    Palette palette;
    palette.fill(0xAB);
    MemorySource source(Bytes{0, 0, 1, 1, 0x80});
    int width = 0, height = 0;
    std::uint8_t* pixels = CodecReadWbmp(source.Handle(), &width, &height, palette.data(), 8, 0);
    EXPECT_EQ(TakeBlock(pixels, 1), Bytes{1});
    EXPECT_EQ((Bytes(palette.begin(), palette.begin() + 9)), (Bytes{0, 0, 0, 0, 255, 255, 255, 255, 0xAB}));
}

TEST(WbmpWriter, WidthTenHasTwoByteRowsAndReadsBackInThePeer)
{
    ASSERT_TRUE(PeersInstalled({"convert"}));
    Bytes pixels(10 * 3, 0);
    pixels[0] = 1;      // white corner
    pixels[9] = 255;    // any nonzero pixel is white
    pixels[25] = 7;
    TempFile file("out.wbmp");
    CodecIOHandle* sink = CodecOpenFileSink(file.CPath(), 0);
    const std::int64_t written = CodecWriteWbmp(sink, pixels.data(), 10, 3, 0);
    EXPECT_EQ(CodecCloseSink(sink), written);
    EXPECT_EQ(file.Read(), (Bytes{0, 0, 10, 3, 0x80, 0x40, 0, 0, 0x04, 0}));

    Bytes whites;
    for (const std::uint8_t pixel : pixels) whites.insert(whites.end(), 3, pixel != 0 ? 255 : 0);
    EXPECT_EQ(PeerDecode(file.Path()), (RgbImage{10, 3, whites}));
}

TEST(WbmpWriter, LargeSizesUseMultiByteIntegers)
{
    const Bytes pixels(200, 0);
    std::array<std::uint8_t, 64> block{};
    CodecIOHandle* sink = CodecOpenMemorySink(block.data(), block.size());
    EXPECT_EQ(CodecWriteWbmp(sink, pixels.data(), 200, 1, 0), 2 + 2 + 1 + 25);
    CodecCloseSink(sink);
    EXPECT_EQ((Bytes(block.begin(), block.begin() + 5)), (Bytes{0, 0, 0x81, 0x48, 1}));
    const Decoded decoded = ReadWbmp(Bytes(block.begin(), block.begin() + 30), 8);
    EXPECT_EQ((std::array{decoded.width, decoded.height}), (std::array{200, 1}));
}

const BadFileCase kBadCases[] = {
    {"type_1", {1, 0, 1, 1, 0}, 8, kCodecErrNotWbmp},
    {"extended_fixed_header", {0, 0x80, 1, 1, 0}, 8, kCodecErrNotWbmp},
    {"size_never_ends", {0, 0, 0x81, 0x81}, 8, kCodecErrNotWbmp},
    {"size_over_32_bits", {0, 0, 0x9F, 0xFF, 0xFF, 0xFF, 0x7F, 1, 0}, 8, kCodecErrNotWbmp},
    {"zero_width", {0, 0, 0, 1}, 8, kCodecErrNotWbmp},
    {"rows_cut_short", {0, 0, 10, 3, 0, 0, 0, 0, 0}, 8, kCodecErrReadFailed},
    {"large_picture_tiny_file", {0, 0, 0x81, 0xFD, 0x00, 0x81, 0xFD, 0x00, 0}, 8, kCodecErrReadFailed},
    {"4_bits_requested", {0, 0, 1, 1, 0}, 4, kCodecErrInvalidArgument},
};

class WbmpBadFile : public testing::TestWithParam<BadFileCase> {};

TEST_P(WbmpBadFile, FailsWithItsCodeAndNoPixels) { ExpectRefused(CallReadWbmp, GetParam()); }

INSTANTIATE_TEST_SUITE_P(Wbmp, WbmpBadFile, testing::ValuesIn(kBadCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(WbmpReader, PaletteIsRequired)
{
    MemorySource source(Bytes{0, 0, 1, 1, 0});
    int width = 0, height = 0;
    EXPECT_EQ(CodecReadWbmp(source.Handle(), &width, &height, nullptr, 8, 0), nullptr);
    EXPECT_EQ(CodecGetLastError(), kCodecErrInvalidArgument);
}

}  // namespace
