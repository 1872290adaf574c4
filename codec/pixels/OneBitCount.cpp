#include "codec/pixels/OneBitCount.h"

#include "codec/CodecEntry.h"
#include "codec/CodecProgress.h"
#include "codec/pixels/RasterView.h"

int CodecCountOneBitPixels(const std::uint8_t* src, int width, int height, int stride, unsigned* counts,
                           [[maybe_unused]] int flags)
{
    return codec::RunCodecEntry([&](codec::CodecCall& call) -> int {
        const codec::SourceRaster source{src, width, height, stride};
        if (counts == nullptr || !IsUsable(source, 1)) return call.Fail(kCodecErrInvalidArgument);
        counts[0] = 0;
        counts[1] = 0;
        codec::CodecProgress progress(call.state);
        for (int y = 0; y < height; ++y) {
            const std::uint8_t* row = source.Row(y);
            for (int x = 0; x < width; ++x) ++counts[codec::BitAt(row, x) ? 1 : 0];
            if (!progress.Report(y + 1, height)) return call.Fail(kCodecErrCancelled);
        }
        return 1;
    });
}
