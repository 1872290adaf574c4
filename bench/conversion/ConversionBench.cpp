// The whole conversion update, as it runs on every slider release, and the pan-only update of a drag.
#include "conversion/Conversion.h"
#include "platform/WorkerThreads.h"

#include "../support/PhotoLike.h"
#include "ConversionBenchCase.h"

#include <benchmark/benchmark.h>

namespace {

// Arguments: source width, height and worker threads. Default settings with sharpening on (amount 25)
// and stretch/crop ratio 50, to 960 x 540.
void BM_UpdateConversion(benchmark::State& state)
{
    CConversion conversion;
    FillPhotoLike(conversion.source, static_cast<std::uint32_t>(state.range(0)), static_cast<std::uint32_t>(state.range(1)));
    conversion.settings = BenchSettings();
    conversion.NormalizeNonSquareSource();
    platform::SetWorkerCount(static_cast<int>(state.range(2)));
    for (auto _ : state) {
        conversion.UpdateConversion(false);
        benchmark::DoNotOptimize(conversion.output.Pixels());
    }
    platform::SetWorkerCount(0);
}
BENCHMARK(BM_UpdateConversion)->ArgsProduct({{4000}, {3000}, {1, 2}})->ArgsProduct({{6000}, {4000}, {1, 2}})
    ->ArgNames({"w", "h", "threads"})->Unit(benchmark::kMillisecond);

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
