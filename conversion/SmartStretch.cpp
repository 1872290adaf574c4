#include "conversion/SmartStretch.h"

#include "conversion/BusyIndicator.h"
#include "image/RasterImage.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// Every quantity of one column mapping, in the order the modes use them. W x H is the input size.
struct ColumnMapping {
    double k = 0;   // source rows per output row: the step of an undistorted column
    double u = 0;   // the step of a uniform stretch
    int added = 0;  // E: output columns added beyond an undistorted scaling
    int split = 0;  // G: output column of the split point in an undistorted scaling
    double rightWidth = 0;  // R: stretched region of "Stretch Right Side"
    double leftWidth = 0;   // L: stretched region of "Stretch Left Side"
    int half = 0;           // h: half the added columns
    double edgeStep = 0;    // b: source step at the outer edge of the edge modes
    int bandLeft = 0;       // A: left end of the undistorted centre band
    int bandRight = 0;      // B: right end of the centre band
};

double Clamp01(double t)
{
    return t < 0.0 ? 0.0 : (t > 1.0 ? 1.0 : t);
}

// The fraction of the source width bounding the undistorted centre band of modes 3 to 5.
double CentreFraction(int mode, double split)
{
    if (mode == static_cast<int>(StretchMode::BothSides)) return split < 0.5 ? 1.0 - split : split;
    const double c0 = mode == static_cast<int>(StretchMode::Edges) ? split - 0.5 + 0.75 : (split - 0.5) * 0.1 + 0.95;
    if (c0 > 1.0 || c0 < 0.0) return 1.0;
    return c0 < 0.5 ? 1.0 - c0 : c0;
}

ColumnMapping MakeMapping(int w, int h, int ow, int oh, int mode, double split)
{
    ColumnMapping m;
    m.k = static_cast<double>(h) / oh;
    m.u = static_cast<double>(w) / ow;
    m.added = static_cast<int>(ow - w / m.k);
    m.split = static_cast<int>(w * split / m.k);
    m.rightWidth = ow - m.split;
    m.leftWidth = m.split + m.added;
    m.half = m.added / 2;
    m.edgeStep = w / (ow - m.added * 0.5);
    if (mode >= static_cast<int>(StretchMode::BothSides) && mode <= static_cast<int>(StretchMode::ExtremeEdges)) {
        const double c = CentreFraction(mode, split);
        m.bandRight = static_cast<int>(m.half + w * c / m.k);
        m.bandLeft = static_cast<int>((1 - c) * w / m.k + m.half);
    }
    return m;
}

double SourceColumn(const ColumnMapping& m, int w, int ow, int mode, int x)
{
    const double last = w - 1;
    switch (static_cast<StretchMode>(mode)) {
    case StretchMode::RightSide: {
        double srcX = m.k * x;
        if (m.rightWidth > 0) {
            const double t = Clamp01((x - m.split) / m.rightWidth);
            srcX = std::min(x * ((1 - t) * m.k + t * m.u), last);
        }
        return srcX;
    }
    case StretchMode::LeftSide: {
        double srcX = (x - m.added) * m.k;
        if (m.leftWidth > 0) {
            const double t = Clamp01(x / m.leftWidth);
            srcX = std::min((x - m.added * t) * ((1 - t) * m.u + t * m.k), last);
        }
        return srcX;
    }
    case StretchMode::BothSides: {
        const int d = x - m.half;
        double srcX = m.k * d;
        if (x > m.bandRight) {
            if (ow - m.bandRight > 0) {
                const double t = Clamp01(static_cast<double>(x - m.bandRight) / (ow - m.bandRight));
                srcX = std::min(d * ((1 - t) * m.k + t * m.edgeStep), last);
            }
        } else if (m.bandLeft > 0) {
            const double t = Clamp01(static_cast<double>(x) / m.bandLeft);
            srcX = std::min((x - m.half * t) * ((1 - t) * m.edgeStep + t * m.k), last);
        }
        return srcX;
    }
    case StretchMode::Edges:
    case StretchMode::ExtremeEdges: {
        const int d = x - m.half;
        double srcX = m.k * d;
        if (x >= m.bandRight && ow - m.bandRight > 0) {
            const double t = Clamp01(static_cast<double>(x - m.bandRight) / (ow - m.bandRight));
            srcX = std::min(d * ((1 - t) * m.k + t * m.edgeStep), last);
        }
        if (x <= m.bandLeft && m.bandLeft > 0) {
            const double t = Clamp01(static_cast<double>(x) / m.bandLeft);
            srcX = std::min((x - m.half * t) * ((1 - t) * m.edgeStep + t * m.k), last);
        }
        return srcX;
    }
    case StretchMode::Uniform:
    default:
        return m.u * x;
    }
}

// The four sample indices around a clamped position along one axis of `size` samples.
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

// A source position as a clamped float, or nothing when the pixel falls outside and is black.
bool ClampPosition(double position, int size, float& clamped)
{
    const auto whole = static_cast<std::int64_t>(std::floor(position));
    if (whole < -1 || whole >= size) return false;
    clamped = static_cast<float>(position);
    if (clamped >= size) clamped = static_cast<float>(size - 1);
    if (clamped < 0) clamped = 0;
    return true;
}

// Cubic convolution weights of parameter -1 for offsets -1, 0, +1, +2; they sum to 1.
std::array<float, 4> CubicWeights(float d)
{
    return {-d * ((1 - d) * (1 - d)), 1 - 2 * d * d + d * d * d, d + d * d - d * d * d, -d * d * (1 - d)};
}

}  // namespace

double EffectiveSplit(const ConversionSettings& settings)
{
    if (settings.splitOn == 0) return 0.5;
    return settings.splitPosition > 1.0 ? 1.0 : settings.splitPosition;
}

std::vector<double> StretchColumnPositions(int sourceWidth, int sourceHeight, int outputWidth, int outputHeight,
                                           int mode, double split)
{
    const ColumnMapping mapping = MakeMapping(sourceWidth, sourceHeight, outputWidth, outputHeight, mode, split);
    std::vector<double> positions(static_cast<std::size_t>(std::max(outputWidth, 0)));
    for (int x = 0; x < outputWidth; ++x) positions[static_cast<std::size_t>(x)] = SourceColumn(mapping, sourceWidth, outputWidth, mode, x);
    return positions;
}

std::uint8_t SampleBicubic(const std::uint8_t* plane, int width, int /*height*/, float x, float y,
                           const std::int32_t xIndex[4], const std::int32_t yIndex[4], int pixelStride)
{
    const std::array<float, 4> wx = CubicWeights(x - std::floor(x));
    const std::array<float, 4> wy = CubicWeights(y - std::floor(y));
    float v = 0;
    for (int m = 0; m < 4; ++m) {
        const std::uint8_t* row = plane + static_cast<std::ptrdiff_t>(yIndex[m]) * width * pixelStride;
        float rowSum = 0;
        for (int n = 0; n < 4; ++n) rowSum += wx[n] * row[static_cast<std::ptrdiff_t>(xIndex[n]) * pixelStride];
        v += wy[m] * rowSum;
    }
    const auto result = static_cast<std::int32_t>(v + 0.5f);
    return static_cast<std::uint8_t>(std::clamp(result, 0, 255));
}

StretchResult SmartStretch(int outputWidth, int outputHeight, CRasterImage& image, int mode,
                           const ConversionSettings& settings, CBusyIndicator* busy)
{
    BusyScope busyScope(busy);
    if (!image.HasPixels()) return StretchResult::NoPixels;
    if (image.bitsPerPixel != 24) return StretchResult::UnsupportedDepth;
    if (outputWidth <= 0 || outputHeight <= 0) return StretchResult::InvalidSize;

    CRasterImage result;
    if (result.Create(outputWidth, outputHeight, 24) != kImageOk) return StretchResult::OutOfMemory;

    const int w = static_cast<int>(image.width);
    const int h = static_cast<int>(image.height);
    const double rowStep = static_cast<double>(h) / outputHeight;
    const std::vector<double> columns = StretchColumnPositions(w, h, outputWidth, outputHeight, mode, EffectiveSplit(settings));

    // Column taps depend only on x: clamp and index each column once for every row.
    std::vector<float> columnPos(columns.size());
    std::vector<std::array<std::int32_t, 4>> columnTaps(columns.size());
    std::vector<bool> columnInside(columns.size());
    for (std::size_t x = 0; x < columns.size(); ++x) {
        columnInside[x] = ClampPosition(columns[x], w, columnPos[x]);
        if (columnInside[x]) columnTaps[x] = TapIndices(columnPos[x], w);
    }

    const std::uint8_t* source = image.Pixels();
    std::uint8_t* out = result.Pixels();
    for (int y = 0; y < outputHeight; ++y) {
        float fy = 0;
        const bool rowInside = ClampPosition(y * rowStep, h, fy);
        const std::array<std::int32_t, 4> rowTaps = rowInside ? TapIndices(fy, h) : std::array<std::int32_t, 4>{};
        for (std::size_t x = 0; x < columns.size(); ++x, out += 3) {
            if (!rowInside || !columnInside[x]) {
                out[0] = out[1] = out[2] = 0;
                continue;
            }
            for (int ch = 0; ch < 3; ++ch)
                out[ch] = SampleBicubic(source + ch, w, h, columnPos[x], fy, columnTaps[x].data(), rowTaps.data(), 3);
        }
    }
    // The result carries no palette and no resolution.
    image.TakeOver(result);
    return StretchResult::Stretched;
}
