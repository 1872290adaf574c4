#include "ui/ZoomLevels.h"

#include <algorithm>
#include <cstddef>

namespace {

// `half` becomes `picture` (24 bits) at half size: each pixel the rounded mean of a 2 x 2 block.
int Halve(const CRasterImage& picture, CRasterImage& half)
{
    const std::uint32_t width = picture.width, height = picture.height;
    if (const int status = half.Create((width + 1) / 2, (height + 1) / 2, 24); status != kImageOk) return status;
    const std::size_t stride = std::size_t{width} * 3;
    for (std::uint32_t y = 0; y < half.height; ++y) {
        const std::uint8_t* top = picture.Pixels() + std::size_t{2 * y} * stride;
        const std::uint8_t* bottom = 2 * y + 1 < height ? top + stride : top;
        std::uint8_t* out = half.Pixels() + std::size_t{y} * half.width * 3;
        for (std::uint32_t x = 0; x < half.width; ++x) {
            const std::size_t left = std::size_t{2 * x} * 3;
            const std::size_t right = 2 * x + 1 < width ? left + 3 : left;
            for (std::size_t c = 0; c < 3; ++c)
                out[3 * x + c] = static_cast<std::uint8_t>((top[left + c] + top[right + c] + bottom[left + c] + bottom[right + c] + 2) / 4);
        }
    }
    half.CopyInfo(picture);
    return kImageOk;
}

}  // namespace

void CZoomLevels::Clear()
{
    levels_.clear();
    between_.FreePixels();
    pixels_ = nullptr;
    width_ = height_ = 0;
}

const CRasterImage* CZoomLevels::Level(const CRasterImage& picture, int level)
{
    if (!picture.HasPixels()) return nullptr;
    if (picture.Pixels() != pixels_ || picture.width != width_ || picture.height != height_) {
        Clear();
        pixels_ = picture.Pixels();
        width_ = picture.width;
        height_ = picture.height;
    }
    if (levels_.empty()) {
        auto colour = std::make_unique<CRasterImage>();
        if (picture.bitsPerPixel != 24 && picture.ConvertTo24(*colour) != kImageOk) return nullptr;
        levels_.push_back(std::move(colour));
    }
    const auto at = [&](std::size_t index) -> const CRasterImage& {
        return index == 0 && !levels_[0]->HasPixels() ? picture : *levels_[index];
    };
    while (static_cast<int>(levels_.size()) <= level) {
        auto half = std::make_unique<CRasterImage>();
        if (Halve(at(levels_.size() - 1), *half) != kImageOk) return nullptr;
        levels_.push_back(std::move(half));
    }
    return &at(static_cast<std::size_t>(std::max(level, 0)));
}

const CRasterImage* CZoomLevels::AtSize(const CRasterImage& picture, std::uint32_t width, std::uint32_t height)
{
    // The smallest level still at least as large as the size asked for.
    int level = 0;
    for (std::uint32_t w = picture.width, h = picture.height; (w + 1) / 2 >= width && (h + 1) / 2 >= height && level < 30;
         w = (w + 1) / 2, h = (h + 1) / 2)
        ++level;
    const CRasterImage* larger = Level(picture, level);
    if (larger == nullptr || (larger->width == width && larger->height == height)) return larger;
    if (!between_.HasPixels() || between_.width != width || between_.height != height) {
        if (between_.Resample(*larger, width, height, kResampleAverage) != kImageOk) return nullptr;
    }
    return &between_;
}
