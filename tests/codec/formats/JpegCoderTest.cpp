#include "codec/formats/JpegCoder.h"

#include "codec/CodecErrors.h"
#include "codec/CodecThreadState.h"
#include "codec/PictureMetadata.h"
#include "tests/codec/support/PeerImages.h"
#include "tests/codec/support/PhotoMetadata.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

namespace {

using namespace codec_test;

Decoded ReadJpegBytes(const Bytes& file, int bitsPerPixel, int flags = 0)
{
    const auto read = [flags](CodecIOHandle* source, int* width, int* height, int bits, std::uint8_t*) {
        return CodecReadJpeg(source, width, height, bits, flags);
    };
    return ReadWith(read, file, bitsPerPixel);
}

// A smooth colour picture: JPEG keeps it close, so round trips can be compared with a small tolerance.
Bytes Gradient(int width, int height)
{
    Bytes pixels(std::size_t(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t* pixel = &pixels[(std::size_t(y) * width + x) * 3];
            pixel[0] = std::uint8_t(x * 255 / std::max(width - 1, 1));
            pixel[1] = std::uint8_t(y * 255 / std::max(height - 1, 1));
            pixel[2] = std::uint8_t(128 + (x - y) / 4);
        }
    return pixels;
}

Bytes WriteJpegBytes(const Bytes& pixels, int width, int height, int quality, int bitsPerPixel, int flags,
                     const CodecDpiInfo* dpi = nullptr)
{
    TempFile file("out.jpg");
    CodecIOHandle* sink = CodecOpenFileSink(file.CPath(), 0);
    const std::int64_t size = CodecWriteJpeg(sink, pixels.data(), width, height, quality, bitsPerPixel, dpi, flags);
    EXPECT_EQ(CodecGetLastError(), kCodecOk);
    EXPECT_EQ(CodecCloseSink(sink), size);
    return file.Read();
}

// ---- Files written by a peer decode as the peer decodes them ----

struct PeerCase {
    const char* name;
    const char* makeOptions;   // convert options that produce the file
    int fileBits;              // what the dimension query reports
    int readBits;
    int readFlags;
    const char* peerFormat;    // raw format of the peer's decode
    bool peerInverted;         // the file stores inverted inks (CMYK): compare with 255 - peer
};

constexpr PeerCase kPeerCases[] = {
    {"grey", "-size 96x64 gradient:black-white -type Grayscale", 8, 8, 0, "gray", false},
    {"rgb", "-size 96x64 gradient:red-blue -quality 90", 24, 24, 0, "rgb", false},
    {"progressive", "-size 96x64 gradient:yellow-navy -interlace Plane", 24, 24, 0, "rgb", false},
    {"cmyk", "-size 96x64 gradient:cyan-yellow -colorspace CMYK", 32, 32, kJpegReadCmykAsStored, "cmyk", true},
};

class JpegPeerFile : public testing::TestWithParam<PeerCase> {};

TEST_P(JpegPeerFile, DecodesAsThePeerDoes)
{
    const PeerCase& c = GetParam();
    TempFile file("peer.jpg");
    RunPeer("convert", std::string(c.makeOptions) + " " + Quoted(file.Path()));
    const Bytes bytes = file.Read();

    MemorySource source(bytes);
    int width = 0, height = 0, bits = 0;
    ASSERT_EQ(CodecGetJpegDimensions(source.Handle(), &width, &height, &bits, nullptr), 1);
    EXPECT_EQ(width, 96);
    EXPECT_EQ(height, 64);
    EXPECT_EQ(bits, c.fileBits);

    const Decoded ours = ReadJpegBytes(bytes, c.readBits, c.readFlags);
    ASSERT_EQ(ours.error, kCodecOk);
    ASSERT_EQ(ours.width, 96);
    Bytes peer = RunPeer("convert", Quoted(file.Path()) + " -depth 8 " + c.peerFormat + ":-");
    if (c.peerInverted) std::transform(peer.begin(), peer.end(), peer.begin(), [](std::uint8_t v) { return 255 - v; });
    EXPECT_LE(MaxDifference(ours.pixels, peer), 1);
}

INSTANTIATE_TEST_SUITE_P(Jpeg, JpegPeerFile, testing::ValuesIn(kPeerCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(JpegRead, GreyAtTwentyFourBitsRepeatsTheGreyInEveryChannel)
{
    TempFile file("grey.jpg");
    RunPeer("convert", "-size 50x20 gradient:black-white -type Grayscale " + Quoted(file.Path()));
    const Decoded grey = ReadJpegBytes(file.Read(), 8);
    const Decoded rgb = ReadJpegBytes(file.Read(), 24);
    ASSERT_EQ(rgb.pixels.size(), grey.pixels.size() * 3);
    for (std::size_t i = 0; i < grey.pixels.size(); ++i)
        ASSERT_TRUE(rgb.pixels[3 * i] == grey.pixels[i] && rgb.pixels[3 * i + 1] == grey.pixels[i] && rgb.pixels[3 * i + 2] == grey.pixels[i]);
}

TEST(JpegRead, CmykAtTwentyFourBitsMultipliesEachInkByBlack)
{
    TempFile file("cmyk.jpg");
    RunPeer("convert", "-size 40x30 gradient:cyan-magenta -colorspace CMYK " + Quoted(file.Path()));
    const Decoded stored = ReadJpegBytes(file.Read(), 32, kJpegReadCmykAsStored);
    const Decoded rgb = ReadJpegBytes(file.Read(), 24);
    ASSERT_EQ(rgb.error, kCodecOk);
    ASSERT_EQ(rgb.pixels.size() / 3, stored.pixels.size() / 4);
    for (std::size_t i = 0; i < rgb.pixels.size() / 3; ++i)
        for (int channel = 0; channel < 3; ++channel)
            ASSERT_EQ(rgb.pixels[3 * i + channel], stored.pixels[4 * i + channel] * stored.pixels[4 * i + 3] / 255);
}

// ---- Reduced-size decoding ----

struct ScaleCase {
    int denominator;
    int width;
    int height;
};

class JpegScale : public testing::TestWithParam<ScaleCase> {
protected:
    void TearDown() override { CodecSetJpegDecodeScale(1, 1); }
};

TEST_P(JpegScale, ReportsTheScaledSize)
{
    static const Bytes file = WriteJpegBytes(Gradient(1600, 1200), 1600, 1200, 75, 24, 0);
    CodecSetJpegDecodeScale(1, GetParam().denominator);
    const Decoded decoded = ReadJpegBytes(file, 24);
    ASSERT_EQ(decoded.error, kCodecOk);
    EXPECT_EQ(decoded.width, GetParam().width);
    EXPECT_EQ(decoded.height, GetParam().height);
}

INSTANTIATE_TEST_SUITE_P(Jpeg, JpegScale, testing::Values(ScaleCase{1, 1600, 1200}, ScaleCase{2, 800, 600},
                                                          ScaleCase{4, 400, 300}, ScaleCase{8, 200, 150}));

// ---- Writing ----

class JpegWrite : public testing::Test {
protected:
    void TearDown() override
    {
        CodecSetJpegSamplingFactors(nullptr, nullptr);
        CodecClearJpegOutputMarkers();
    }
    static void SetFullChroma()
    {
        const unsigned ones[10] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
        CodecSetJpegSamplingFactors(ones, ones);
    }
};

TEST_F(JpegWrite, PeerReadsOurFileWithTheSamplingAskedFor)
{
    const Bytes source = Gradient(120, 90);
    const CodecDpiInfo dpi{300, 150, 1};
    for (const bool fullChroma : {true, false}) {
        if (fullChroma) SetFullChroma();
        else CodecSetJpegSamplingFactors(nullptr, nullptr);
        TempFile file("ours.jpg");
        file.Write(WriteJpegBytes(source, 120, 90, 92, 24, 0, &dpi));
        EXPECT_EQ(RunPeerText("identify", "-format '%w %h %[jpeg:sampling-factor] %x %y' " + Quoted(file.Path())),
                  fullChroma ? "120 90 1x1,1x1,1x1 300 150" : "120 90 2x2,1x1,1x1 300 150");
        const Decoded ours = ReadJpegBytes(file.Read(), 24);
        EXPECT_EQ(ours.pixels, RunPeer("convert", Quoted(file.Path()) + " -depth 8 rgb:-"));
        EXPECT_LE(MaxDifference(ours.pixels, source), fullChroma ? 8 : 24);
    }
}

TEST_F(JpegWrite, DimensionQueryReportsTheWrittenDensity)
{
    const CodecDpiInfo written{72, 96, 2};
    MemorySource file(WriteJpegBytes(Gradient(16, 8), 16, 8, 80, 24, 0, &written));
    int width = 0, height = 0, bits = 0;
    CodecDpiInfo read{};
    ASSERT_EQ(CodecGetJpegDimensions(file.Handle(), &width, &height, &bits, &read), 1);
    EXPECT_EQ(read.x, 72);
    EXPECT_EQ(read.y, 96);
    EXPECT_EQ(read.unit, 2);
}

struct WriteCase {
    const char* name;
    int bitsPerPixel;
    int flags;
    bool fullChroma;
};

constexpr WriteCase kWriteCases[] = {
    {"baseline", 24, 0, false},
    {"full_chroma", 24, 0, true},
    {"progressive", 24, kJpegWriteProgressive, true},
    {"grey", 8, 0, false},
    {"cmyk", 32, 0, false},
    {"no_jfif", 24, kJpegWriteNoJfif, false},
};

class JpegWriteCase : public JpegWrite, public testing::WithParamInterface<WriteCase> {};

// The quality search measures candidates in a counting sink; the file written later must have that size.
TEST_P(JpegWriteCase, CountingSinkMeasuresWhatAFileReceivesAndTheFileReadsBack)
{
    const WriteCase& c = GetParam();
    if (c.fullChroma) SetFullChroma();
    const int width = 333, height = 201;
    const Bytes rgb = Gradient(width, height);
    Bytes pixels;
    for (std::size_t i = 0; i < rgb.size(); i += 3)
        for (int channel = 0; channel < c.bitsPerPixel / 8; ++channel) pixels.push_back(rgb[i + channel % 3]);

    CodecIOHandle* counter = CodecOpenCountingSink(0);
    const std::int64_t counted = CodecWriteJpeg(counter, pixels.data(), width, height, 92, c.bitsPerPixel, nullptr, c.flags);
    ASSERT_GT(counted, 0);
    EXPECT_EQ(CodecCloseSink(counter), counted);
    const Bytes file = WriteJpegBytes(pixels, width, height, 92, c.bitsPerPixel, c.flags);
    EXPECT_EQ(std::int64_t(file.size()), counted);

    const Decoded back = ReadJpegBytes(file, c.bitsPerPixel, c.bitsPerPixel == 32 ? kJpegReadCmykAsStored : 0);
    ASSERT_EQ(back.error, kCodecOk);
    EXPECT_EQ(back.width, width);
    EXPECT_EQ(back.height, height);
    EXPECT_LE(MaxDifference(back.pixels, pixels), 40);
}

INSTANTIATE_TEST_SUITE_P(Jpeg, JpegWriteCase, testing::ValuesIn(kWriteCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(JpegWrite, OutputMarkersAreWrittenUntilCleared)
{
    const Bytes pixels = Gradient(8, 8);
    codec::CurrentThreadState()->jpeg.outputMarkers.push_back({0xFE, {'h', 'e', 'l', 'l', 'o'}});
    TempFile file("marked.jpg");
    file.Write(WriteJpegBytes(pixels, 8, 8, 90, 24, 0));
    EXPECT_EQ(RunPeerText("identify", "-format %c " + Quoted(file.Path())), "hello");
    EXPECT_EQ(CodecClearJpegOutputMarkers(), 1);
    file.Write(WriteJpegBytes(pixels, 8, 8, 90, 24, 0));
    EXPECT_EQ(RunPeerText("identify", "-format %c " + Quoted(file.Path())), "");
}

TEST(JpegWriteArguments, RefusesWhatCannotBeEncoded)
{
    const Bytes pixels(64 * 3);
    CodecIOHandle* sink = CodecOpenCountingSink(0);
    for (const auto& [width, height, bits] : {std::tuple{0, 8, 24}, std::tuple{8, 0, 24}, std::tuple{8, 8, 16}}) {
        EXPECT_EQ(CodecWriteJpeg(sink, pixels.data(), width, height, 90, bits, nullptr, 0), 0);
        EXPECT_EQ(CodecGetLastError(), kCodecErrInvalidArgument);
    }
    EXPECT_EQ(CodecWriteJpeg(sink, nullptr, 8, 8, 90, 24, nullptr, 0), 0);
    EXPECT_EQ(CodecGetLastError(), kCodecErrInvalidArgument);
    CodecCloseSink(sink);
    EXPECT_EQ(CodecWriteJpeg(nullptr, pixels.data(), 8, 8, 90, 24, nullptr, 0), 0);
    EXPECT_EQ(CodecGetLastError(), kCodecErrInvalidArgument);
}

TEST(JpegWriteArguments, AFullSinkFailsWithTheWriteCode)
{
    const Bytes pixels = Gradient(64, 64);
    Bytes block(100);
    CodecIOHandle* sink = CodecOpenMemorySink(block.data(), block.size());
    EXPECT_EQ(CodecWriteJpeg(sink, pixels.data(), 64, 64, 90, 24, nullptr, 0), 0);
    EXPECT_EQ(CodecGetLastError(), kCodecErrWriteFailed);
    CodecCloseSink(sink);
}

// ---- Malformed input ----

Bytes SmallJpeg(int flags = 0)
{
    return WriteJpegBytes(Gradient(64, 48), 64, 48, 85, 24, flags);
}

Bytes Truncated(Bytes file)
{
    file.resize(file.size() / 2);
    return file;
}

// The frame header claims 60000 x 60000 pixels: far over the pixel budget.
Bytes HugeFrame(Bytes file)
{
    for (std::size_t i = 0; i + 8 < file.size(); ++i)
        if (file[i] == 0xFF && file[i + 1] == 0xC0) {
            file[i + 5] = file[i + 7] = 0xEA;
            file[i + 6] = file[i + 8] = 0x60;
            break;
        }
    return file;
}

// A progressive file whose first scan is repeated `copies` times: each repeat is decodable (with a
// warning), so only the scan limit stops it.
Bytes ManyScans(Bytes file, int copies)
{
    std::size_t start = 0;
    for (std::size_t i = 0; i + 1 < file.size(); ++i)
        if (file[i] == 0xFF && file[i + 1] == 0xDA) {
            start = i;
            break;
        }
    std::size_t end = start + 2;
    while (end + 1 < file.size() && !(file[end] == 0xFF && file[end + 1] != 0 && (file[end + 1] < 0xD0 || file[end + 1] > 0xD7))) ++end;
    const Bytes scan(file.begin() + std::ptrdiff_t(start), file.begin() + std::ptrdiff_t(end));
    for (int copy = 0; copy < copies; ++copy) file.insert(file.begin() + std::ptrdiff_t(end), scan.begin(), scan.end());
    return file;
}

struct MalformedCase {
    const char* name;
    std::function<Bytes()> file;
    int bitsPerPixel;
    int error;
};

const MalformedCase kMalformedCases[] = {
    {"not_a_jpeg", [] { return BytesOf("GIF89a this is no JPEG at all"); }, 24, kCodecErrJpegDecode},
    {"truncated", [] { return Truncated(SmallJpeg()); }, 24, kCodecErrJpegDecode},
    {"truncated_progressive", [] { return Truncated(SmallJpeg(kJpegWriteProgressive)); }, 24, kCodecErrJpegDecode},
    {"over_pixel_budget", [] { return HugeFrame(SmallJpeg()); }, 24, kCodecErrOutOfMemory},
    {"too_many_scans", [] { return ManyScans(SmallJpeg(kJpegWriteProgressive), 150); }, 24, kCodecErrJpegDecode},
    {"rgb_at_32_bits", [] { return SmallJpeg(); }, 32, kCodecErrJpegDecode},
    {"rgb_at_8_bits", [] { return SmallJpeg(); }, 8, kCodecErrJpegDecode},
    {"unsupported_depth", [] { return SmallJpeg(); }, 16, kCodecErrInvalidArgument},
};

class JpegMalformed : public testing::TestWithParam<MalformedCase> {};

TEST_P(JpegMalformed, GivesItsCodeAndNoPixels)
{
    MemorySource source(GetParam().file());
    int width = -1, height = -1;
    EXPECT_EQ(CodecReadJpeg(source.Handle(), &width, &height, GetParam().bitsPerPixel, 0), nullptr);
    EXPECT_EQ(CodecGetLastError(), GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(Jpeg, JpegMalformed, testing::ValuesIn(kMalformedCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(JpegHostile, RepeatedScansDecodeBelowTheScanLimit)
{
    // The same construction with fewer repeats decodes: the limit, not the construction, refuses it.
    const Decoded decoded = ReadJpegBytes(ManyScans(SmallJpeg(kJpegWriteProgressive), 50), 24);
    EXPECT_EQ(decoded.error, kCodecOk);
    EXPECT_EQ(decoded.width, 64);
}

TEST(JpegHostile, NullHandleIsAnInvalidArgument)
{
    int width = 0, height = 0, bits = 0;
    EXPECT_EQ(CodecGetJpegDimensions(nullptr, &width, &height, &bits, nullptr), 0);
    EXPECT_EQ(CodecGetLastError(), kCodecErrInvalidArgument);
}

// ---- Metadata ----

const Bytes& JpegCameraPhoto()
{
    static const Bytes photo = CameraPhoto("jpg");
    return photo;
}

std::string Text(const Bytes& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

TEST(JpegMetadata, CameraPhotoKeepsItsMetadataThroughOurReadAndWrite)
{
    ASSERT_EQ(ReadJpegBytes(JpegCameraPhoto(), 24).error, kCodecOk);
    CodecPictureMetadata metadata = TakeReadMetadata();
    EXPECT_EQ(metadata.orientation, 6);
    EXPECT_EQ(metadata.iccProfile, TestIccProfile());   // three segments joined
    EXPECT_NE(Text(metadata.xmp).find("Harbour"), std::string::npos);

    // Written at another size, as a converted picture is.
    CodecSetWriteMetadata(&metadata);
    const Bytes written = WriteJpegBytes(Gradient(96, 54), 96, 54, 90, 24, 0);
    CodecSetWriteMetadata(nullptr);
    const PeerMetadata peer = ReadWithExifTool(written, "jpg");
    ExpectCameraMetadataWritten(peer, 96, 54);
    EXPECT_EQ(peer.thumbnailLength, "-");
    EXPECT_NE(ReadWithExifTool(JpegCameraPhoto(), "jpg").thumbnailLength, "-");   // the camera's file had one
}

TEST(JpegMetadata, AFailedReadLeavesNone)
{
    ASSERT_EQ(ReadJpegBytes(JpegCameraPhoto(), 24).error, kCodecOk);
    ASSERT_NE(ReadJpegBytes(Truncated(JpegCameraPhoto()), 24).error, kCodecOk);
    EXPECT_TRUE(TakeReadMetadata().Empty());
}

// A segment put right after the start of image, ahead of the file's own segments.
Bytes WithLeadingSegment(const Bytes& file, std::uint8_t marker, const std::string& payload)
{
    Bytes segment = {0xFF, marker, std::uint8_t((payload.size() + 2) >> 8), std::uint8_t(payload.size() + 2)};
    segment.insert(segment.end(), payload.begin(), payload.end());
    Bytes result = file;
    result.insert(result.begin() + 2, segment.begin(), segment.end());
    return result;
}

struct BadMetadataCase {
    const char* name;
    std::uint8_t marker;
    std::string payload;
    bool exifKept;
    bool profileKept;
};

const BadMetadataCase kBadMetadataCases[] = {
    // Five entries announced, none there: the first Exif segment is the one read, so the block goes.
    {"truncated_exif", 0xE1, std::string("Exif\0\0II*\0\x08\0\0\0\x05\0", 16), false, true},
    {"exif_directory_past_the_end", 0xE1, std::string("Exif\0\0MM\0*\x7f\xff\xff\xf0", 14), false, true},
    // A chunk claiming to be one of 200 disagrees with the file's three chunks: no profile.
    {"profile_chunk_of_another_count", 0xE2, std::string("ICC_PROFILE\0\x01\xc8" "abcd", 18), true, false},
    {"profile_chunk_numbered_zero", 0xE2, std::string("ICC_PROFILE\0\x00\x03" "abcd", 18), true, false},
};

class JpegBadMetadata : public testing::TestWithParam<BadMetadataCase> {};

TEST_P(JpegBadMetadata, PictureLoadsWithoutTheBrokenBlock)
{
    const BadMetadataCase& c = GetParam();
    const Decoded read = ReadJpegBytes(WithLeadingSegment(JpegCameraPhoto(), c.marker, c.payload), 24);
    ExpectPictureWithoutBrokenBlock(read, c.exifKept, c.profileKept);
}

INSTANTIATE_TEST_SUITE_P(Jpeg, JpegBadMetadata, testing::ValuesIn(kBadMetadataCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
