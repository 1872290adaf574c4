#pragma once
// A photograph-like test picture: smooth colour fields with noise, so encoders and resamplers see the
// mix of flat and busy areas a real photograph has.

#include "image/RasterImage.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <random>
#include <string>

inline void FillPhotoLike(CRasterImage& image, std::uint32_t width, std::uint32_t height)
{
    image.Create(width, height, 24);
    std::mt19937 random(11);
    std::uint8_t* p = image.Pixels();
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x, p += 3) {
            const double u = static_cast<double>(x) / width, v = static_cast<double>(y) / height;
            const int noise = static_cast<int>(random() % 24);
            p[0] = static_cast<std::uint8_t>(std::clamp(120 + 100 * std::sin(6 * u + 2 * v) + noise, 0.0, 255.0));
            p[1] = static_cast<std::uint8_t>(std::clamp(110 + 90 * std::cos(5 * v - 3 * u) + noise, 0.0, 255.0));
            p[2] = static_cast<std::uint8_t>(std::clamp(100 + 80 * std::sin(9 * u * v) + noise, 0.0, 255.0));
        }
    }
}

// A 6000 x 4000 photograph-like JPEG at quality 90 written into `folder` (created if missing); its path.
inline std::string WritePhotoJpeg(const std::filesystem::path& folder)
{
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "photo.jpg").string();
    CRasterImage photo;
    FillPhotoLike(photo, 6000, 4000);
    photo.jpegQuality = 90;
    photo.Save(path.c_str());
    return path;
}
