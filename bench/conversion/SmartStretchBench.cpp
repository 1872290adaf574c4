// Smart stretch and geometry: the work of every slider release.
#include "conversion/SmartStretch.h"
#include "image/RasterImage.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

void FillNoise(CRasterImage& image)
{
    std::mt19937 random(7);
    const std::uint64_t bytes = CRasterImage::GetBufferSize(image.width, image.height, image.bitsPerPixel);
    for (std::uint64_t i = 0; i < bytes; ++i) image.Pixels()[i] = static_cast<std::uint8_t>(random());
}

// Arguments: source width, source height, stretch mode. Output 960 x 540.
void BM_SmartStretch(benchmark::State& state)
{
    CRasterImage source;
    source.Create(static_cast<std::uint32_t>(state.range(0)), static_cast<std::uint32_t>(state.range(1)), 24);
    FillNoise(source);
    const ConversionSettings settings;
    const PixelRect whole{0, 0, static_cast<std::int32_t>(source.width), static_cast<std::int32_t>(source.height)};
    CRasterImage stretched;
    // The stretch reads the source where it lies, so no copy of it is needed between iterations.
    for (auto _ : state) {
        StretchWindow(source, whole, 960, 540, static_cast<int>(state.range(2)), settings, stretched);
        benchmark::DoNotOptimize(stretched.Pixels());
    }
}
BENCHMARK(BM_SmartStretch)
    ->ArgNames({"w", "h", "mode"})
    ->ArgsProduct({{1024}, {768}, {0, 1, 2, 3, 4, 5}})
    ->ArgsProduct({{4000}, {3000}, {0, 1, 2, 3, 4, 5}})
    ->Unit(benchmark::kMillisecond);

void BM_CropRectAndOutputSize(benchmark::State& state)
{
    ConversionSettings settings;
    settings.stretchCropRatio = 50;
    int width = 4000;
    for (auto _ : state) {
        benchmark::DoNotOptimize(width);
        settings.ComputeCropRect(width, 3000);
        benchmark::DoNotOptimize(settings.ComputeOutputSize());
    }
}
BENCHMARK(BM_CropRectAndOutputSize);

}  // namespace
