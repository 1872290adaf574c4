#include "conversion/SmartStretch.h"

#include "conversion/BusyIndicator.h"
#include "image/RasterImage.h"
#include "platform/WorkerThreads.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <immintrin.h>
#include <mutex>
#include <new>

namespace {

// Output rows below this many stay on one thread: starting a thread costs more than they do.
constexpr int kRowsPerPart = 32;

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


// Everything one output column needs, computed once per stretch: the byte offsets of its four taps
// within a source row, their weights, and whether the taps are four neighbouring pixels that a 16-byte
// load starting at the first one covers without leaving the row.
struct ColumnPlan {
    std::vector<std::int32_t> tapOffsets;  // 4 per column: source column x 3
    std::vector<float> tapWeights;         // 4 per column
    std::vector<std::uint8_t> adjacent;    // 1 when the taps are adjacent and a 16-byte load fits
    // Tap n's weight of column x four times, at (n x columns + x) x 4: two neighbouring columns' weights
    // for one tap are one 8-float load.
    std::vector<float> spreadWeights;
    std::vector<std::uint8_t> inside;      // 0 for a column that falls outside the source: black
};

ColumnPlan PlanColumns(const std::vector<double>& columns, int sourceWidth)
{
    ColumnPlan plan;
    plan.tapOffsets.resize(columns.size() * 4);
    plan.tapWeights.resize(columns.size() * 4);
    plan.adjacent.resize(columns.size());
    plan.spreadWeights.resize(columns.size() * 16);
    plan.inside.resize(columns.size());
    for (std::size_t x = 0; x < columns.size(); ++x) {
        float fx = 0;
        if (!ClampPosition(columns[x], sourceWidth, fx)) continue;
        plan.inside[x] = 1;
        const std::array<std::int32_t, 4> taps = TapIndices(fx, sourceWidth);
        const std::array<float, 4> weights = CubicWeights(fx - std::floor(fx));
        for (int n = 0; n < 4; ++n) {
            plan.tapOffsets[x * 4 + n] = taps[n] * 3;
            plan.tapWeights[x * 4 + n] = weights[n];
            std::fill_n(&plan.spreadWeights[(n * columns.size() + x) * 4], 4, weights[n]);
        }
        plan.adjacent[x] = taps[1] == taps[0] + 1 && taps[2] == taps[0] + 2 && taps[3] == taps[0] + 3 &&
                           std::int64_t{taps[0]} * 3 + 16 <= std::int64_t{sourceWidth} * 3;
    }
    return plan;
}

// Horizontal taps of output column x over one source row: the three channel sums in the order the
// bicubic sample adds them.
void FilterColumn(const std::uint8_t* row, const ColumnPlan& plan, std::size_t x, float* sums)
{
    const std::int32_t* offsets = &plan.tapOffsets[x * 4];
    const float* weights = &plan.tapWeights[x * 4];
    for (int ch = 0; ch < 3; ++ch) {
        float sum = 0;
        for (int n = 0; n < 4; ++n) sum += weights[n] * row[offsets[n] + ch];
        sums[ch] = sum;
    }
}

void FilterRowPlain(const std::uint8_t* row, const ColumnPlan& plan, float* sums)
{
    for (std::size_t x = 0; x < plan.inside.size(); ++x) FilterColumn(row, plan, x, sums + x * 3);
}

// The same sums two columns at a time, one column per 128-bit half: the four taps' bytes come from one
// 16-byte load each, every lane does the same multiplications and additions in the same order.
__attribute__((target("avx2"))) void FilterRowAvx2(const std::uint8_t* row, const ColumnPlan& plan, float* sums)
{
    // Tap n takes bytes 3n, 3n + 1, 3n + 2 of each half into lanes 0..2; lane 3 is zero.
    __m256i shuffles[4];
    for (int n = 0; n < 4; ++n) {
        const char b = static_cast<char>(3 * n), z = static_cast<char>(0x80);
        shuffles[n] = _mm256_broadcastsi128_si256(
            _mm_setr_epi8(b, z, z, z, char(b + 1), z, z, z, char(b + 2), z, z, z, z, z, z, z));
    }
    const std::size_t columnCount = plan.inside.size();
    std::size_t x = 0;
    while (x < columnCount) {
        if (x + 1 < columnCount && plan.adjacent[x] != 0 && plan.adjacent[x + 1] != 0) {
            const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + plan.tapOffsets[x * 4]));
            const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + plan.tapOffsets[x * 4 + 4]));
            const __m256i bytes = _mm256_inserti128_si256(_mm256_castsi128_si256(first), second, 1);
            __m256 sum = _mm256_setzero_ps();
            for (std::size_t n = 0; n < 4; ++n) {
                const __m256 samples = _mm256_cvtepi32_ps(_mm256_shuffle_epi8(bytes, shuffles[n]));
                const __m256 weights = _mm256_loadu_ps(&plan.spreadWeights[(n * columnCount + x) * 4]);
                sum = _mm256_add_ps(sum, _mm256_mul_ps(weights, samples));
            }
            // Each store writes one lane past its column; the next column, or the row's padding, takes it.
            _mm_storeu_ps(sums + x * 3, _mm256_castps256_ps128(sum));
            _mm_storeu_ps(sums + x * 3 + 3, _mm256_extractf128_ps(sum, 1));
            x += 2;
        } else {
            FilterColumn(row, plan, x, sums + x * 3);
            ++x;
        }
    }
}

// One output row from four filtered source rows: the vertical taps, rounding and limiting to 0..255.
void CombineRowsPlain(const float* const rows[4], const float weights[4], std::uint8_t* out, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        float v = 0;
        for (int m = 0; m < 4; ++m) v += weights[m] * rows[m][i];
        out[i] = static_cast<std::uint8_t>(std::clamp(static_cast<std::int32_t>(v + 0.5f), 0, 255));
    }
}

__attribute__((target("avx2"))) void CombineRowsAvx2(const float* const rows[4], const float weights[4],
                                                      std::uint8_t* out, std::size_t count)
{
    const __m256 half = _mm256_set1_ps(0.5f);
    std::size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        __m256 v = _mm256_setzero_ps();
        for (int m = 0; m < 4; ++m) v = _mm256_add_ps(v, _mm256_mul_ps(_mm256_set1_ps(weights[m]), _mm256_loadu_ps(rows[m] + i)));
        const __m256i whole = _mm256_cvttps_epi32(_mm256_add_ps(v, half));
        // Saturating packs limit to 0..255 exactly as the clamp does.
        const __m128i words = _mm_packs_epi32(_mm256_castsi256_si128(whole), _mm256_extracti128_si256(whole, 1));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(words, words));
    }
    const float* const rest[4] = {rows[0] + i, rows[1] + i, rows[2] + i, rows[3] + i};
    CombineRowsPlain(rest, weights, out + i, count - i);
}

// A window of a 24-bit picture, read where it lies.
struct SourceWindow {
    const std::uint8_t* pixels;  // pixel (0, 0) of the window
    int width;
    int height;
    std::ptrdiff_t stride;
};

// Output rows firstRow..endRow: each source row is filtered once into one of four row slots and kept
// while the following output rows still use it (their source rows never move back). With `arrived`,
// a source row is read only once it is there; false when it never came.
bool StretchRows(const SourceWindow& source, const ColumnPlan& plan, double rowStep, std::uint8_t* target,
                 int firstRow, int endRow, float* slotMemory, bool useAvx2, const ArrivingRows* arrived)
{
    const std::size_t rowFloats = plan.inside.size() * 3;
    const std::size_t slotFloats = rowFloats + 4;
    std::array<std::int32_t, 4> slotRow = {-1, -1, -1, -1};
    for (int y = firstRow; y < endRow; ++y) {
        std::uint8_t* out = target + static_cast<std::size_t>(y) * rowFloats;
        float fy = 0;
        if (!ClampPosition(y * rowStep, source.height, fy)) {
            std::fill_n(out, rowFloats, std::uint8_t{0});
            continue;
        }
        const std::array<std::int32_t, 4> taps = TapIndices(fy, source.height);
        const std::array<float, 4> weights = CubicWeights(fy - std::floor(fy));
        const float* rows[4];
        for (int m = 0; m < 4; ++m) {
            auto slot = std::find(slotRow.begin(), slotRow.end(), taps[m]);
            if (slot == slotRow.end()) {
                slot = std::find_if(slotRow.begin(), slotRow.end(),
                                    [&](std::int32_t row) { return std::find(taps.begin(), taps.end(), row) == taps.end(); });
                if (arrived != nullptr && !(*arrived)(taps[m] + 1)) return false;
                *slot = taps[m];
                float* sums = slotMemory + static_cast<std::size_t>(slot - slotRow.begin()) * slotFloats;
                const std::uint8_t* row = source.pixels + taps[m] * source.stride;
                useAvx2 ? FilterRowAvx2(row, plan, sums) : FilterRowPlain(row, plan, sums);
            }
            rows[m] = slotMemory + static_cast<std::size_t>(slot - slotRow.begin()) * slotFloats;
        }
        useAvx2 ? CombineRowsAvx2(rows, weights.data(), out, rowFloats) : CombineRowsPlain(rows, weights.data(), out, rowFloats);
        for (std::size_t x = 0; x < plan.inside.size(); ++x)
            if (plan.inside[x] == 0) out[x * 3] = out[x * 3 + 1] = out[x * 3 + 2] = 0;
    }
    return true;
}

// The stretch of a window whose size and output size are already checked.
StretchResult StretchCheckedWindow(const SourceWindow& sourceWindow, int outputWidth, int outputHeight, int mode,
                                   const ConversionSettings& settings, CRasterImage& target, const ArrivingRows* arrived)
{
    CRasterImage result;
    if (result.Create(outputWidth, outputHeight, 24) != kImageOk) return StretchResult::OutOfMemory;
    std::atomic<bool> complete{true};
    try {
        const ColumnPlan plan = PlanColumns(StretchColumnPositions(sourceWindow.width, sourceWindow.height, outputWidth,
                                                                   outputHeight, mode, EffectiveSplit(settings)),
                                            sourceWindow.width);
        const double rowStep = static_cast<double>(sourceWindow.height) / outputHeight;
        const bool useAvx2 = __builtin_cpu_supports("avx2");
        // Row slots for each worker, allocated here so the workers never allocate.
        const std::size_t slotFloats = static_cast<std::size_t>(outputWidth) * 3 + 4;
        const int workers = platform::WorkerCount();
        std::vector<float> slots(slotFloats * 4 * static_cast<std::size_t>(workers));
        int part = 0;
        std::mutex partLock;
        platform::ParallelRanges(outputHeight, kRowsPerPart, [&](int firstRow, int endRow) {
            float* mine = nullptr;
            {
                const std::lock_guard<std::mutex> lock(partLock);
                mine = slots.data() + slotFloats * 4 * static_cast<std::size_t>(part++);
            }
            if (!StretchRows(sourceWindow, plan, rowStep, result.Pixels(), firstRow, endRow, mine, useAvx2, arrived))
                complete = false;
        });
    } catch (const std::bad_alloc&) {
        return StretchResult::OutOfMemory;
    }
    if (!complete) return StretchResult::SourceIncomplete;
    // The result carries no palette and no resolution.
    target.TakeOver(result);
    return StretchResult::Stretched;
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

StretchResult StretchWindow(const CRasterImage& source, PixelRect window, int outputWidth, int outputHeight, int mode,
                            const ConversionSettings& settings, CRasterImage& target, CBusyIndicator* busy)
{
    BusyScope busyScope(busy);
    if (!source.HasPixels() || !source.ClipToPicture(window)) return StretchResult::NoPixels;
    if (source.bitsPerPixel != 24) return StretchResult::UnsupportedDepth;
    if (outputWidth <= 0 || outputHeight <= 0) return StretchResult::InvalidSize;

    const std::ptrdiff_t stride = source.GetStride();
    const SourceWindow sourceWindow{source.Pixels() + window.top * stride + std::ptrdiff_t{window.left} * 3,
                                    window.Width(), window.Height(), stride};
    return StretchCheckedWindow(sourceWindow, outputWidth, outputHeight, mode, settings, target, nullptr);
}

StretchResult StretchArrivingWindow(const std::uint8_t* pixels, int sourceWidth, int sourceHeight, PixelRect window,
                                    int outputWidth, int outputHeight, int mode, const ConversionSettings& settings,
                                    CRasterImage& target, const ArrivingRows& arrived)
{
    if (pixels == nullptr || sourceWidth <= 0 || sourceHeight <= 0 ||
        !CRasterImage::ClipToSize(window, static_cast<std::uint32_t>(sourceWidth), static_cast<std::uint32_t>(sourceHeight)))
        return StretchResult::NoPixels;
    if (outputWidth <= 0 || outputHeight <= 0) return StretchResult::InvalidSize;
    const std::ptrdiff_t stride = std::ptrdiff_t{sourceWidth} * 3;
    const SourceWindow sourceWindow{pixels + window.top * stride + std::ptrdiff_t{window.left} * 3, window.Width(),
                                    window.Height(), stride};
    // The stretch counts rows from the window's top; the picture arrives from its own.
    const ArrivingRows arrivedInWindow = [&](int rows) { return arrived(window.top + rows); };
    return StretchCheckedWindow(sourceWindow, outputWidth, outputHeight, mode, settings, target, &arrivedInWindow);
}

StretchResult SmartStretch(int outputWidth, int outputHeight, CRasterImage& image, int mode,
                           const ConversionSettings& settings, CBusyIndicator* busy)
{
    const PixelRect whole{0, 0, static_cast<std::int32_t>(image.width), static_cast<std::int32_t>(image.height)};
    return StretchWindow(image, whole, outputWidth, outputHeight, mode, settings, image, busy);
}
