#include "codec/formats/BmpCoder.h"

#include "codec/ByteReader.h"
#include "codec/CodecErrors.h"
#include "codec/CodecThreadState.h"
#include "tests/codec/support/PeerImages.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace {

using namespace codec_test;

std::uint8_t* CallReadBmp(CodecIOHandle* source, int* width, int* height, int bits, std::uint8_t* palette)
{
    return CodecReadBmp(source, width, height, bits, palette, 0);
}

Decoded ReadBmp(const Bytes& file, int bits) { return ReadWith(CallReadBmp, file, bits); }

// An uncompressed file of any depth: the headers, `table` and the file rows as given (bottom row first).
Bytes MakeBmp(int width, int height, int bits, std::uint32_t compression, const Bytes& table, const Bytes& data,
              std::uint32_t colorsUsed = 0)
{
    Bytes file(54);
    file[0] = 'B';
    file[1] = 'M';
    codec::StoreLe32(&file[2], static_cast<std::uint32_t>(54 + table.size() + data.size()));
    codec::StoreLe32(&file[10], static_cast<std::uint32_t>(54 + table.size()));
    codec::StoreLe32(&file[14], 40);
    codec::StoreLe32(&file[18], static_cast<std::uint32_t>(width));
    codec::StoreLe32(&file[22], static_cast<std::uint32_t>(height));
    codec::StoreLe16(&file[26], 1);
    codec::StoreLe16(&file[28], static_cast<std::uint16_t>(bits));
    codec::StoreLe32(&file[30], compression);
    codec::StoreLe32(&file[46], colorsUsed);
    file.insert(file.end(), table.begin(), table.end());
    file.insert(file.end(), data.begin(), data.end());
    return file;
}

// Sixteen grey entries 0, 17, 34, ... as the colour table of the hand-made indexed files.
Bytes GreyTable()
{
    Bytes table;
    for (int i = 0; i < 16; ++i) table.insert(table.end(), {std::uint8_t(i * 17), std::uint8_t(i * 17), std::uint8_t(i * 17), 0});
    return table;
}

// --- Files written by peer programs, read by us and compared with the peer's own decode. -------------

const PeerCase kPeerCases[] = {
    {"magick_24", "convert src.ppm BMP3:out.bmp", false},
    {"magick_rle8", "convert src.ppm -colors 60 -type palette -compress RLE BMP3:out.bmp", true},
    {"magick_8_uncompressed", "convert src.ppm -colors 60 -type palette -compress None BMP3:out.bmp", true},
    {"magick_1", "convert src.ppm -monochrome BMP3:out.bmp", true},
    {"netpbm_4", "pnmquant 16 src.ppm 2>/dev/null | ppmtobmp -bpp 4 >out.bmp 2>/dev/null", true},
    {"netpbm_1", "convert src.ppm -monochrome ppm:- | ppmtobmp -bpp 1 >out.bmp 2>/dev/null", true},
    {"netpbm_8", "pnmquant 200 src.ppm 2>/dev/null | ppmtobmp -bpp 8 >out.bmp 2>/dev/null", true},
};

class BmpPeerFile : public testing::TestWithParam<PeerCase> {};

TEST_P(BmpPeerFile, DecodesAsThePeerDoes)
{
    ASSERT_TRUE(PeersInstalled({"convert", "pnmquant", "ppmtobmp"}));
    const PeerFile file = MakePeerFile(GetParam().command, "out.bmp", PeerDecode);
    ExpectDecodesAsPeer(CallReadBmp, file, GetParam().indexed);
}

INSTANTIATE_TEST_SUITE_P(Bmp, BmpPeerFile, testing::ValuesIn(kPeerCases),
                         [](const auto& info) { return std::string(info.param.name); });

// --- Our writer at every depth, read back by the peer and by us. --------------------------------------

struct WrittenImage {
    Bytes pixels;      // packed rows at the written depth
    Palette palette{};
    RgbImage want;
};

// Indices (x * 3 + y * 5) mod 2^bits with a palette of distinct colours; 16-bit 5-5-5 words; 24-bit RGB.
WrittenImage MakeWrittenImage(int bits, int width, int height)
{
    WrittenImage image;
    image.want = {width, height, {}};
    if (bits == 24) {
        image.want = TestPicture(width, height);
        image.pixels = image.want.rgb;
        return image;
    }
    for (int i = 0; i < 256; ++i) {
        const std::array<std::uint8_t, 4> entry{std::uint8_t(i * 9), std::uint8_t(255 - i * 20), std::uint8_t(i * 40), 0};
        std::copy(entry.begin(), entry.end(), image.palette.begin() + 4 * i);
    }
    const std::size_t rowBytes = (std::size_t(width) * bits + 7) / 8;
    image.pixels.assign(rowBytes * height, 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t* row = &image.pixels[y * rowBytes];
            if (bits == 16) {
                const int red = (x * 3) & 31, green = (y * 7) & 31, blue = (x + y) & 31;
                codec::StoreLe16(row + 2 * x, static_cast<std::uint16_t>(red << 10 | green << 5 | blue));
                image.want.rgb.insert(image.want.rgb.end(), {std::uint8_t(red * 255 / 31), std::uint8_t(green * 255 / 31),
                                                             std::uint8_t(blue * 255 / 31)});
                continue;
            }
            const int index = (x * 3 + y * 5) % (1 << bits);
            row[x * bits / 8] |= static_cast<std::uint8_t>(index << (8 - bits - x * bits % 8));
            const std::uint8_t* entry = &image.palette[4 * index];
            image.want.rgb.insert(image.want.rgb.end(), {entry[2], entry[1], entry[0]});
        }
    }
    return image;
}

bool Near(const RgbImage& got, const RgbImage& want, int tolerance)
{
    if (got.width != want.width || got.height != want.height || got.rgb.size() != want.rgb.size()) return false;
    for (std::size_t i = 0; i < got.rgb.size(); ++i)
        if (std::abs(got.rgb[i] - want.rgb[i]) > tolerance) return false;
    return true;
}

class BmpWriter : public testing::TestWithParam<int> {};

TEST_P(BmpWriter, PeerAndReaderSeeTheWrittenPixels)
{
    ASSERT_TRUE(PeersInstalled({"convert"}));
    const int bits = GetParam();
    const WrittenImage image = MakeWrittenImage(bits, 13, 5);
    TempFile file("out.bmp");
    CodecIOHandle* sink = CodecOpenFileSink(file.CPath(), 0);
    const std::int64_t written = CodecWriteBmp(sink, image.pixels.data(), 13, 5, bits, 0, image.palette.data(), nullptr, 0);
    EXPECT_EQ(CodecCloseSink(sink), written);
    ASSERT_GT(written, 0);

    // The peer may round 5-bit components up where we truncate.
    EXPECT_TRUE(Near(PeerDecode(file.Path()), image.want, bits == 16 ? 4 : 0));
    EXPECT_EQ(ReadBmp(file.Read(), 24).Rgb(), image.want);
}

INSTANTIATE_TEST_SUITE_P(Bmp, BmpWriter, testing::Values(1, 4, 8, 16, 24),
                         [](const auto& info) { return std::to_string(info.param) + "_bits"; });

TEST(BmpWriter, RowsArePaddedToFourBytesBottomRowFirst)
{
    const RgbImage picture = TestPicture(3, 2);
    std::array<std::uint8_t, 256> block{};
    CodecIOHandle* sink = CodecOpenMemorySink(block.data(), block.size());
    const CodecDpiInfo dpi{3780, 2835, 0};
    EXPECT_EQ(CodecWriteBmp(sink, picture.rgb.data(), 3, 2, 24, 0x1000000, nullptr, &dpi, 0), 54 + 2 * 12);
    CodecCloseSink(sink);
    EXPECT_EQ(codec::LoadLe32(&block[34]), 24u);                         // image size: two rows of 12
    EXPECT_EQ(codec::LoadLe32(&block[38]), 3780u);                       // resolution as given
    EXPECT_EQ(codec::LoadLe32(&block[46]), 0u);                          // no colours used at 24 bits
    EXPECT_EQ(Bytes(block.begin() + 54, block.begin() + 57),
              (Bytes{picture.rgb[11], picture.rgb[10], picture.rgb[9]}));  // bottom row, blue first
    EXPECT_EQ(Bytes(block.begin() + 63, block.begin() + 66), Bytes(3, 0)); // three bytes of padding
}

TEST(BmpWriter, RefusesWhatItCannotWrite)
{
    const Bytes pixels(64, 1);
    CodecIOHandle* sink = CodecOpenCountingSink(0);
    for (const int bits : {32, 2, 0}) {
        EXPECT_EQ(CodecWriteBmp(sink, pixels.data(), 2, 2, bits, 0, nullptr, nullptr, 0), 0) << bits;
        EXPECT_EQ(CodecGetLastError(), kCodecErrInvalidArgument);
    }
    EXPECT_EQ(CodecWriteBmp(sink, pixels.data(), 2, 2, 8, 256, nullptr, nullptr, 0), 0);   // no palette
    EXPECT_EQ(CodecGetLastError(), kCodecErrInvalidArgument);
    CodecCloseSink(sink);
}

// --- Layouts made by hand. --------------------------------------------------------------------------

TEST(BmpReader, TopDownFileIsDeliveredTopDownAndReportedNegative)
{
    // Two rows of one pixel each, stored top row (red) first.
    const Bytes data{0, 0, 255, 0, 255, 0, 0, 0};
    const Bytes file = MakeBmp(1, -2, 24, 0, {}, data);
    MemorySource source(file);
    int width = 0, height = 0, bits = 0;
    ASSERT_TRUE(CodecGetBmpDimensions(source.Handle(), &width, &height, &bits, nullptr));
    EXPECT_EQ(height, -2);
    const Decoded decoded = ReadBmp(file, 24);
    EXPECT_EQ(decoded.height, 2);
    EXPECT_EQ(decoded.pixels, (Bytes{255, 0, 0, 0, 0, 255}));
}

TEST(BmpReader, SixteenColourPaletteIsPaddedWithEntryZeroButQueriedAsStored)
{
    const Bytes file = MakeBmp(2, 1, 4, 0, GreyTable(), {0x1F, 0, 0, 0});
    const Decoded decoded = ReadBmp(file, 8);
    ASSERT_EQ(decoded.error, kCodecOk);
    EXPECT_EQ(decoded.pixels, (Bytes{1, 15}));
    for (int i = 16; i < 256; ++i) EXPECT_EQ(decoded.palette[4 * i], decoded.palette[0]) << i;

    MemorySource source(file);
    Palette palette;
    palette.fill(0xAB);
    int count = 0;
    ASSERT_TRUE(CodecGetBmpPalette(source.Handle(), &count, palette.data()));
    EXPECT_EQ(count, 16);
    EXPECT_EQ(palette[4 * 15], 255);
    EXPECT_EQ(palette[4 * 16], 0xAB);   // entries past the count are left alone
}

TEST(BmpReader, SixteenAndThirtyTwoBitMasksScaleEachComponent)
{
    Bytes masks565(12);
    codec::StoreLe32(&masks565[0], 0xF800);
    codec::StoreLe32(&masks565[4], 0x07E0);
    codec::StoreLe32(&masks565[8], 0x001F);
    // Pure red, pure green, blue at 16 of 31; then the row padding.
    const Decoded rgb565 = ReadBmp(MakeBmp(3, 1, 16, 3, masks565, {0x00, 0xF8, 0xE0, 0x07, 0x10, 0x00, 0, 0}), 24);
    EXPECT_EQ(rgb565.pixels, (Bytes{255, 0, 0, 0, 255, 0, 0, 0, 131}));

    Bytes masks32(12);
    codec::StoreLe32(&masks32[0], 0x00FF0000);
    codec::StoreLe32(&masks32[4], 0x0000FF00);
    codec::StoreLe32(&masks32[8], 0x000000FF);
    const Decoded rgb32 = ReadBmp(MakeBmp(1, 1, 32, 3, masks32, {0x30, 0x20, 0x10, 0x99}), 32);
    EXPECT_EQ(rgb32.pixels, (Bytes{0x10, 0x20, 0x30, 255}));
}

struct RleCase {
    const char* name;
    int bits;
    Bytes data;
    Bytes want;   // 4 x 3 indices, top row first
};

const RleCase kRleCases[] = {
    {"rle8_runs_absolute_delta",
     8,
     {3, 5, 0, 0, /**/ 0, 3, 7, 8, 9, 0, 0, 0, /**/ 0, 2, 1, 0, 2, 4, 0, 1},
     {0, 4, 4, 0, /**/ 7, 8, 9, 0, /**/ 5, 5, 5, 0}},
    {"rle4_nibbles_high_first",
     4,
     {4, 0x12, 0, 0, /**/ 0, 3, 0x34, 0x50, 0, 0, /**/ 0, 2, 2, 0, 2, 0x67, 0, 1},
     {0, 0, 6, 7, /**/ 3, 4, 5, 0, /**/ 1, 2, 1, 2}},
    {"rle8_run_past_the_edge_is_dropped",
     8,
     {9, 3, 0, 0, /**/ 0, 0, /**/ 2, 1, 0, 1},
     {1, 1, 0, 0, /**/ 0, 0, 0, 0, /**/ 3, 3, 3, 3}},
};

void PrintTo(const RleCase& row, std::ostream* out) { *out << row.name; }

class BmpRunLength : public testing::TestWithParam<RleCase> {};

TEST_P(BmpRunLength, DecodesToIndices)
{
    const RleCase& row = GetParam();
    const Decoded decoded = ReadBmp(MakeBmp(4, 3, row.bits, row.bits == 8 ? 1 : 2, GreyTable(), row.data, 16), 8);
    ASSERT_EQ(decoded.error, kCodecOk);
    EXPECT_EQ(decoded.pixels, row.want);
}

INSTANTIATE_TEST_SUITE_P(Bmp, BmpRunLength, testing::ValuesIn(kRleCases),
                         [](const auto& info) { return std::string(info.param.name); });

// --- Malformed files and refused requests. ---------------------------------------------------------

Bytes ValidBmp() { return MakeBmp(2, 2, 24, 0, {}, Bytes(16, 0x40)); }

Bytes With(Bytes file, std::size_t at, std::uint32_t value)
{
    codec::StoreLe32(&file[at], value);
    return file;
}

Bytes Cut(Bytes file, std::size_t keep)
{
    file.resize(keep);
    return file;
}

const BadFileCase kBadCases[] = {
    {"not_bm", [] { Bytes file = ValidBmp(); file[0] = 'P'; return file; }(), 24, kCodecErrNotBmp},
    {"os2_12_byte_header", With(ValidBmp(), 14, 12), 24, kCodecErrNotBmp},
    {"header_cut_short", Cut(ValidBmp(), 30), 24, kCodecErrReadFailed},
    {"width_zero", With(ValidBmp(), 18, 0), 24, kCodecErrNotBmp},
    {"height_zero", With(ValidBmp(), 22, 0), 24, kCodecErrNotBmp},
    {"jpeg_compression", With(ValidBmp(), 30, 4), 24, kCodecErrNotBmp},
    {"rle8_at_24_bits", With(ValidBmp(), 30, 1), 24, kCodecErrNotBmp},
    {"rows_cut_short", Cut(ValidBmp(), ValidBmp().size() - 9), 24, kCodecErrReadFailed},
    {"large_picture_tiny_file", With(With(ValidBmp(), 18, 16000), 22, 16000), 24, kCodecErrReadFailed},
    {"over_pixel_budget", With(ValidBmp(), 18, 2'000'000), 24, kCodecErrOutOfMemory},
    {"pixels_past_the_end", With(ValidBmp(), 10, 1'000'000), 24, kCodecErrReadFailed},
    {"rle_without_end", MakeBmp(4, 3, 8, 1, GreyTable(), {3, 5, 0, 0}, 16), 8, kCodecErrReadFailed},
    {"24_bits_read_at_8", ValidBmp(), 8, kCodecErrUnsupportedFileDepth},
    {"4_bits_requested", ValidBmp(), 4, kCodecErrInvalidArgument},
    {"8_bits_read_at_1", MakeBmp(1, 1, 8, 0, GreyTable(), {1, 0, 0, 0}, 16), 1, kCodecErrUnsupportedFileDepth},
};

class BmpBadFile : public testing::TestWithParam<BadFileCase> {};

TEST_P(BmpBadFile, FailsWithItsCodeAndNoPixels) { ExpectRefused(CallReadBmp, GetParam()); }

INSTANTIATE_TEST_SUITE_P(Bmp, BmpBadFile, testing::ValuesIn(kBadCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BmpReader, PeerOs2FileIsRefusedByEveryQuery)
{
    ASSERT_TRUE(PeersInstalled({"ppmtobmp"}));
    TempFile src("src.ppm");
    src.Write(ToPpm(TestPicture(4, 4)));
    MemorySource source(RunCommand("ppmtobmp -os2 '" + src.Path().string() + "' 2>/dev/null"));
    int width = 0, height = 0, bits = 0, count = 0;
    Palette palette{};
    EXPECT_FALSE(CodecGetBmpDimensions(source.Rewound(), &width, &height, &bits, nullptr));
    EXPECT_EQ(CodecGetLastError(), kCodecErrNotBmp);
    EXPECT_FALSE(CodecGetBmpPalette(source.Rewound(), &count, palette.data()));
    EXPECT_EQ(CodecGetLastError(), kCodecErrNotBmp);
    EXPECT_EQ(CodecReadBmp(source.Rewound(), &width, &height, 24, palette.data(), 0), nullptr);
    EXPECT_EQ(CodecGetLastError(), kCodecErrNotBmp);
}

TEST(BmpReader, DimensionQueryReportsResolutionPerCentimetre)
{
    MemorySource source(With(With(ValidBmp(), 38, 3780), 42, 2835));
    int width = 0, height = 0, bits = 0;
    CodecDpiInfo dpi{};
    ASSERT_TRUE(CodecGetBmpDimensions(source.Handle(), &width, &height, &bits, &dpi));
    EXPECT_EQ((std::array{width, height, bits, dpi.x, dpi.y, dpi.unit}), (std::array{2, 2, 24, 37, 28, 1}));
}

}  // namespace
