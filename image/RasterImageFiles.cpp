// CRasterImage: reading and writing files through the codec layer.
#include "image/RasterImage.h"

#include "codec/ByteReader.h"
#include "codec/CodecErrors.h"
#include "codec/CodecIO.h"
#include "codec/CodecThreadState.h"
#include "codec/FormatDetection.h"
#include "codec/formats/BmpCoder.h"
#include "codec/formats/HeifCoder.h"
#include "codec/formats/JpegCoder.h"
#include "codec/formats/MetafileCoder.h"
#include "codec/formats/PcdCoder.h"
#include "codec/formats/PcxCoder.h"
#include "codec/formats/PngCoder.h"
#include "codec/formats/PsdCoder.h"
#include "codec/formats/TgaCoder.h"
#include "codec/formats/TiffCoder.h"
#include "codec/formats/WbmpCoder.h"
#include "codec/formats/WebpCoder.h"
#include "image/FileType.h"
#include "image/ImageOrientation.h"
#include "platform/FileReplace.h"
#include "platform/GlobalMemory.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <strings.h>
#include <string>
#include <utility>

namespace {

constexpr int kTiffPage = 0;
constexpr int kPhotoCdBaseResolution = 3;
constexpr int kPngPaletteColourType = 3;
constexpr int kMetafileRenderSize = 100;
constexpr std::uint32_t kMetafileBackgroundBlack = 0;

struct ExtensionType {
    const char* extension;
    int type;
};
constexpr ExtensionType kExtensions[] = {
    {".bmp", kFileBmp},  {".wbmp", kFileWbmp}, {".wbm", kFileWbmp}, {".tga", kFileTga}, {".jpeg", kFileJpeg},
    {".jpg", kFileJpeg}, {".tif", kFileTiff},  {".tiff", kFileTiff}, {".pcx", kFilePcx}, {".png", kFilePng},
    {".wmf", kFileWmf},  {".emf", kFileEmf},   {".psd", kFilePsd},
    {".webp", kFileWebp}, {".heic", kFileHeic}, {".heif", kFileHeic}, {".avif", kFileAvif},
};

// Types read but never written.
bool HasWriter(int type)
{
    return type != kFileUnknown && type != kFileHeic && type != kFileAvif;
}

// JPEG decode scale from the decode hints: the largest of 1/8, 1/4, 1/2 that still gives a picture of
// pictureWidth x pictureHeight larger than the hints in both directions; 1 without hints.
int JpegDecodeScale(const CRasterImage& image, std::uint32_t pictureWidth, std::uint32_t pictureHeight)
{
    if (image.decodeHintWidth < 1 || image.decodeHintHeight < 1) return 1;
    const auto hintWidth = static_cast<std::uint32_t>(image.decodeHintWidth);
    const auto hintHeight = static_cast<std::uint32_t>(image.decodeHintHeight);
    for (const std::uint32_t scale : {8u, 4u, 2u})
        if (hintWidth < pictureWidth / scale && hintHeight < pictureHeight / scale) return static_cast<int>(scale);
    return 1;
}

// A colour JPEG decoded at 1/scale. The reader's status, taken before the scale is reset.
std::uint8_t* ReadJpegAtScale(CodecIOHandle* source, int scale, int& width, int& height, int& status)
{
    CodecSetJpegDecodeScale(1, scale);
    std::uint8_t* buffer = CodecReadJpeg(source, &width, &height, 24, 0);
    status = CodecGetLastError();
    CodecSetJpegDecodeScale(1, 1);
    return buffer;
}

// The palette a palette or 1-bit file holds, into `paletteBytes`; its entry count. A file without one
// (a grey TGA) has no entries to report: the palette the reader made for its indices stands, all 256.
int QueryFilePalette(CodecIOHandle* source, int type, std::uint8_t* paletteBytes)
{
    CodecSeek(source, 0, kCodecSeekStart);
    std::array<std::uint8_t, 256 * 4> queried{};
    int count = 0;
    switch (type) {
    case kFileBmpPalette: case kFileBmpMono: CodecGetBmpPalette(source, &count, queried.data()); break;
    case kFilePcxPalette: CodecGetPcxPalette(source, &count, queried.data()); break;
    case kFilePngPalette: case kFilePngMono: CodecGetPngPalette(source, &count, queried.data()); break;
    case kFileTgaPalette: CodecGetTgaPalette(source, &count, queried.data()); break;
    default: CodecGetPsdPalette(source, &count, queried.data()); break;
    }
    if (count <= 0) return 256;
    std::copy(queried.begin(), queried.end(), paletteBytes);
    return count;
}

// An ICC profile starts with a 128-byte header holding its size and, at 36, the signature "acsp". A
// profile that claims more bytes than it has, or none of that, is malformed.
bool IsWholeIccProfile(const std::vector<std::uint8_t>& profile)
{
    constexpr std::size_t kHeaderBytes = 128, kSignatureOffset = 36;
    if (profile.size() < kHeaderBytes || std::memcmp(&profile[kSignatureOffset], "acsp", 4) != 0) return false;
    const std::uint32_t declared = codec::LoadBe32(profile.data());
    return declared >= kHeaderBytes && declared <= profile.size();
}

// What a picture carries on into the files written from it: null when the file had no profile, Exif
// or XMP (an Orientation tag alone is used up by loading). A malformed profile is dropped here, the
// same for every format, rather than written into every output.
std::shared_ptr<const CodecPictureMetadata> MetadataToCarry(CodecPictureMetadata found)
{
    if (!found.iccProfile.empty() && !IsWholeIccProfile(found.iccProfile)) found.iccProfile.clear();
    if (found.iccProfile.empty() && found.exif.empty() && found.xmp.empty()) return nullptr;
    return std::make_shared<const CodecPictureMetadata>(std::move(found));
}

void SetPaletteEntry(CRasterImage& image, int index, std::uint8_t grey)
{
    image.palette[static_cast<std::size_t>(index)] = {grey, grey, grey, grey};
}

// The writer's view of an image: its own 24-bit pixels, or a 24-bit copy of a palette or 1-bit image.
struct Pixels24 {
    const std::uint8_t* pixels = nullptr;
    CRasterImage converted;
};

}  // namespace

const char* FileTypeName(int type)
{
    switch (type) {
    case kFileJpeg: case kFileJpegGrey: return "JPEG";
    case kFileBmp: case kFileBmpPalette: case kFileBmpMono: return "BMP";
    case kFilePcx: case kFilePcxPalette: return "PCX";
    case kFilePng: case kFilePngPalette: case kFilePngMono: return "PNG";
    case kFileTiff: case kFileTiffPalette: case kFileTiffMono: return "TIFF";
    case kFileTga: case kFileTgaPalette: return "TGA";
    case kFileWmf: return "WMF";
    case kFileEmf: return "EMF";
    case kFilePsd: case kFilePsdPalette: return "PSD";
    case kFileWbmp: return "WBMP";
    case kFilePhotoCd: return "Photo CD";
    case kFileWebp: return "WebP";
    case kFileHeic: return "HEIC";
    case kFileAvif: return "AVIF";
    default: return "unknown";
    }
}

int CRasterImage::Load(const char* path, int type)
{
    FreePixels();
    storedOrientation = 0;
    metadata.reset();
    if (path == nullptr || *path == '\0') return kImageErrEmptyFileName;
    if (type == kFileUnknown) type = DetectFileType(path);
    if (type == kFileUnknown) return kImageErrNoPixels;

    if (type == kFileWmf || type == kFileEmf) {
        int readWidth = 0, readHeight = 0;
        std::uint8_t* buffer = CodecReadMetafile(path, &readWidth, &readHeight, kMetafileRenderSize,
                                                 kMetafileRenderSize, kMetafileBackgroundBlack, 0);
        const int status = CodecGetLastError();
        if (buffer != nullptr) {
            AdoptCodecBuffer(buffer, static_cast<std::uint32_t>(readWidth), static_cast<std::uint32_t>(readHeight), 24);
            fileWidth = width;
            fileHeight = height;
        }
        return status;
    }

    CodecIOHandle* source = CodecOpenFileSource(path);
    if (source == nullptr) return CodecGetLastError();
    const int status = LoadFrom(source, type);
    CodecCloseSource(source);
    return status;
}

int CRasterImage::LoadFrom(CodecIOHandle* source, int type)
{
    FreePixels();
    storedOrientation = 0;
    metadata.reset();
    // What an earlier read left and nobody took must not pass for this file's metadata.
    CodecTakeReadMetadata(nullptr);
    int readWidth = 0, readHeight = 0;
    std::uint8_t* buffer = nullptr;
    int bits = 24;
    int count = 0;
    int status = -1;  // the reader's own status, taken before any later call replaces the last error
    int jpegScale = 1;
    bool queryPalette = false;
    std::uint8_t* paletteBytes = PaletteBytes();
    // TIFF rows are read as stored: the Orientation tag is applied below, as for every format.
    const int tiffFlags = kTiffReadIgnoreOrientation;
    switch (type) {
    case kFileJpeg: {
        int bitsInFile = 0;
        CodecGetJpegDimensions(source, &readWidth, &readHeight, &bitsInFile, nullptr);
        CodecSeek(source, 0, kCodecSeekStart);
        fileWidth = static_cast<std::uint32_t>(readWidth);
        fileHeight = static_cast<std::uint32_t>(readHeight);
        jpegScale = JpegDecodeScale(*this, fileWidth, fileHeight);
        buffer = ReadJpegAtScale(source, jpegScale, readWidth, readHeight, status);
        break;
    }
    case kFileJpegGrey:
        buffer = CodecReadJpeg(source, &readWidth, &readHeight, 8, 0);
        for (int i = 0; i < 256; ++i) SetPaletteEntry(*this, i, static_cast<std::uint8_t>(i));
        count = 256;
        bits = 8;
        break;
    case kFileBmp: buffer = CodecReadBmp(source, &readWidth, &readHeight, 24, nullptr, 0); break;
    case kFilePcx: buffer = CodecReadPcx(source, &readWidth, &readHeight, 24, nullptr, 0); break;
    case kFilePng: buffer = CodecReadPng(source, &readWidth, &readHeight, 24, nullptr, 0); break;
    case kFileTiff: buffer = CodecReadTiff(source, &readWidth, &readHeight, 24, nullptr, kTiffPage, tiffFlags); break;
    case kFileTga: buffer = CodecReadTga(source, &readWidth, &readHeight, 24, nullptr, 0); break;
    case kFilePsd: buffer = CodecReadPsd(source, &readWidth, &readHeight, 24, nullptr, 0); break;
    case kFilePhotoCd: buffer = CodecReadPcd(source, &readWidth, &readHeight, kPhotoCdBaseResolution, 0); break;
    case kFileWebp: buffer = CodecReadWebp(source, &readWidth, &readHeight, 0); break;
    case kFileHeic:
    case kFileAvif: buffer = CodecReadHeif(source, &readWidth, &readHeight, 0); break;
    case kFileBmpPalette:
    case kFileBmpMono:
    case kFilePcxPalette:
    case kFilePngPalette:
    case kFilePngMono:
    case kFileTgaPalette:
    case kFilePsdPalette: {
        bits = (type == kFileBmpMono || type == kFilePngMono) ? 1 : 8;
        switch (type) {
        case kFileBmpPalette: case kFileBmpMono: buffer = CodecReadBmp(source, &readWidth, &readHeight, bits, paletteBytes, 0); break;
        case kFilePcxPalette: buffer = CodecReadPcx(source, &readWidth, &readHeight, bits, paletteBytes, 0); break;
        case kFilePngPalette: case kFilePngMono: buffer = CodecReadPng(source, &readWidth, &readHeight, bits, paletteBytes, 0); break;
        case kFileTgaPalette: buffer = CodecReadTga(source, &readWidth, &readHeight, bits, paletteBytes, 0); break;
        default: buffer = CodecReadPsd(source, &readWidth, &readHeight, bits, paletteBytes, 0); break;
        }
        queryPalette = true;
        break;
    }
    case kFileTiffPalette:
        buffer = CodecReadTiff(source, &readWidth, &readHeight, 8, paletteBytes, kTiffPage, tiffFlags);
        count = 256;
        bits = 8;
        break;
    case kFileWbmp:
        buffer = CodecReadWbmp(source, &readWidth, &readHeight, paletteBytes, 8, 0);
        count = 2;
        bits = 8;
        break;
    case kFileTiffMono:
        buffer = CodecReadTiff(source, &readWidth, &readHeight, 1, paletteBytes, kTiffPage, tiffFlags);
        palette[0] = {255, 255, 255, 0};  // a set bit is black
        palette[1] = {0, 0, 0, 0};
        count = 2;
        bits = 1;
        break;
    default:
        return kImageOk;
    }
    if (status < 0) status = CodecGetLastError();
    // Taken before the queries below, which may open the file again and leave metadata of their own.
    CodecPictureMetadata found;
    CodecTakeReadMetadata(&found);
    // A reader that returned nothing without saying why still failed.
    if (buffer == nullptr) return status != kImageOk ? status : kImageErrNoPixels;

    const int orientation = found.orientation >= 1 && found.orientation <= 8 ? found.orientation : 0;
    const bool turn = autoOrient && orientation > 1;
    // The hints are for the upright picture, which a JPEG's tag may show only now to have its sides
    // exchanged: a scale that leaves it smaller than the hints is decoded again at the right one.
    if (type == kFileJpeg && turn && OrientationSwapsSides(orientation)) {
        const int uprightScale = JpegDecodeScale(*this, fileHeight, fileWidth);
        if (uprightScale < jpegScale) {
            platform::GlobalFree(buffer);
            CodecSeek(source, 0, kCodecSeekStart);
            buffer = ReadJpegAtScale(source, uprightScale, readWidth, readHeight, status);
            CodecTakeReadMetadata(nullptr);
            if (buffer == nullptr) return status != kImageOk ? status : kImageErrNoPixels;
        }
    }
    if (queryPalette) count = QueryFilePalette(source, type, paletteBytes);
    if (type == kFileTiff || type == kFileTiffPalette) ReadResolution(source, type);
    if (type != kFileJpeg) {
        fileWidth = static_cast<std::uint32_t>(readWidth);
        fileHeight = static_cast<std::uint32_t>(readHeight);
    }
    AdoptCodecBuffer(buffer, static_cast<std::uint32_t>(readWidth), static_cast<std::uint32_t>(readHeight), bits);
    paletteCount = count < 0 ? 0 : (count > 256 ? 256 : count);

    // A TIFF stored with unequal resolutions (a fax page, 204 x 98 dpi) is reshaped to square pixels.
    if ((type == kFileTiff || type == kFileTiffPalette) && yResolution != xResolution && xResolution != 0) {
        const double ratio = static_cast<double>(yResolution) / static_cast<double>(xResolution);
        const double newHeight = height / ratio;
        if (ratio != 0 && std::fabs(1 - ratio) > 0.25 && newHeight >= 1 && newHeight <= 1'000'000) {
            CRasterImage reshaped;
            if (reshaped.Resample(*this, width, static_cast<std::uint32_t>(newHeight), kResampleBilinear) == kImageOk) TakeOver(reshaped);
        }
    }
    // Turned after the reshape, whose resolutions are the stored rows' ones; every size reported from
    // here on is the upright one.
    storedOrientation = orientation;
    if (turn) {
        if (const int turnStatus = TurnUpright(*this, orientation); turnStatus != kImageOk) {
            FreePixels();
            return turnStatus;
        }
        if (OrientationSwapsSides(orientation)) std::swap(fileWidth, fileHeight);
    }
    metadata = MetadataToCarry(std::move(found));
    ConvertTo24InPlace();
    return status;
}

int CRasterImage::TypeFromExtension(const char* path)
{
    if (path == nullptr) return kFileUnknown;
    const char* dot = std::strrchr(path, '.');
    if (dot == nullptr || std::strchr(dot, '/') != nullptr) return kFileUnknown;
    for (const ExtensionType& entry : kExtensions)
        if (strcasecmp(dot, entry.extension) == 0) return entry.type;
    return kFileUnknown;
}

int CRasterImage::DetectFileType(const char* path)
{
    CodecIOHandle* source = CodecOpenFileSource(path);
    if (source == nullptr) return kFileUnknown;
    const int type = DetectStreamType(source, path);
    CodecCloseSource(source);
    return type;
}

int CRasterImage::DetectStreamType(CodecIOHandle* source, const char* path)
{
    int family = kFileUnknown;
    switch (CodecGuessFormat(source)) {
    case CodecFormat::kBmp: family = kFileBmp; break;
    case CodecFormat::kJpeg: family = kFileJpeg; break;
    case CodecFormat::kPng: family = kFilePng; break;
    case CodecFormat::kPcx: family = kFilePcx; break;
    case CodecFormat::kTiff: family = kFileTiff; break;
    case CodecFormat::kWindowsMetafile: family = kFileWmf; break;
    case CodecFormat::kEnhancedMetafile: family = kFileEmf; break;
    case CodecFormat::kPsd: family = kFilePsd; break;
    case CodecFormat::kWbmp: family = kFileWbmp; break;
    case CodecFormat::kTga: family = kFileTga; break;
    case CodecFormat::kPhotoCdOverview:
    case CodecFormat::kPhotoCdImage: family = kFilePhotoCd; break;
    case CodecFormat::kWebp: family = kFileWebp; break;
    case CodecFormat::kHeic: family = kFileHeic; break;
    case CodecFormat::kAvif: family = kFileAvif; break;
    default: family = TypeFromExtension(path); break;
    }
    CodecSeek(source, 0, kCodecSeekStart);

    int queryWidth = 0, queryHeight = 0, bits = 0;
    switch (family) {
    case kFileJpeg:
        return CodecGetJpegDimensions(source, &queryWidth, &queryHeight, &bits, nullptr) && bits <= 8 ? kFileJpegGrey : kFileJpeg;
    case kFileBmp:
        if (!CodecGetBmpDimensions(source, &queryWidth, &queryHeight, &bits, nullptr) || bits > 8) return kFileBmp;
        return bits == 1 ? kFileBmpMono : kFileBmpPalette;
    case kFilePcx:
        return CodecGetPcxDimensions(source, &queryWidth, &queryHeight, &bits) && bits <= 8 ? kFilePcxPalette : kFilePcx;
    case kFilePng: {
        int colourType = 0, interlace = 0;
        const bool known = CodecGetPngDimensions(source, &queryWidth, &queryHeight, &bits, &colourType, &interlace, nullptr) != 0;
        int type = known && bits <= 8 && colourType == kPngPaletteColourType ? kFilePngPalette : kFilePng;
        if (known && bits == 1) type = kFilePngMono;
        return type;
    }
    case kFileTiff:
        if (!CodecGetTiffDimensions(source, kTiffPage, &queryWidth, &queryHeight, &bits, nullptr) || bits > 8) return kFileTiff;
        return bits == 1 ? kFileTiffMono : kFileTiffPalette;
    case kFileTga:
        return CodecGetTgaDimensions(source, &queryWidth, &queryHeight, &bits) && bits <= 8 ? kFileTgaPalette : kFileTga;
    case kFilePsd: {
        int colourMode = -1;
        const bool known = CodecGetPsdDimensions(source, &queryWidth, &queryHeight, &colourMode, nullptr) != 0;
        const bool paletteMode = colourMode == 0 || colourMode == 1 || colourMode == 2 || colourMode == 8;
        return known && paletteMode ? kFilePsdPalette : kFilePsd;
    }
    case kFileWbmp:
        CodecGetWbmpDimensions(source, &queryWidth, &queryHeight);
        return kFileWbmp;
    default:
        return family;
    }
}

void CRasterImage::ReadResolution(CodecIOHandle* source, int /*type*/)
{
    CodecSeek(source, 0, kCodecSeekStart);
    int queryWidth = 0, queryHeight = 0, bits = 0;
    CodecDpiInfo dpi;
    CodecGetTiffDimensions(source, kTiffPage, &queryWidth, &queryHeight, &bits, &dpi);
    xResolution = static_cast<std::uint32_t>(dpi.x);
    yResolution = static_cast<std::uint32_t>(dpi.y);
    resolutionUnit = (dpi.unit == 2 || dpi.unit == 3) ? static_cast<std::uint32_t>(dpi.unit) : 1;
}

CodecDpiInfo CRasterImage::GetSaveResolution(int type) const
{
    const auto x = static_cast<std::int32_t>(saveXResolution);
    const auto y = static_cast<std::int32_t>(saveYResolution);
    const bool noUnit = saveResolutionUnit == 1;
    switch (type) {
    case kFileJpeg: return {x, y, noUnit ? 0 : (saveResolutionUnit == 2 ? 1 : 2)};
    // BMP records pixels per metre: without an absolute unit there is nothing to record.
    case kFileBmp: return noUnit ? CodecDpiInfo{0, 0, 0} : CodecDpiInfo{x, y, 1};
    case kFilePng: return {x, y, noUnit ? 0 : 1};
    case kFileTiff: return {x, y, static_cast<std::int32_t>(saveResolutionUnit)};
    default: return {0, 0, 1};
    }
}

int CRasterImage::Save(const char* path) const
{
    if (!HasPixels()) return kImageErrNoPixels;
    // An extension without a writer is refused before anything is created.
    const int type = TypeFromExtension(path);
    if (!HasWriter(type)) return kImageErrNoPixels;

    const std::string target(path);
    const std::string temporary = platform::CreateTemporaryBeside(target);
    if (temporary.empty()) return kCodecErrOpenFailed;
    CodecIOHandle* sink = CodecOpenFileSink(temporary.c_str(), 0);
    if (sink == nullptr) {
        const int status = CodecGetLastError();
        platform::DiscardTemporary(temporary);
        return status;
    }
    int status = SaveTo(sink, type);
    const std::int64_t finalSize = CodecCloseSink(sink);
    // A file that could not be flushed is a failed write.
    if (status == kCodecOk && finalSize <= 0) status = kCodecErrWriteFailed;
    if (status != kCodecOk) {
        platform::DiscardTemporary(temporary);
        return status;
    }
    return platform::ReplaceWithTemporary(temporary, target) ? kImageOk : kCodecErrWriteFailed;
}

int CRasterImage::SaveTo(CodecIOHandle* sink, int type) const
{
    if (!HasPixels() || !HasWriter(type)) return kImageErrNoPixels;
    Pixels24 colour;
    if (type != kFileWbmp) {
        colour.pixels = Pixels();
        if (bitsPerPixel != 24) {
            if (const int status = ConvertTo24(colour.converted); status != kImageOk) return status;
            colour.pixels = colour.converted.Pixels();
        }
    }
    CodecDpiInfo resolution = GetSaveResolution(type);
    // Set for this write only: a later write on the thread embeds nothing unless it asks again.
    CodecSetWriteMetadata(MetadataToWrite());
    const int w = static_cast<int>(width);
    const int h = static_cast<int>(height);
    std::int64_t written = 0;
    switch (type) {
    case kFileJpeg: {
        CodecClearJpegOutputMarkers();
        unsigned fullChroma[10] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
        if (jpegFullChroma != 0) {
            CodecSetJpegSamplingFactors(fullChroma, fullChroma);
        } else {
            CodecSetJpegSamplingFactors(nullptr, nullptr);
        }
        written = CodecWriteJpeg(sink, colour.pixels, w, h, jpegQuality, 24, &resolution, jpegProgressive ? 1 : 0);
        break;
    }
    case kFileBmp: written = CodecWriteBmp(sink, colour.pixels, w, h, 24, 0x1000000, nullptr, &resolution, 0); break;
    case kFilePcx: written = CodecWritePcx(sink, colour.pixels, w, h, 24, nullptr, 0); break;
    case kFilePng:
        CodecClearPngText();
        written = CodecWritePng(sink, colour.pixels, w, h, w * 3, 8, 0, nullptr, 2, 0.0, &resolution, 0);
        break;
    case kFileTiff:
        written = CodecWriteTiff(sink, colour.pixels, w, h, 24, nullptr, static_cast<int>(tiffCompression), &resolution, 0);
        break;
    case kFileTga: written = CodecWriteTga(sink, colour.pixels, w, h, 24, nullptr, 0); break;
    case kFileWmf: written = CodecWriteWmf(sink, colour.pixels, w, h, 1); break;
    case kFileEmf: written = CodecWriteEmf(sink, colour.pixels, w, h, 0); break;
    case kFilePsd: written = CodecWritePsd(sink, colour.pixels, w, h, 24, nullptr, 0); break;
    case kFileWebp:
        written = CodecWriteWebp(sink, colour.pixels, w, h, w * 3, jpegQuality, webpLossless ? kWebpWriteLossless : 0);
        break;
    case kFileWbmp: {
        CRasterImage mono;
        ConvertToMono8(mono, monoThreshold);
        written = mono.HasPixels() ? CodecWriteWbmp(sink, mono.Pixels(), w, h, 0) : 0;
        break;
    }
    default: break;
    }
    const int status = CodecGetLastError();
    CodecSetWriteMetadata(nullptr);
    // A writer that reported nothing written failed.
    return status == kCodecOk && written <= 0 ? kCodecErrWriteFailed : status;
}
