// Loading a 6000 x 4000 JPEG into the source image, alone and followed by the first conversion update,
// beside libjpeg-turbo decoding the same file into a buffer that is already allocated and touched.
#include "conversion/Conversion.h"

#include "../support/PhotoLike.h"
#include "../conversion/ConversionBenchCase.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include <jpeglib.h>

namespace {

const std::string& PhotoJpeg()
{
    static const std::string path = WritePhotoJpeg(std::filesystem::temp_directory_path() / "lumatrine-load-bench");
    return path;
}

void BM_LoadJpegIntoSource(benchmark::State& state)
{
    const std::string& path = PhotoJpeg();
    for (auto _ : state) {
        CConversion conversion;
        if (conversion.source.Load(path.c_str()) != kImageOk) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(conversion.source.Pixels());
    }
}
BENCHMARK(BM_LoadJpegIntoSource)->Unit(benchmark::kMillisecond);

void BM_LoadJpegThenFirstUpdate(benchmark::State& state)
{
    const std::string& path = PhotoJpeg();
    for (auto _ : state) {
        CConversion conversion;
        conversion.settings = BenchSettings();
        if (conversion.source.Load(path.c_str()) != kImageOk) state.SkipWithError("load failed");
        conversion.NormalizeNonSquareSource();
        conversion.UpdateConversion(false);
        benchmark::DoNotOptimize(conversion.output.Pixels());
    }
}
BENCHMARK(BM_LoadJpegThenFirstUpdate)->Unit(benchmark::kMillisecond);

void BM_LibjpegDecodeTouchedBuffer(benchmark::State& state)
{
    const std::string& path = PhotoJpeg();
    std::vector<std::uint8_t> pixels(std::size_t{6000} * 4000 * 3, 1);
    for (auto _ : state) {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        jpeg_decompress_struct info;
        jpeg_error_mgr errors;
        info.err = jpeg_std_error(&errors);
        jpeg_create_decompress(&info);
        jpeg_stdio_src(&info, file);
        jpeg_read_header(&info, TRUE);
        info.out_color_space = JCS_RGB;
        jpeg_start_decompress(&info);
        while (info.output_scanline < info.output_height) {
            JSAMPROW row = pixels.data() + std::size_t{info.output_scanline} * info.output_width * 3;
            jpeg_read_scanlines(&info, &row, 1);
        }
        jpeg_finish_decompress(&info);
        jpeg_destroy_decompress(&info);
        std::fclose(file);
        benchmark::DoNotOptimize(pixels.data());
    }
}
BENCHMARK(BM_LibjpegDecodeTouchedBuffer)->Unit(benchmark::kMillisecond);

}  // namespace
