#include "image/ImageRotation.h"

#include "codec/pixels/RasterView.h"
#include "image/RasterImage.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

int RotateQuarterTurn(const CRasterImage& picture, CRasterImage& turned, bool clockwise)
{
    turned.FreePixels();
    if (!picture.HasPixels()) return kImageErrNoPixels;
    const std::uint32_t width = picture.width, height = picture.height;
    if (const int status = turned.Create(height, width, picture.bitsPerPixel); status != kImageOk) return status;
    turned.CopyPaletteAndInfo(picture);
    turned.CopyInfo(picture);
    turned.xResolution = picture.yResolution;
    turned.yResolution = picture.xResolution;

    const std::size_t stride = static_cast<std::size_t>(picture.GetStride());
    const std::size_t turnedStride = static_cast<std::size_t>(turned.GetStride());
    const std::uint8_t* from = picture.Pixels();
    std::uint8_t* to = turned.Pixels();
    const int bytesPerPixel = picture.bitsPerPixel / 8;
    // 1-bit rows are set bit by bit: the unused bits at their ends start cleared.
    if (bytesPerPixel == 0) std::memset(to, 0, static_cast<std::size_t>(CRasterImage::GetBufferSize(height, width, 1)));
    // Clockwise, source row y becomes column (height - 1 - y) read top down; counter-clockwise, row y
    // becomes column y read bottom up.
    for (std::uint32_t y = 0; y < height; ++y) {
        const std::uint8_t* row = from + y * stride;
        const std::uint32_t column = clockwise ? height - 1 - y : y;
        for (std::uint32_t x = 0; x < width; ++x) {
            const std::uint32_t turnedRow = clockwise ? x : width - 1 - x;
            std::uint8_t* target = to + turnedRow * turnedStride;
            if (bytesPerPixel == 0)
                codec::PutBit(target, static_cast<int>(column), codec::BitAt(row, static_cast<int>(x)));
            else
                std::memcpy(target + static_cast<std::size_t>(column) * bytesPerPixel, row + static_cast<std::size_t>(x) * bytesPerPixel,
                            bytesPerPixel);
        }
    }
    return kImageOk;
}
