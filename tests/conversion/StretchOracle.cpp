#include "tests/conversion/StretchOracle.h"

#include "codec/pixels/UnsharpMask.h"
#include "conversion/SmartStretch.h"
#include "image/RasterImage.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

std::array<std::int32_t, 4> TapIndices(float f, int size)
{
    const auto base = static_cast<std::int32_t>(f);
    std::array<std::int32_t, 4> index{};
    index[0] = f < 1 ? 0 : base - 1;
    index[1] = f >= size - 1 ? size - 1 : base;
    index[2] = f >= size - 2 ? index[1] : base + 1;
    index[3] = f >= size - 3 ? index[2] : base + 2;
    return index;
}

bool ClampPosition(double position, int size, float& clamped)
{
    const auto whole = static_cast<std::int64_t>(std::floor(position));
    if (whole < -1 || whole >= size) return false;
    clamped = static_cast<float>(position);
    if (clamped >= size) clamped = static_cast<float>(size - 1);
    if (clamped < 0) clamped = 0;
    return true;
}

std::array<float, 4> CubicWeights(float d)
{
    return {-d * ((1 - d) * (1 - d)), 1 - 2 * d * d + d * d * d, d + d * d - d * d * d, -d * d * (1 - d)};
}

std::uint8_t Sample(const std::uint8_t* plane, int stride, float x, float y, const std::array<std::int32_t, 4>& xIndex,
                    const std::array<std::int32_t, 4>& yIndex)
{
    const std::array<float, 4> wx = CubicWeights(x - std::floor(x));
    const std::array<float, 4> wy = CubicWeights(y - std::floor(y));
    float v = 0;
    for (int m = 0; m < 4; ++m) {
        const std::uint8_t* row = plane + static_cast<std::ptrdiff_t>(yIndex[m]) * stride;
        float rowSum = 0;
        for (int n = 0; n < 4; ++n) rowSum += wx[n] * row[static_cast<std::ptrdiff_t>(xIndex[n]) * 3];
        v += wy[m] * rowSum;
    }
    return static_cast<std::uint8_t>(std::clamp(static_cast<std::int32_t>(v + 0.5f), 0, 255));
}

float BorderedMean(const std::vector<float>& kernel, int center, int count, const auto& sampleAt)
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

OraclePicture OracleStretch(const std::uint8_t* pixels, int width, int height, int stride, int outputWidth,
                            int outputHeight, int mode, double split)
{
    OraclePicture out{outputWidth, outputHeight, std::vector<std::uint8_t>(std::size_t(outputWidth) * outputHeight * 3)};
    const std::vector<double> columns = StretchColumnPositions(width, height, outputWidth, outputHeight, mode, split);
    const double rowStep = static_cast<double>(height) / outputHeight;
    std::uint8_t* target = out.pixels.data();
    for (int y = 0; y < outputHeight; ++y) {
        for (int x = 0; x < outputWidth; ++x, target += 3) {
            float fx = 0, fy = 0;
            if (!ClampPosition(columns[std::size_t(x)], width, fx) || !ClampPosition(y * rowStep, height, fy)) {
                target[0] = target[1] = target[2] = 0;
                continue;
            }
            const auto xIndex = TapIndices(fx, width);
            const auto yIndex = TapIndices(fy, height);
            for (int ch = 0; ch < 3; ++ch) target[ch] = Sample(pixels + ch, stride, fx, fy, xIndex, yIndex);
        }
    }
    return out;
}

void OracleSharpen(OraclePicture& picture, double amount, double radius)
{
    const std::vector<float> kernel = codec::GaussianKernel(radius);
    const codec::SharpeningTable table = codec::BuildSharpeningTable(0, amount);
    const std::vector<std::uint8_t> source = picture.pixels;
    const int width = picture.width, height = picture.height;
    std::vector<float> blurred(std::size_t(width) * height);
    for (int ch = 0; ch < 3; ++ch) {
        for (int y = 0; y < height; ++y) {
            const std::uint8_t* row = source.data() + std::size_t(y) * width * 3 + ch;
            for (int x = 0; x < width; ++x)
                blurred[std::size_t(y) * width + x] =
                    BorderedMean(kernel, x, width, [&](int at) { return float(row[at * 3]); });
        }
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const float mean =
                    BorderedMean(kernel, y, height, [&](int at) { return blurred[std::size_t(at) * width + x]; });
                const std::size_t at = (std::size_t(y) * width + x) * 3 + ch;
                picture.pixels[at] = table[static_cast<int>(mean + 0.5f) * 256 + source[at]];
            }
        }
    }
}

OraclePicture OracleConversion(const CRasterImage& source, ConversionSettings settings)
{
    CRasterImage cropped;
    cropped.CopyFrom(source);
    settings.ComputeCropRect(static_cast<std::int32_t>(source.width), static_cast<std::int32_t>(source.height));
    if (settings.ToFourThree() || settings.stretchCropRatio >= 1) cropped.Crop(settings.cropRect);
    const OutputGeometry geometry = settings.ComputeOutputSize();
    OraclePicture out = OracleStretch(cropped.Pixels(), static_cast<int>(cropped.width), static_cast<int>(cropped.height),
                                      cropped.GetStride(), geometry.width, geometry.height, geometry.mode,
                                      EffectiveSplit(settings));
    if (settings.sharpenAmount >= 1 && settings.sharpenOn != 0) OracleSharpen(out, settings.sharpenAmount * 0.01, 0.75);
    return out;
}
