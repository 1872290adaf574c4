#include "codec/pixels/BilinearResize.h"

#include "codec/CodecEntry.h"
#include "codec/CodecProgress.h"
#include "codec/pixels/ColorMatch.h"
#include "codec/pixels/RasterView.h"
#include "codec/pixels/WeightedSum.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

using codec::SourceRaster;
using codec::TargetRaster;

// Where one destination index samples the source on one axis.
struct AxisSample {
    int low;           // source index of the integer part, limited to the source
    int high;          // the next source index, limited to the source
    double fraction;   // weight of `high`; `low` weighs 1 - fraction
};

// One AxisSample per destination index, computed once per call.
std::vector<AxisSample> AxisSamples(int sourceSize, int targetSize)
{
    const double ratio = static_cast<double>(sourceSize) / targetSize;
    const double step = targetSize > sourceSize ? (sourceSize - ratio) / targetSize : ratio;
    std::vector<AxisSample> samples(targetSize);
    for (int i = 0; i < targetSize; ++i) {
        const double position = i * step;
        const int whole = static_cast<int>(position);
        samples[i] = {std::min(whole, sourceSize - 1), std::min(whole + 1, sourceSize - 1), position - whole};
    }
    return samples;
}

// The four source pixels around one destination pixel and their weights: (low column, low row),
// (high column, low row), (low column, high row), (high column, high row).
struct Neighbourhood {
    const std::uint8_t* lowRow;
    const std::uint8_t* highRow;
    int lowColumn;
    int highColumn;
    double lowLow, highLow, lowHigh, highHigh;

    Neighbourhood(const std::uint8_t* lowRow, const std::uint8_t* highRow, const AxisSample& column, double fy)
        : lowRow(lowRow),
          highRow(highRow),
          lowColumn(column.low),
          highColumn(column.high),
          lowLow((1 - column.fraction) * (1 - fy)),
          highLow(column.fraction * (1 - fy)),
          lowHigh((1 - column.fraction) * fy),
          highHigh(column.fraction * fy)
    {
    }

    double Blend(double atLowLow, double atHighLow, double atLowHigh, double atHighHigh) const
    {
        return lowLow * atLowLow + highLow * atHighLow + lowHigh * atLowHigh + highHigh * atHighHigh;
    }
};

// Runs blendPixel(outRow, x, neighbourhood) for every destination pixel, row by row, with progress
// once per row.
template <typename BlendPixel>
int ResizeRows(codec::CodecCall& call, const SourceRaster& source, const TargetRaster& target, BlendPixel blendPixel)
{
    const std::vector<AxisSample> columns = AxisSamples(source.width, target.width);
    const std::vector<AxisSample> rows = AxisSamples(source.height, target.height);
    codec::CodecProgress progress(call.state);
    for (int y = 0; y < target.height; ++y) {
        const std::uint8_t* lowRow = source.Row(rows[y].low);
        const std::uint8_t* highRow = source.Row(rows[y].high);
        std::uint8_t* out = target.Row(y);
        for (int x = 0; x < target.width; ++x)
            blendPixel(out, x, Neighbourhood(lowRow, highRow, columns[x], rows[y].fraction));
        if (!progress.Report(y + 1, target.height)) return call.Fail(kCodecErrCancelled);
    }
    return 1;
}

bool SameGeometry(const SourceRaster& source, const TargetRaster& target)
{
    return source.width == target.width && source.height == target.height && source.stride == target.stride;
}

void CopyRows(const SourceRaster& source, const TargetRaster& target, int bytesPerPixel)
{
    for (int y = 0; y < source.height; ++y)
        std::memcpy(target.Row(y), source.Row(y), static_cast<std::size_t>(source.width) * bytesPerPixel);
}

// A resize reads source rows after it has written destination rows, so the two may not share a buffer.
bool AreUsable(const SourceRaster& source, const TargetRaster& target, std::int64_t bitsPerPixel)
{
    return static_cast<const void*>(source.pixels) != target.pixels && IsUsable(source, bitsPerPixel) &&
           IsUsable(target, bitsPerPixel);
}

}  // namespace

int CodecResizeBilinearRgb(const std::uint8_t* src, int srcWidth, int srcHeight, int srcStride, std::uint8_t* dst,
                           int dstWidth, int dstHeight, int dstStride, int bytesPerPixel)
{
    return codec::RunCodecEntry([&](codec::CodecCall& call) -> int {
        const SourceRaster source{src, srcWidth, srcHeight, srcStride};
        const TargetRaster target{dst, dstWidth, dstHeight, dstStride};
        if (!AreUsable(source, target, std::int64_t{bytesPerPixel} * 8)) return call.Fail(kCodecErrInvalidArgument);
        if (SameGeometry(source, target)) {
            CopyRows(source, target, bytesPerPixel);
            return 1;
        }
        const auto blendBytes = [&](std::uint8_t* out, int x, const Neighbourhood& at) {
            for (int byte = 0; byte < bytesPerPixel; ++byte) {
                const int low = at.lowColumn * bytesPerPixel + byte;
                const int high = at.highColumn * bytesPerPixel + byte;
                out[x * bytesPerPixel + byte] = static_cast<std::uint8_t>(codec::TruncateWeightedSum(
                    at.Blend(at.lowRow[low], at.lowRow[high], at.highRow[low], at.highRow[high])));
            }
        };
        return ResizeRows(call, source, target, blendBytes);
    });
}

int CodecResizeBilinearPalette(const std::uint8_t* src, int srcWidth, int srcHeight, int srcStride,
                               std::uint8_t* dst, int dstWidth, int dstHeight, int dstStride, int paletteCount,
                               const std::uint8_t* palette)
{
    return codec::RunCodecEntry([&](codec::CodecCall& call) -> int {
        const SourceRaster source{src, srcWidth, srcHeight, srcStride};
        const TargetRaster target{dst, dstWidth, dstHeight, dstStride};
        if (palette == nullptr || paletteCount < 0 || paletteCount > 256 || !AreUsable(source, target, 8))
            return call.Fail(kCodecErrInvalidArgument);
        if (SameGeometry(source, target)) {
            CopyRows(source, target, 1);
            return 1;
        }
        codec::CCodecColorMatch matcher;
        matcher.SetPalette(palette, paletteCount);
        const auto blendColours = [&](std::uint8_t* out, int x, const Neighbourhood& at) {
            const std::uint8_t* lowLow = palette + 4 * at.lowRow[at.lowColumn];
            const std::uint8_t* highLow = palette + 4 * at.lowRow[at.highColumn];
            const std::uint8_t* lowHigh = palette + 4 * at.highRow[at.lowColumn];
            const std::uint8_t* highHigh = palette + 4 * at.highRow[at.highColumn];
            int component[3];   // blue, green, red: the entries' byte order
            for (int byte = 0; byte < 3; ++byte)
                component[byte] =
                    codec::TruncateWeightedSum(at.Blend(lowLow[byte], highLow[byte], lowHigh[byte], highHigh[byte]));
            out[x] = static_cast<std::uint8_t>(matcher.Match(component[2], component[1], component[0]));
        };
        return ResizeRows(call, source, target, blendColours);
    });
}

int CodecResizeOneBit(const std::uint8_t* src, int srcWidth, int srcHeight, int srcStride, std::uint8_t* dst,
                      int dstWidth, int dstHeight, int dstStride)
{
    return codec::RunCodecEntry([&](codec::CodecCall& call) -> int {
        const SourceRaster source{src, srcWidth, srcHeight, srcStride};
        const TargetRaster target{dst, dstWidth, dstHeight, dstStride};
        if (!AreUsable(source, target, 1)) return call.Fail(kCodecErrInvalidArgument);
        const auto blendBits = [](std::uint8_t* out, int x, const Neighbourhood& at) {
            using codec::BitAt;
            const double blend = at.Blend(BitAt(at.lowRow, at.lowColumn), BitAt(at.lowRow, at.highColumn),
                                          BitAt(at.highRow, at.lowColumn), BitAt(at.highRow, at.highColumn));
            codec::PutBit(out, x, blend > 0.5);
        };
        return ResizeRows(call, source, target, blendBits);
    });
}
