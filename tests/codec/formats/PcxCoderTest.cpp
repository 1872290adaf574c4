#include "codec/formats/PcxCoder.h"

#include "codec/ByteReader.h"
#include "codec/CodecErrors.h"
#include "codec/CodecThreadState.h"
#include "tests/codec/support/PeerImages.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace {

using namespace codec_test;


std::uint8_t* CallReadPcx(CodecIOHandle* source, int* width, int* height, int bits, std::uint8_t* palette)
{
    return CodecReadPcx(source, width, height, bits, palette, 0);
}

Decoded ReadPcx(const Bytes& file, int bits) { return ReadWith(CallReadPcx, file, bits); }

// Fields a test leaves out keep these defaults: version 5, one 8-bit plane, 3 x 2, four bytes a line.
struct PcxLayout {
    std::uint8_t manufacturer = 10;
    std::uint8_t version = 5;
    std::uint8_t bitsPerPlane = 8;
    std::uint8_t planes = 1;
    std::uint16_t width = 3;
    std::uint16_t height = 2;
    std::uint16_t bytesPerLine = 4;
};

Bytes MakePcx(const PcxLayout& layout, const Bytes& data)
{
    Bytes file(128 + data.size());
    file[0] = layout.manufacturer;
    file[1] = layout.version;
    file[2] = 1;
    file[3] = layout.bitsPerPlane;
    codec::StoreLe16(&file[8], static_cast<std::uint16_t>(layout.width - 1));
    codec::StoreLe16(&file[10], static_cast<std::uint16_t>(layout.height - 1));
    file[65] = layout.planes;
    codec::StoreLe16(&file[66], layout.bytesPerLine);
    std::copy(data.begin(), data.end(), file.begin() + 128);
    return file;
}

// --- Files written by peer programs. ----------------------------------------------------------------

// netpbm decodes these: ImageMagick reads the 1-bit files netpbm writes inverted.
const PeerCase kPeerCases[] = {
    {"magick_24", "convert src.ppm pcx:out.pcx", false},
    {"magick_8", "convert src.ppm -colors 50 -type palette pcx:out.pcx", true},
    {"netpbm_24", "ppmtopcx -24bit src.ppm >out.pcx 2>/dev/null", false},
    {"netpbm_8", "ppmtopcx -8bit src.ppm >out.pcx 2>/dev/null", true},
    {"netpbm_4_planes", "pnmquant 16 src.ppm 2>/dev/null | ppmtopcx -planes 4 >out.pcx 2>/dev/null", true},
    {"netpbm_4_packed", "pnmquant 16 src.ppm 2>/dev/null | ppmtopcx -packed >out.pcx 2>/dev/null", true},
    {"netpbm_1", "convert src.ppm -monochrome ppm:- | ppmtopcx >out.pcx 2>/dev/null", true},
};

class PcxPeerFile : public testing::TestWithParam<PeerCase> {};

TEST_P(PcxPeerFile, DecodesAsThePeerDoes)
{
    ASSERT_TRUE(PeersInstalled({"convert", "pnmquant", "ppmtopcx", "pcxtoppm"}));
    const PeerFile file = MakePeerFile(GetParam().command, "out.pcx", NetpbmDecoder("pcxtoppm"));
    ExpectDecodesAsPeer(CallReadPcx, file, GetParam().indexed);
}

INSTANTIATE_TEST_SUITE_P(Pcx, PcxPeerFile, testing::ValuesIn(kPeerCases),
                         [](const auto& info) { return std::string(info.param.name); });

// --- Layouts made by hand. --------------------------------------------------------------------------

TEST(PcxReader, RunPastTheLineEndIsCutAndItsRemainderLost)
{
    // Line 1: a run of six 7s for a four-byte line; line 2 starts at the next code byte.
    const Decoded decoded = ReadPcx(MakePcx({}, {0xC6, 7, 1, 2, 3, 0}), 8);
    ASSERT_EQ(decoded.error, kCodecOk);
    EXPECT_EQ(decoded.pixels, (Bytes{7, 7, 7, 1, 2, 3}));
}

TEST(PcxReader, VersionFiveEightBitFileWithoutMarkerGetsAGreyRamp)
{
    const Bytes file = MakePcx({}, {0xC4, 9, 0xC4, 200});
    const Decoded decoded = ReadPcx(file, 24);
    EXPECT_EQ(decoded.pixels, (Bytes{9, 9, 9, 9, 9, 9, 9, 9, 9, 200, 200, 200, 200, 200, 200, 200, 200, 200}));
    MemorySource source(file);
    Palette palette{};
    int count = 0;
    ASSERT_TRUE(CodecGetPcxPalette(source.Handle(), &count, palette.data()));
    EXPECT_EQ(count, 256);
    EXPECT_EQ((Bytes(palette.begin() + 4 * 77, palette.begin() + 4 * 77 + 3)), (Bytes{77, 77, 77}));
}

TEST(PcxReader, OneBitPlaneReadAtEightGivesBlackAndWhiteIndices)
{
    const Bytes file = MakePcx({.bitsPerPlane = 1, .width = 9, .height = 1, .bytesPerLine = 2}, {0xA5, 0x80});
    const Decoded indices = ReadPcx(file, 8);
    ASSERT_EQ(indices.error, kCodecOk);
    EXPECT_EQ(indices.pixels, (Bytes{1, 0, 1, 0, 0, 1, 0, 1, 1}));
    EXPECT_EQ((Bytes(indices.palette.begin(), indices.palette.begin() + 7)), (Bytes{0, 0, 0, 0, 255, 255, 255}));
    EXPECT_EQ(ReadPcx(file, 1).pixels, (Bytes{0xA5, 0x80}));
}

// --- Our writer. ------------------------------------------------------------------------------------

TEST(PcxWriter, EightBitImageReadsBackWithTheSameIndicesAndPalette)
{
    ASSERT_TRUE(PeersInstalled({"pcxtoppm"}));
    Bytes indices;
    for (int i = 0; i < 3 * 4; ++i) indices.push_back(std::uint8_t(i * 21));
    Palette palette{};
    for (int i = 0; i < 256; ++i) {
        palette[4 * i] = std::uint8_t(i);
        palette[4 * i + 1] = std::uint8_t(i * 5);
        palette[4 * i + 2] = std::uint8_t(255 - i);
    }
    TempFile file("odd.pcx");
    CodecIOHandle* sink = CodecOpenFileSink(file.CPath(), 0);
    const std::int64_t written = CodecWritePcx(sink, indices.data(), 3, 4, 8, palette.data(), 0);
    EXPECT_EQ(CodecCloseSink(sink), written);
    const Bytes bytes = file.Read();
    EXPECT_EQ(codec::LoadLe16(&bytes[66]), 4);   // an odd width gets one padding byte a line
    EXPECT_EQ(bytes[bytes.size() - 769], 0x0C);

    const Decoded decoded = ReadPcx(bytes, 8);
    EXPECT_EQ(decoded.pixels, indices);
    for (int i = 0; i < 256; ++i)
        EXPECT_TRUE(std::equal(&palette[4 * i], &palette[4 * i + 3], &decoded.palette[4 * i])) << i;
    EXPECT_EQ(DecodeWithPeer("pcxtoppm", file.Path()), ExpandIndices(indices.data(), 3, 4, palette.data()));
}

TEST(PcxWriter, TwentyFourBitImageIsReadBackByThePeer)
{
    ASSERT_TRUE(PeersInstalled({"pcxtoppm", "convert"}));
    const RgbImage picture = TestPicture(13, 5);
    TempFile file("rgb.pcx");
    CodecIOHandle* sink = CodecOpenFileSink(file.CPath(), 0);
    EXPECT_GT(CodecWritePcx(sink, picture.rgb.data(), 13, 5, 24, nullptr, 0), 0);
    CodecCloseSink(sink);
    EXPECT_EQ(DecodeWithPeer("pcxtoppm", file.Path()), picture);
    EXPECT_EQ(PeerDecode(file.Path()), picture);
    EXPECT_EQ(ReadPcx(file.Read(), 24).pixels, picture.rgb);
}

TEST(PcxWriter, RunsStopAtSixtyThreeAndHighSinglesAreEscaped)
{
    Bytes row(66, 5);
    row[64] = 0xC8;
    row[65] = 0x01;
    std::array<std::uint8_t, 2048> block{};
    CodecIOHandle* sink = CodecOpenMemorySink(block.data(), block.size());
    const Palette palette{};
    ASSERT_GT(CodecWritePcx(sink, row.data(), 66, 1, 8, palette.data(), 0), 0);
    CodecCloseSink(sink);
    EXPECT_EQ((Bytes(block.begin() + 128, block.begin() + 134)), (Bytes{0xFF, 5, 5, 0xC1, 0xC8, 1}));
}

TEST(PcxWriter, RefusesWhatItCannotWrite)
{
    const Bytes pixels(16, 1);
    CodecIOHandle* sink = CodecOpenCountingSink(0);
    const std::array<std::array<int, 3>, 4> refused{{{2, 2, 8}, {2, 2, 32}, {0, 2, 24}, {70000, 1, 24}}};
    for (const auto& [width, height, bits] : refused) {
        EXPECT_EQ(CodecWritePcx(sink, pixels.data(), width, height, bits, nullptr, 0), 0) << width << " " << bits;
        EXPECT_EQ(CodecGetLastError(), kCodecErrInvalidArgument);
    }
    CodecCloseSink(sink);
}

// --- Malformed files and refused requests. ---------------------------------------------------------

const Bytes kValidLines{0xC3, 1, 0, 0xC3, 2, 0};

Bytes Cut(Bytes file, std::size_t keep)
{
    file.resize(keep);
    return file;
}

const BadFileCase kBadCases[] = {
    {"manufacturer_11", MakePcx({.manufacturer = 11}, kValidLines), 24, kCodecErrNotPcx},
    {"version_4", MakePcx({.version = 4}, kValidLines), 24, kCodecErrNotPcx},
    {"header_cut_short", Cut(MakePcx({}, {}), 100), 24, kCodecErrNotPcx},
    {"xmax_below_xmin", MakePcx({.width = 0}, kValidLines), 24, kCodecErrNotPcx},
    {"no_planes", MakePcx({.planes = 0}, kValidLines), 24, kCodecErrNotPcx},
    {"lines_shorter_than_width", MakePcx({.width = 9, .bytesPerLine = 4}, kValidLines), 24, kCodecErrNotPcx},
    {"lines_cut_short", MakePcx({}, {0xC3, 1, 0}), 24, kCodecErrReadFailed},
    {"large_picture_tiny_file", MakePcx({.width = 16000, .height = 16000, .bytesPerLine = 16000}, kValidLines), 24,
     kCodecErrReadFailed},
    {"three_bits_a_plane", MakePcx({.bitsPerPlane = 3}, kValidLines), 24, kCodecErrUnsupportedLayout},
    {"sixteen_bits", MakePcx({.planes = 2}, kValidLines), 24, kCodecErrUnsupportedLayout},
    {"24_bits_read_at_8", MakePcx({.planes = 3}, kValidLines), 8, kCodecErrUnsupportedFileDepth},
    {"8_bits_read_at_1", MakePcx({}, kValidLines), 1, kCodecErrUnsupportedFileDepth},
    {"4_bits_requested", MakePcx({}, kValidLines), 4, kCodecErrInvalidArgument},
};

class PcxBadFile : public testing::TestWithParam<BadFileCase> {};

TEST_P(PcxBadFile, FailsWithItsCodeAndNoPixels) { ExpectRefused(CallReadPcx, GetParam()); }

INSTANTIATE_TEST_SUITE_P(Pcx, PcxBadFile, testing::ValuesIn(kBadCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PcxQueries, ReadTheHeaderFromTheStartWhateverThePosition)
{
    MemorySource source(MakePcx({.planes = 3}, kValidLines));
    CodecSeek(source.Handle(), 50, kCodecSeekStart);
    int width = 0, height = 0, bits = 0, count = 0;
    ASSERT_TRUE(CodecGetPcxDimensions(source.Handle(), &width, &height, &bits));
    EXPECT_EQ((std::array{width, height, bits}), (std::array{3, 2, 24}));
    Palette palette{};
    EXPECT_FALSE(CodecGetPcxPalette(source.Handle(), &count, palette.data()));
    EXPECT_EQ(CodecGetLastError(), kCodecErrUnsupportedFileDepth);
}

}  // namespace
