// "Suggest Quality" on the 960 x 540 output of a 6000 x 4000 photograph.
#include "conversion/Conversion.h"
#include "document/QualitySearch.h"

#include "../support/PhotoLike.h"

#include <benchmark/benchmark.h>

namespace {

void BM_SuggestQuality(benchmark::State& state)
{
    CConversion conversion;
    FillPhotoLike(conversion.source, 6000, 4000);
    conversion.UpdateConversion(false);
    for (auto _ : state) benchmark::DoNotOptimize(SuggestQuality(conversion.output, true, 250 * 1024, nullptr));
}
BENCHMARK(BM_SuggestQuality)->Unit(benchmark::kMillisecond);

}  // namespace
