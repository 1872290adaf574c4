#include "codec/pixels/DeviceDrawing.h"

#include "codec/CodecEntry.h"
#include "codec/pixels/RasterView.h"
#include "platform/DeviceContext.h"

namespace {

// The one body of the three entry points: checks the arguments and hands the packed rows, stride and
// palette to the context as they are, without copying the picture.
int DrawPacked(platform::CDeviceContext* dc, const std::uint8_t* pixels, int width, int height, int bits,
               const std::uint8_t* palette, int paletteCount, int x, int y, int drawWidth, int drawHeight)
{
    return codec::RunCodecEntry([&](codec::CodecCall& call) -> int {
        const int stride = static_cast<int>((std::int64_t{width} * bits + 7) / 8);
        const codec::SourceRaster source{pixels, width, height, stride};
        if (dc == nullptr || (paletteCount > 0 && palette == nullptr) || !IsUsable(source, bits))
            return call.Fail(kCodecErrInvalidArgument);
        if (drawWidth < 1 || drawWidth > width || drawHeight < 1 || drawHeight > height)
            return call.Fail(kCodecErrInvalidArgument);
        const platform::DeviceBitmap bitmap{pixels, drawWidth, drawHeight, stride, bits, palette, paletteCount};
        if (!dc->Blit(bitmap, x, y)) return call.Fail(kCodecErrBlit);
        return 1;
    });
}

}  // namespace

int CodecDrawRgb(platform::CDeviceContext* dc, const std::uint8_t* pixels, int width, int height, int x, int y,
                 int drawWidth, int drawHeight)
{
    return DrawPacked(dc, pixels, width, height, 24, nullptr, 0, x, y, drawWidth, drawHeight);
}

int CodecDrawPalette(platform::CDeviceContext* dc, const std::uint8_t* pixels, int width, int height,
                     const std::uint8_t* palette, int x, int y, int drawWidth, int drawHeight)
{
    return DrawPacked(dc, pixels, width, height, 8, palette, 256, x, y, drawWidth, drawHeight);
}

int CodecDrawOneBit(platform::CDeviceContext* dc, const std::uint8_t* pixels, int width, int height,
                    const std::uint8_t* palette, int x, int y, int drawWidth, int drawHeight)
{
    return DrawPacked(dc, pixels, width, height, 1, palette, 2, x, y, drawWidth, drawHeight);
}
