// Start-up to the first paint: the whole desktop program, from process start until its view has
// painted the converted 6000 x 4000 picture named on the command line, next to the same file's load
// and conversion inside one process (the reference: everything else start-up does is overhead).
#include "document/VantorelDoc.h"

#include "../support/PhotoLike.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace {

const std::filesystem::path& BenchFolder()
{
    static const std::filesystem::path folder = std::filesystem::temp_directory_path() / "lumatrine-startup-bench";
    return folder;
}

const std::string& PhotoPath()
{
    static const std::string path = WritePhotoJpeg(BenchFolder());
    return path;
}

// Runs the program to its first paint; false when it failed.
bool RunToFirstPaint(const std::string& file)
{
    char* const argv[] = {const_cast<char*>(LUMATRINE_FIRST_PAINT_PROGRAM), const_cast<char*>(file.c_str()), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, LUMATRINE_FIRST_PAINT_PROGRAM, nullptr, nullptr, argv, environ) != 0) return false;
    int status = 0;
    return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void BM_StartupToFirstPaint(benchmark::State& state)
{
    const std::string& file = PhotoPath();
    // A display-less window system, and a profile of its own so the user's settings stay untouched.
    if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("XDG_CONFIG_HOME", (BenchFolder() / "config").c_str(), 1);
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (!RunToFirstPaint(file)) {
            state.SkipWithError("the program did not reach its first paint");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
}
BENCHMARK(BM_StartupToFirstPaint)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

void BM_LoadAndConvertInProcess(benchmark::State& state)
{
    const std::string& file = PhotoPath();
    for (auto _ : state) {
        CVantorelDoc document;
        if (!document.LoadImageFile(file)) {
            state.SkipWithError("the photo could not be loaded");
            return;
        }
        benchmark::DoNotOptimize(document.conversion.output.Pixels());
    }
}
BENCHMARK(BM_LoadAndConvertInProcess)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace
