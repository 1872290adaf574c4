#include "codec/pixels/UnsharpMask.h"

#include "codec/CodecEntry.h"
#include "codec/CodecLimits.h"
#include "codec/CodecProgress.h"
#include "codec/pixels/RasterView.h"
#include "platform/WorkerThreads.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <immintrin.h>

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

// The blur sums this many samples of a row at once in a local block, tap by tap, so the partial sums stay
// in the first-level cache (or in registers) between taps.
constexpr int kBlockSamples = 64;

// Fewer rows than this stay on one thread: starting a thread costs more than they do.
constexpr int kRowsPerPart = 64;

// The row buffers of one worker: the horizontal blur of the rows the vertical taps can reach, kept in a
// ring (row y in slot y % ring rows), and the vertical blur of the current row.
struct RowScratch {
    std::vector<float> ring;
    std::vector<float> means;
    std::vector<std::int32_t> blurredAt;  // the rounded blurred values as sharpening-table row starts
    std::vector<const float*> tapRows;
};

// The sum of all the kernel's weights, added in tap order as BorderedMean adds them for a sample whose
// taps all lie inside.
float FullWeight(const std::vector<float>& kernel)
{
    float weight = 0.0f;
    for (const float tap : kernel) weight += tap;
    return weight;
}

// Horizontal blur of one row of `width` pixels, every byte of each pixel, into `blurred`. Away from the
// row's ends every tap lies inside: those samples are summed tap by tap over the whole stretch at once
// (each sample still adds its taps in tap order), which the compiler turns into vector code.
__attribute__((target_clones("avx2", "default"))) void BlurRow(const std::vector<float>& kernel, float fullWeight,
                                                               const std::uint8_t* row, int width, int bytesPerPixel,
                                                               float* __restrict blurred)
{
    const int halfWidth = static_cast<int>(kernel.size() / 2);
    const int innerFirst = std::min(halfWidth, width);
    const int innerEnd = std::max(width - halfWidth, innerFirst);
    const auto border = [&](int x) {
        for (int channel = 0; channel < bytesPerPixel; ++channel)
            blurred[x * bytesPerPixel + channel] = BorderedMean(
                kernel, x, width, [&](int at) { return float(row[at * bytesPerPixel + channel]); });
    };
    for (int x = 0; x < innerFirst; ++x) border(x);
    for (int x = innerEnd; x < width; ++x) border(x);
    const std::ptrdiff_t first = std::ptrdiff_t{innerFirst} * bytesPerPixel;
    const std::ptrdiff_t end = std::ptrdiff_t{innerEnd} * bytesPerPixel;
    for (std::ptrdiff_t block = first; block < end; block += kBlockSamples) {
        const int count = static_cast<int>(std::min<std::ptrdiff_t>(kBlockSamples, end - block));
        float sums[kBlockSamples] = {};
        for (int tap = 0; tap < static_cast<int>(kernel.size()); ++tap) {
            const float weight = kernel[static_cast<std::size_t>(tap)];
            const std::uint8_t* taps = row + block + std::ptrdiff_t{tap - halfWidth} * bytesPerPixel;
            for (int i = 0; i < count; ++i) sums[i] += weight * float(taps[i]);
        }
        for (int i = 0; i < count; ++i) blurred[block + i] = sums[i] / fullWeight;
    }
}

// Vertical blur of one row from the rows of horizontal blur around it: rows[t] is the row at tap t, or
// null where the tap falls outside the picture. Each sample adds its taps in tap order.
void BlurColumnPlain(const std::vector<float>& kernel, const float* const* rows, std::size_t firstSample,
                     std::size_t count, float* means)
{
    const std::size_t tapCount = kernel.size();
    for (std::size_t i = firstSample; i < count; ++i) {
        float sum = 0.0f;
        float weight = 0.0f;
        for (std::size_t tap = 0; tap < tapCount; ++tap) {
            if (rows[tap] == nullptr) continue;
            sum += kernel[tap] * rows[tap][i];
            weight += kernel[tap];
        }
        means[i] = sum / weight;
    }
}

// The same for a row whose taps all lie inside, eight samples at a time; the rest as above.
__attribute__((target("avx2"))) void BlurColumnAvx2(const std::vector<float>& kernel, float fullWeight,
                                                     const float* const* rows, std::size_t count, float* means)
{
    const std::size_t tapCount = kernel.size();
    const __m256 divisor = _mm256_set1_ps(fullWeight);
    std::size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        __m256 sum = _mm256_setzero_ps();
        for (std::size_t tap = 0; tap < tapCount; ++tap)
            sum = _mm256_add_ps(sum, _mm256_mul_ps(_mm256_set1_ps(kernel[tap]), _mm256_loadu_ps(rows[tap] + i)));
        _mm256_storeu_ps(means + i, _mm256_div_ps(sum, divisor));
    }
    BlurColumnPlain(kernel, rows, i, count, means);
}

void BlurColumn(const std::vector<float>& kernel, float fullWeight, const float* const* rows, std::size_t count,
                float* means)
{
    const bool allInside = std::find(rows, rows + kernel.size(), nullptr) == rows + kernel.size();
    if (allInside && __builtin_cpu_supports("avx2")) {
        BlurColumnAvx2(kernel, fullWeight, rows, count, means);
    } else {
        BlurColumnPlain(kernel, rows, 0, count, means);
    }
}

// The blurred values rounded to nearest (mean + 0.5, truncated), as the start of their sharpening-table
// row (blurred x 256).
__attribute__((target_clones("avx2", "default"))) void RoundToTableRows(const float* means, std::size_t count,
                                                                        std::int32_t* __restrict rowStarts)
{
    for (std::size_t i = 0; i < count; ++i) rowStarts[i] = static_cast<std::int32_t>(means[i] + 0.5f) * 256;
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
        const float fullWeight = FullWeight(kernel);
        const codec::SharpeningTable table = codec::BuildSharpeningTable(threshold, amount);
        const int halfWidth = static_cast<int>(kernel.size() / 2);
        const std::size_t rowFloats = static_cast<std::size_t>(width) * static_cast<std::size_t>(bytesPerPixel);
        const int ringRows = std::min(height, 2 * halfWidth + 1);
        // One set of row buffers for each worker; a worker takes the next free one.
        const auto makeScratch = [&] {
            return RowScratch{std::vector<float>(rowFloats * static_cast<std::size_t>(ringRows)),
                              std::vector<float>(rowFloats), std::vector<std::int32_t>(rowFloats),
                              std::vector<const float*>(kernel.size())};
        };

        // Progress counts the rows of both passes over every selected channel, as if the channels ran one
        // after another.
        int channelCount = 0;
        for (int channel = 0; channel < bytesPerPixel; ++channel)
            channelCount += IsChannelSelected(channelMask, channel) ? 1 : 0;
        const int rowsTotal = 2 * channelCount * height;
        int rowsDone = 0;
        codec::CodecProgress progress(call.state);
        const auto reportRow = [&] {
            for (int channel = 0; channel < channelCount; ++channel)
                if (!progress.Report(++rowsDone, rowsTotal)) return false;
            return true;
        };
        if (channelCount == 0) return 1;
        const bool allChannels = channelCount == bytesPerPixel;

        // Rows firstRow..endRow of the result; false when `report` (called once per row of each pass)
        // says stop.
        const auto sharpenRows = [&](int firstRow, int endRow, RowScratch& scratch, const auto& report) {
            const auto ringRow = [&](int y) {
                return scratch.ring.data() + static_cast<std::size_t>(y % ringRows) * rowFloats;
            };
            // Rows up to blurredRows - 1 have had their horizontal pass.
            int blurredRows = std::max(0, firstRow - halfWidth);
            for (int y = firstRow; y < endRow; ++y) {
                for (; blurredRows < std::min(height, y + halfWidth + 1); ++blurredRows) {
                    BlurRow(kernel, fullWeight, source.Row(blurredRows), width, bytesPerPixel, ringRow(blurredRows));
                    if (!report()) return false;
                }
                for (int tap = -halfWidth; tap <= halfWidth; ++tap) {
                    const int at = y + tap;
                    scratch.tapRows[static_cast<std::size_t>(tap + halfWidth)] =
                        at < 0 || at >= height ? nullptr : ringRow(at);
                }
                BlurColumn(kernel, fullWeight, scratch.tapRows.data(), rowFloats, scratch.means.data());
                // The blurred value rounded to nearest, then looked up with the source value.
                RoundToTableRows(scratch.means.data(), rowFloats, scratch.blurredAt.data());
                const std::int32_t* blurredAt = scratch.blurredAt.data();
                const std::uint8_t* original = source.Row(y);
                std::uint8_t* out = target.Row(y);
                if (allChannels) {
                    for (std::size_t i = 0; i < rowFloats; ++i) out[i] = table[blurredAt[i] + original[i]];
                } else {
                    for (int channel = 0; channel < bytesPerPixel; ++channel) {
                        if (!IsChannelSelected(channelMask, channel)) continue;
                        for (std::size_t i = static_cast<std::size_t>(channel); i < rowFloats;
                             i += static_cast<std::size_t>(bytesPerPixel))
                            out[i] = table[blurredAt[i] + original[i]];
                    }
                }
                if (!report()) return false;
            }
            return true;
        };

        // Watched by a progress callback, the rows run in order on this thread so each is reported as it is
        // done. Otherwise they are split over the worker threads; the horizontal rows around each part's
        // first row are blurred again by that part, with the same result.
        if (progress.Watched()) {
            RowScratch scratch = makeScratch();
            return sharpenRows(0, height, scratch, reportRow) ? 1 : call.Fail(kCodecErrCancelled);
        }
        std::vector<RowScratch> scratches;
        for (int worker = 0; worker < platform::WorkerCount(); ++worker) scratches.push_back(makeScratch());
        std::atomic<std::size_t> nextScratch{0};
        platform::ParallelRanges(height, kRowsPerPart, [&](int firstRow, int endRow) {
            sharpenRows(firstRow, endRow, scratches[nextScratch++], [] { return true; });
        });
        return 1;
    });
}
