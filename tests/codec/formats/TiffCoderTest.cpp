#include "codec/formats/TiffCoder.h"

#include "codec/formats/JpegCoder.h"

#include "codec/CodecErrors.h"
#include "codec/CodecThreadState.h"
#include "codec/ExifBlock.h"
#include "codec/PictureMetadata.h"
#include "tests/codec/support/PeerImages.h"
#include "tests/codec/support/PhotoMetadata.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <initializer_list>
#include <map>
#include <utility>
#include <string>

namespace {

using namespace codec_test;

Decoded ReadTiffBytes(const Bytes& file, int bitsPerPixel, int page = 0, int flags = 0)
{
    const auto read = [page, flags](CodecIOHandle* source, int* width, int* height, int bits, std::uint8_t* palette) {
        return CodecReadTiff(source, width, height, bits, palette, page, flags);
    };
    return ReadWith(read, file, bitsPerPixel);
}

// A peer-made TIFF, optionally edited afterwards by libtiff's tools: "tiffset ARGS" changes or removes
// tags in place, "tiffcp ARGS" copies it with another layout.
Bytes PeerTiff(const std::string& options, const std::string& edit = "")
{
    TempFile file("peer.tif");
    TempFile copy("copy.tif");
    RunPeer("convert", options + " " + Quoted(file.Path()));
    if (edit.empty()) return file.Read();
    const std::string program = edit.substr(0, edit.find(' ')), arguments = edit.substr(edit.find(' ') + 1);
    if (program == "tiffcp") {
        RunPeer(program, arguments + " " + Quoted(file.Path()) + " " + Quoted(copy.Path()));
        return copy.Read();
    }
    RunPeer(program, arguments + " " + Quoted(file.Path()));
    return file.Read();
}

// ImageMagick's decode of TIFF bytes as red, green, blue samples, after `options`.
Bytes PeerRgb(const Bytes& tiff, const std::string& options)
{
    TempFile file("decode.tif");
    file.Write(tiff);
    return RunPeer("convert", Quoted(file.Path()) + " " + options + " -depth 8 rgb:-");
}

// ---- Files written by a peer decode as the peer decodes them ----

struct PeerCase {
    const char* name;
    const char* makeOptions;
    const char* edit;         // libtiff tool run over the peer's file, or ""
    int readBits;
    int width;                // as delivered
    int height;
    int tolerance;
};

constexpr char kRgb[] = "-size 40x30 gradient:red-blue -depth 8 -fill white -draw 'point 3,2'";
constexpr char kPalette[] = "-size 40x30 gradient:red-blue -depth 8 -colors 16 -type Palette";
constexpr char kGrey[] = "-size 40x30 gradient: -type Grayscale -depth 8";
constexpr char kBilevelGroup4[] = "-size 40x30 pattern:checkerboard -monochrome -compress Group4";
constexpr char kBilevel[] = "-size 40x30 pattern:checkerboard -fill white -draw 'rectangle 0,0 5,3' -monochrome -depth 1";

const PeerCase kPeerCases[] = {
    {"rgb_lzw", kRgb, "tiffcp -c lzw", 24, 40, 30, 0},
    {"rgb_tiled", kRgb, "tiffcp -c lzw -t -w 16 -l 16", 24, 40, 30, 0},
    {"rgb_tiled_uncompressed", kRgb, "tiffcp -t -w 16 -l 16", 24, 40, 30, 0},
    {"rgb_tiled_uncompressed_planes_separate", kRgb, "tiffcp -t -w 16 -l 16 -p separate", 24, 40, 30, 0},
    {"rgb_tiled_zip", kRgb, "tiffcp -c zip -t -w 32 -l 16", 24, 40, 30, 0},
    {"grey_tiled_uncompressed_at_24_bits", kGrey, "tiffcp -t -w 16 -l 16", 24, 40, 30, 0},
    {"grey_tiled_lzw_at_24_bits", kGrey, "tiffcp -c lzw -t -w 16 -l 16", 24, 40, 30, 0},
    {"rgb_planes_separate", kRgb, "tiffcp -p separate", 24, 40, 30, 0},
    {"palette", kPalette, "", 8, 40, 30, 0},
    {"palette_tiled", kPalette, "tiffcp -t -w 16 -l 16", 8, 40, 30, 0},
    {"palette_at_24_bits", kPalette, "", 24, 40, 30, 1},
    {"grey_min_is_white", kGrey, "tiffset -s 262 0", 8, 40, 30, 0},
    {"grey_4_bit", "-size 40x30 gradient: -type Grayscale -depth 4", "", 8, 40, 30, 0},
    {"grey_16_bit", "-size 40x30 gradient: -type Grayscale -depth 16", "", 8, 40, 30, 1},
    {"bilevel_group4", kBilevel, "tiffcp -c g4", 1, 40, 30, 0},
    {"bilevel_group4_without_photometric", kBilevelGroup4, "tiffset -u 262", 1, 40, 30, 0},
    {"bilevel_min_is_black", kBilevel, "", 1, 40, 30, 0},
    {"bilevel_min_is_white", kBilevel, "tiffset -s 262 0", 1, 40, 30, 0},
    {"orientation_3", kRgb, "tiffset -s 274 3", 24, 40, 30, 0},
    {"orientation_6", kRgb, "tiffset -s 274 6", 24, 30, 40, 0},
    {"orientation_6_palette", kPalette, "tiffset -s 274 6", 8, 30, 40, 0},
    {"orientation_5_bilevel", kBilevel, "tiffset -s 274 5", 1, 30, 40, 0},
    {"orientation_8_bilevel", kBilevel, "tiffset -s 274 8", 1, 30, 40, 0},
};

class TiffPeerFile : public testing::TestWithParam<PeerCase> {};

TEST_P(TiffPeerFile, DecodesAsThePeerDoes)
{
    const PeerCase& c = GetParam();
    const Bytes file = PeerTiff(c.makeOptions, c.edit);
    const Decoded ours = ReadTiffBytes(file, c.readBits);
    ASSERT_EQ(ours.error, kCodecOk);
    EXPECT_EQ(ours.width, c.width);
    EXPECT_EQ(ours.height, c.height);
    // The peer turns the picture the way the Orientation tag asks. A bilevel file without Photometric
    // is fax data: the peer is shown the file as it was before the tag was removed.
    const bool photometricRemoved = std::string(c.edit) == "tiffset -u 262";
    const Bytes oracle = photometricRemoved ? PeerTiff(c.makeOptions) : file;
    EXPECT_LE(MaxDifference(ShownRgb(ours, c.readBits), PeerRgb(oracle, "-auto-orient")), c.tolerance);
}

INSTANTIATE_TEST_SUITE_P(Tiff, TiffPeerFile, testing::ValuesIn(kPeerCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TiffRead, FlagIgnoresTheOrientationTag)
{
    const Decoded turned = ReadTiffBytes(PeerTiff(kRgb, "tiffset -s 274 6"), 24, 0, kTiffReadIgnoreOrientation);
    ASSERT_EQ(turned.error, kCodecOk);
    EXPECT_EQ(turned.width, 40);
    EXPECT_EQ(turned.pixels, ReadTiffBytes(PeerTiff(kRgb), 24).pixels);
}

TEST(TiffRead, PaletteAndRampEntriesFollowPhotometric)
{
    const Decoded whiteIsZero = ReadTiffBytes(PeerTiff(kGrey, "tiffset -s 262 0"), 8);
    ASSERT_EQ(whiteIsZero.error, kCodecOk);
    for (int index : {0, 1, 128, 255}) EXPECT_EQ(whiteIsZero.palette[4 * index], 255 - index);
    const Decoded fourBitPalette = ReadTiffBytes(PeerTiff("-size 8x8 gradient:red-blue -colors 16 -type Palette -depth 4"), 8);
    ASSERT_EQ(fourBitPalette.error, kCodecOk);
    for (int index = 16; index < 256; ++index) ASSERT_EQ(fourBitPalette.palette[4 * index + 2], 0) << index;
    const Decoded bilevel = ReadTiffBytes(PeerTiff(kBilevel), 1);
    EXPECT_EQ((std::array{bilevel.palette[0], bilevel.palette[4]}), (std::array<std::uint8_t, 2>{255, 0}));
}

TEST(TiffQuery, ReportsSizeDepthResolutionAndPages)
{
    TempFile fax("fax.tif"), colour("colour.tif"), file("pages.tif");
    RunPeer("convert", std::string(kBilevelGroup4) + " -density 204x98 -units PixelsPerInch " + Quoted(fax.Path()));
    RunPeer("convert", "-size 40x30 gradient:red-blue -depth 8 " + Quoted(colour.Path()));
    RunPeer("tiffcp", Quoted(fax.Path()) + " " + Quoted(colour.Path()) + " " + Quoted(file.Path()));
    MemorySource source(file.Read());
    int width = 0, height = 0, bits = 0;
    CodecDpiInfo dpi{};
    ASSERT_EQ(CodecGetTiffDimensions(source.Handle(), 0, &width, &height, &bits, &dpi), 1);
    EXPECT_EQ((std::array{width, height, bits}), (std::array{40, 30, 1}));
    EXPECT_EQ((std::array{dpi.x, dpi.y, dpi.unit}), (std::array{204, 98, 2}));
    ASSERT_EQ(CodecGetTiffDimensions(source.Handle(), 1, &width, &height, &bits, nullptr), 1);
    EXPECT_EQ(bits, 24);
    EXPECT_EQ(CodecGetTiffDimensions(source.Handle(), 2, &width, &height, &bits, nullptr), 0);
    EXPECT_EQ(CodecGetLastError(), kCodecErrInvalidArgument);
}

// ---- Writing ----

struct WriteCase {
    const char* name;
    int bitsPerPixel;
    int compression;
    int flags;
    int readBits;
    int tolerance;            // our decode against the source
};

constexpr WriteCase kWriteCases[] = {
    {"rgb", 24, 1, 0, 24, 0},
    {"rgb_lzw_predictor", 24, 5, kTiffWritePredictor, 24, 0},
    {"rgb_deflate", 24, 8, 0, 24, 0},
    {"rgb_packbits", 24, 32773, 0, 24, 0},
    {"rgb_jpeg", 24, 7, 0, 24, 64},
    {"rgb_fax_compression_falls_back", 24, 4, 0, 24, 0},
    {"rgb_alpha", 32, 5, 0, 32, 0},
    {"palette_8_bit", 8, 1, 0, 8, 0},
    {"palette_4_bit", 4, 32773, 0, 8, 0},
    {"grey_8_bit", 8, 5, kTiffWriteGrey, 8, 0},
    {"bilevel_group4", 1, 4, 0, 1, 0},
    {"bilevel_min_is_black", 1, 0, kTiffWriteMinIsBlack, 1, 0},
};

// Source pixels: a smooth picture in every layout (opaque where there is alpha).
Bytes SourcePixels(int width, int height, int bitsPerPixel)
{
    Bytes pixels;
    const std::size_t rowBytes = (std::size_t(width) * bitsPerPixel + 7) / 8;
    for (int y = 0; y < height; ++y)
        for (std::size_t byte = 0; byte < rowBytes; ++byte) {
            const int channel = bitsPerPixel >= 24 ? int(byte % (bitsPerPixel / 8)) : 0;
            std::uint8_t value = std::uint8_t(channel == 3 ? 255 : (byte * 255 / rowBytes + y * 3 + channel * 60) % 256);
            if (bitsPerPixel == 4) value = std::uint8_t((byte + y) % 16 << 4 | (byte + 1) % 16);
            if (bitsPerPixel == 1) value = std::uint8_t(0xF0 >> (y % 4));
            pixels.push_back(value);
        }
    return pixels;
}

Palette SourcePalette()
{
    Palette palette{};
    for (int index = 0; index < 256; ++index)
        palette[4 * index] = std::uint8_t(index), palette[4 * index + 1] = std::uint8_t(255 - index), palette[4 * index + 2] = std::uint8_t(index * 7);
    return palette;
}

// What the reader gives back for written bilevel rows: the padding bits of each row's last byte clear,
// and every bit inverted when the file says min-is-black (the reader delivers a set bit as black).
Bytes BilevelAsRead(Bytes rows, int width, bool minIsBlack)
{
    const std::size_t rowBytes = (std::size_t(width) + 7) / 8;
    const auto lastByteMask = std::uint8_t(0xFF << (rowBytes * 8 - std::size_t(width)));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (minIsBlack) rows[i] = std::uint8_t(~rows[i]);
        if (i % rowBytes == rowBytes - 1) rows[i] &= lastByteMask;
    }
    return rows;
}

class TiffWrite : public testing::TestWithParam<WriteCase> {};

TEST_P(TiffWrite, PeerAndWeReadBackWhatWasWritten)
{
    const WriteCase& c = GetParam();
    const int width = 45, height = 33;
    const Bytes pixels = SourcePixels(width, height, c.bitsPerPixel);
    const Palette palette = SourcePalette();
    const CodecDpiInfo dpi{300, 200, 2};

    CodecIOHandle* counter = CodecOpenCountingSink(0);
    const std::int64_t counted = CodecWriteTiff(counter, pixels.data(), width, height, c.bitsPerPixel, palette.data(), c.compression, &dpi, c.flags);
    EXPECT_EQ(CodecGetLastError(), kCodecOk);
    CodecCloseSink(counter);
    TempFile file("ours.tif");
    CodecIOHandle* sink = CodecOpenFileSink(file.CPath(), 0);
    const std::int64_t size = CodecWriteTiff(sink, pixels.data(), width, height, c.bitsPerPixel, palette.data(), c.compression, &dpi, c.flags);
    CodecCloseSink(sink);
    ASSERT_GT(size, 0);
    EXPECT_EQ(size, counted);
    EXPECT_EQ(std::int64_t(file.Read().size()), size);

    EXPECT_EQ(RunPeerText("identify", "-format '%w %h %x %y %U' " + Quoted(file.Path())), "45 33 300 200 PixelsPerInch");
    const Decoded ours = ReadTiffBytes(file.Read(), c.readBits);
    ASSERT_EQ(ours.error, kCodecOk);
    ASSERT_EQ(ours.width, width);
    if (c.readBits == 8 && c.bitsPerPixel == 4) {
        for (int i = 0; i < width * height; ++i) {
            ASSERT_EQ(ours.pixels[i], (pixels[i / width * 23 + i % width / 2] >> (i % width % 2 == 0 ? 4 : 0)) & 15);
        }
    } else if (c.bitsPerPixel == 1) {
        EXPECT_EQ(ours.pixels, BilevelAsRead(pixels, width, (c.flags & kTiffWriteMinIsBlack) != 0));
    } else {
        EXPECT_LE(MaxDifference(ours.pixels, pixels), c.tolerance);
    }
    if (c.readBits != 32) {
        EXPECT_LE(MaxDifference(ShownRgb(ours, c.readBits), RunPeer("convert", Quoted(file.Path()) + " -depth 8 rgb:-")), 1);
    }
}

INSTANTIATE_TEST_SUITE_P(Tiff, TiffWrite, testing::ValuesIn(kWriteCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TiffWriteTags, SoftwareNamesTheCodecLayerAndLibtiff)
{
    const Bytes pixels = SourcePixels(8, 8, 24);
    TempFile file("tags.tif");
    CodecIOHandle* sink = CodecOpenFileSink(file.CPath(), 0);
    ASSERT_GT(CodecWriteTiff(sink, pixels.data(), 8, 8, 24, nullptr, 1, nullptr, 0), 0);
    CodecCloseSink(sink);
    const std::string info = RunPeerText("tiffinfo", Quoted(file.Path()));
    EXPECT_NE(info.find("Software: Lumatrine NR codec layer (0.1.0), using LIBTIFF, Version 4."), std::string::npos) << info;
    EXPECT_NE(info.find("Resolution: 1, 1 (unitless)"), std::string::npos) << info;
}

TEST(TiffWriteTags, ThreadOptionsReachTheFile)
{
    CodecTiffOptions& options = codec::CurrentThreadState()->tiff;
    options.rowsPerStrip = 7;
    options.orientation = 3;
    options.softwareText = "custom writer";
    const Bytes pixels = SourcePixels(16, 16, 24);
    TempFile file("options.tif");
    CodecIOHandle* sink = CodecOpenFileSink(file.CPath(), 0);
    const std::int64_t size = CodecWriteTiff(sink, pixels.data(), 16, 16, 24, nullptr, 1, nullptr, 0);
    CodecCloseSink(sink);
    options = CodecTiffOptions{};
    ASSERT_GT(size, 0);
    const std::string info = RunPeerText("tiffinfo", Quoted(file.Path()));
    for (const char* line : {"Rows/Strip: 7", "Orientation: row 0 bottom, col 0 rhs", "Software: custom writer"})
        EXPECT_NE(info.find(line), std::string::npos) << line << " not in " << info;
}

TEST(TiffWriteTags, RefusesWhatCannotBeWritten)
{
    const Bytes pixels(64 * 64 * 4);
    CodecIOHandle* sink = CodecOpenCountingSink(0);
    for (const auto& [bits, compression, palette] :
         {std::tuple{16, 1, false}, std::tuple{8, 1, false}, std::tuple{24, 12345, false}}) {
        EXPECT_EQ(CodecWriteTiff(sink, pixels.data(), 8, 8, bits, palette ? pixels.data() : nullptr, compression, nullptr, 0), 0);
        EXPECT_EQ(CodecGetLastError(), kCodecErrInvalidArgument);
    }
    CodecCloseSink(sink);
    Bytes block(100);
    CodecIOHandle* small = CodecOpenMemorySink(block.data(), block.size());
    EXPECT_EQ(CodecWriteTiff(small, pixels.data(), 64, 64, 24, nullptr, 1, nullptr, 0), 0);
    EXPECT_NE(CodecGetLastError(), kCodecOk);
    CodecCloseSink(small);
}

// ---- Malformed input ----

std::uint32_t LoadLe(const Bytes& file, std::size_t at, int bytes)
{
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = value << 8 | file.at(at + i);
    return value;
}

void StoreLe(Bytes& file, std::size_t at, int bytes, std::uint32_t value)
{
    for (int i = 0; i < bytes; ++i) file.at(at + i) = std::uint8_t(value >> (8 * i));
}

// Where the entry of `tag` starts in the directory at `directory` of a little-endian file; 0 when the
// directory has none.
std::size_t EntryOf(const Bytes& file, std::size_t directory, std::uint16_t tag)
{
    for (std::uint32_t entry = 0; entry < LoadLe(file, directory, 2); ++entry)
        if (LoadLe(file, directory + 2 + 12 * entry, 2) == tag) return directory + 2 + 12 * entry;
    return 0;
}

std::size_t FirstDirectory(const Bytes& file)
{
    return LoadLe(file, 4, 4);
}

// The first directory of a little-endian file with single-valued SHORT or LONG tags set to new values
// (no tool rewrites strip offsets or sizes that do not fit the picture).
Bytes WithTags(Bytes file, std::initializer_list<std::pair<std::uint16_t, std::uint32_t>> tags)
{
    for (const auto& [tag, value] : tags)
        if (const std::size_t at = EntryOf(file, FirstDirectory(file), tag); at != 0)
            StoreLe(file, at + 8, LoadLe(file, at + 2, 2) == 3 ? 2 : 4, value);
    return file;
}

constexpr std::uint16_t kImageWidth = 256, kImageLength = 257, kStripOffsets = 273, kRowsPerStrip = 278;

const std::string kOneStripRgb = "-size 40x30 gradient:red-blue -compress None -define tiff:rows-per-strip=30";
const std::string kOneStripBilevel = "-size 40x30 pattern:checkerboard -monochrome -depth 1 -compress None -define tiff:rows-per-strip=30";

struct MalformedCase {
    const char* name;
    std::function<Bytes()> file;
    int bitsPerPixel;
    int page;
    bool withPalette;
    int error;
};

const MalformedCase kMalformedCases[] = {
    {"not_a_tiff", [] { return BytesOf("II*\0 this is not a TIFF file"); }, 24, 0, true, kCodecErrTiff},
    {"missing_page", [] { return PeerTiff(kOneStripRgb); }, 24, 1, true, kCodecErrInvalidArgument},
    {"strip_past_the_end", [] { return WithTags(PeerTiff(kOneStripRgb), {{kStripOffsets, 100000}}); }, 24, 0, true, kCodecErrTiff},
    {"strip_past_the_end_at_8_bits", [] { return WithTags(PeerTiff("-size 40x30 gradient: -type Grayscale -compress None -define tiff:rows-per-strip=30"), {{kStripOffsets, 100000}}); }, 8, 0, true, kCodecErrTiff},
    {"bilevel_strip_past_the_end", [] { return WithTags(PeerTiff(kOneStripBilevel), {{kStripOffsets, 100000}}); }, 1, 0, true, kCodecErrReadFailed},
    {"over_pixel_budget", [] { return WithTags(PeerTiff("-size 40x30 gradient:red-blue -compress LZW -define tiff:rows-per-strip=30"), {{kImageWidth, 20000}, {kImageLength, 20000}, {kRowsPerStrip, 20000}}); }, 24, 0, true, kCodecErrOutOfMemory},
    {"rgb_at_8_bits", [] { return PeerTiff(kOneStripRgb); }, 8, 0, true, kCodecErrUnsupportedFileDepth},
    {"rgb_at_1_bit", [] { return PeerTiff(kOneStripRgb); }, 1, 0, true, kCodecErrUnsupportedFileDepth},
    {"grey_at_8_bits_without_palette", [] { return PeerTiff(kOneStripBilevel); }, 8, 0, false, kCodecErrInvalidArgument},
    {"unsupported_depth", [] { return PeerTiff(kOneStripRgb); }, 16, 0, true, kCodecErrInvalidArgument},
};

class TiffMalformed : public testing::TestWithParam<MalformedCase> {};

TEST_P(TiffMalformed, GivesItsCodeAndNoPixels)
{
    const MalformedCase& c = GetParam();
    MemorySource source(c.file());
    Palette palette{};
    int width = -1, height = -1;
    EXPECT_EQ(CodecReadTiff(source.Handle(), &width, &height, c.bitsPerPixel, c.withPalette ? palette.data() : nullptr, c.page, 0), nullptr);
    EXPECT_EQ(CodecGetLastError(), c.error);
}

INSTANTIATE_TEST_SUITE_P(Tiff, TiffMalformed, testing::ValuesIn(kMalformedCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Metadata ----

constexpr char kXmpTitle[] = "Harbour at dawn";

// A photograph as a camera and an editor leave it: ImageMagick's RGB picture with the test ICC profile,
// then exiftool's camera, date, GPS position, XMP title and Orientation 6 (turned clockwise). Made once
// in each byte order.
const Bytes& PeerPhotoTiff(bool bigEndian = false)
{
    static std::map<bool, Bytes> photos;
    if (photos.count(bigEndian) != 0) return photos[bigEndian];
    return photos[bigEndian] = [bigEndian] {
        TempFile icc("photo.icc"), file("photo.tif");
        icc.Write(TestIccProfile());
        RunPeer("convert", std::string(kOneStripRgb) + " -profile " + Quoted(icc.Path()) +
                               (bigEndian ? " -define tiff:endian=msb " : " ") + Quoted(file.Path()));
        RunPeer("exiftool", "-q -overwrite_original -Make=Lumacam -Model='LX 7' -DateTimeOriginal='2021:05:06 07:08:09' "
                            "-GPSLatitude=51.5 -GPSLatitudeRef=N -XMP-dc:Title='" + std::string(kXmpTitle) + "' -Orientation#=6 " +
                            Quoted(file.Path()));
        return file.Read();
    }();
}

std::string TextOf(const Bytes& bytes)
{
    return {bytes.begin(), bytes.end()};
}

// Camera, model and date as an Exif block holds them; all empty for a block that is missing or malformed.
std::array<std::string, 3> CameraAndDate(const Bytes& exif)
{
    const auto summary = codec::ReadExifSummary(exif.data(), exif.size());
    if (!summary) return {};
    return {summary->make, summary->model, summary->dateTimeOriginal};
}

const std::array<std::string, 3> kPeerCameraAndDate = {"Lumacam", "LX 7", "2021:05:06 07:08:09"};

class TiffMetadataRead : public testing::TestWithParam<bool> {};

TEST_P(TiffMetadataRead, PeerPhotoGivesItsProfileXmpOrientationAndExif)
{
    const Decoded ours = ReadTiffBytes(PeerPhotoTiff(GetParam()), 24);
    ASSERT_EQ(ours.error, kCodecOk);
    EXPECT_EQ(ours.width, 30);   // the reader still applies the Orientation tag it reports
    const CodecPictureMetadata metadata = TakeReadMetadata();
    EXPECT_EQ(metadata.orientation, 6);
    EXPECT_EQ(metadata.iccProfile, TestIccProfile());
    EXPECT_NE(TextOf(metadata.xmp).find(kXmpTitle), std::string::npos);
    EXPECT_EQ(CameraAndDate(metadata.exif), kPeerCameraAndDate);
}

INSTANTIATE_TEST_SUITE_P(Tiff, TiffMetadataRead, testing::Bool(),
                         [](const auto& info) { return info.param ? "big_endian" : "little_endian"; });

// A 2 x 1 grey BigTIFF (8-byte counts and offsets) built field by field, as no peer writes Exif into one:
// Make in its directory, DateTimeOriginal in the Exif directory it points to.
Bytes BigTiffWithExif()
{
    Bytes file = BytesOf("II");
    const auto put = [&](std::uint64_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) file.push_back(std::uint8_t(value >> (8 * i)));
    };
    const auto entry = [&](std::uint16_t tag, std::uint16_t type, std::uint64_t count, std::uint64_t value) {
        put(tag, 2), put(type, 2), put(count, 8), put(value, 8);
    };
    constexpr std::uint64_t kDirectory = 16, kExifDirectory = kDirectory + 8 + 10 * 20 + 8,
                            kDateAt = kExifDirectory + 8 + 20 + 8, kPixelsAt = kDateAt + 20;
    put(43, 2), put(8, 2), put(0, 2), put(kDirectory, 8);
    put(10, 8);
    entry(256, 3, 1, 2), entry(257, 3, 1, 1), entry(258, 3, 1, 8), entry(262, 3, 1, 1);
    entry(271, 2, 4, LoadLe(BytesOf(std::string("Cam") + '\0'), 0, 4));
    entry(273, 16, 1, kPixelsAt), entry(277, 3, 1, 1), entry(278, 3, 1, 1), entry(279, 16, 1, 2);
    entry(34665, 18, 1, kExifDirectory);
    put(0, 8);
    put(1, 8), entry(36867, 2, 20, kDateAt), put(0, 8);
    const Bytes date = BytesOf(std::string("2022:03:04 05:06:07") + '\0');
    file.insert(file.end(), date.begin(), date.end());
    put(0x40C0, 2);
    return file;
}

TEST(TiffMetadataReadBigTiff, ExifDirectoryIsRead)
{
    const Decoded ours = ReadTiffBytes(BigTiffWithExif(), 24);
    ASSERT_EQ(ours.error, kCodecOk);
    EXPECT_EQ(ours.pixels, (Bytes{0xC0, 0xC0, 0xC0, 0x40, 0x40, 0x40}));
    EXPECT_EQ(CameraAndDate(TakeReadMetadata().exif), (std::array<std::string, 3>{"Cam", "", "2022:03:04 05:06:07"}));
}

TEST(TiffMetadataReadFailure, LeavesNoMetadata)
{
    ASSERT_EQ(ReadTiffBytes(PeerPhotoTiff(), 8).error, kCodecErrUnsupportedFileDepth);
    EXPECT_TRUE(TakeReadMetadata().Empty());
}

// Writes the 24-bit `picture` with `metadata` as the thread's write metadata, into `file` and into a
// counting sink, which must agree on the size.
void WriteWithMetadata(const TempFile& file, const Decoded& picture, const CodecPictureMetadata& metadata, int compression)
{
    CodecSetWriteMetadata(&metadata);
    const auto write = [&](CodecIOHandle* sink) {
        const std::int64_t size = CodecWriteTiff(sink, picture.pixels.data(), picture.width, picture.height, 24, nullptr, compression, nullptr, 0);
        CodecCloseSink(sink);
        return size;
    };
    const std::int64_t counted = write(CodecOpenCountingSink(0));
    const std::int64_t size = write(CodecOpenFileSink(file.CPath(), 0));
    CodecSetWriteMetadata(nullptr);
    ASSERT_GT(size, 0);
    EXPECT_EQ(size, counted);
}

// exiftool's values of the named tags, one a line; a warning exiftool has about the file comes last.
std::string PeerTags(const TempFile& file, const std::string& tags)
{
    return RunPeerText("exiftool", "-s3 -n " + tags + " -Warning " + Quoted(file.Path()));
}

struct MetadataWriteCase {
    const char* name;
    int compression;
    bool fromBigEndian;
};

// The strips, and JPEG's tables, land after the Exif directories; numbers of a big-endian photo are
// turned around on the way.
const MetadataWriteCase kMetadataWriteCases[] = {
    {"uncompressed", 1, false},
    {"lzw_from_big_endian", 5, true},
    {"jpeg", 7, false},
};

class TiffMetadataWrite : public testing::TestWithParam<MetadataWriteCase> {};

TEST_P(TiffMetadataWrite, ReadPhotoWrittenAgainKeepsItsMetadataUpright)
{
    const MetadataWriteCase& c = GetParam();
    const Decoded picture = ReadTiffBytes(PeerPhotoTiff(c.fromBigEndian), 24);
    ASSERT_EQ(picture.error, kCodecOk);
    TempFile file("written.tif");
    WriteWithMetadata(file, picture, TakeReadMetadata(), c.compression);

    EXPECT_EQ(RunPeer("exiftool", "-b -ICC_Profile " + Quoted(file.Path())), TestIccProfile());
    EXPECT_EQ(PeerTags(file, "-IFD0:Orientation -IFD0:ImageWidth -IFD0:ImageHeight -XMP-dc:Title -IFD0:Make -IFD0:Model "
                             "-ExifIFD:DateTimeOriginal -GPS:GPSLatitude"),
              "1\n30\n40\n" + std::string(kXmpTitle) + "\nLumacam\nLX 7\n2021:05:06 07:08:09\n51.5\n");
    const Decoded again = ReadTiffBytes(file.Read(), 24);
    ASSERT_EQ(again.error, kCodecOk);
    EXPECT_LE(MaxDifference(again.pixels, picture.pixels), c.compression == 7 ? 64 : 0);
}

INSTANTIATE_TEST_SUITE_P(Tiff, TiffMetadataWrite, testing::ValuesIn(kMetadataWriteCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TiffMetadataFromJpeg, CameraMetadataGoesIntoTheTiffWithoutTheThumbnail)
{
    MemorySource jpeg(CameraPhoto("jpg"));
    int width = 0, height = 0;
    const Bytes pixels = TakeBlock(CodecReadJpeg(jpeg.Handle(), &width, &height, 24, 0), std::size_t(kCameraPhotoWidth) * kCameraPhotoHeight * 3);
    ASSERT_EQ(CodecGetLastError(), kCodecOk);
    const CodecPictureMetadata metadata = TakeReadMetadata();
    ASSERT_FALSE(metadata.exif.empty());
    TempFile file("from_jpeg.tif");
    WriteWithMetadata(file, Decoded{width, height, kCodecOk, pixels}, metadata, 5);
    const PeerMetadata peer = ReadWithExifTool(file.Read(), "tif");
    ExpectCameraMetadataWritten(peer, kCameraPhotoWidth, kCameraPhotoHeight);
    EXPECT_EQ(peer.thumbnailLength, "-");
}

constexpr std::uint16_t kIccProfileTag = 34675, kXmpTag = 700, kExifPointerTag = 34665, kGpsPointerTag = 34853,
                        kDateTimeOriginalTag = 36867;

// Where the directory holding `tag` lies in the photo: the first directory, or for Exif tags the Exif
// directory it points to.
std::size_t DirectoryHolding(const Bytes& file, std::uint16_t tag)
{
    const std::size_t first = FirstDirectory(file);
    if (tag != kDateTimeOriginalTag) return first;
    return LoadLe(file, EntryOf(file, first, kExifPointerTag) + 8, 4);
}

// A little-endian photo with one entry changed: the field at `fieldOffset` (4 the count, 8 the value or
// offset) of `tag` set to `value`, or to the photo's size plus `value` with `pastTheEnd`.
Bytes PhotoWithEntryField(std::uint16_t tag, int fieldOffset, std::uint32_t value, bool pastTheEnd = false)
{
    Bytes file = PeerPhotoTiff();
    const std::size_t at = EntryOf(file, DirectoryHolding(file, tag), tag);
    EXPECT_NE(at, 0u) << tag;
    StoreLe(file, at + fieldOffset, 4, pastTheEnd ? std::uint32_t(file.size()) + value : value);
    return file;
}

struct MalformedMetadataCase {
    const char* name;
    std::function<Bytes()> file;
    bool keepsIcc;              // the blocks that are well-formed still arrive
    bool keepsXmp;
    bool keepsExif;
};

const MalformedMetadataCase kMalformedMetadataCases[] = {
    {"huge_icc_length", [] { return PhotoWithEntryField(kIccProfileTag, 4, 0x7FFFFFF0); }, false, true, true},
    {"icc_past_the_end", [] { return PhotoWithEntryField(kIccProfileTag, 8, 0x7FFFFFF0); }, false, true, true},
    {"xmp_past_the_end", [] { return PhotoWithEntryField(kXmpTag, 8, 0xFFFFFF00); }, true, false, true},
    {"exif_directory_truncated", [] { return PhotoWithEntryField(kExifPointerTag, 8, -8u, true); }, true, true, false},
    {"exif_directory_past_the_end", [] { return PhotoWithEntryField(kExifPointerTag, 8, 16, true); }, true, true, false},
    {"exif_value_past_the_end", [] { return PhotoWithEntryField(kDateTimeOriginalTag, 8, 2, true); }, true, true, false},
    {"exif_value_huge_count", [] { return PhotoWithEntryField(kDateTimeOriginalTag, 4, 0xFFFFFFF0); }, true, true, false},
    {"exif_pointing_back_to_the_page", [] { return PhotoWithEntryField(kExifPointerTag, 8, 8); }, true, true, false},
    {"gps_pointing_at_exif", [] {
         Bytes file = PeerPhotoTiff();
         StoreLe(file, EntryOf(file, FirstDirectory(file), kGpsPointerTag) + 8, 4, DirectoryHolding(file, kDateTimeOriginalTag));
         return file;
     }, true, true, false},
};

class TiffMalformedMetadata : public testing::TestWithParam<MalformedMetadataCase> {};

TEST_P(TiffMalformedMetadata, PictureLoadsWithoutTheBlock)
{
    const MalformedMetadataCase& c = GetParam();
    const Decoded ours = ReadTiffBytes(c.file(), 24);
    const CodecPictureMetadata metadata = TakeReadMetadata();
    ASSERT_EQ(ours.error, kCodecOk);
    EXPECT_EQ(ours.pixels, ReadTiffBytes(PeerPhotoTiff(), 24).pixels);
    EXPECT_EQ(metadata.orientation, 6);
    EXPECT_EQ(!metadata.iccProfile.empty(), c.keepsIcc);
    EXPECT_EQ(!metadata.xmp.empty(), c.keepsXmp);
    EXPECT_EQ(CameraAndDate(metadata.exif), c.keepsExif ? kPeerCameraAndDate : decltype(kPeerCameraAndDate){});
}

INSTANTIATE_TEST_SUITE_P(Tiff, TiffMalformedMetadata, testing::ValuesIn(kMalformedMetadataCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
