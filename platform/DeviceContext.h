#pragma once
// CDeviceContext: a surface the engine paints pictures on, such as a window being repainted.
//
// The engine hands it a picture in its own memory (DeviceBitmap) to copy one to one at a point; the
// context copies only what falls inside the area it is painting (its clip), so a huge picture costs
// no more than the part that is seen. It never keeps or owns the pixels after the call. On the desktop
// CPainterDeviceContext implements it over a painter; no toolkit type appears here.

#include <cstdint>

namespace platform {

// A picture in caller memory: rows top first, `stride` bytes apart. 24 bits: red, green, blue;
// 8 bits: palette indices; 1 bit: most significant bit first. The palette holds `paletteCount`
// entries of blue, green, red, reserved (256 for 8 bits, so every index has an entry; 2 for 1 bit).
struct DeviceBitmap {
    const std::uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
    int bitsPerPixel = 0;
    const std::uint8_t* palette = nullptr;
    int paletteCount = 0;
};

class CDeviceContext {
public:
    virtual ~CDeviceContext() = default;
    // Copies the picture unscaled with its top-left corner at (x, y). False when the surface cannot
    // take it (not being painted, or a depth it does not know).
    virtual bool Blit(const DeviceBitmap& bitmap, int x, int y) = 0;
};

}  // namespace platform
