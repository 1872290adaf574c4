#include "codec/FormatDetection.h"

#include "codec/CodecEntry.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>
#include <strings.h>

namespace {

using namespace std::string_view_literals;
using codec::CCodecIO;
using codec::CodecCall;

struct Signature {
    CodecFormat format;
    std::size_t offset;
    std::string_view pattern;   // empty: the row never matches
};

// Scanned in this order; the first match wins. JPEG with a JFIF APP0 marker comes before any JPEG,
// the JPEG 2000 file box before the bare codestreams, and two zero bytes (WBMP, which has no real
// signature) near the end so that every real signature is tried first.
constexpr std::array<Signature, 26> kSignatures{{
    {CodecFormat::kBmp, 0, "BM"sv},
    {CodecFormat::kPax, 0, "PAX"sv},
    {CodecFormat::kGif, 0, "GIF89a"sv},
    {CodecFormat::kGif, 0, "GIF87a"sv},
    {CodecFormat::kJpeg, 0, "\xFF\xD8\xFF\xE0"sv},
    {CodecFormat::kJpeg, 0, "\xFF\xD8\xFF"sv},
    {CodecFormat::kPcx, 0, "\x0A\x00"sv},
    {CodecFormat::kPcx, 0, "\x0A\x02"sv},
    {CodecFormat::kPcx, 0, "\x0A\x03"sv},
    {CodecFormat::kPcx, 0, "\x0A\x05"sv},
    {CodecFormat::kTiff, 0, "MM"sv},
    {CodecFormat::kTiff, 0, "II"sv},
    {CodecFormat::kPng, 0, "\x89PNG\x0D\x0A\x1A\x0A"sv},
    {CodecFormat::kWindowsMetafile, 0, "\x01\x00\x09\x00\x00"sv},
    {CodecFormat::kWindowsMetafile, 0, "\xD7\xCD\xC6\x9A"sv},   // placeable metafile key
    {CodecFormat::kEnhancedMetafile, 40, " EMF"sv},
    {CodecFormat::kPsd, 0, "8BPS"sv},
    {CodecFormat::kTla, 0, "TLA\x01"sv},
    {CodecFormat::kTlau, 0, "TLAU"sv},
    {CodecFormat::kPhotoCdOverview, 0, "PCD_OPA"sv},
    {CodecFormat::kJpeg2000, 4, "jP  \x0D"sv},
    {CodecFormat::kJpeg2000, 0, "\xFF\x4F"sv},
    {CodecFormat::kJpeg2000At4, 4, "\xFF\x4F"sv},
    {CodecFormat::kWbmp, 0, "\x00\x00"sv},
    {CodecFormat::kTga, 0, ""sv},   // TGA has no leading signature: found by extension or footer
    {CodecFormat::kOleCompound, 0, "\xD0\xCF\x11\xE0"sv},
}};

// Enough for the deepest field looked at, the PCX header's plane count at offset 65.
constexpr std::size_t kLeadingBytes = 66;
constexpr std::size_t kPcxEncodingOffset = 2;
constexpr std::size_t kPcxBitsOffset = 3;
constexpr std::size_t kPcxPlanesOffset = 65;
constexpr std::uint8_t kPcxRunLength = 1;
constexpr std::string_view kTgaFooterSignature = "TRUEVISION-XFILE."sv;
constexpr std::size_t kTgaFooterBytes = 18;
constexpr std::int64_t kPhotoCdSignatureOffset = 2048;   // the image pack's first sector after the overview
constexpr std::string_view kPhotoCdSignature = "PCD"sv;

// Two bytes are a weak signature: a TGA whose image ID is 10 bytes long starts with 0x0A too. A PCX
// header also names run-length encoding, a sample size of 1, 2, 4 or 8 bits and 1 to 32 bits per pixel
// over its planes; anything else no PCX reader decodes.
bool IsPcxHeader(const std::array<char, kLeadingBytes>& leading, std::size_t bytesRead)
{
    if (bytesRead <= kPcxPlanesOffset) return false;
    const auto byteAt = [&](std::size_t offset) { return static_cast<std::uint8_t>(leading[offset]); };
    const unsigned bits = byteAt(kPcxBitsOffset), planes = byteAt(kPcxPlanesOffset);
    const bool sampleSize = bits == 1 || bits == 2 || bits == 4 || bits == 8;
    return byteAt(kPcxEncodingOffset) == kPcxRunLength && sampleSize && planes >= 1 && bits * planes <= 32;
}

// A brand of an ISO file: HEIC for the HEVC and general image brands, AVIF for the AV1 ones.
CodecFormat BrandFormat(std::string_view brand)
{
    if (brand == "avif"sv || brand == "avis"sv) return CodecFormat::kAvif;
    if (brand == "heic"sv || brand == "heix"sv || brand == "mif1"sv || brand == "msf1"sv) return CodecFormat::kHeic;
    return CodecFormat::kUnknown;
}

// An ISO file starts with an "ftyp" box: its size, "ftyp", the major brand, a version, then compatible
// brands up to the box's end. The major brand decides when it is an image brand; a general one (mif1,
// msf1) or another major brand gives way to an AV1 brand among the compatible ones.
CodecFormat MatchFileTypeBox(const std::array<char, kLeadingBytes>& leading, std::size_t bytesRead)
{
    constexpr std::size_t kBrandBytes = 4, kMajorBrandOffset = 8, kCompatibleOffset = 16;
    if (bytesRead < kCompatibleOffset || std::string_view(leading.data() + 4, 4) != "ftyp"sv) return CodecFormat::kUnknown;
    const auto byteAt = [&](std::size_t offset) { return static_cast<std::uint32_t>(static_cast<std::uint8_t>(leading[offset])); };
    const std::size_t boxEnd = std::min<std::size_t>(bytesRead, byteAt(0) << 24 | byteAt(1) << 16 | byteAt(2) << 8 | byteAt(3));
    const std::string_view majorBrand(leading.data() + kMajorBrandOffset, kBrandBytes);
    const CodecFormat major = BrandFormat(majorBrand);
    if (major == CodecFormat::kAvif || majorBrand == "heic"sv || majorBrand == "heix"sv) return major;
    CodecFormat found = major;
    for (std::size_t offset = kCompatibleOffset; offset + kBrandBytes <= boxEnd; offset += kBrandBytes) {
        const CodecFormat compatible = BrandFormat(std::string_view(leading.data() + offset, kBrandBytes));
        if (compatible == CodecFormat::kAvif) return compatible;
        if (compatible != CodecFormat::kUnknown) found = compatible;
    }
    return found;
}

CodecFormat MatchSignature(const std::array<char, kLeadingBytes>& leading, std::size_t bytesRead)
{
    // Both begin with bytes (a RIFF size, an ISO box size) that the rows below could take for WBMP's zeros.
    constexpr std::size_t kRiffFormOffset = 8;
    if (bytesRead >= kRiffFormOffset + 4 && std::string_view(leading.data(), 4) == "RIFF"sv &&
        std::string_view(leading.data() + kRiffFormOffset, 4) == "WEBP"sv)
        return CodecFormat::kWebp;
    if (const CodecFormat iso = MatchFileTypeBox(leading, bytesRead); iso != CodecFormat::kUnknown) return iso;
    for (const Signature& row : kSignatures) {
        if (row.pattern.empty() || row.offset + row.pattern.size() > bytesRead) continue;
        if (std::string_view(leading.data() + row.offset, row.pattern.size()) != row.pattern) continue;
        if (row.format == CodecFormat::kPcx && !IsPcxHeader(leading, bytesRead)) continue;
        return row.format;
    }
    return CodecFormat::kUnknown;
}

// WBMP and TGA by the extension of the name a file source was opened with: the text from the last
// dot on, in any case.
CodecFormat FormatByExtension(const CCodecIO& io)
{
    const char* path = io.Path();
    if (path == nullptr) return CodecFormat::kUnknown;
    const char* extension = std::strrchr(path, '.');
    if (extension == nullptr) return CodecFormat::kUnknown;
    if (strcasecmp(extension, ".wbmp") == 0 || strcasecmp(extension, ".wbm") == 0) return CodecFormat::kWbmp;
    if (strcasecmp(extension, ".tga") == 0) return CodecFormat::kTga;
    return CodecFormat::kUnknown;
}

CodecFormat GuessFormat(CodecCall& call, CCodecIO& io)
{
    std::array<char, kLeadingBytes> leading{};
    const std::size_t bytesRead = io.Read(leading.data(), leading.size());
    if (bytesRead == 0) return call.Fail(kCodecErrReadFailed);

    CodecFormat candidate = MatchSignature(leading, bytesRead);
    // Two zero bytes are too weak to decide alone: a TGA file often starts that way too.
    if (candidate != CodecFormat::kUnknown && candidate != CodecFormat::kWbmp) return candidate;

    const CodecFormat byExtension = FormatByExtension(io);
    if (byExtension == CodecFormat::kTga) return byExtension;
    if (byExtension == CodecFormat::kWbmp) {
        candidate = byExtension;
    } else {
        std::array<char, kTgaFooterBytes> footer{};
        if (!io.Seek(-static_cast<std::int64_t>(kTgaFooterBytes), kCodecSeekEnd) ||
            io.Read(footer.data(), footer.size()) == 0)
            return call.Fail(kCodecErrReadFailed);
        if (std::string_view(footer.data(), kTgaFooterSignature.size()) == kTgaFooterSignature)
            candidate = CodecFormat::kTga;
    }
    if (candidate != CodecFormat::kUnknown) return candidate;

    // A Photo CD image pack has no signature at its start, only in the sector at 2048.
    if (!io.Seek(kPhotoCdSignatureOffset, kCodecSeekStart)) return CodecFormat::kUnknown;
    std::array<char, kPhotoCdSignature.size()> sector{};
    if (!io.ReadExact(sector.data(), sector.size())) return call.Fail(kCodecErrReadFailed);
    return std::string_view(sector.data(), sector.size()) == kPhotoCdSignature ? CodecFormat::kPhotoCdImage
                                                                                : CodecFormat::kUnknown;
}

}  // namespace

CodecFormat CodecGuessFormat(CodecIOHandle* source)
{
    return codec::RunCodecEntry(source, GuessFormat);
}
