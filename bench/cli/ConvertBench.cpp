// lumatrine-cli convert of a 6000 x 4000 JPEG to a 960 x 540 JPEG at quality 92, load to file.
#include "cli/CliMain.h"

#include "../support/PhotoLike.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <sstream>

namespace {

void BM_ConvertJpegFile(benchmark::State& state)
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "lumatrine-bench";
    const std::string input = WritePhotoJpeg(folder);
    std::string output = (folder / "photo_16x9.jpg").string();
    for (auto _ : state) {
        std::vector<std::string> args = {"lumatrine-cli", "convert", "--force", "--sharpen", "25", "--quality", "92", "-o", output, input};
        std::vector<char*> argv;
        for (std::string& arg : args) argv.push_back(arg.data());
        std::ostringstream out, err;
        if (RunCli(static_cast<int>(argv.size()), argv.data(), out, err) != 0) state.SkipWithError(err.str().c_str());
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_ConvertJpegFile)->Unit(benchmark::kMillisecond);

}  // namespace
