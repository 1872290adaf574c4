#include "codec/formats/TgaCoder.h"

#include "codec/ByteReader.h"
#include "codec/CodecErrors.h"
#include "codec/CodecThreadState.h"
#include "tests/codec/support/PeerImages.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace {

using namespace codec_test;


std::uint8_t* CallReadTga(CodecIOHandle* source, int* width, int* height, int bits, std::uint8_t* palette)
{
    return CodecReadTga(source, width, height, bits, palette, 0);
}

Decoded ReadTga(const Bytes& file, int bits) { return ReadWith(CallReadTga, file, bits); }

// Fields a test leaves out keep these defaults: a 1 x 1 uncompressed 24-bit file, top-left, no ID, no map.
struct TgaLayout {
    std::uint8_t imageType = 2;
    std::uint8_t pixelBits = 24;
    std::uint16_t width = 1;
    std::uint16_t height = 1;
    std::uint8_t descriptor = 0x20;
    Bytes id{};
    std::uint16_t firstEntry = 0;
    std::uint16_t mapLength = 0;
    std::uint8_t entryBits = 24;
    Bytes map{};  // the colour map's bytes; present when mapLength is nonzero
};

Bytes MakeTga(const TgaLayout& layout, const Bytes& data)
{
    Bytes file(18);
    file[0] = static_cast<std::uint8_t>(layout.id.size());
    file[1] = layout.mapLength != 0 ? 1 : 0;
    file[2] = layout.imageType;
    codec::StoreLe16(&file[3], layout.firstEntry);
    codec::StoreLe16(&file[5], layout.mapLength);
    file[7] = layout.mapLength != 0 ? layout.entryBits : 0;
    codec::StoreLe16(&file[12], layout.width);
    codec::StoreLe16(&file[14], layout.height);
    file[16] = layout.pixelBits;
    file[17] = layout.descriptor;
    for (const Bytes* part : {&layout.id, &layout.map, &data}) file.insert(file.end(), part->begin(), part->end());
    return file;
}

// --- Files written by peer programs. ----------------------------------------------------------------

// netpbm decodes these: it places rows by the descriptor's origin bit, where ImageMagick leaves them in
// file order.
const PeerCase kPeerCases[] = {
    {"magick_24", "convert src.ppm tga:out.tga", false},
    {"magick_24_rle", "convert src.ppm -compress RLE tga:out.tga", false},
    {"magick_8_mapped", "convert src.ppm -colors 50 -type palette tga:out.tga", true},
    {"magick_8_mapped_rle", "convert src.ppm -colors 50 -type palette -compress RLE tga:out.tga", true},
    {"magick_grey", "convert src.ppm -colorspace gray tga:out.tga", true},
    {"magick_grey_rle", "convert src.ppm -colorspace gray -compress RLE tga:out.tga", true},
    {"netpbm_rgb_rle", "ppmtotga -rgb src.ppm >out.tga 2>/dev/null", false},
    {"netpbm_rgb_raw", "ppmtotga -rgb -norle src.ppm >out.tga 2>/dev/null", false},
    {"netpbm_mapped", "pnmquant 40 src.ppm 2>/dev/null | ppmtotga -cmap >out.tga 2>/dev/null", true},
};

class TgaPeerFile : public testing::TestWithParam<PeerCase> {};

TEST_P(TgaPeerFile, DecodesAsThePeerDoes)
{
    ASSERT_TRUE(PeersInstalled({"convert", "pnmquant", "ppmtotga", "tgatoppm"}));
    const PeerFile file = MakePeerFile(GetParam().command, "out.tga", NetpbmDecoder("tgatoppm"));
    ExpectDecodesAsPeer(CallReadTga, file, GetParam().indexed);
}

INSTANTIATE_TEST_SUITE_P(Tga, TgaPeerFile, testing::ValuesIn(kPeerCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TgaReader, AlphaOfAPeerFileIsKeptAt32Bits)
{
    ASSERT_TRUE(PeersInstalled({"convert"}));
    TempFile file("out.tga");
    RunCommand("convert -size 5x3 xc:'rgba(10,200,30,0.5)' tga:'" + file.Path().string() + "'");
    const RgbImage alpha = ParseNetpbm(RunCommand("convert '" + file.Path().string() + "' -alpha extract -depth 8 pgm:-"));
    const Decoded decoded = ReadTga(file.Read(), 32);
    ASSERT_EQ(decoded.error, kCodecOk);
    for (int i = 0; i < 15; ++i) {
        EXPECT_EQ((Bytes(decoded.pixels.begin() + 4 * i, decoded.pixels.begin() + 4 * i + 3)), (Bytes{10, 200, 30}));
        EXPECT_EQ(decoded.pixels[4 * i + 3], alpha.rgb[3 * i]);
    }
}

// --- Layouts made by hand. --------------------------------------------------------------------------

using Rgb = std::array<std::uint8_t, 3>;
constexpr Rgb kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kMagenta{255, 0, 255};

struct OriginCase {
    const char* name;
    std::uint8_t descriptor;
    std::array<Rgb, 4> want;   // top left, top right, bottom left, bottom right
};

const OriginCase kOriginCases[] = {{"bottom_left", 0x00, {kBlue, kMagenta, kRed, kGreen}},
                                   {"top_left", 0x20, {kRed, kGreen, kBlue, kMagenta}}};

void PrintTo(const OriginCase& row, std::ostream* out) { *out << row.name; }

class TgaOrigin : public testing::TestWithParam<OriginCase> {};

TEST_P(TgaOrigin, CornersLandWhereTheFileSays)
{
    Bytes data;   // file order: red, green, blue, magenta, stored blue first
    for (const Rgb& colour : {kRed, kGreen, kBlue, kMagenta}) data.insert(data.end(), {colour[2], colour[1], colour[0]});
    const Decoded decoded = ReadTga(MakeTga({.width = 2, .height = 2, .descriptor = GetParam().descriptor}, data), 24);
    ASSERT_EQ(decoded.error, kCodecOk);
    std::array<Rgb, 4> corners{};
    for (int i = 0; i < 4; ++i) std::copy_n(decoded.pixels.begin() + 3 * i, 3, corners[i].begin());
    EXPECT_EQ(corners, GetParam().want);
}

INSTANTIATE_TEST_SUITE_P(Tga, TgaOrigin, testing::ValuesIn(kOriginCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TgaReader, RunPacketContinuesOnTheNextRow)
{
    // 3 x 2, top-left: a run of four red pixels, then a raw packet of green and blue.
    const Bytes data{0x83, 0, 0, 255, 0x01, 0, 255, 0, 255, 0, 0};
    const Decoded decoded = ReadTga(MakeTga({.imageType = 10, .width = 3, .height = 2}, data), 24);
    ASSERT_EQ(decoded.error, kCodecOk);
    EXPECT_EQ(decoded.pixels, (Bytes{255, 0, 0, 255, 0, 0, 255, 0, 0, /**/ 255, 0, 0, 0, 255, 0, 0, 0, 255}));
}

TEST(TgaReader, SixteenBitWordsAreFiveBitsAComponentTimesEight)
{
    const Decoded decoded = ReadTga(MakeTga({.pixelBits = 16, .width = 2}, {0xFF, 0x7F, 0x1F, 0x00}), 24);
    EXPECT_EQ(decoded.pixels, (Bytes{248, 248, 248, 0, 0, 248}));
}

TEST(TgaReader, ImageIdIsSkippedByReaderAndPaletteQuery)
{
    // Colour-mapped 2 x 1 with a ten-byte ID and two 24-bit entries starting at index 1.
    const TgaLayout layout{.imageType = 1, .pixelBits = 8, .width = 2, .id = Bytes(10, 'x'), .firstEntry = 1,
                           .mapLength = 2, .map = {10, 20, 30, 40, 50, 60}};
    const Bytes file = MakeTga(layout, {2, 1});
    EXPECT_EQ(ReadTga(file, 24).pixels, (Bytes{60, 50, 40, 30, 20, 10}));
    const Decoded indices = ReadTga(file, 8);
    EXPECT_EQ(indices.pixels, (Bytes{2, 1}));
    EXPECT_EQ((Bytes(indices.palette.begin() + 4, indices.palette.begin() + 11)), (Bytes{10, 20, 30, 255, 40, 50, 60}));

    MemorySource source(file);
    Palette palette;
    palette.fill(0xAB);
    int count = 0;
    ASSERT_TRUE(CodecGetTgaPalette(source.Handle(), &count, palette.data()));
    EXPECT_EQ(count, 3);
    EXPECT_EQ((Bytes(palette.begin(), palette.begin() + 12)), (Bytes{0, 0, 0, 0, 10, 20, 30, 255, 40, 50, 60, 255}));
    EXPECT_EQ(palette[4 * 200], 0);   // copies of entry 0
}

TEST(TgaReader, FooterAndExtensionAreaDoNotChangeTheImage)
{
    Bytes file = MakeTga({}, {1, 2, 3});   // shorter than a footer: still a clean success
    const Decoded plain = ReadTga(file, 24);
    EXPECT_EQ(plain.error, kCodecOk);
    const std::uint32_t extensionOffset = static_cast<std::uint32_t>(file.size());
    file.resize(file.size() + 495, 0);
    Bytes footer(8);
    codec::StoreLe32(&footer[0], extensionOffset);
    const std::string signature = "TRUEVISION-XFILE.";
    footer.insert(footer.end(), signature.begin(), signature.end());
    footer.push_back(0);
    file.insert(file.end(), footer.begin(), footer.end());
    const Decoded decoded = ReadTga(file, 24);
    EXPECT_EQ(decoded.error, kCodecOk);
    EXPECT_EQ(decoded.pixels, plain.pixels);
}

// --- Our writer, read back by the peer and by us. --------------------------------------------------

class TgaWriter : public testing::TestWithParam<int> {};

TEST_P(TgaWriter, PeerAndReaderSeeTheWrittenPixels)
{
    ASSERT_TRUE(PeersInstalled({"tgatoppm"}));
    const int bits = GetParam();
    const RgbImage picture = TestPicture(13, 5);
    Bytes pixels;
    Palette palette{};
    RgbImage want = picture;
    if (bits == 8) {
        for (int i = 0; i < 256; ++i) {
            palette[4 * i] = std::uint8_t(i * 3);
            palette[4 * i + 1] = std::uint8_t(255 - i);
            palette[4 * i + 2] = std::uint8_t(i * 7);
        }
        for (int i = 0; i < 65; ++i) pixels.push_back(std::uint8_t(i * 5));
        want = ExpandIndices(pixels.data(), 13, 5, palette.data());
    } else {
        for (std::size_t i = 0; i < picture.rgb.size(); i += 3) {
            pixels.insert(pixels.end(), picture.rgb.begin() + i, picture.rgb.begin() + i + 3);
            if (bits == 32) pixels.push_back(255);
        }
    }
    TempFile file("out.tga");
    CodecIOHandle* sink = CodecOpenFileSink(file.CPath(), 0);
    const std::int64_t written = CodecWriteTga(sink, pixels.data(), 13, 5, bits, palette.data(), 0);
    EXPECT_EQ(CodecCloseSink(sink), written);
    ASSERT_EQ(written, 18 + (bits == 8 ? 768 : 0) + 65 * bits / 8);

    EXPECT_EQ(DecodeWithPeer("tgatoppm", file.Path()), want);
    const Decoded decoded = ReadTga(file.Read(), bits);
    EXPECT_EQ(decoded.pixels, pixels);
    if (bits == 8) {
        EXPECT_EQ((Bytes(decoded.palette.begin(), decoded.palette.begin() + 3)), (Bytes{0, 255, 0}));
    }
}

INSTANTIATE_TEST_SUITE_P(Tga, TgaWriter, testing::Values(8, 24, 32),
                         [](const auto& info) { return std::to_string(info.param) + "_bits"; });

TEST(TgaWriter, RefusesWhatItCannotWrite)
{
    const Bytes pixels(16, 1);
    CodecIOHandle* sink = CodecOpenCountingSink(0);
    const std::array<std::array<int, 3>, 4> refused{{{2, 2, 16}, {0, 2, 24}, {70000, 1, 24}, {2, 2, 8}}};
    for (const auto& [width, height, bits] : refused) {
        EXPECT_EQ(CodecWriteTga(sink, pixels.data(), width, height, bits, nullptr, 0), 0) << width << " " << bits;
        EXPECT_EQ(CodecGetLastError(), kCodecErrInvalidArgument);
    }
    CodecCloseSink(sink);
}

// --- Malformed files and refused requests. ---------------------------------------------------------

Bytes Cut(Bytes file, std::size_t drop)
{
    file.resize(file.size() - drop);
    return file;
}

const BadFileCase kBadCases[] = {
    {"header_cut_short", Bytes(10, 0), 24, kCodecErrReadFailed},
    {"image_type_4", MakeTga({.imageType = 4}, {1, 2, 3}), 24, kCodecErrTgaType},
    {"depth_40", MakeTga({.pixelBits = 40}, Bytes(5)), 24, kCodecErrTgaType},
    {"depth_12", MakeTga({.pixelBits = 12}, Bytes(2)), 24, kCodecErrTgaType},
    {"width_zero", MakeTga({.width = 0}, {}), 24, kCodecErrTgaType},
    {"mapped_without_map", MakeTga({.imageType = 1, .pixelBits = 8}, {0}), 24, kCodecErrTgaType},
    {"mapped_with_empty_map",
     [] {
         Bytes file = MakeTga({.imageType = 1, .pixelBits = 8}, {0});
         file[1] = 1;   // a colour map of no entries
         return file;
     }(),
     24, kCodecErrTgaType},
    {"raw_cut_short", Cut(MakeTga({.width = 4}, Bytes(12, 7)), 1), 24, kCodecErrReadFailed},
    {"rle_cut_short", MakeTga({.imageType = 10, .width = 4}, {0x81, 1, 2, 3}), 24, kCodecErrReadFailed},
    {"map_cut_short", Cut(MakeTga({.imageType = 1, .pixelBits = 8, .mapLength = 2, .map = Bytes(6)}, {}), 2), 24,
     kCodecErrReadFailed},
    {"large_picture_tiny_file", MakeTga({.width = 16000, .height = 16000}, Bytes(22)), 24, kCodecErrReadFailed},
    {"true_colour_at_8", MakeTga({}, {1, 2, 3}), 8, kCodecErrUnsupportedFileDepth},
    {"true_colour_8_bit_at_8", MakeTga({.pixelBits = 8}, {1}), 8, kCodecErrUnsupportedFileDepth},
    {"16_bits_requested", MakeTga({}, {1, 2, 3}), 16, kCodecErrInvalidArgument},
};

class TgaBadFile : public testing::TestWithParam<BadFileCase> {};

TEST_P(TgaBadFile, FailsWithItsCodeAndNoPixels) { ExpectRefused(CallReadTga, GetParam()); }

INSTANTIATE_TEST_SUITE_P(Tga, TgaBadFile, testing::ValuesIn(kBadCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TgaQueries, RefuseWhatTheyCannotDescribe)
{
    int width = 0, height = 0, bits = 0, count = 0;
    Palette palette{};
    MemorySource deep(MakeTga({.pixelBits = 40}, {}));
    EXPECT_FALSE(CodecGetTgaDimensions(deep.Handle(), &width, &height, &bits));
    EXPECT_EQ(CodecGetLastError(), kCodecErrTgaType);
    MemorySource trueColour(MakeTga({}, {1, 2, 3}));
    EXPECT_FALSE(CodecGetTgaPalette(trueColour.Handle(), &count, palette.data()));
    EXPECT_EQ(CodecGetLastError(), kCodecErrUnsupportedFileDepth);
    EXPECT_FALSE(CodecGetTgaDimensions(nullptr, &width, &height, &bits));
    EXPECT_EQ(CodecGetLastError(), kCodecErrInvalidArgument);
}

}  // namespace
