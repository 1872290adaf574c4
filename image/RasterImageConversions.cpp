// CRasterImage: depth conversions, drawing and resizing through the codec layer's pixel utilities.
#include "image/RasterImage.h"

#include "codec/CodecThreadState.h"
#include "codec/pixels/AreaShrink.h"
#include "codec/pixels/BilinearResize.h"
#include "codec/pixels/BitUnpacking.h"
#include "codec/pixels/ColorMatch.h"
#include "codec/pixels/DeviceDrawing.h"
#include "codec/pixels/OneBitCount.h"
#include "codec/pixels/PaletteExpansion.h"

#include <algorithm>

int CRasterImage::ConvertTo24(CRasterImage& dst) const
{
    if (!HasPixels()) return kImageErrNoPixels;
    if (bitsPerPixel == 24) return dst.CopyFrom(*this);
    if (const int status = dst.Create(width, height, 24); status != kImageOk) return status;

    const CRasterImage* indexed = this;
    CRasterImage unpacked;
    if (bitsPerPixel == 1) {
        if (const int status = ConvertTo8(unpacked); status != kImageOk) {
            dst.FreePixels();
            return status;
        }
        indexed = &unpacked;
    }
    const int w = static_cast<int>(width);
    CodecExpandToRgb(indexed->Pixels(), w, static_cast<int>(height), indexed->GetStride(), dst.Pixels(), w * 3,
                     indexed->paletteCount, indexed->PaletteBytes(), 0);
    const int status = CodecGetLastError();
    dst.CopyInfo(*this);
    return status;
}

int CRasterImage::ConvertTo24InPlace()
{
    if (!HasPixels()) return kImageErrNoPixels;
    // 1-bit pictures stay as they are; a 24-bit picture already is what is asked for, and copying a
    // decoded photograph would only cost its size again in memory and time.
    if (bitsPerPixel == 1 || bitsPerPixel == 24) return kImageOk;
    CRasterImage colour;
    const int status = ConvertTo24(colour);
    if (status == kImageOk) TakeOver(colour);
    return status;
}

int CRasterImage::ConvertTo8(CRasterImage& dst) const
{
    if (!HasPixels()) return kImageErrNoPixels;
    if (const int status = dst.Create(width, height, 8); status != kImageOk) return status;
    const std::uint8_t* row = Pixels();
    std::uint8_t* out = dst.Pixels();
    const int stride = GetStride();
    int status = kImageOk;
    for (std::uint32_t y = 0; y < height && status == kImageOk; ++y, row += stride, out += width) {
        CodecUnpackBits(row, static_cast<int>(width), 1, 1, out);
        status = CodecGetLastError();
    }
    dst.paletteCount = 256;
    std::copy_n(palette.begin(), paletteCount, dst.palette.begin());
    dst.CopyInfo(*this);
    return status;
}

int CRasterImage::ConvertToMono8(CRasterImage& dst, std::uint32_t threshold) const
{
    if (!HasPixels()) return kImageErrNoPixels;
    // Darkness is judged on colours: palette and 1-bit pictures are looked at in 24 bits.
    const CRasterImage* colour = this;
    CRasterImage converted;
    if (bitsPerPixel != 24) {
        if (ConvertTo24(converted) != kImageOk) return kImageOk;
        colour = &converted;
    }
    if (dst.Create(width, height, 8) != kImageOk) return kImageOk;
    const std::uint32_t limit = 3 * threshold * threshold;
    const std::uint8_t* in = colour->Pixels();
    std::uint8_t* out = dst.Pixels();
    const std::uint64_t pixelCount = std::uint64_t{width} * height;
    for (std::uint64_t i = 0; i < pixelCount; ++i, in += 3) {
        const int rgb = in[0] | (in[1] << 8) | (in[2] << 16);
        out[i] = CodecColorsMatch(rgb, 0, limit) ? 0 : 1;  // dark pixels become index 0, black
    }
    dst.palette[0] = {0, 0, 0, 0};
    dst.palette[1] = {255, 255, 255, 255};
    dst.paletteCount = 2;
    dst.CopyInfo(*this);
    return kImageOk;
}

int CRasterImage::Draw(platform::CDeviceContext& dc, int x, int y) const
{
    if (!HasPixels()) return kImageErrNoPixels;
    const int w = static_cast<int>(width), h = static_cast<int>(height);
    switch (bitsPerPixel) {
    case 24: CodecDrawRgb(&dc, Pixels(), w, h, x, y, w, h); break;
    case 8: CodecDrawPalette(&dc, Pixels(), w, h, PaletteBytes(), x, y, w, h); break;
    case 1: CodecDrawOneBit(&dc, Pixels(), w, h, PaletteBytes(), x, y, w, h); break;
    default: return kImageErrNoPixels;
    }
    return CodecGetLastError();
}

int CRasterImage::Resample(const CRasterImage& src, std::uint32_t newWidth, std::uint32_t newHeight, int method)
{
    if (!src.HasPixels()) return kImageErrNoPixels;
    if (&src == this) {
        CRasterImage original;
        if (const int status = original.CopyFrom(src); status != kImageOk) return status;
        return Resample(original, newWidth, newHeight, method);
    }
    if (newWidth == src.width && newHeight == src.height) return CopyFrom(src);
    if (const int status = Create(newWidth, newHeight, src.bitsPerPixel); status != kImageOk) {
        FreePixels();
        return status;
    }
    const int sw = static_cast<int>(src.width), sh = static_cast<int>(src.height), ss = src.GetStride();
    const int dw = static_cast<int>(newWidth), dh = static_cast<int>(newHeight), ds = GetStride();
    const std::uint8_t* in = src.Pixels();
    std::uint8_t* out = Pixels();
    const bool enlarging = src.width < newWidth || src.height < newHeight;
    int done = 0;
    if (src.bitsPerPixel == 24 && (method == kResampleBilinear || (method == kResampleAverage && enlarging))) {
        done = CodecResizeBilinearRgb(in, sw, sh, ss, out, dw, dh, ds, 3);
    } else if (src.bitsPerPixel == 24 && method == kResampleAverage) {
        done = CodecShrinkAverageRgb(in, sw, sh, ss, out, dw, dh, ds, 3, 1);
    } else if (src.bitsPerPixel == 8 && method == kResampleBilinear) {
        done = CodecResizeBilinearPalette(in, sw, sh, ss, out, dw, dh, ds, src.paletteCount, src.PaletteBytes());
    } else if (src.bitsPerPixel == 1 && method == kResampleAverage && enlarging) {
        done = CodecResizeOneBit(in, sw, sh, ss, out, dw, dh, ds);
    } else if (src.bitsPerPixel == 1 && method == kResampleAverage) {
        // Mostly-white pictures keep thin dark lines visible with a low threshold, and the reverse.
        unsigned counts[2] = {0, 0};
        CodecCountOneBitPixels(in, sw, sh, ss, counts, 0);
        done = CodecShrinkOneBit(in, sw, sh, ss, out, dw, dh, ds, counts[1] < counts[0] ? 64 : 192, 0);
    } else {
        FreePixels();
        return kImageErrNoPixels;
    }
    if (done == 0) {
        const int status = CodecGetLastError();
        FreePixels();
        return status;
    }
    CopyPaletteAndInfo(src);
    CopyInfo(src);
    return kImageOk;
}
