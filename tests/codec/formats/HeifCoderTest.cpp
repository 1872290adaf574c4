#include "codec/formats/HeifCoder.h"

#include "codec/CodecErrors.h"
#include "codec/CodecThreadState.h"
#include "tests/codec/support/PeerImages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

namespace {

using namespace codec_test;

const ReaderCall kHeifReader = [](CodecIOHandle* source, int* width, int* height, int, std::uint8_t*) {
    return CodecReadHeif(source, width, height, 0);
};

Decoded ReadHeifBytes(const Bytes& file)
{
    return ReadWith(kHeifReader, file, 24);
}

// heif-convert's decode of out.heif as a PPM, its alpha (if any) composited over white.
const std::string kPeerDecode =
    "heif-convert out.heif dec.png >/dev/null && convert dec.png -background white -alpha remove -alpha off -depth 8 ppm:-";

// ---- Files written by the peer decode as the peer decodes them ----

struct HeifPeerCase {
    const char* name;
    const char* make;   // writes out.heif from src.png or alpha.png
    int width, height;
    int bitDepth;
    int hasAlpha;
    int tolerance;
};
void PrintTo(const HeifPeerCase& row, std::ostream* out) { *out << row.name; }

// heif-enc cannot write a 10-bit AVIF with the AV1 encoder Debian builds it with, nor a rotation: avifenc
// writes those.
const HeifPeerCase kPeerCases[] = {
    {"heic", "heif-enc -q 90 src.png -o out.heif", 13, 7, 8, 0, 0},
    {"heic_alpha_over_white", "heif-enc -q 90 alpha.png -o out.heif", 13, 7, 8, 1, 1},
    {"heic_10_bit", "convert src.png PNG48:deep.png && heif-enc -b 10 -q 90 deep.png -o out.heif", 13, 7, 10, 0, 1},
    {"avif", "heif-enc -A -q 90 src.png -o out.heif", 13, 7, 8, 0, 0},
    {"avif_10_bit", "avifenc -d 10 src.png out.heif >/dev/null", 13, 7, 10, 0, 1},
    {"avif_rotated_and_mirrored", "avifenc --irot 1 --imir 1 src.png out.heif >/dev/null", 7, 13, 8, 0, 0},
};

class HeifPeerFile : public testing::TestWithParam<HeifPeerCase> {};

TEST_P(HeifPeerFile, DecodesAsThePeerDoes)
{
    const HeifPeerCase& c = GetParam();
    const PeerFolder folder;
    folder.Run(c.make);
    const RgbImage want = ParseNetpbm(folder.Run(kPeerDecode));
    const Bytes file = folder.Read("out.heif");

    const MemorySource source(file);
    int width = 0, height = 0, bitDepth = 0, hasAlpha = -1;
    ASSERT_EQ(CodecGetHeifDimensions(source.Handle(), &width, &height, &bitDepth, &hasAlpha), 1);
    EXPECT_EQ(width, c.width);
    EXPECT_EQ(height, c.height);
    EXPECT_EQ(bitDepth, c.bitDepth);
    EXPECT_EQ(hasAlpha, c.hasAlpha);

    ExpectCloseToPeer(ReadHeifBytes(file), want, c.tolerance);
}

INSTANTIATE_TEST_SUITE_P(Heif, HeifPeerFile, testing::ValuesIn(kPeerCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Broken and hostile files ----

Bytes PeerHeif(const std::string& options)
{
    const PeerFolder folder;
    folder.Run("heif-enc -q 90 " + options + " src.png -o out.heif");
    return folder.Read("out.heif");
}

// The first `from` in the file replaced by `to` (both four bytes: a box or item type).
Bytes WithRenamedType(Bytes file, const std::string& from, const std::string& to)
{
    const auto at = std::search(file.begin(), file.end(), from.begin(), from.end());
    if (at != file.end()) std::copy_n(to.begin(), 4, at);
    return file;
}

// Every image spatial extent (ispe) box made to claim width x height.
Bytes WithClaimedSize(Bytes file, std::uint32_t width, std::uint32_t height)
{
    const std::string box = "ispe";
    for (auto at = std::search(file.begin(), file.end(), box.begin(), box.end()); at != file.end() && file.end() - at >= 16;
         at = std::search(at + 1, file.end(), box.begin(), box.end())) {
        for (int byte = 0; byte < 4; ++byte) {
            at[8 + byte] = static_cast<std::uint8_t>(width >> (24 - 8 * byte));
            at[12 + byte] = static_cast<std::uint8_t>(height >> (24 - 8 * byte));
        }
    }
    return file;
}

const MadeBadFileCase kBadCases[] = {
    {"heic_truncated", [] { return FirstHalf(PeerHeif("")); }, kCodecErrHeif},
    {"avif_truncated", [] { return FirstHalf(PeerHeif("-A")); }, kCodecErrHeif},
    {"heic_without_decoder_configuration", [] { return WithRenamedType(PeerHeif(""), "hvcC", "xxxx"); }, kCodecErrHeif},
    {"avif_without_decoder_configuration", [] { return WithRenamedType(PeerHeif("-A"), "av1C", "xxxx"); }, kCodecErrHeif},
    {"heic_over_pixel_budget", [] { return WithClaimedSize(PeerHeif(""), 20000, 20000); }, kCodecErrOutOfMemory},
    {"avif_over_pixel_budget", [] { return WithClaimedSize(PeerHeif("-A"), 20000, 20000); }, kCodecErrOutOfMemory},
    // What the installed library cannot decode is an unsupported format, not a damaged file.
    {"coded_with_an_unknown_codec", [] { return WithRenamedType(PeerHeif(""), "hvc1", "vvc1"); }, kCodecErrUnsupportedFormat},
    // libheif 1.15 mirrors 8-bit images only.
    {"ten_bit_mirrored", [] { return PeerFolder().Run("avifenc -d 10 --imir 1 src.png out.avif >/dev/null && cat out.avif"); },
     kCodecErrUnsupportedFormat},
    {"file_type_box_alone", [] { return BytesOf(std::string("\0\0\0\x18" "ftypheic\0\0\0\0mif1heic", 24)); }, kCodecErrHeif},
};

class HeifBadFile : public testing::TestWithParam<MadeBadFileCase> {};

TEST_P(HeifBadFile, IsRefusedWithoutPixels)
{
    ExpectRefused(kHeifReader, GetParam());
}

INSTANTIATE_TEST_SUITE_P(Heif, HeifBadFile, testing::ValuesIn(kBadCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
