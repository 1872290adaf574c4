#include "codec/formats/PngCoder.h"

#include "codec/CodecErrors.h"
#include "codec/CodecThreadState.h"
#include "codec/PictureMetadata.h"
#include "tests/codec/support/PeerImages.h"
#include "tests/codec/support/PhotoMetadata.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace codec_test;

Decoded ReadPngBytes(const Bytes& file, int bitsPerPixel, int flags = 0)
{
    const auto read = [flags](CodecIOHandle* source, int* width, int* height, int bits, std::uint8_t* palette) {
        return CodecReadPng(source, width, height, bits, palette, flags);
    };
    return ReadWith(read, file, bitsPerPixel);
}

// ---- Files written by a peer decode as the peer decodes them ----

struct PeerCase {
    const char* name;
    const char* makeOptions;
    const char* outputPrefix;   // convert's format prefix for the file name ("png8:")
    int readBits;
    const char* peerBackground; // colour the peer composites transparency over
    int tolerance;
};

constexpr char kNoBackgroundChunks[] = " -define png:exclude-chunks=bKGD,gAMA,cHRM,sRGB";

const PeerCase kPeerCases[] = {
    {"bilevel", "-size 40x30 pattern:checkerboard -monochrome", "", 1, "black", 0},
    {"palette", "-size 40x30 gradient:red-blue -colors 16 -type Palette", "png8:", 8, "black", 0},
    {"grey", "-size 40x30 gradient: -type Grayscale -depth 8", "", 8, "black", 0},
    {"grey_16_bit", "-size 40x30 gradient: -type Grayscale -depth 16", "", 8, "black", 1},
    {"rgb_16_bit", "-size 40x30 gradient:red-blue -depth 16", "", 24, "black", 1},
    {"interlaced", "-size 40x30 gradient:red-blue -interlace PNG", "", 24, "black", 1},
    {"alpha_over_black", "-size 40x30 gradient:red-blue -alpha set -channel A -fx i/w +channel", "", 24, "black", 1},
    {"alpha_over_bkgd", "-size 40x30 gradient:red-blue -alpha set -channel A -fx i/w +channel -background '#3366cc'", "", 24,
     "'#3366cc'", 1},
};

class PngPeerFile : public testing::TestWithParam<PeerCase> {};

TEST_P(PngPeerFile, DecodesAsThePeerDoes)
{
    const PeerCase& c = GetParam();
    TempFile file("peer.png");
    std::string options = c.makeOptions;
    if (std::string(c.name) == "alpha_over_black") options += kNoBackgroundChunks;
    else if (std::string(c.name) == "alpha_over_bkgd") options += " -define png:exclude-chunks=gAMA,cHRM,sRGB";
    RunPeer("convert", options + " " + c.outputPrefix + Quoted(file.Path()));
    const Decoded ours = ReadPngBytes(file.Read(), c.readBits);
    ASSERT_EQ(ours.error, kCodecOk);
    ASSERT_EQ(ours.width, 40);
    ASSERT_EQ(ours.height, 30);
    const Bytes peer = RunPeer("convert", Quoted(file.Path()) + " -background " + c.peerBackground + " -alpha remove -alpha off -depth 8 rgb:-");
    EXPECT_LE(MaxDifference(ShownRgb(ours, c.readBits), peer), c.tolerance);
}

INSTANTIATE_TEST_SUITE_P(Png, PngPeerFile, testing::ValuesIn(kPeerCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PngRead, AlphaAtThirtyTwoBitsIsKeptAsStored)
{
    TempFile file("alpha.png");
    RunPeer("convert", "-size 20x10 gradient:red-blue -alpha set -channel A -fx i/w +channel " + Quoted(file.Path()));
    const Decoded ours = ReadPngBytes(file.Read(), 32);
    ASSERT_EQ(ours.error, kCodecOk);
    // The peer writes 16-bit samples here: both reductions to 8 bits round, within 1.
    EXPECT_LE(MaxDifference(ours.pixels, RunPeer("convert", Quoted(file.Path()) + " -depth 8 rgba:-")), 1);
}

TEST(PngQuery, ReportsHeaderDensityAndPalette)
{
    TempFile file("query.png");
    RunPeer("convert", "-size 30x20 gradient:red-blue -colors 16 -type Palette -density 72 -units PixelsPerInch png8:" +
                           Quoted(file.Path()));
    MemorySource source(file.Read());
    int width = 0, height = 0, depth = 0, colourType = 0, interlace = -1;
    CodecDpiInfo dpi{};
    ASSERT_EQ(CodecGetPngDimensions(source.Handle(), &width, &height, &depth, &colourType, &interlace, &dpi), 1);
    EXPECT_EQ(width, 30);
    EXPECT_EQ(height, 20);
    EXPECT_EQ(colourType, 3);
    EXPECT_EQ(interlace, 0);
    EXPECT_NEAR(dpi.x, 2835, 1);   // 72 per inch in pixels per metre
    EXPECT_EQ(dpi.unit, 1);

    Palette palette{};
    int count = 0;
    ASSERT_EQ(CodecGetPngPalette(source.Rewound(), &count, palette.data()), 1);
    ASSERT_GT(count, 1);
    ASSERT_LE(count, 16);
    EXPECT_EQ(palette[4 * 0 + 3], 255);
    for (int index = count; index < 256; ++index)
        EXPECT_TRUE(std::equal(palette.begin(), palette.begin() + 4, palette.begin() + 4 * index)) << index;
}

// ---- Writing ----

struct WriteCase {
    const char* name;
    int colourType;
    int bitDepth;
    int paletteCount;
    int flags;
};

constexpr WriteCase kWriteCases[] = {
    {"rgb", 2, 8, 0, 0},
    {"rgb_interlaced", 2, 8, 0, kPngWriteInterlaced},
    {"rgba", 6, 8, 0, 0},
    {"grey_16_bit", 0, 16, 0, 0},
    {"grey_1_bit", 0, 1, 0, 0},
    {"palette_4_bit_transparent", 3, 4, 16, kPngWriteTransparency},
};

int SamplesOf(int colourType)
{
    return colourType == 2 ? 3 : colourType == 6 ? 4 : colourType == 4 ? 2 : 1;
}

class PngWrite : public testing::TestWithParam<WriteCase> {
protected:
    void TearDown() override { CodecClearPngText(); }
};

TEST_P(PngWrite, PeerReadsWhatWeWroteAndSoDoWe)
{
    const WriteCase& c = GetParam();
    const int width = 37, height = 23;
    const int rowBytes = (width * SamplesOf(c.colourType) * c.bitDepth + 7) / 8;
    const int stride = rowBytes + 5;   // rows wider than packed are accepted
    Bytes pixels(std::size_t(stride) * height);
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = std::uint8_t(i * 7 + i / 13);
    Palette palette{};
    for (int index = 0; index < 256; ++index)
        palette[4 * index] = std::uint8_t(index * 16), palette[4 * index + 1] = std::uint8_t(255 - index * 9),
        palette[4 * index + 2] = std::uint8_t(index * 3), palette[4 * index + 3] = std::uint8_t(index * 17);

    TempFile file("ours.png");
    CodecIOHandle* sink = CodecOpenFileSink(file.CPath(), 0);
    const std::int64_t size = CodecWritePng(sink, pixels.data(), width, height, stride, c.bitDepth, c.paletteCount,
                                            c.paletteCount != 0 ? palette.data() : nullptr, c.colourType, 0, nullptr, c.flags);
    EXPECT_EQ(CodecGetLastError(), kCodecOk);
    ASSERT_EQ(CodecCloseSink(sink), size);
    ASSERT_GT(size, 0);

    const std::string facts = RunPeerText("identify", "-format '%w %h %[png:tIME]' " + Quoted(file.Path()));
    EXPECT_EQ(facts.substr(0, 6), "37 23 ");
    EXPECT_GT(facts.size(), 6u + 10u) << "no tIME chunk: " << facts;
    const Decoded ours = ReadPngBytes(file.Read(), 32);
    ASSERT_EQ(ours.error, kCodecOk);
    EXPECT_LE(MaxDifference(ours.pixels, RunPeer("convert", Quoted(file.Path()) + " -depth 8 rgba:-")), 1);
}

INSTANTIATE_TEST_SUITE_P(Png, PngWrite, testing::ValuesIn(kWriteCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PngWriteOptions, CountingSinkMeasuresTheFileWithDensityAndTexts)
{
    codec::CurrentThreadState()->png.outputTexts = {{"Title", "round trip"}};
    const Bytes pixels(64 * 48 * 3, 90);
    const CodecDpiInfo dpi{3780, 3780, 1};
    CodecIOHandle* counter = CodecOpenCountingSink(0);
    const std::int64_t counted = CodecWritePng(counter, pixels.data(), 64, 48, 64 * 3, 8, 0, nullptr, 2, 0.45455, &dpi, 0);
    CodecCloseSink(counter);
    TempFile file("texts.png");
    CodecIOHandle* sink = CodecOpenFileSink(file.CPath(), 0);
    EXPECT_EQ(CodecWritePng(sink, pixels.data(), 64, 48, 64 * 3, 8, 0, nullptr, 2, 0.45455, &dpi, 0), counted);
    CodecCloseSink(sink);
    EXPECT_EQ(std::int64_t(file.Read().size()), counted);
    EXPECT_EQ(RunPeerText("identify", "-format '%[Title]' " + Quoted(file.Path())), "round trip");
    EXPECT_NE(RunPeerText("identify", "-format '%[png:gAMA]' " + Quoted(file.Path())).find("0.4545"), std::string::npos);

    MemorySource source(file.Read());
    int width = 0, height = 0, depth = 0, colourType = 0, interlace = 0;
    CodecDpiInfo read{};
    ASSERT_EQ(CodecGetPngDimensions(source.Handle(), &width, &height, &depth, &colourType, &interlace, &read), 1);
    EXPECT_EQ(read.x, 3780);
    EXPECT_EQ(read.unit, 1);
    const std::vector<CodecPngText>& texts = codec::CurrentThreadState()->png.textsRead;
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].keyword, "Title");
    EXPECT_EQ(texts[0].text, "round trip");
    ASSERT_EQ(CodecClearPngText(), 1);
    EXPECT_TRUE(codec::CurrentThreadState()->png.outputTexts.empty());
}

TEST(PngWriteOptions, RefusesInconsistentArguments)
{
    const Bytes pixels(16 * 16 * 4);
    CodecIOHandle* sink = CodecOpenCountingSink(0);
    EXPECT_EQ(CodecWritePng(sink, pixels.data(), 16, 16, 16 * 3 - 1, 8, 0, nullptr, 2, 0, nullptr, 0), 0);   // stride too small
    EXPECT_EQ(CodecGetLastError(), kCodecErrInvalidArgument);
    EXPECT_EQ(CodecWritePng(sink, pixels.data(), 16, 16, 16, 8, 4, nullptr, 3, 0, nullptr, 0), 0);          // palette missing
    EXPECT_EQ(CodecGetLastError(), kCodecErrInvalidArgument);
    EXPECT_EQ(CodecWritePng(sink, pixels.data(), 16, 16, 16 * 3, 3, 0, nullptr, 2, 0, nullptr, 0), 0);       // RGB at 3 bits
    EXPECT_EQ(CodecGetLastError(), kCodecErrPng);
    CodecCloseSink(sink);
}

// ---- Malformed input ----

std::uint32_t Crc32(const std::uint8_t* bytes, std::size_t count)
{
    std::uint32_t crc = 0xFFFFFFFF;
    for (std::size_t i = 0; i < count; ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

void PutBe32(Bytes& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) bytes[at + i] = std::uint8_t(value >> (24 - 8 * i));
}

Bytes PeerPng(const std::string& options, const std::string& outputPrefix = "")
{
    TempFile file("fixture.png");
    RunPeer("convert", options + " " + outputPrefix + Quoted(file.Path()));
    return file.Read();
}

// The IHDR of a peer file made to claim another size, with its CRC recomputed.
Bytes Resized(Bytes file, std::uint32_t width, std::uint32_t height)
{
    PutBe32(file, 16, width);
    PutBe32(file, 20, height);
    PutBe32(file, 29, Crc32(&file[12], 17));
    return file;
}

Bytes Truncated(Bytes file)
{
    file.resize(file.size() * 2 / 3);
    return file;
}

constexpr std::size_t kSignatureEnd = 8;   // where IHDR starts
constexpr std::size_t kHeaderEnd = 33;     // where the chunk after IHDR starts

// A chunk with its length and CRC put into a file at `at`.
Bytes WithChunkAt(Bytes file, std::size_t at, const std::string& type, const std::string& data)
{
    Bytes chunk(8 + data.size() + 4);
    PutBe32(chunk, 0, static_cast<std::uint32_t>(data.size()));
    std::copy(type.begin(), type.end(), chunk.begin() + 4);
    std::copy(data.begin(), data.end(), chunk.begin() + 8);
    PutBe32(chunk, 8 + data.size(), Crc32(&chunk[4], 4 + data.size()));
    file.insert(file.begin() + std::ptrdiff_t(at), chunk.begin(), chunk.end());
    return file;
}

const std::string kRgbFile = "-size 40x30 gradient:red-blue";

struct MalformedCase {
    const char* name;
    std::function<Bytes()> file;
    int bitsPerPixel;
    bool withPalette;
    int error;
};

const MalformedCase kMalformedCases[] = {
    {"not_a_png", [] { return BytesOf("\x89PNX this is not a PNG file"); }, 24, true, kCodecErrPng},
    {"truncated", [] { return Truncated(PeerPng(kRgbFile)); }, 24, true, kCodecErrPng},
    {"over_pixel_budget", [] { return Resized(PeerPng(kRgbFile), 20000, 20000); }, 24, true, kCodecErrOutOfMemory},
    {"wider_than_the_side_limit", [] { return Resized(PeerPng(kRgbFile), 1'000'001, 1); }, 24, true, kCodecErrPng},
    {"rgb_at_8_bits", [] { return PeerPng(kRgbFile); }, 8, true, kCodecErrUnsupportedFileDepth},
    {"palette_at_8_bits_without_palette", [] { return PeerPng(kRgbFile + " -colors 8", "png8:"); }, 8, false, kCodecErrInvalidArgument},
    {"two_bit_grey_at_1_bit", [] { return PeerPng("-size 8x8 gradient: -type Grayscale -depth 2"); }, 1, true, kCodecErrUnsupportedLayout},
    {"unsupported_depth", [] { return PeerPng(kRgbFile); }, 16, true, kCodecErrInvalidArgument},
    {"text_chunk_before_ihdr", [] { return WithChunkAt(PeerPng(kRgbFile), kSignatureEnd, "tEXt", std::string("Title\0x", 7)); }, 24,
     true, kCodecErrPng},
    {"private_chunk_before_ihdr", [] { return WithChunkAt(PeerPng(kRgbFile), kSignatureEnd, "prVt", "data"); }, 24, true, kCodecErrPng},
};

class PngMalformed : public testing::TestWithParam<MalformedCase> {};

TEST_P(PngMalformed, GivesItsCodeAndNoPixels)
{
    const MalformedCase& c = GetParam();
    MemorySource source(c.file());
    Palette palette{};
    int width = -1, height = -1;
    EXPECT_EQ(CodecReadPng(source.Handle(), &width, &height, c.bitsPerPixel, c.withPalette ? palette.data() : nullptr, 0), nullptr);
    EXPECT_EQ(CodecGetLastError(), c.error);
}

INSTANTIATE_TEST_SUITE_P(Png, PngMalformed, testing::ValuesIn(kMalformedCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Metadata ----

const Bytes& PngCameraPhoto()
{
    static const Bytes photo = CameraPhoto("png");
    return photo;
}

Bytes WritePngBytes(const Bytes& pixels, int width, int height, int colourType)
{
    TempFile file("ours.png");
    CodecIOHandle* sink = CodecOpenFileSink(file.CPath(), 0);
    const int samples = SamplesOf(colourType);
    const std::int64_t size =
        CodecWritePng(sink, pixels.data(), width, height, width * samples, 8, 0, nullptr, colourType, 0, nullptr, 0);
    EXPECT_EQ(CodecGetLastError(), kCodecOk);
    EXPECT_EQ(CodecCloseSink(sink), size);
    return file.Read();
}

TEST(PngMetadata, CameraPhotoKeepsItsMetadataThroughOurReadAndWrite)
{
    ASSERT_EQ(ReadPngBytes(PngCameraPhoto(), 24).error, kCodecOk);
    CodecPictureMetadata metadata = TakeReadMetadata();
    EXPECT_EQ(metadata.orientation, 6);
    EXPECT_EQ(metadata.iccProfile, TestIccProfile());
    EXPECT_NE(std::string(metadata.xmp.begin(), metadata.xmp.end()).find("Harbour"), std::string::npos);

    CodecSetWriteMetadata(&metadata);
    const Bytes written = WritePngBytes(Bytes(96 * 54 * 3, 128), 96, 54, 2);
    CodecSetWriteMetadata(nullptr);
    const PeerMetadata peer = ReadWithExifTool(written, "png");
    ExpectCameraMetadataWritten(peer, 96, 54);
}

TEST(PngMetadata, AProfileLibpngRefusesIsLeftOutAndThePictureWritten)
{
    CodecPictureMetadata metadata;
    metadata.iccProfile = TestIccProfile();   // RGB: not for a grey picture
    metadata.xmp = BytesOf("<x:xmpmeta/>");
    CodecSetWriteMetadata(&metadata);
    const Bytes written = WritePngBytes(Bytes(16 * 8, 77), 16, 8, 0);
    CodecSetWriteMetadata(nullptr);
    ASSERT_EQ(ReadPngBytes(written, 24).error, kCodecOk);
    const CodecPictureMetadata read = TakeReadMetadata();
    EXPECT_TRUE(read.iccProfile.empty());
    EXPECT_EQ(read.xmp, metadata.xmp);
}

// A zlib stream of stored blocks: no compression needed to make a chunk libpng inflates.
std::string Stored(const Bytes& data)
{
    std::string stream = "\x78\x01";
    std::uint32_t a = 1, b = 0;
    for (std::size_t at = 0; at < data.size() || at == 0; at += 65535) {
        const std::size_t count = std::min<std::size_t>(65535, data.size() - at);
        const bool last = at + count >= data.size();
        stream += {char(last ? 1 : 0), char(count), char(count >> 8), char(~count), char(~count >> 8)};
        stream.append(data.begin() + std::ptrdiff_t(at), data.begin() + std::ptrdiff_t(at + count));
        if (last) break;
    }
    for (const std::uint8_t byte : data) a = (a + byte) % 65521, b = (b + a) % 65521;
    const std::uint32_t adler = b << 16 | a;
    for (int shift = 24; shift >= 0; shift -= 8) stream += char(adler >> shift);
    return stream;
}

Bytes ProfileClaiming(std::uint32_t size)
{
    Bytes profile = TestIccProfile();
    PutBe32(profile, 0, size);
    return profile;
}

struct BadMetadataCase {
    const char* name;
    std::string type;
    std::function<std::string()> data;
    bool exifKept;
    bool profileKept;
};

// Each chunk goes right after IHDR, ahead of the file's own: libpng takes the first and ignores a repeat.
const BadMetadataCase kBadMetadataCases[] = {
    {"exif_directory_past_the_end", "eXIf", [] { return std::string("II*\0\xf0\xff\xff\x7f", 8); }, false, true},
    {"exif_truncated", "eXIf", [] { return std::string("MM\0*\0\0\0\x08\0\x05", 10); }, false, true},
    {"profile_of_huge_length", "iCCP", [] { return std::string("icc\0\0", 5) + Stored(ProfileClaiming(0x7FFFFFF0)); },
     true, false},
    {"profile_longer_than_its_data", "iCCP", [] { return std::string("icc\0\0", 5) + Stored(ProfileClaiming(400'000)); },
     true, false},
};

class PngBadMetadata : public testing::TestWithParam<BadMetadataCase> {};

TEST_P(PngBadMetadata, PictureLoadsWithoutTheBrokenBlock)
{
    const BadMetadataCase& c = GetParam();
    const Decoded read = ReadPngBytes(WithChunkAt(PngCameraPhoto(), kHeaderEnd, c.type, c.data()), 24);
    ExpectPictureWithoutBrokenBlock(read, c.exifKept, c.profileKept);
}

INSTANTIATE_TEST_SUITE_P(Png, PngBadMetadata, testing::ValuesIn(kBadMetadataCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
