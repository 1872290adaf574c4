#include "codec/CodecErrors.h"
#include "codec/FormatDetection.h"
#include "tests/codec/support/CodecTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>

namespace {

using codec_test::Bytes;
using codec_test::BytesOf;
using codec_test::MemorySource;
using codec_test::TempFile;

struct Detected {
    CodecFormat format;
    int error;
    bool operator==(const Detected&) const = default;
};

void PrintTo(const Detected& detected, std::ostream* out)
{
    *out << "format " << static_cast<int>(detected.format) << ", error " << detected.error;
}

Detected DetectInMemory(const Bytes& bytes)
{
    const MemorySource source(bytes);
    const CodecFormat format = CodecGuessFormat(source.Handle());
    return {format, CodecGetLastError()};
}

Detected DetectInFile(const Bytes& bytes, const std::string& fileName)
{
    const TempFile file(fileName);
    file.Write(bytes);
    CodecIOHandle* source = CodecOpenFileSource(file.CPath());
    EXPECT_NE(source, nullptr);
    const CodecFormat format = CodecGuessFormat(source);
    const Detected detected{format, CodecGetLastError()};
    CodecCloseSource(source);
    return detected;
}

// `signature` at `offset` in 64 bytes of filler that matches no row.
Bytes WithSignature(std::size_t offset, const std::string& signature)
{
    Bytes bytes(64, 'x');
    std::copy(signature.begin(), signature.end(), bytes.begin() + static_cast<std::ptrdiff_t>(offset));
    return bytes;
}

Bytes Truncated(Bytes bytes, std::size_t size)
{
    bytes.resize(size);
    return bytes;
}

Bytes WithTgaFooter(Bytes bytes)
{
    const std::string footer("\0\0\0\0\0\0\0\0TRUEVISION-XFILE.\0", 26);
    bytes.insert(bytes.end(), footer.begin(), footer.end());
    return bytes;
}

// --- The signature table ------------------------------------------------------------------------------------

struct SignatureCase {
    const char* name;
    std::size_t offset;
    std::string signature;
    CodecFormat want;
};

const SignatureCase kSignatureCases[] = {
    {"bmp", 0, "BM", CodecFormat::kBmp},
    {"pax", 0, "PAX", CodecFormat::kPax},
    {"gif89a", 0, "GIF89a", CodecFormat::kGif},
    {"gif87a", 0, "GIF87a", CodecFormat::kGif},
    {"jpeg_jfif", 0, "\xFF\xD8\xFF\xE0", CodecFormat::kJpeg},
    {"jpeg_exif", 0, "\xFF\xD8\xFF\xE1", CodecFormat::kJpeg},
    {"tiff_big_endian", 0, "MM", CodecFormat::kTiff},
    {"tiff_little_endian", 0, "II", CodecFormat::kTiff},
    {"png", 0, "\x89PNG\x0D\x0A\x1A\x0A", CodecFormat::kPng},
    {"wmf", 0, std::string("\x01\x00\x09\x00\x00", 5), CodecFormat::kWindowsMetafile},
    {"wmf_placeable", 0, "\xD7\xCD\xC6\x9A", CodecFormat::kWindowsMetafile},
    {"emf", 40, " EMF", CodecFormat::kEnhancedMetafile},
    {"psd", 0, "8BPS", CodecFormat::kPsd},
    {"tla", 0, "TLA\x01", CodecFormat::kTla},
    {"tlau", 0, "TLAU", CodecFormat::kTlau},
    {"photo_cd_overview", 0, "PCD_OPA", CodecFormat::kPhotoCdOverview},
    {"jpeg2000_file", 4, "jP  \x0D", CodecFormat::kJpeg2000},
    {"jpeg2000_codestream", 0, "\xFF\x4F", CodecFormat::kJpeg2000},
    {"jpeg2000_codestream_at_4", 4, "\xFF\x4F", CodecFormat::kJpeg2000At4},
    {"wbmp", 0, std::string(2, '\0'), CodecFormat::kWbmp},
    {"ole_compound", 0, "\xD0\xCF\x11\xE0", CodecFormat::kOleCompound},
    {"webp", 0, std::string("RIFF\x38\0\0\0WEBP", 12), CodecFormat::kWebp},
    {"heic_major_brand", 0, std::string("\0\0\0\x18" "ftypheic", 12), CodecFormat::kHeic},
    {"heix_major_brand", 0, std::string("\0\0\0\x18" "ftypheix", 12), CodecFormat::kHeic},
    {"mif1_alone_is_heic", 0, std::string("\0\0\0\x10" "ftypmif1", 12), CodecFormat::kHeic},
    {"msf1_with_heic_compatible", 0, std::string("\0\0\0\x18" "ftypmsf1\0\0\0\0heic", 20), CodecFormat::kHeic},
    {"avif_major_brand", 0, std::string("\0\0\0\x18" "ftypavif", 12), CodecFormat::kAvif},
    {"avis_major_brand", 0, std::string("\0\0\0\x18" "ftypavis", 12), CodecFormat::kAvif},
    {"mif1_with_avif_compatible", 0, std::string("\0\0\0\x1C" "ftypmif1\0\0\0\0miafavif", 24), CodecFormat::kAvif},
    // Earlier rows win over later ones that also match.
    {"bmp_before_tiff", 0, "BMM", CodecFormat::kBmp},
    {"wmf_before_wbmp", 0, std::string("\x01\x00\x09\x00\x00\x00", 6), CodecFormat::kWindowsMetafile},
};

void PrintTo(const SignatureCase& row, std::ostream* out) { *out << row.name; }

class SignatureRow : public testing::TestWithParam<SignatureCase> {};

TEST_P(SignatureRow, IsRecognised)
{
    const SignatureCase& row = GetParam();
    EXPECT_EQ(DetectInMemory(WithSignature(row.offset, row.signature)), (Detected{row.want, kCodecOk}));
}

INSTANTIATE_TEST_SUITE_P(FormatDetection, SignatureRow, testing::ValuesIn(kSignatureCases),
                         [](const auto& info) { return std::string(info.param.name); });

// --- PCX: two signature bytes and a header a PCX reader can decode ----------------------------------------

// The first 66 bytes of a PCX file: manufacturer 10, `version`, `encoding`, `bits` per plane, a 1 x 1
// picture, `planes`.
Bytes PcxLeading(std::uint8_t version, std::uint8_t encoding = 1, std::uint8_t bits = 8, std::uint8_t planes = 1)
{
    Bytes bytes(66, 0);
    bytes[0] = 0x0A;
    bytes[1] = version;
    bytes[2] = encoding;
    bytes[3] = bits;
    bytes[65] = planes;
    return bytes;
}

// What an uncompressed true-colour TGA with a 10-byte image ID starts with: ID length 10, no colour
// map, image type 2.
Bytes TgaWithTenByteId()
{
    Bytes bytes(18 + 10 + 48, 0x40);
    std::fill_n(bytes.begin(), 18, 0);
    bytes[0] = 10;
    bytes[2] = 2;
    bytes[12] = 4;
    bytes[14] = 4;
    bytes[16] = 24;
    return bytes;
}

// --- Short sources, extension, footer and Photo CD ---------------------------------------------------------

Bytes PhotoCdImagePack()
{
    Bytes bytes(3000, 0xFF);
    bytes[2048] = 'P';
    bytes[2049] = 'C';
    bytes[2050] = 'D';
    return bytes;
}

struct RuleCase {
    const char* name;
    Bytes bytes;
    const char* fileName;   // null: a memory source, which has no name
    Detected want;
};

const RuleCase kRuleCases[] = {
    {"pcx_v0", PcxLeading(0), nullptr, {CodecFormat::kPcx, kCodecOk}},
    {"pcx_v2", PcxLeading(2), nullptr, {CodecFormat::kPcx, kCodecOk}},
    {"pcx_v3_one_bit_four_planes", PcxLeading(3, 1, 1, 4), nullptr, {CodecFormat::kPcx, kCodecOk}},
    {"pcx_v5_rgb_planes", PcxLeading(5, 1, 8, 3), nullptr, {CodecFormat::kPcx, kCodecOk}},
    {"pcx_beats_tga_extension", PcxLeading(5), "a.tga", {CodecFormat::kPcx, kCodecOk}},
    {"pcx_without_run_length_is_not_pcx", PcxLeading(5, 0), "a.img", {CodecFormat::kUnknown, kCodecErrReadFailed}},
    {"pcx_with_three_bit_samples_is_not_pcx", PcxLeading(5, 1, 3), "a.img", {CodecFormat::kUnknown, kCodecErrReadFailed}},
    {"pcx_without_planes_is_not_pcx", PcxLeading(5, 1, 8, 0), "a.img", {CodecFormat::kUnknown, kCodecErrReadFailed}},
    {"pcx_deeper_than_32_bits_is_not_pcx", PcxLeading(5, 1, 8, 5), "a.img", {CodecFormat::kUnknown, kCodecErrReadFailed}},
    {"pcx_shorter_than_its_plane_field_is_not_pcx", Truncated(PcxLeading(5), 65), "a.img", {CodecFormat::kUnknown, kCodecErrReadFailed}},
    {"tga_with_ten_byte_id_by_extension", TgaWithTenByteId(), "a.tga", {CodecFormat::kTga, kCodecOk}},
    {"tga_with_ten_byte_id_by_footer", WithTgaFooter(TgaWithTenByteId()), "a.img", {CodecFormat::kTga, kCodecOk}},
    {"two_byte_bmp", BytesOf("BM"), nullptr, {CodecFormat::kBmp, kCodecOk}},
    {"riff_wave_is_not_webp", WithSignature(0, "RIFF\x38\x01\x02\x03WAVE"), "a.img", {CodecFormat::kUnknown, kCodecErrReadFailed}},
    {"avif_brand_past_the_box_end_is_not_read", WithSignature(0, std::string("\0\0\0\x10" "ftypmif1\0\0\0\0avif", 20)), nullptr,
     {CodecFormat::kHeic, kCodecOk}},
    {"signature_needs_all_its_bytes", BytesOf("GIF89"), nullptr, {CodecFormat::kUnknown, kCodecErrReadFailed}},
    {"emf_needs_44_bytes", Truncated(WithSignature(40, " EMF"), 43), nullptr, {CodecFormat::kUnknown, kCodecOk}},
    {"tga_extension_in_capitals", Bytes(40, 'x'), "PICTURE.TGA", {CodecFormat::kTga, kCodecOk}},
    {"tga_extension_without_footer_even_if_short", BytesOf("x"), "a.tga", {CodecFormat::kTga, kCodecOk}},
    {"signature_beats_tga_extension", BytesOf("BMxxxx"), "a.tga", {CodecFormat::kBmp, kCodecOk}},
    {"zero_bytes_with_tga_extension", Bytes(40, 0), "a.tga", {CodecFormat::kTga, kCodecOk}},
    {"tga_footer_under_another_extension", WithTgaFooter(Bytes(40, 0)), "a.img", {CodecFormat::kTga, kCodecOk}},
    {"zero_bytes_without_footer_are_wbmp", Bytes(40, 0), "a.img", {CodecFormat::kWbmp, kCodecOk}},
    {"tga_footer_without_signature", WithTgaFooter(Bytes(40, 'x')), nullptr, {CodecFormat::kTga, kCodecOk}},
    {"three_thousand_zeros", Bytes(3000, 0), "zeros.dat", {CodecFormat::kWbmp, kCodecOk}},
    {"wbmp_extension", Bytes(40, 'x'), "a.wbmp", {CodecFormat::kWbmp, kCodecOk}},
    {"wbm_extension_skips_the_footer", WithTgaFooter(Bytes(40, 'x')), "a.WBM", {CodecFormat::kWbmp, kCodecOk}},
    {"extension_is_after_the_last_dot", Bytes(40, 'x'), "a.tga.bak", {CodecFormat::kUnknown, kCodecErrReadFailed}},
    {"photo_cd_image_pack_in_memory", PhotoCdImagePack(), nullptr, {CodecFormat::kPhotoCdImage, kCodecOk}},
    {"photo_cd_image_pack_file", PhotoCdImagePack(), "img0001.pcd", {CodecFormat::kPhotoCdImage, kCodecOk}},
    {"memory_source_shorter_than_photo_cd", Bytes(100, 'x'), nullptr, {CodecFormat::kUnknown, kCodecOk}},
    {"file_shorter_than_photo_cd", Bytes(100, 'x'), "a.bin", {CodecFormat::kUnknown, kCodecErrReadFailed}},
    {"unknown_short_source", Bytes(10, 'x'), nullptr, {CodecFormat::kUnknown, kCodecErrReadFailed}},
    {"unknown_long_source", Bytes(3000, 'x'), "a.bin", {CodecFormat::kUnknown, kCodecOk}},
    {"empty_file", Bytes{}, "empty.bmp", {CodecFormat::kUnknown, kCodecErrReadFailed}},
};

void PrintTo(const RuleCase& row, std::ostream* out) { *out << row.name; }

class DetectionRule : public testing::TestWithParam<RuleCase> {};

TEST_P(DetectionRule, GivesFormatAndError)
{
    const RuleCase& row = GetParam();
    const Detected detected = row.fileName != nullptr ? DetectInFile(row.bytes, row.fileName) : DetectInMemory(row.bytes);
    EXPECT_EQ(detected, row.want);
}

INSTANTIATE_TEST_SUITE_P(FormatDetection, DetectionRule, testing::ValuesIn(kRuleCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FormatDetection, ReadsFromTheCurrentPosition)
{
    const MemorySource source(BytesOf("xxxxBMxxxx"));
    ASSERT_EQ(CodecSeek(source.Handle(), 4, kCodecSeekStart), 1);
    EXPECT_EQ(CodecGuessFormat(source.Handle()), CodecFormat::kBmp);
}

TEST(FormatDetection, SourceAtItsEndReadsNothing)
{
    const MemorySource source(BytesOf("BM"));
    ASSERT_EQ(CodecSeek(source.Handle(), 0, kCodecSeekEnd), 1);
    EXPECT_EQ(CodecGuessFormat(source.Handle()), CodecFormat::kUnknown);
    EXPECT_EQ(CodecGetLastError(), kCodecErrReadFailed);
}

TEST(FormatDetection, RefusesHandlesThatAreNotLive)
{
    EXPECT_EQ(CodecGuessFormat(nullptr), CodecFormat::kUnknown);
    EXPECT_EQ(CodecGetLastError(), kCodecErrInvalidArgument);
    CodecIOHandle* closed = CodecOpenCountingSink(0);
    CodecCloseSink(closed);
    EXPECT_EQ(CodecGuessFormat(closed), CodecFormat::kUnknown);
    EXPECT_EQ(CodecGetLastError(), kCodecErrInvalidHandle);
}

}  // namespace
