// The whole conversion update, as it runs on every slider release.
#include "conversion/Conversion.h"

#include "../support/PhotoLike.h"

#include <benchmark/benchmark.h>

namespace {

// Arguments: source width and height. Default settings with sharpening on (amount 25), to 960 x 540.
void BM_UpdateConversion(benchmark::State& state)
{
    CConversion conversion;
    FillPhotoLike(conversion.source, static_cast<std::uint32_t>(state.range(0)), static_cast<std::uint32_t>(state.range(1)));
    conversion.settings.sharpenOn = 1;
    conversion.NormalizeNonSquareSource();
    for (auto _ : state) {
        conversion.UpdateConversion(false);
        benchmark::DoNotOptimize(conversion.output.Pixels());
    }
}
BENCHMARK(BM_UpdateConversion)->Args({4000, 3000})->Args({6000, 4000})->Unit(benchmark::kMillisecond);

void BM_PanCrop(benchmark::State& state)
{
    CConversion conversion;
    FillPhotoLike(conversion.source, 6000, 4000);
    conversion.settings.stretchCropRatio = 100;
    conversion.UpdateConversion(false);
    double step = 0.001;
    for (auto _ : state) {
        conversion.PanCrop(0, step);
        step = -step;
    }
}
BENCHMARK(BM_PanCrop)->Unit(benchmark::kMicrosecond);

}  // namespace
