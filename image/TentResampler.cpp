#include "image/TentResampler.h"

#include <cmath>
#include <cstring>

namespace {

double Tent(double t)
{
    t = std::fabs(t);
    return t < 1.0 ? 1.0 - t : 0.0;
}

// Weighted sum of one channel, rounded to the nearest byte. The weights are non-negative and sum to 1,
// so the sum stays within 0..255.
std::uint8_t Blend(const CTentResampler::Contribution& c, const std::uint8_t* first, std::size_t step)
{
    double acc = 0.0;
    const int taps = c.right - c.left + 1;
    for (int k = 0; k < taps; ++k) acc += c.weights[k] * first[static_cast<std::size_t>(k) * step];
    return static_cast<std::uint8_t>(acc + 0.5);
}

}  // namespace

CTentResampler::ContributionTable CTentResampler::BuildContributions(int count, int srcSize, double scale)
{
    // Shrinking widens the tent to cover every source sample an output sample stands for.
    const bool shrinking = scale < 1.0;
    const double filterWidth = shrinking ? 1.0 / scale : 1.0;
    const double filterScale = shrinking ? scale : 1.0;

    ContributionTable table;
    table.maxTaps = 2 * static_cast<int>(std::ceil(filterWidth)) + 1;
    table.count = count;
    table.entries.resize(static_cast<std::size_t>(count));
    table.weightStore.assign(static_cast<std::size_t>(count) * static_cast<std::size_t>(table.maxTaps), 0.0);

    const double step = 1.0 / scale;
    for (int j = 0; j < count; ++j) {
        // Output sample j sits on source position j * srcSize / count: no half-sample offset.
        const double centre = j * step;
        int left = static_cast<int>(std::floor(centre - filterWidth));
        if (left < 0) left = 0;
        int right = static_cast<int>(std::ceil(centre + filterWidth));
        if (right >= srcSize - 1) right = srcSize - 1;
        if (right - left + 1 > table.maxTaps) {
            if (left < srcSize) {
                ++left;
            } else {
                --right;
            }
        }
        double* weights = table.weightStore.data() + static_cast<std::size_t>(j) * static_cast<std::size_t>(table.maxTaps);
        double sum = 0.0;
        for (int i = left; i <= right; ++i) {
            weights[i - left] = filterScale * Tent(filterScale * (centre - i));
            sum += weights[i - left];
        }
        if (sum > 0.0) {
            const double norm = 1.0 / sum;
            for (int i = left; i <= right; ++i) weights[i - left] *= norm;
        }
        table.entries[static_cast<std::size_t>(j)] = {left, right, weights};
    }
    return table;
}

void CTentResampler::StretchRows(const std::uint8_t* src, int srcWidth, int srcHeight, std::uint8_t* dst, int dstWidth,
                                 int rows) const
{
    if (dstWidth == srcWidth) {
        std::memcpy(dst, src, static_cast<std::size_t>(srcWidth) * static_cast<std::size_t>(srcHeight) * 3);
        return;
    }
    const ContributionTable table =
        BuildContributions(dstWidth, srcWidth, static_cast<double>(dstWidth) / static_cast<double>(srcWidth));
    for (int i = 0; i < rows; ++i) {
        const std::uint8_t* srcRow = src + static_cast<std::size_t>(i) * static_cast<std::size_t>(srcWidth) * 3;
        std::uint8_t* dstRow = dst + static_cast<std::size_t>(i) * static_cast<std::size_t>(dstWidth) * 3;
        for (int j = 0; j < dstWidth; ++j) {
            const Contribution& c = table.entries[static_cast<std::size_t>(j)];
            const std::uint8_t* first = srcRow + static_cast<std::size_t>(c.left) * 3;
            for (int ch = 0; ch < 3; ++ch) dstRow[j * 3 + ch] = Blend(c, first + ch, 3);
        }
    }
}

void CTentResampler::StretchColumns(const std::uint8_t* src, int srcWidth, int srcHeight, std::uint8_t* dst,
                                    int dstWidth, int dstHeight) const
{
    if (dstHeight == srcHeight) {
        std::memcpy(dst, src, static_cast<std::size_t>(srcWidth) * static_cast<std::size_t>(srcHeight) * 3);
        return;
    }
    const ContributionTable table =
        BuildContributions(dstHeight, srcHeight, static_cast<double>(dstHeight) / static_cast<double>(srcHeight));
    const std::size_t srcRowBytes = static_cast<std::size_t>(srcWidth) * 3;
    for (int i = 0; i < dstWidth; ++i) {
        for (int j = 0; j < dstHeight; ++j) {
            const Contribution& c = table.entries[static_cast<std::size_t>(j)];
            const std::uint8_t* first = src + static_cast<std::size_t>(c.left) * srcRowBytes + static_cast<std::size_t>(i) * 3;
            std::uint8_t* out = dst + (static_cast<std::size_t>(j) * static_cast<std::size_t>(dstWidth) + i) * 3;
            for (int ch = 0; ch < 3; ++ch) out[ch] = Blend(c, first + ch, srcRowBytes);
        }
    }
}
