// The peer of BM_UpdateConversion: OpenCV resizes the same crop window of the same picture to the same
// output size with its bicubic filter, then sharpens with a Gaussian blur of the same radius blended by
// addWeighted, single-threaded and with two threads.
#include "conversion/Conversion.h"

#include "../support/PhotoLike.h"
#include "ConversionBenchCase.h"

#include <benchmark/benchmark.h>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

namespace {

void BM_OpenCvResizeUnsharp(benchmark::State& state)
{
    CConversion conversion;
    FillPhotoLike(conversion.source, static_cast<std::uint32_t>(state.range(0)), static_cast<std::uint32_t>(state.range(1)));
    conversion.settings = BenchSettings();
    conversion.UpdateConversion(false);  // for the crop window and the output size
    const PixelRect crop = conversion.settings.cropRect;
    const OutputGeometry geometry = conversion.settings.ComputeOutputSize();
    const cv::Mat whole(static_cast<int>(conversion.source.height), static_cast<int>(conversion.source.width), CV_8UC3,
                        conversion.source.Pixels());
    const double amount = conversion.settings.sharpenAmount * 0.01;
    cv::setNumThreads(static_cast<int>(state.range(2)));
    cv::Mat resized, blurred, sharpened;
    for (auto _ : state) {
        const cv::Mat window = whole(cv::Rect(crop.left, crop.top, crop.Width(), crop.Height()));
        cv::resize(window, resized, cv::Size(geometry.width, geometry.height), 0, 0, cv::INTER_CUBIC);
        cv::GaussianBlur(resized, blurred, cv::Size(5, 5), 0.75);
        cv::addWeighted(resized, 1 + amount, blurred, -amount, 0, sharpened);
        benchmark::DoNotOptimize(sharpened.data);
    }
    cv::setNumThreads(-1);
}
BENCHMARK(BM_OpenCvResizeUnsharp)->ArgsProduct({{4000}, {3000}, {1, 2}})->ArgsProduct({{6000}, {4000}, {1, 2}})
    ->ArgNames({"w", "h", "threads"})->Unit(benchmark::kMillisecond);

}  // namespace
