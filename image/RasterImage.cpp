#include "image/RasterImage.h"

#include "platform/GlobalMemory.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

CRasterImage::~CRasterImage()
{
    FreePixels();
}

void CRasterImage::FreePixels()
{
    if (ownsCodecBuffer) {
        platform::GlobalFree(codecPixels);
    } else {
        delete[] ownPixels;
    }
    codecPixels = nullptr;
    ownPixels = nullptr;
    width = 0;
    height = 0;
    bitsPerPixel = 0;
    paletteCount = 0;
}

int CRasterImage::GetStride() const
{
    switch (bitsPerPixel) {
    case 24: return static_cast<int>(width * 3);
    case 8: return static_cast<int>(width);
    case 1: return static_cast<int>((width + 7) >> 3);
    default: return 0;
    }
}

std::uint64_t CRasterImage::GetBufferSize(std::uint32_t width, std::uint32_t height, int bits)
{
    if (bits == 1) return std::uint64_t{height} * ((std::uint64_t{width} + 7) >> 3);
    return std::uint64_t{width} * static_cast<std::uint32_t>(bits / 8) * height;
}

int CRasterImage::Create(std::uint32_t newWidth, std::uint32_t newHeight, int bits)
{
    FreePixels();
    const std::uint64_t bytes = GetBufferSize(newWidth, newHeight, bits);
    if (bytes > platform::kMaxGlobalBlockBytes) return kImageErrOutOfMemory;
    ownPixels = new (std::nothrow) std::uint8_t[bytes];
    if (ownPixels == nullptr) return kImageErrOutOfMemory;
    bitsPerPixel = bits;
    ownsCodecBuffer = false;
    width = newWidth;
    height = newHeight;
    return kImageOk;
}

void CRasterImage::AdoptCodecBuffer(std::uint8_t* block, std::uint32_t blockWidth, std::uint32_t blockHeight, int bits)
{
    FreePixels();
    ownsCodecBuffer = true;
    codecPixels = block;
    width = blockWidth;
    height = blockHeight;
    bitsPerPixel = bits;
}

int CRasterImage::TakeOver(CRasterImage& other)
{
    FreePixels();
    if (!other.HasPixels()) return kImageErrNoPixels;
    ownsCodecBuffer = other.ownsCodecBuffer;
    if (other.ownsCodecBuffer) {
        codecPixels = std::exchange(other.codecPixels, nullptr);
        // A codec buffer that moved away leaves `other` selecting its (null) own buffer: it reads as empty.
        other.ownsCodecBuffer = false;
    } else {
        ownPixels = std::exchange(other.ownPixels, nullptr);
    }
    width = other.width;
    height = other.height;
    CopyPaletteAndInfo(other);
    CopyInfo(other);
    return kImageOk;
}

int CRasterImage::CopyFrom(const CRasterImage& src)
{
    if (&src == this) return kImageOk;
    FreePixels();
    if (const int status = Create(src.width, src.height, src.bitsPerPixel); status != kImageOk) return status;
    if (src.HasPixels()) std::memcpy(ownPixels, src.Pixels(), GetBufferSize(width, height, bitsPerPixel));
    CopyPaletteAndInfo(src);
    CopyInfo(src);
    return kImageOk;
}

void CRasterImage::CopyPaletteAndInfo(const CRasterImage& src)
{
    const int count = std::clamp(src.paletteCount, 0, 256);
    std::copy_n(src.palette.begin(), count, palette.begin());
    paletteCount = count;
    bitsPerPixel = src.bitsPerPixel;
}

void CRasterImage::CopyInfo(const CRasterImage& src)
{
    xResolution = src.xResolution;
    yResolution = src.yResolution;
    resolutionUnit = src.resolutionUnit;
    metadata = src.metadata;
}

void CRasterImage::SetDecodeHint(std::int32_t hintWidth, std::int32_t hintHeight)
{
    decodeHintWidth = hintWidth;
    decodeHintHeight = hintHeight;
}

namespace {

// Copies `count` bits starting at bit `firstBit` of `src` (most significant bit first) to the start of
// `dst`. The unused low bits of the last destination byte are cleared.
void CopyBitRun(const std::uint8_t* src, std::uint32_t firstBit, std::uint32_t count, std::uint8_t* dst)
{
    const std::uint32_t shift = firstBit & 7;
    const std::uint8_t* from = src + (firstBit >> 3);
    const std::uint32_t dstBytes = (count + 7) >> 3;
    const std::uint32_t srcBytes = (shift + count + 7) >> 3;  // bytes the run touches in the source
    for (std::uint32_t i = 0; i < dstBytes; ++i) {
        unsigned value = static_cast<unsigned>(from[i]) << shift;
        if (shift != 0 && i + 1 < srcBytes) value |= from[i + 1] >> (8 - shift);
        dst[i] = static_cast<std::uint8_t>(value);
    }
    if (const std::uint32_t tail = count & 7; tail != 0) dst[dstBytes - 1] &= static_cast<std::uint8_t>(0xFF00u >> tail);
}

}  // namespace

bool CRasterImage::ClipToSize(PixelRect& rect, std::uint32_t pictureWidth, std::uint32_t pictureHeight)
{
    if (rect.left > rect.right) std::swap(rect.left, rect.right);
    if (rect.top > rect.bottom) std::swap(rect.top, rect.bottom);
    // A rectangle reaching outside the picture is clipped to it rather than read out of bounds.
    rect.left = std::max(rect.left, 0);
    rect.top = std::max(rect.top, 0);
    rect.right = static_cast<std::int32_t>(std::min<std::int64_t>(rect.right, pictureWidth));
    rect.bottom = static_cast<std::int32_t>(std::min<std::int64_t>(rect.bottom, pictureHeight));
    return rect.right > rect.left && rect.bottom > rect.top;
}

int CRasterImage::Crop(PixelRect rect)
{
    if (!HasPixels() || !ClipToPicture(rect)) return kImageErrNoPixels;
    const std::int64_t left = rect.left;
    const std::int64_t top = rect.top;

    CRasterImage cropped;
    const auto cropWidth = static_cast<std::uint32_t>(rect.Width());
    const auto cropHeight = static_cast<std::uint32_t>(rect.Height());
    if (const int status = cropped.Create(cropWidth, cropHeight, bitsPerPixel); status != kImageOk) return status;
    cropped.CopyPaletteAndInfo(*this);
    cropped.CopyInfo(*this);

    const std::size_t srcStride = static_cast<std::size_t>(GetStride());
    const std::size_t dstStride = static_cast<std::size_t>(cropped.GetStride());
    const std::uint8_t* srcRow = Pixels() + static_cast<std::size_t>(top) * srcStride;
    std::uint8_t* dstRow = cropped.Pixels();
    for (std::uint32_t y = 0; y < cropHeight; ++y, srcRow += srcStride, dstRow += dstStride) {
        if (bitsPerPixel == 1) {
            CopyBitRun(srcRow, static_cast<std::uint32_t>(left), cropWidth, dstRow);
        } else {
            const std::size_t bytesPerPixel = static_cast<std::size_t>(bitsPerPixel / 8);
            std::memcpy(dstRow, srcRow + static_cast<std::size_t>(left) * bytesPerPixel, dstStride);
        }
    }
    return TakeOver(cropped);
}
