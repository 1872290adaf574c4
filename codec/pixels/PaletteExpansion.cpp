#include "codec/pixels/PaletteExpansion.h"

#include "codec/CodecEntry.h"
#include "codec/CodecProgress.h"
#include "codec/pixels/RasterView.h"

int CodecExpandToRgb(const std::uint8_t* src, int width, int height, int srcStride, std::uint8_t* dst,
                     int dstStride, [[maybe_unused]] int paletteCount, const std::uint8_t* palette, int flags)
{
    return codec::RunCodecEntry([&](codec::CodecCall& call) -> int {
        const codec::SourceRaster source{src, width, height, srcStride};
        const codec::TargetRaster target{dst, width, height, dstStride};
        if (palette == nullptr || !IsUsable(source, 8) || !IsUsable(target, 24))
            return call.Fail(kCodecErrInvalidArgument);
        // Byte offsets inside an entry of the first, second and third output byte.
        const bool storedOrder = (flags & kCodecExpandStoredOrder) != 0;
        const int first = storedOrder ? 0 : 2;
        const int third = storedOrder ? 2 : 0;
        codec::CodecProgress progress(call.state);
        for (int y = 0; y < height; ++y) {
            const std::uint8_t* indices = source.Row(y);
            std::uint8_t* out = target.Row(y);
            for (int x = 0; x < width; ++x, out += 3) {
                const std::uint8_t* entry = palette + 4 * indices[x];
                out[0] = entry[first];
                out[1] = entry[1];
                out[2] = entry[third];
            }
            if (!progress.Report(y + 1, height)) return call.Fail(kCodecErrCancelled);
        }
        return 1;
    });
}
