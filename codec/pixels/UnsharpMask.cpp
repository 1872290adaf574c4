#include "codec/pixels/UnsharpMask.h"

#include "codec/CodecEntry.h"
#include "codec/CodecLimits.h"
#include "codec/CodecProgress.h"
#include "codec/pixels/RasterView.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// The truncated value of e used by the blur's weights.
constexpr double kNaturalBase = 2.71828;

double KernelHalfWidth(double radius)
{
    return std::ceil(2.5 * radius);
}

bool IsChannelSelected(int channelMask, int channel)
{
    return channel < 32 && ((static_cast<unsigned>(channelMask) >> channel) & 1u) != 0;
}

// Weighted mean over the kernel's taps that land on positions 0..count-1 around `center`; `sampleAt`
// reads position i. Taps outside are dropped and the rest renormalised by their own weight, so a flat
// picture stays flat up to its borders.
template <typename SampleAt>
float BorderedMean(const std::vector<float>& kernel, int center, int count, SampleAt sampleAt)
{
    const int halfWidth = static_cast<int>(kernel.size() / 2);
    float sum = 0.0f;
    float weight = 0.0f;
    for (int tap = -halfWidth; tap <= halfWidth; ++tap) {
        const int position = center + tap;
        if (position < 0 || position >= count) continue;
        sum += kernel[tap + halfWidth] * sampleAt(position);
        weight += kernel[tap + halfWidth];
    }
    return sum / weight;
}

}  // namespace

namespace codec {

std::vector<float> GaussianKernel(double radius)
{
    const int halfWidth = static_cast<int>(KernelHalfWidth(radius));
    std::vector<float> kernel(2 * static_cast<std::size_t>(halfWidth) + 1);
    float sum = 0.0f;
    for (int tap = -halfWidth; tap <= halfWidth; ++tap) {
        const double exponent = -static_cast<double>(tap) * tap / (2.0 * radius * radius);
        kernel[tap + halfWidth] = static_cast<float>(std::pow(kNaturalBase, exponent));
        sum += kernel[tap + halfWidth];
    }
    for (float& weight : kernel) weight /= sum;
    return kernel;
}

SharpeningTable BuildSharpeningTable(unsigned threshold, double amount)
{
    SharpeningTable table{};
    for (int blurred = 0; blurred < 256; ++blurred) {
        for (int source = 0; source < 256; ++source) {
            const int difference = source - blurred;
            double sharpened = source;
            if (static_cast<unsigned>(std::abs(difference)) > threshold)
                sharpened = std::clamp(source + std::trunc(difference * amount), 0.0, 255.0);
            table[blurred * 256 + source] = static_cast<std::uint8_t>(sharpened);
        }
    }
    return table;
}

}  // namespace codec

int CodecUnsharpMask(const std::uint8_t* src, int width, int height, int bytesPerPixel, int srcStride,
                     std::uint8_t* dst, int dstStride, unsigned threshold, double amount, double radius,
                     int channelMask)
{
    return codec::RunCodecEntry([&](codec::CodecCall& call) -> int {
        const codec::SourceRaster source{src, width, height, srcStride};
        const codec::TargetRaster target{dst, width, height, dstStride};
        const std::int64_t bitsPerPixel = std::int64_t{bytesPerPixel} * 8;
        if (src == dst || !IsUsable(source, bitsPerPixel) || !IsUsable(target, bitsPerPixel))
            return call.Fail(kCodecErrInvalidArgument);
        // Written as a positive test so that a NaN radius fails too.
        if (!(radius > 0.0 && KernelHalfWidth(radius) <= codec::kMaxSide) || !std::isfinite(amount))
            return call.Fail(kCodecErrInvalidArgument);

        const std::vector<float> kernel = codec::GaussianKernel(radius);
        const codec::SharpeningTable table = codec::BuildSharpeningTable(threshold, amount);
        // The horizontal pass's result for one channel, kept in floats for the vertical pass.
        std::vector<float> blurredRows(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
        const auto planeRow = [&](int y) { return blurredRows.data() + static_cast<std::size_t>(y) * width; };

        // Progress counts the rows of both passes over every selected channel.
        int channelCount = 0;
        for (int channel = 0; channel < bytesPerPixel; ++channel)
            channelCount += IsChannelSelected(channelMask, channel) ? 1 : 0;
        const int rowsTotal = 2 * channelCount * height;
        int rowsDone = 0;
        codec::CodecProgress progress(call.state);

        for (int channel = 0; channel < bytesPerPixel; ++channel) {
            if (!IsChannelSelected(channelMask, channel)) continue;
            for (int y = 0; y < height; ++y) {
                const std::uint8_t* row = source.Row(y) + channel;
                float* blurred = planeRow(y);
                for (int x = 0; x < width; ++x)
                    blurred[x] = BorderedMean(kernel, x, width, [&](int at) { return float(row[at * bytesPerPixel]); });
                if (!progress.Report(++rowsDone, rowsTotal)) return call.Fail(kCodecErrCancelled);
            }
            // Vertical pass: the blurred value rounded to nearest, then looked up with the source value.
            for (int y = 0; y < height; ++y) {
                const std::uint8_t* original = source.Row(y) + channel;
                std::uint8_t* out = target.Row(y) + channel;
                for (int x = 0; x < width; ++x) {
                    const float mean = BorderedMean(kernel, y, height, [&](int at) { return planeRow(at)[x]; });
                    const int blurred = static_cast<int>(mean + 0.5f);
                    out[x * bytesPerPixel] = table[blurred * 256 + original[x * bytesPerPixel]];
                }
                if (!progress.Report(++rowsDone, rowsTotal)) return call.Fail(kCodecErrCancelled);
            }
        }
        return 1;
    });
}
