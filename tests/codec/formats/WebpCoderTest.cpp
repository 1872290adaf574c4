#include "codec/formats/WebpCoder.h"

#include "codec/CodecErrors.h"
#include "codec/CodecThreadState.h"
#include "tests/codec/support/PeerImages.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

using namespace codec_test;

const ReaderCall kWebpReader = [](CodecIOHandle* source, int* width, int* height, int, std::uint8_t*) {
    return CodecReadWebp(source, width, height, 0);
};

Decoded ReadWebpBytes(const Bytes& file)
{
    return ReadWith(kWebpReader, file, 24);
}

// ---- Files written by the peers decode as the peers decode them ----

struct WebpPeerCase {
    const char* name;
    const char* make;         // writes out.webp from src.png or alpha.png
    std::string peerDecode;   // the same picture as a PPM on standard output
    int hasAlpha;
    int animated;
    int tolerance;
};
void PrintTo(const WebpPeerCase& row, std::ostream* out) { *out << row.name; }

const std::string kOverWhite = " -background white -alpha remove -alpha off -depth 8 ppm:-";

const WebpPeerCase kPeerCases[] = {
    {"lossy", "cwebp -quiet -q 80 src.png -o out.webp", "dwebp -quiet out.webp -ppm -o -", 0, 0, 0},
    {"lossless", "cwebp -quiet -lossless src.png -o out.webp", "convert src.png -depth 8 ppm:-", 0, 0, 0},
    {"lossy_alpha_over_white", "cwebp -quiet -q 90 alpha.png -o out.webp", "dwebp -quiet out.webp -pam -o out.pam && convert out.pam" + kOverWhite, 1, 0, 1},
    {"lossless_alpha_over_white", "cwebp -quiet -lossless -exact alpha.png -o out.webp", "convert alpha.png" + kOverWhite, 1, 0, 1},
    {"animation_first_frame", "convert src.png -negate other.png && img2webp -lossless src.png other.png -o out.webp",
     "convert src.png -depth 8 ppm:-", 0, 1, 0},
};

class WebpPeerFile : public testing::TestWithParam<WebpPeerCase> {};

TEST_P(WebpPeerFile, DecodesAsThePeerDoes)
{
    const WebpPeerCase& c = GetParam();
    const PeerFolder folder;
    folder.Run(c.make);
    const RgbImage want = ParseNetpbm(folder.Run(c.peerDecode));
    const Bytes file = folder.Read("out.webp");

    const MemorySource source(file);
    int width = 0, height = 0, hasAlpha = -1, animated = -1;
    ASSERT_EQ(CodecGetWebpDimensions(source.Handle(), &width, &height, &hasAlpha, &animated), 1);
    EXPECT_EQ(width, 13);
    EXPECT_EQ(height, 7);
    EXPECT_EQ(hasAlpha, c.hasAlpha);
    EXPECT_EQ(animated, c.animated);

    ExpectCloseToPeer(ReadWebpBytes(file), want, c.tolerance);
}

INSTANTIATE_TEST_SUITE_P(Webp, WebpPeerFile, testing::ValuesIn(kPeerCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Our files read back by the peer ----

struct WebpWriteCase {
    const char* name;
    int flags;
    const char* peerFormat;   // what webpinfo calls the bitstream
};
void PrintTo(const WebpWriteCase& row, std::ostream* out) { *out << row.name; }

const WebpWriteCase kWriteCases[] = {
    {"lossy", 0, "Lossy"},
    {"lossless", kWebpWriteLossless, "Lossless"},
};

class WebpWrite : public testing::TestWithParam<WebpWriteCase> {};

TEST_P(WebpWrite, PeerReadsWhatWeWrote)
{
    const WebpWriteCase& c = GetParam();
    const RgbImage picture = TestPicture(13, 7);
    const TempFile file("ours.webp");
    CodecIOHandle* sink = CodecOpenFileSink(file.CPath(), 0);
    ASSERT_NE(sink, nullptr);
    EXPECT_GT(CodecWriteWebp(sink, picture.rgb.data(), picture.width, picture.height, picture.width * 3, 90, c.flags), 0);
    EXPECT_EQ(CodecGetLastError(), kCodecOk);
    CodecCloseSink(sink);

    EXPECT_NE(RunPeerText("webpinfo", Quoted(file.Path())).find(std::string("Format: ") + c.peerFormat), std::string::npos);
    const RgbImage peer = ParseNetpbm(RunPeer("dwebp", "-quiet " + Quoted(file.Path()) + " -ppm -o -"));
    const Decoded ours = ReadWebpBytes(file.Read());
    ASSERT_EQ(ours.error, kCodecOk);
    EXPECT_EQ(ours.Rgb(), peer);
    if (c.flags == kWebpWriteLossless) EXPECT_EQ(peer, picture);
}

INSTANTIATE_TEST_SUITE_P(Webp, WebpWrite, testing::ValuesIn(kWriteCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(WebpWrite, RefusesWhatItCannotWrite)
{
    const RgbImage picture = TestPicture(13, 7);
    const TempFile file("ours.webp");
    CodecIOHandle* sink = CodecOpenFileSink(file.CPath(), 0);
    ASSERT_NE(sink, nullptr);
    const std::uint8_t* pixels = picture.rgb.data();
    struct Call {
        const char* name;
        const std::uint8_t* pixels;
        int width, height, stride, quality;
        int want;
    };
    const Call calls[] = {
        {"no_pixels", nullptr, 13, 7, 39, 90, kCodecErrInvalidArgument},
        {"stride_below_row", pixels, 13, 7, 38, 90, kCodecErrInvalidArgument},
        {"quality_above_100", pixels, 13, 7, 39, 101, kCodecErrInvalidArgument},
        {"wider_than_webp_allows", pixels, 16384, 1, 16384 * 3, 90, kCodecErrUnsupportedLayout},
    };
    for (const Call& call : calls) {
        EXPECT_EQ(CodecWriteWebp(sink, call.pixels, call.width, call.height, call.stride, call.quality, 0), 0) << call.name;
        EXPECT_EQ(CodecGetLastError(), call.want) << call.name;
    }
    CodecCloseSink(sink);
}

// ---- Broken and hostile files ----

Bytes PeerWebp(const std::string& options)
{
    const PeerFolder folder;
    folder.Run("cwebp -quiet " + options + " src.png -o out.webp");
    return folder.Read("out.webp");
}

// Every third byte of the coded picture flipped.
Bytes Corrupted(Bytes file)
{
    for (std::size_t offset = 30; offset < file.size(); offset += 3) file[offset] ^= 0x5A;
    return file;
}

// The lossy frame's start code (9D 01 2A after the frame tag) broken.
Bytes WithBadStartCode(Bytes file)
{
    file[23] ^= 0xFF;
    return file;
}

// An animation's header alone: RIFF, WEBP and a VP8X chunk naming a canvas of width x height.
Bytes AnimationCanvas(std::uint32_t width, std::uint32_t height)
{
    Bytes file = BytesOf(std::string("RIFF\x16\0\0\0WEBPVP8X\x0A\0\0\0\x02\0\0\0", 24));
    for (const std::uint32_t side : {width - 1, height - 1})
        for (int shift = 0; shift < 24; shift += 8) file.push_back(static_cast<std::uint8_t>(side >> shift));
    return file;
}

const MadeBadFileCase kBadCases[] = {
    {"lossy_truncated", [] { return FirstHalf(PeerWebp("-q 80")); }, kCodecErrReadFailed},
    {"lossless_truncated", [] { return FirstHalf(PeerWebp("-lossless")); }, kCodecErrReadFailed},
    {"lossy_bad_start_code", [] { return WithBadStartCode(PeerWebp("-q 80")); }, kCodecErrWebp},
    {"lossless_corrupted", [] { return Corrupted(PeerWebp("-lossless")); }, kCodecErrWebp},
    {"riff_without_webp", [] { return BytesOf(std::string("RIFF\x04\0\0\0WAVE", 12)); }, kCodecErrWebp},
    {"animation_over_pixel_budget", [] { return AnimationCanvas(20000, 20000); }, kCodecErrOutOfMemory},
    {"animation_without_frames", [] { return AnimationCanvas(16, 16); }, kCodecErrWebp},
};

class WebpBadFile : public testing::TestWithParam<MadeBadFileCase> {};

TEST_P(WebpBadFile, IsRefusedWithoutPixels)
{
    ExpectRefused(kWebpReader, GetParam());
}

INSTANTIATE_TEST_SUITE_P(Webp, WebpBadFile, testing::ValuesIn(kBadCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
