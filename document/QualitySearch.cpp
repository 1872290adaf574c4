#include "document/QualitySearch.h"

#include "codec/CodecIO.h"
#include "codec/PictureMetadata.h"
#include "codec/formats/JpegCoder.h"
#include "image/RasterImage.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kSearchCeiling = 93;
constexpr int kSuggestFloor = 60;

}  // namespace

std::int64_t ProbeJpegSize(const CRasterImage& picture, int quality, bool fullChroma)
{
    if (!picture.HasPixels() || picture.bitsPerPixel != 24) return 0;
    CodecIOHandle* sink = CodecOpenCountingSink(0);
    if (sink == nullptr) return 0;
    unsigned ones[10] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    if (fullChroma) {
        CodecSetJpegSamplingFactors(ones, ones);
    } else {
        CodecSetJpegSamplingFactors(nullptr, nullptr);
    }
    CodecDpiInfo resolution{300, 300, 1};
    // The metadata the saved file will embed counts towards its size.
    CodecSetWriteMetadata(picture.MetadataToWrite());
    const std::int64_t written = CodecWriteJpeg(sink, picture.Pixels(), static_cast<int>(picture.width),
                                                static_cast<int>(picture.height), quality, 24, &resolution, 0);
    CodecSetWriteMetadata(nullptr);
    const std::int64_t size = CodecCloseSink(sink);
    return written > 0 ? size : 0;
}

int SearchQuality(const CRasterImage& picture, bool fullChroma, int low, int high, std::int64_t targetBytes,
                  CQualitySearchProgress* progress)
{
    while (low != high && low != high - 1 && high >= low) {
        if (progress != nullptr && progress->Cancelled()) break;
        const int mid = low + (high - low) / 2;
        const std::int64_t size = ProbeJpegSize(picture, mid, fullChroma);
        if (progress != nullptr) progress->ShowProbe(mid);
        if (size == targetBytes) return mid;
        if (size < targetBytes) {
            low = mid;
        } else {
            high = mid;
        }
    }
    return low;
}

int SuggestQualityFrom(const CRasterImage& picture, bool fullChroma, std::int64_t targetBytes, int low,
                       CQualitySearchProgress* progress)
{
    if (low > 99) return 99;
    if (low >= kSearchCeiling) return low;
    return std::clamp(SearchQuality(picture, fullChroma, low, kSearchCeiling, targetBytes, progress), low, kSearchCeiling);
}

int SuggestQuality(const CRasterImage& picture, bool fullChroma, std::int64_t targetBytes,
                   CQualitySearchProgress* progress)
{
    return std::max(SuggestQualityFrom(picture, fullChroma, targetBytes, kSuggestFloor, progress), kSuggestFloor) - 1;
}

std::string FormatByteSize(std::int64_t bytes, int decimals)
{
    static constexpr const char* kUnits[] = {" bytes", " KB", " MB", " GB", " TB"};
    double value = static_cast<double>(bytes);
    std::size_t unit = 0;
    while (value > 1000) {
        value *= 0.0009765625;
        ++unit;
    }
    char text[64];
    std::snprintf(text, sizeof text, "%.*f%s", decimals, value, unit < std::size(kUnits) ? kUnits[unit] : "");
    return text;
}
