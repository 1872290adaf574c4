#pragma once
// Drawing pictures into a device context (a window being painted).

#include <cstdint>

namespace platform {
class CDeviceContext;
}

// Each copies the top-left drawWidth x drawHeight pixels of a packed picture (rows width x 3 bytes for
// 24 bits, width bytes for 8 bits, (width + 7) / 8 bytes for 1 bit) unscaled to (x, y) of `dc`; the
// context paints only what its clip lets through. The palette is blue, green, red, reserved entries:
// 256 of them for 8 bits (every index has one), 2 for 1 bit (entry 0 for a clear bit, 1 for a set one).
// 1 on success; 0 with kCodecErrInvalidArgument for a missing context, pixels or palette, a side outside
// 1..kMaxSide or a drawn size outside the picture, 0 with kCodecErrBlit when the context cannot take
// the picture.
int CodecDrawRgb(platform::CDeviceContext* dc, const std::uint8_t* pixels, int width, int height, int x, int y,
                 int drawWidth, int drawHeight);
int CodecDrawPalette(platform::CDeviceContext* dc, const std::uint8_t* pixels, int width, int height,
                     const std::uint8_t* palette, int x, int y, int drawWidth, int drawHeight);
int CodecDrawOneBit(platform::CDeviceContext* dc, const std::uint8_t* pixels, int width, int height,
                    const std::uint8_t* palette, int x, int y, int drawWidth, int drawHeight);
