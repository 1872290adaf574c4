#pragma once
// Transparent pictures flattened for the program's 24-bit pictures: every pixel composited over white.

#include <cstddef>
#include <cstdint>

namespace codec {

// `count` pixels of red, green, blue, alpha (alpha not premultiplied) to red, green, blue over white.
// `rgb` may not overlap `rgba`.
inline void CompositeOverWhite(const std::uint8_t* rgba, std::size_t count, std::uint8_t* rgb)
{
    for (std::size_t pixel = 0; pixel < count; ++pixel, rgba += 4, rgb += 3) {
        const unsigned alpha = rgba[3];
        for (int sample = 0; sample < 3; ++sample)
            rgb[sample] = static_cast<std::uint8_t>((rgba[sample] * alpha + 255 * (255 - alpha) + 127) / 255);
    }
}

}  // namespace codec
