#include "codec/pixels/AreaShrink.h"

#include "codec/CodecEntry.h"
#include "codec/CodecProgress.h"
#include "codec/pixels/RasterView.h"
#include "codec/pixels/WeightedSum.h"

#include <algorithm>
#include <vector>

namespace {

using codec::SourceRaster;
using codec::TargetRaster;

// A set 1-bit pixel averages as full grey.
constexpr int kSetPixelGrey = 255;

// Added to an area's end before truncation to find the first source index it does not reach: an end
// on, or within 1e-11 above, a whole number reaches no further.
constexpr double kEndRoundUp = 0.99999999999;

// The source indices one destination index covers on one axis and their weights.
struct AreaSpan {
    int first;                     // first source index
    int end;                       // one past the last source index
    double firstWeight;            // covered part of the first index
    double lastWeight;             // covered part of the last index (1 when the area ends on a whole number)
    std::vector<double> weights;   // one per covered index: the first weight, whole ones, the last weight
    double total;                  // what the weighted sum is divided by on this axis
};

// Span of destination index i on an axis reduced by `ratio`: [i x ratio, (i + 1) x ratio). An end
// within 1e-11 above a whole number counts as that whole number, so that a rounding error does not add
// a sliver of one more source index; the last index then weighs 1, as for an end exactly on a whole
// number. The end is also limited to the source size, which rounding may overshoot by a hair.
AreaSpan SpanOf(int i, double ratio, int sourceSize)
{
    const double start = ratio * i;
    const double stop = std::min(start + ratio, static_cast<double>(sourceSize));
    const int wholeStop = static_cast<int>(stop);
    AreaSpan span;
    span.first = static_cast<int>(start);
    span.end = static_cast<int>(stop + kEndRoundUp);
    span.firstWeight = 1 - (start - span.first);
    span.lastWeight = span.end > wholeStop ? stop - wholeStop : 1.0;
    span.weights.assign(span.end - span.first, 1.0);
    span.weights.back() = span.lastWeight;
    span.weights.front() = span.firstWeight;   // a one-index span weighs its first weight alone
    return span;
}

// Columns: the total is last weight + the whole columns between + first weight. A one-column span
// only arises for a ratio of 1 with a whole start, where that is 1 - 1 + 1.
AreaSpan ColumnSpan(int i, double ratio, int sourceSize)
{
    AreaSpan span = SpanOf(i, ratio, sourceSize);
    span.total = span.lastWeight + (span.end - span.first - 2) + span.firstWeight;
    return span;
}

// Rows: the total is the running sum of the row weights.
AreaSpan RowSpan(int j, double ratio, int sourceSize)
{
    AreaSpan span = SpanOf(j, ratio, sourceSize);
    span.total = 0;
    for (const double weight : span.weights) span.total += weight;
    return span;
}

bool AreUsable(const SourceRaster& source, const TargetRaster& target, std::int64_t bitsPerPixel)
{
    return IsUsable(source, bitsPerPixel) && IsUsable(target, bitsPerPixel) && target.width <= source.width &&
           target.height <= source.height;
}

// For every destination pixel and each of `channels` channels, sums row weight x column weight x
// sampleAt(sourceRow, column, channel) over the pixel's area, divides by the two totals, truncates, and
// hands the result to store(outRow, x, channel, value). Progress once per destination row.
template <typename SampleAt, typename Store>
int ShrinkRows(codec::CodecCall& call, const SourceRaster& source, const TargetRaster& target, int channels,
               SampleAt sampleAt, Store store)
{
    const double columnRatio = static_cast<double>(source.width) / target.width;
    const double rowRatio = static_cast<double>(source.height) / target.height;
    std::vector<AreaSpan> columns;
    columns.reserve(target.width);
    for (int i = 0; i < target.width; ++i) columns.push_back(ColumnSpan(i, columnRatio, source.width));
    std::vector<double> sums(channels);
    codec::CodecProgress progress(call.state);
    for (int y = 0; y < target.height; ++y) {
        const AreaSpan rows = RowSpan(y, rowRatio, source.height);
        std::uint8_t* out = target.Row(y);
        for (int x = 0; x < target.width; ++x) {
            const AreaSpan& area = columns[x];
            std::fill(sums.begin(), sums.end(), 0.0);
            for (int row = rows.first; row < rows.end; ++row) {
                const double rowWeight = rows.weights[row - rows.first];
                const std::uint8_t* in = source.Row(row);
                for (int column = area.first; column < area.end; ++column) {
                    const double weight = rowWeight * area.weights[column - area.first];
                    for (int channel = 0; channel < channels; ++channel)
                        sums[channel] += weight * sampleAt(in, column, channel);
                }
            }
            for (int channel = 0; channel < channels; ++channel)
                store(out, x, channel, codec::TruncateWeightedSum(sums[channel] / (area.total * rows.total)));
        }
        if (!progress.Report(y + 1, target.height)) return call.Fail(kCodecErrCancelled);
    }
    return 1;
}

}  // namespace

int CodecShrinkAverageRgb(const std::uint8_t* src, int srcWidth, int srcHeight, int srcStride, std::uint8_t* dst,
                          int dstWidth, int dstHeight, int dstStride, int bytesPerPixel, int variant)
{
    return codec::RunCodecEntry([&](codec::CodecCall& call) -> int {
        const SourceRaster source{src, srcWidth, srcHeight, srcStride};
        const TargetRaster target{dst, dstWidth, dstHeight, dstStride};
        if (variant != kCodecShrinkByArea || !AreUsable(source, target, std::int64_t{bytesPerPixel} * 8))
            return call.Fail(kCodecErrInvalidArgument);
        return ShrinkRows(
            call, source, target, bytesPerPixel,
            [&](const std::uint8_t* row, int column, int channel) { return row[column * bytesPerPixel + channel]; },
            [&](std::uint8_t* row, int x, int channel, int value) {
                row[x * bytesPerPixel + channel] = static_cast<std::uint8_t>(value);
            });
    });
}

int CodecShrinkOneBit(const std::uint8_t* src, int srcWidth, int srcHeight, int srcStride, std::uint8_t* dst,
                      int dstWidth, int dstHeight, int dstStride, int greyThreshold, [[maybe_unused]] int flags)
{
    return codec::RunCodecEntry([&](codec::CodecCall& call) -> int {
        const SourceRaster source{src, srcWidth, srcHeight, srcStride};
        const TargetRaster target{dst, dstWidth, dstHeight, dstStride};
        if (!AreUsable(source, target, 1)) return call.Fail(kCodecErrInvalidArgument);
        return ShrinkRows(
            call, source, target, 1,
            [](const std::uint8_t* row, int column, int) { return codec::BitAt(row, column) ? kSetPixelGrey : 0; },
            [&](std::uint8_t* row, int x, int, int grey) { codec::PutBit(row, x, grey > greyThreshold); });
    });
}
