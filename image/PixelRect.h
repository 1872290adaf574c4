#pragma once
#include <cstdint>

// A rectangle of pixels: left and top inclusive, right and bottom exclusive.
struct PixelRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    std::int32_t Width() const { return right - left; }
    std::int32_t Height() const { return bottom - top; }
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};
