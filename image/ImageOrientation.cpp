#include "image/ImageOrientation.h"

#include "codec/pixels/RasterView.h"
#include "image/ImageRotation.h"
#include "image/RasterImage.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace {

// Mirrors every row in place: pixel x trades places with pixel width - 1 - x.
void MirrorLeftToRight(CRasterImage& picture)
{
    const std::size_t stride = static_cast<std::size_t>(picture.GetStride());
    const std::size_t bytesPerPixel = static_cast<std::size_t>(picture.bitsPerPixel / 8);
    const std::uint32_t width = picture.width;
    for (std::uint32_t y = 0; y < picture.height; ++y) {
        std::uint8_t* row = picture.Pixels() + y * stride;
        for (std::uint32_t left = 0, right = width - 1; left < right; ++left, --right) {
            if (bytesPerPixel == 0) {
                const bool leftBit = codec::BitAt(row, static_cast<int>(left));
                codec::PutBit(row, static_cast<int>(left), codec::BitAt(row, static_cast<int>(right)));
                codec::PutBit(row, static_cast<int>(right), leftBit);
            } else {
                std::swap_ranges(row + left * bytesPerPixel, row + (left + 1) * bytesPerPixel, row + right * bytesPerPixel);
            }
        }
    }
}

// Mirrors the rows' order in place: row y trades places with row height - 1 - y.
void MirrorTopToBottom(CRasterImage& picture)
{
    const std::size_t stride = static_cast<std::size_t>(picture.GetStride());
    std::uint8_t* pixels = picture.Pixels();
    for (std::uint32_t top = 0, bottom = picture.height - 1; top < bottom; ++top, --bottom)
        std::swap_ranges(pixels + top * stride, pixels + (top + 1) * stride, pixels + bottom * stride);
}

}  // namespace

bool OrientationSwapsSides(int orientation)
{
    return orientation >= 5 && orientation <= 8;
}

int TurnUpright(CRasterImage& picture, int orientation)
{
    if (!picture.HasPixels()) return kImageErrNoPixels;
    // 6 is a clockwise quarter turn and 8 a counter-clockwise one; 5 and 7 are the clockwise turn
    // followed by a mirror (5 the transpose, 7 the transverse).
    if (OrientationSwapsSides(orientation)) {
        CRasterImage turned;
        if (const int status = RotateQuarterTurn(picture, turned, orientation != 8); status != kImageOk) return status;
        picture.TakeOver(turned);
    }
    if (orientation == 2 || orientation == 3 || orientation == 5) MirrorLeftToRight(picture);
    if (orientation == 3 || orientation == 4 || orientation == 7) MirrorTopToBottom(picture);
    return kImageOk;
}
