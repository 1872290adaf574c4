#include "codec/formats/PsdCoder.h"

#include "codec/ByteReader.h"
#include "codec/CodecErrors.h"
#include "codec/CodecThreadState.h"
#include "codec/PictureMetadata.h"
#include "tests/codec/support/PeerImages.h"
#include "tests/codec/support/PhotoMetadata.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

using namespace codec_test;

void AppendBe16(Bytes& out, std::uint16_t value)
{
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value));
}

void AppendBe32(Bytes& out, std::uint32_t value)
{
    AppendBe16(out, static_cast<std::uint16_t>(value >> 16));
    AppendBe16(out, static_cast<std::uint16_t>(value));
}

void AppendSection(Bytes& out, const Bytes& section)
{
    AppendBe32(out, static_cast<std::uint32_t>(section.size()));
    out.insert(out.end(), section.begin(), section.end());
}

// A PSD file built field by field; imageData follows the compression word (for PackBits: the row byte
// counts, then the rows).
struct PsdFile {
    std::uint16_t channels = 3;
    std::uint32_t width = 2;
    std::uint32_t height = 1;
    std::uint16_t depth = 8;
    std::uint16_t mode = kPsdModeRgb;
    Bytes colourData;
    Bytes resources;
    Bytes layers;
    std::uint16_t compression = 0;
    Bytes imageData;

    Bytes Build() const
    {
        Bytes out = BytesOf("8BPS");
        AppendBe16(out, 1);
        out.insert(out.end(), 6, 0);
        AppendBe16(out, channels);
        AppendBe32(out, height);
        AppendBe32(out, width);
        AppendBe16(out, depth);
        AppendBe16(out, mode);
        AppendSection(out, colourData);
        AppendSection(out, resources);
        AppendSection(out, layers);
        AppendBe16(out, compression);
        out.insert(out.end(), imageData.begin(), imageData.end());
        return out;
    }
};

// One image resource block: "8BIM", id, Pascal name padded to even, data size, data padded to even.
Bytes ResourceBlock(std::uint16_t id, const std::string& name, const Bytes& data)
{
    Bytes out = BytesOf("8BIM");
    AppendBe16(out, id);
    out.push_back(static_cast<std::uint8_t>(name.size()));
    out.insert(out.end(), name.begin(), name.end());
    if (name.size() % 2 == 0) out.push_back(0);
    AppendBe32(out, static_cast<std::uint32_t>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
    if (data.size() % 2 != 0) out.push_back(0);
    return out;
}

std::uint8_t* CallReadPsd(CodecIOHandle* source, int* width, int* height, int bits, std::uint8_t* palette)
{
    return CodecReadPsd(source, width, height, bits, palette, bits == 32 ? kPsdReadCmyk : 0);
}

Decoded ReadPsd(const Bytes& file, int bits, int flags = 0)
{
    const auto read = [flags](CodecIOHandle* source, int* width, int* height, int depth, std::uint8_t* palette) {
        return CodecReadPsd(source, width, height, depth, palette, flags);
    };
    return ReadWith(read, file, bits);
}

Bytes WritePsd(const Bytes& pixels, int width, int height, int bits, const std::uint8_t* palette = nullptr)
{
    CodecIOHandle* sink = CodecOpenCountingSink(0);
    const std::int64_t counted = CodecWritePsd(sink, pixels.data(), width, height, bits, palette, 0);
    CodecCloseSink(sink);
    Bytes block(static_cast<std::size_t>(counted) + 16);
    sink = CodecOpenMemorySink(block.data(), block.size());
    const std::int64_t written = CodecWritePsd(sink, pixels.data(), width, height, bits, palette, 0);
    EXPECT_EQ(CodecGetLastError(), kCodecOk);
    EXPECT_EQ(written, counted);
    CodecCloseSink(sink);
    block.resize(static_cast<std::size_t>(written));
    return block;
}

// ---- peer program ----------------------------------------------------------------------------------

// The composite image of a PSD (its first frame) as ImageMagick decodes it.
RgbImage PeerComposite(const TempFile& file)
{
    return ParseNetpbm(RunCommand("convert " + Quoted(file.Path().string() + "[0]") + " -depth 8 ppm:-"));
}

// ---- files written by the peer, read by us -----------------------------------------------------------

struct PeerCase {
    const char* name;
    const char* makeArguments;   // convert arguments that produce the picture
    int bits;                    // what the application would request
    int tolerance;               // 16-bit reduction and CMYK conversion round differently
    bool referenceAsPng;         // the peer cannot read this PSD back: compare with the PNG it wrote alongside
};

const PeerCase kPeerCases[] = {
    {"rgb_raw", "-size 37x11 gradient:red-blue -depth 8 -compress none", 24, 0, false},
    {"rgb_rle", "-size 300x7 plasma:fractal -seed 4 -depth 8 -compress RLE", 24, 0, false},
    {"grey_raw", "-size 13x9 gradient: -colorspace gray -depth 8 -compress none", 24, 0, false},
    {"grey_rle", "-size 150x5 gradient: -colorspace gray -depth 8 -compress RLE", 24, 0, false},
    {"indexed", "-size 17x6 gradient:yellow-navy -type palette -colors 7 -depth 8", 24, 0, true},
    {"cmyk", "-size 19x4 gradient:orange-teal -colorspace cmyk -depth 8 -compress none", 24, 1, false},
    {"rgb_16bit", "-size 10x3 gradient:red-green -depth 16 -compress none", 24, 1, false},
    {"layered", "-size 20x10 gradient:white-purple ( -size 5x4 xc:lime -repage +3+2 ) -depth 8", 24, 0, false},
};

void PrintTo(const PeerCase& row, std::ostream* out) { *out << row.name; }

class PsdPeerFile : public testing::TestWithParam<PeerCase> {};

TEST_P(PsdPeerFile, DecodesLikeThePeer)
{
    ASSERT_TRUE(PeersInstalled({"convert"}));
    TempFile file("peer.psd");
    TempFile reference("peer.png");
    std::string make = "convert ";
    for (const char* c = GetParam().makeArguments; *c != 0; ++c) make += (*c == '(' || *c == ')') ? std::string("\\") + *c : std::string(1, *c);
    if (GetParam().referenceAsPng) make += " -write " + Quoted(reference.Path());
    make += " " + Quoted(file.Path());
    ASSERT_EQ(std::system(make.c_str()), 0) << make;

    const RgbImage want = PeerComposite(GetParam().referenceAsPng ? reference : file);
    const Decoded got = ReadPsd(file.Read(), GetParam().bits);
    ASSERT_EQ(got.error, kCodecOk);
    EXPECT_EQ(got.width, want.width);
    EXPECT_EQ(got.height, want.height);
    EXPECT_LE(MaxDifference(got.pixels, want.rgb), GetParam().tolerance);
}

INSTANTIATE_TEST_SUITE_P(Psd, PsdPeerFile, testing::ValuesIn(kPeerCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- our files, read by the peer and by us ------------------------------------------------------------

Bytes Ramp(std::size_t bytes, unsigned step)
{
    Bytes out(bytes);
    for (std::size_t i = 0; i < bytes; ++i) out[i] = static_cast<std::uint8_t>(i * step + i / 7);
    return out;
}

TEST(PsdWriter, RgbFileReadsBackThroughThePeerAndUs)
{
    ASSERT_TRUE(PeersInstalled({"convert"}));
    const int width = 23, height = 9;
    const Bytes pixels = Ramp(width * height * 3, 5);
    TempFile file("ours.psd");
    file.Write(WritePsd(pixels, width, height, 24));

    const RgbImage peer = PeerComposite(file);
    EXPECT_EQ(peer.width, width);
    EXPECT_EQ(peer.height, height);
    EXPECT_EQ(peer.rgb, pixels);
    const Decoded ours = ReadPsd(file.Read(), 24);
    EXPECT_EQ(ours.pixels, pixels);
}

// The peer cannot read indexed PSD files (its own neither), so this one is checked by reading it back.
TEST(PsdWriter, IndexedFileKeepsIndicesAndTable)
{
    const int width = 5, height = 3;
    Palette palette{};
    for (std::size_t i = 0; i < 256; ++i) {   // blue, green, red, reserved
        palette[4 * i] = static_cast<std::uint8_t>(i);
        palette[4 * i + 1] = static_cast<std::uint8_t>(255 - i);
        palette[4 * i + 2] = static_cast<std::uint8_t>(i * 3);
    }
    const Bytes indices = {0, 1, 2, 3, 4, 250, 251, 252, 253, 254, 255, 9, 8, 7, 6};
    const Decoded ours = ReadPsd(WritePsd(indices, width, height, 8, palette.data()), 8);
    EXPECT_EQ(ours.pixels, indices);
    EXPECT_EQ(ours.palette, palette);
}

TEST(PsdWriter, CmykFileReadsBackAsStoredAndConverted)
{
    ASSERT_TRUE(PeersInstalled({"convert"}));
    const Bytes cmyk = {255, 255, 255, 255, 0, 0, 0, 255, 200, 100, 50, 128};
    TempFile file("ours.psd");
    file.Write(WritePsd(cmyk, 3, 1, 32));
    EXPECT_EQ(ReadPsd(file.Read(), 32, kPsdReadCmyk).pixels, cmyk);
    // red = C x K / 255 with the channels stored inverted: 255 is no ink.
    const Bytes rgb = {255, 255, 255, 0, 0, 0, 100, 50, 25};
    EXPECT_EQ(ReadPsd(file.Read(), 24).pixels, rgb);
    EXPECT_LE(MaxDifference(PeerComposite(file).rgb, rgb), 1);
}

struct WriterRefusal {
    const char* name;
    int bits;
    bool withPixels;
    bool withPalette;
    int width;
};

const WriterRefusal kWriterRefusals[] = {
    {"no_pixels", 24, false, false, 2},
    {"depth_16", 16, true, false, 2},
    {"indexed_without_palette", 8, true, false, 2},
    {"zero_width", 24, true, false, 0},
};

void PrintTo(const WriterRefusal& row, std::ostream* out) { *out << row.name; }

class PsdWriterRefusal : public testing::TestWithParam<WriterRefusal> {};

TEST_P(PsdWriterRefusal, WritesNothing)
{
    const Bytes pixels(64);
    const Palette palette{};
    CodecIOHandle* sink = CodecOpenCountingSink(0);
    const WriterRefusal& row = GetParam();
    EXPECT_EQ(CodecWritePsd(sink, row.withPixels ? pixels.data() : nullptr, row.width, 2, row.bits,
                            row.withPalette ? palette.data() : nullptr, 0),
              0);
    EXPECT_EQ(CodecGetLastError(), kCodecErrInvalidArgument);
    EXPECT_EQ(CodecCloseSink(sink), 0);
}

INSTANTIATE_TEST_SUITE_P(Psd, PsdWriterRefusal, testing::ValuesIn(kWriterRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PsdWriter, FullSinkFailsWithWriteError)
{
    const Bytes pixels(4 * 4 * 3, 7);
    Bytes block(60);
    CodecIOHandle* sink = CodecOpenMemorySink(block.data(), block.size());
    EXPECT_EQ(CodecWritePsd(sink, pixels.data(), 4, 4, 24, nullptr, 0), 0);
    EXPECT_EQ(CodecGetLastError(), kCodecErrWriteFailed);
    CodecCloseSink(sink);
}

// ---- decoding rules -----------------------------------------------------------------------------------

TEST(PsdReader, SixteenBitSamplesKeepTheirHighByteScaled)
{
    PsdFile psd;
    psd.channels = 1;
    psd.mode = kPsdModeGrey;
    psd.depth = 16;
    psd.width = 4;
    psd.imageData = {0xFF, 0xFF, 0x01, 0x00, 0x80, 0x00, 0xFF, 0xFE};   // 65535, 256, 32768, 65534
    EXPECT_EQ(ReadPsd(psd.Build(), 8).pixels, (Bytes{255, 0, 127, 254}));
}

TEST(PsdReader, PaletteModesGiveIndicesAndTheirTable)
{
    PsdFile indexed;
    indexed.channels = 1;
    indexed.mode = kPsdModeIndexed;
    indexed.colourData.assign(768, 0);
    indexed.colourData[5] = 10;         // red of entry 5
    indexed.colourData[256 + 5] = 20;   // green
    indexed.colourData[512 + 5] = 30;   // blue
    indexed.imageData = {5, 0};
    EXPECT_EQ(ReadPsd(indexed.Build(), 24).pixels, (Bytes{10, 20, 30, 0, 0, 0}));
    const Decoded asIndices = ReadPsd(indexed.Build(), 8);
    EXPECT_EQ(asIndices.pixels, (Bytes{5, 0}));
    EXPECT_EQ((Bytes{asIndices.palette.begin() + 20, asIndices.palette.begin() + 24}), (Bytes{30, 20, 10, 0}));

    PsdFile grey = indexed;   // grey without a colour table: the grey ramp
    grey.mode = kPsdModeGrey;
    grey.colourData.clear();
    grey.imageData = {5, 200};
    EXPECT_EQ(ReadPsd(grey.Build(), 24).pixels, (Bytes{5, 5, 5, 200, 200, 200}));
    const Palette ramp = ReadPsd(grey.Build(), 8).palette;
    EXPECT_EQ((Bytes{ramp.begin() + 800, ramp.begin() + 804}), (Bytes{200, 200, 200, 0}));
}

TEST(PsdReader, BitmapModeIsWhiteForZeroAndBlackForOne)
{
    PsdFile bitmap;
    bitmap.channels = 1;
    bitmap.mode = kPsdModeBitmap;
    bitmap.depth = 1;
    bitmap.width = 10;                   // two bytes a row, the second padded
    bitmap.imageData = {0b1010'0000, 0b0100'0000};
    EXPECT_EQ(ReadPsd(bitmap.Build(), 8).pixels, (Bytes{1, 0, 1, 0, 0, 0, 0, 0, 0, 1}));
    const Decoded rgb = ReadPsd(bitmap.Build(), 24);
    EXPECT_EQ((Bytes{rgb.pixels.begin(), rgb.pixels.begin() + 6}), (Bytes{0, 0, 0, 255, 255, 255}));

    int count = 0;
    Palette palette{};
    MemorySource source(bitmap.Build());
    ASSERT_NE(CodecGetPsdPalette(source.Handle(), &count, palette.data()), 0);
    EXPECT_EQ(count, 256);
    EXPECT_EQ((Bytes{palette.begin(), palette.begin() + 8}), (Bytes{255, 255, 255, 0, 0, 0, 0, 0}));
}

// PackBits rows: the header's byte counts, then each row's runs.
PsdFile GreyRle(std::uint32_t width, const Bytes& counts, const Bytes& rows)
{
    PsdFile psd;
    psd.channels = 1;
    psd.mode = kPsdModeGrey;
    psd.width = width;
    psd.height = static_cast<std::uint32_t>(counts.size());
    psd.compression = 1;
    for (const std::uint8_t count : counts) AppendBe16(psd.imageData, count);
    psd.imageData.insert(psd.imageData.end(), rows.begin(), rows.end());
    return psd;
}

struct RleCase {
    const char* name;
    std::uint32_t width;
    Bytes counts;
    Bytes rows;
    int wantError;
    Bytes wantPixels;
};

const RleCase kRleCases[] = {
    {"literal_and_repeat", 5, {5}, {0x01, 7, 8, 0xFD, 9}, kCodecOk, {7, 8, 9, 9, 9}},
    {"no_op_byte_skipped", 3, {4}, {0x80, 0xFE, 4, 0x80}, kCodecOk, {4, 4, 4}},
    {"input_left_over_is_accepted", 2, {5}, {0xFF, 6, 0x00, 1, 0x80}, kCodecOk, {6, 6}},
    {"run_cut_at_row_end", 3, {2}, {0xF0, 3}, kCodecOk, {3, 3, 3}},
    {"short_row_keeps_zeros", 4, {2, 2}, {0xFF, 5, 0x00, 9}, kCodecOk, {5, 5, 0, 0, 9, 0, 0, 0}},
    {"literal_past_row_count", 4, {3}, {0x03, 1, 2, 3, 4}, kCodecErrReadFailed, {}},
    {"repeat_without_its_byte", 4, {1}, {0xFD, 1}, kCodecErrReadFailed, {}},
    {"counts_past_the_file", 4, {20}, {0xFD, 1}, kCodecErrReadFailed, {}},
    {"too_little_data_for_the_rows", 300, {2}, {0x81, 1}, kCodecErrReadFailed, {}},
};

void PrintTo(const RleCase& row, std::ostream* out) { *out << row.name; }

class PsdRle : public testing::TestWithParam<RleCase> {};

TEST_P(PsdRle, DecodesRowsWithinTheirByteCounts)
{
    const RleCase& row = GetParam();
    const Decoded got = ReadPsd(GreyRle(row.width, row.counts, row.rows).Build(), 8);
    EXPECT_EQ(got.error, row.wantError);
    EXPECT_EQ(got.pixels, row.wantPixels);
}

INSTANTIATE_TEST_SUITE_P(Psd, PsdRle, testing::ValuesIn(kRleCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- malformed headers and refused requests ---------------------------------------------------------

PsdFile SmallRgb()
{
    PsdFile psd;
    psd.imageData = {1, 2, 3, 4, 5, 6};
    return psd;
}

Bytes Edited(PsdFile psd, void (*edit)(PsdFile&))
{
    edit(psd);
    return psd.Build();
}

Bytes TruncatedBy(std::size_t bytes)
{
    Bytes file = SmallRgb().Build();
    file.resize(file.size() - bytes);
    return file;
}

const BadFileCase kBadCases[] = {
    {"wrong_signature", BytesOf("8BPX\0\1"), 24, kCodecErrNotPsd},
    {"too_short_for_a_signature", BytesOf("8BP"), 24, kCodecErrNotPsd},
    {"version_2", [] { Bytes f = SmallRgb().Build(); f[5] = 2; return f; }(), 24, kCodecErrNotPsd},
    {"depth_4", Edited(SmallRgb(), [](PsdFile& f) { f.depth = 4; }), 24, kCodecErrPsdMode},
    {"lab_mode", Edited(SmallRgb(), [](PsdFile& f) { f.mode = 9; }), 24, kCodecErrPsdMode},
    {"no_channels", Edited(SmallRgb(), [](PsdFile& f) { f.channels = 0; }), 24, kCodecErrNotPsd},
    {"zero_width", Edited(SmallRgb(), [](PsdFile& f) { f.width = 0; }), 24, kCodecErrNotPsd},
    {"rgb_with_two_channels", Edited(SmallRgb(), [](PsdFile& f) { f.channels = 2; }), 24, kCodecErrPsdMode},
    {"compression_2", Edited(SmallRgb(), [](PsdFile& f) { f.compression = 2; }), 24, kCodecErrReadFailed},
    {"rle_at_16_bits", Edited(SmallRgb(), [](PsdFile& f) { f.compression = 1, f.depth = 16; }), 24, kCodecErrPsdMode},
    {"bitmap_at_8_bits", Edited(SmallRgb(), [](PsdFile& f) { f.mode = kPsdModeBitmap; }), 24, kCodecErrPsdMode},
    {"short_colour_table", Edited(SmallRgb(), [](PsdFile& f) { f.mode = kPsdModeIndexed, f.colourData.assign(10, 0); }), 24,
     kCodecErrReadFailed},
    {"layers_past_the_end", [] { Bytes f = SmallRgb().Build(); f[34] = 1; return f; }(), 24, kCodecErrReadFailed},
    {"raw_data_cut_short", TruncatedBy(1), 24, kCodecErrReadFailed},
    {"header_cut_short", TruncatedBy(30), 24, kCodecErrReadFailed},
    {"claimed_data_size_wraps_64_bits",   // 4 channels x 2^31 rows x 2^31 bytes is 2^64
     Edited(SmallRgb(), [](PsdFile& f) { f.mode = kPsdModeCmyk, f.channels = 4, f.width = f.height = 1u << 31; }), 24,
     kCodecErrReadFailed},
    {"indices_of_an_rgb_file", SmallRgb().Build(), 8, kCodecErrPsdMode},
    {"cmyk_of_an_rgb_file", SmallRgb().Build(), 32, kCodecErrPsdMode},
    {"depth_16_requested", SmallRgb().Build(), 16, kCodecErrInvalidArgument},
};

class PsdBadFile : public testing::TestWithParam<BadFileCase> {};

TEST_P(PsdBadFile, FailsWithItsCodeAndNoPixels) { ExpectRefused(CallReadPsd, GetParam()); }

INSTANTIATE_TEST_SUITE_P(Psd, PsdBadFile, testing::ValuesIn(kBadCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PsdReader, PictureOverThePixelBudgetIsOutOfMemory)
{
    PsdFile psd;
    psd.channels = 1;
    psd.mode = kPsdModeGrey;
    psd.width = 1'000'001;   // one row, and the file holds all of it
    psd.imageData.assign(psd.width, 0);
    EXPECT_EQ(ReadPsd(psd.Build(), 8).error, kCodecErrOutOfMemory);
}

TEST(PsdReader, EightBitsNeedAPalette)
{
    MemorySource source(Edited(SmallRgb(), [](PsdFile& f) { f.mode = kPsdModeGrey, f.channels = 1; }));
    int width = 0, height = 0;
    EXPECT_EQ(CodecReadPsd(source.Handle(), &width, &height, 8, nullptr, 0), nullptr);
    EXPECT_EQ(CodecGetLastError(), kCodecErrInvalidArgument);
}

// ---- queries ------------------------------------------------------------------------------------------

Bytes ResolutionData(std::uint32_t horizontal, std::uint32_t vertical, std::uint16_t unit)
{
    Bytes data;
    AppendBe32(data, horizontal);
    AppendBe16(data, unit);
    AppendBe16(data, 1);
    AppendBe32(data, vertical);
    AppendBe16(data, unit);
    AppendBe16(data, 1);
    return data;
}

struct ResourceCase {
    const char* name;
    Bytes resources;
    CodecDpiInfo want;
};

Bytes Concat(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const ResourceCase kResourceCases[] = {
    {"after_named_odd_block", Concat(ResourceBlock(1000, "abc", {1, 2, 3}), ResourceBlock(1005, "", ResolutionData(300 << 16 | 0x8000, 150 << 16, 1))),
     {300, 150, kPsdUnitPerInch}},
    {"behind_junk_before_tag", Concat(Bytes{0, 1, 2}, ResourceBlock(1005, "r", ResolutionData(118 << 16, 118 << 16, 2))),
     {118, 118, kPsdUnitPerCentimetre}},
    {"block_overrunning_section_ends_scan",
     [] {
         Bytes bad = ResourceBlock(1000, "", {1, 2});
         bad[11] = 0x40;   // claims 64 bytes of data
         return Concat(bad, ResourceBlock(1005, "", ResolutionData(72 << 16, 72 << 16, 1)));
     }(),
     {0, 0, 0}},
    {"no_blocks", {}, {0, 0, 0}},
};

void PrintTo(const ResourceCase& row, std::ostream* out) { *out << row.name; }

class PsdResolution : public testing::TestWithParam<ResourceCase> {};

TEST_P(PsdResolution, ComesFromTheResolutionResource)
{
    PsdFile psd = SmallRgb();
    psd.resources = GetParam().resources;
    MemorySource source(psd.Build());
    int width = 0, height = 0, mode = -1;
    CodecDpiInfo dpi{-1, -1, -1};
    ASSERT_NE(CodecGetPsdDimensions(source.Handle(), &width, &height, &mode, &dpi), 0);
    EXPECT_EQ(CodecGetLastError(), kCodecOk);
    EXPECT_EQ(width, 2);
    EXPECT_EQ(height, 1);
    EXPECT_EQ(mode, kPsdModeRgb);
    EXPECT_EQ(dpi.x, GetParam().want.x);
    EXPECT_EQ(dpi.y, GetParam().want.y);
    EXPECT_EQ(dpi.unit, GetParam().want.unit);
}

INSTANTIATE_TEST_SUITE_P(Psd, PsdResolution, testing::ValuesIn(kResourceCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PsdPalette, RefusesFilesWithoutOne)
{
    int count = 0;
    Palette palette{};
    MemorySource rgb(SmallRgb().Build());
    EXPECT_EQ(CodecGetPsdPalette(rgb.Handle(), &count, palette.data()), 0);
    EXPECT_EQ(CodecGetLastError(), kCodecErrUnsupportedFileDepth);
    MemorySource grey16(Edited(SmallRgb(), [](PsdFile& f) { f.mode = kPsdModeGrey, f.depth = 16; }));
    EXPECT_EQ(CodecGetPsdPalette(grey16.Handle(), &count, palette.data()), 0);
    EXPECT_EQ(CodecGetLastError(), kCodecErrPsdMode);
    EXPECT_EQ(CodecGetPsdPalette(rgb.Rewound(), &count, nullptr), 0);
    EXPECT_EQ(CodecGetLastError(), kCodecErrInvalidArgument);
}

// ---- ICC profile ------------------------------------------------------------------------------------

TEST(PsdIccProfile, WrittenProfileIsWhatPeersAndWeReadBack)
{
    Bytes profile = TestIccProfile();
    profile.push_back(0x5A);   // an odd size: the resource is padded after it
    CodecPictureMetadata metadata;
    metadata.iccProfile = profile;
    CodecSetWriteMetadata(&metadata);
    const Bytes pixels = Ramp(5 * 3 * 3, 7);
    TempFile file("profile.psd");
    file.Write(WritePsd(pixels, 5, 3, 24));
    CodecSetWriteMetadata(nullptr);

    EXPECT_EQ(RunPeer("exiftool", "-b -ICC_Profile " + Quoted(file.Path())), profile);
    const std::string verbose = RunPeerText("identify", "-verbose " + Quoted(file.Path()));
    EXPECT_NE(verbose.find("Profile-icc: " + std::to_string(profile.size()) + " bytes"), std::string::npos) << verbose;
    EXPECT_EQ(PeerComposite(file).rgb, pixels);
    const Decoded ours = ReadPsd(file.Read(), 24);
    ASSERT_EQ(ours.error, kCodecOk);
    EXPECT_EQ(ours.pixels, pixels);
    EXPECT_EQ(TakeReadMetadata().iccProfile, profile);
}

TEST(PsdIccProfile, PeerEmbeddedProfileIsRead)
{
    TempFile icc("test.icc"), file("peer.psd");
    icc.Write(TestIccProfile());
    RunPeer("convert", "-size 7x5 gradient:red-blue -depth 8 -profile " + Quoted(icc.Path()) + " " + Quoted(file.Path()));
    ASSERT_EQ(ReadPsd(file.Read(), 24).error, kCodecOk);
    EXPECT_EQ(TakeReadMetadata().iccProfile, TestIccProfile());
}

TEST(PsdIccProfile, MalformedProfileResourceIsDroppedAndThePictureLoads)
{
    PsdFile psd = SmallRgb();
    psd.resources = ResourceBlock(1039, "", TestIccProfile());
    psd.resources[8] = 0x7F;   // the profile's size claims far more than the section holds
    const Decoded ours = ReadPsd(psd.Build(), 24);
    EXPECT_EQ(ours.error, kCodecOk);
    EXPECT_EQ(ours.width, 2);
    EXPECT_TRUE(TakeReadMetadata().Empty());
}

}  // namespace
