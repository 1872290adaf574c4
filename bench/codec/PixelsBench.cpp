// Speed of the pixel utilities on the work the program gives them: the unsharp mask on every
// conversion update of a display-size output, and the area shrink that makes source thumbnails.

#include "codec/pixels/AreaShrink.h"
#include "codec/pixels/UnsharpMask.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

namespace {

std::vector<std::uint8_t> RandomRgb(int width, int height)
{
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 3);
    std::mt19937 random(1);
    for (auto& value : pixels) value = static_cast<std::uint8_t>(random());
    return pixels;
}

// The conversion update's call: 3 bytes a pixel, threshold 0, sharpen setting 25, radius 0.75, all channels.
void UnsharpMaskDisplaySize(benchmark::State& state)
{
    const int width = 960, height = 540;
    const std::vector<std::uint8_t> source = RandomRgb(width, height);
    std::vector<std::uint8_t> target(source.size());
    for (auto _ : state) {
        const int done = CodecUnsharpMask(source.data(), width, height, 3, width * 3, target.data(), width * 3, 0, 0.25,
                                          0.75, 7);
        if (done != 1) state.SkipWithError("unsharp mask failed");
        benchmark::DoNotOptimize(target.data());
    }
    state.SetItemsProcessed(state.iterations() * width * height);
}
BENCHMARK(UnsharpMaskDisplaySize)->Unit(benchmark::kMillisecond);

// A photograph shrunk to a thumbnail: arguments source width, height, thumbnail width, height.
void ShrinkAverageToThumbnail(benchmark::State& state)
{
    const auto srcWidth = static_cast<int>(state.range(0)), srcHeight = static_cast<int>(state.range(1));
    const auto dstWidth = static_cast<int>(state.range(2)), dstHeight = static_cast<int>(state.range(3));
    const std::vector<std::uint8_t> source = RandomRgb(srcWidth, srcHeight);
    std::vector<std::uint8_t> target(static_cast<std::size_t>(dstWidth) * dstHeight * 3);
    for (auto _ : state) {
        const int done = CodecShrinkAverageRgb(source.data(), srcWidth, srcHeight, srcWidth * 3, target.data(),
                                               dstWidth, dstHeight, dstWidth * 3, 3, kCodecShrinkByArea);
        if (done != 1) state.SkipWithError("area shrink failed");
        benchmark::DoNotOptimize(target.data());
    }
    state.SetItemsProcessed(state.iterations() * srcWidth * srcHeight);
}
BENCHMARK(ShrinkAverageToThumbnail)
    ->Args({4000, 3000, 145, 109})
    ->Args({6000, 4000, 218, 163})
    ->Unit(benchmark::kMillisecond);

}  // namespace
