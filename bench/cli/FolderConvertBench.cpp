// A folder of 20 photographs of 6000 x 4000 converted with one set of settings: the desktop program's
// "Convert Folder..." (its run on worker threads, watched a few times a second as its progress window
// does) against "lumatrine-cli convert -j N" over the same files, N the number of cores.
#include "cli/CliMain.h"
#include "document/FolderConversion.h"
#include "document/NeighbourFiles.h"

#include "../support/PhotoLike.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <sstream>
#include <thread>

namespace {

constexpr int kPictureCount = 20;

// The folder of pictures, written once for both benchmarks, and an empty output folder beside it.
const std::filesystem::path& PictureFolder()
{
    static const std::filesystem::path folder = [] {
        const std::filesystem::path pictures = std::filesystem::temp_directory_path() / "lumatrine-folder-bench";
        std::filesystem::remove_all(pictures);
        const std::string photo = WritePhotoJpeg(pictures / "source");
        for (int i = 0; i < kPictureCount; ++i)
            std::filesystem::copy_file(photo, pictures / ("photo" + std::to_string(i) + ".jpg"));
        std::filesystem::remove_all(pictures / "source");
        return pictures;
    }();
    return folder;
}

std::string FreshOutputFolder()
{
    const std::filesystem::path output = PictureFolder().parent_path() / "lumatrine-folder-bench-out";
    std::filesystem::remove_all(output);
    std::filesystem::create_directories(output);
    return output.string();
}

ConversionSettings BenchSettings()
{
    ConversionSettings settings;
    settings.sharpenOn = 1;
    settings.sharpenAmount = 25;
    settings.stretchCropRatio = 30;
    return settings;
}

void BM_DesktopConvertFolder(benchmark::State& state)
{
    const std::vector<std::string> pictures = ListFolderPictures(PictureFolder().string());
    for (auto _ : state) {
        state.PauseTiming();
        const std::string output = FreshOutputFolder();
        state.ResumeTiming();
        CFolderConversion conversion(PlanConversionJobs(pictures, output, false),
                                     ConversionRunSettings{BenchSettings(), JpegChoice{}, false, 0});
        conversion.Start();
        while (!conversion.CurrentProgress().done) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        conversion.Wait();
        for (const ConversionJob& job : conversion.Jobs())
            if (job.state != ConversionJob::State::kWritten) state.SkipWithError(job.failure.c_str());
    }
}
BENCHMARK(BM_DesktopConvertFolder)->Unit(benchmark::kSecond)->Iterations(1)->Repetitions(5);

void BM_CliConvertFolder(benchmark::State& state)
{
    const std::vector<std::string> pictures = ListFolderPictures(PictureFolder().string());
    const std::string jobs = std::to_string(std::max(1u, std::thread::hardware_concurrency()));
    for (auto _ : state) {
        state.PauseTiming();
        const std::string output = FreshOutputFolder();
        std::vector<std::string> args = {"lumatrine-cli", "convert", "--sharpen", "25", "--ratio", "30", "-j", jobs, "-o", output};
        args.insert(args.end(), pictures.begin(), pictures.end());
        std::vector<char*> argv;
        for (std::string& arg : args) argv.push_back(arg.data());
        std::ostringstream out, err;
        state.ResumeTiming();
        if (RunCli(static_cast<int>(argv.size()), argv.data(), out, err) != 0) state.SkipWithError(err.str().c_str());
    }
}
BENCHMARK(BM_CliConvertFolder)->Unit(benchmark::kSecond)->Iterations(1)->Repetitions(5);

}  // namespace
