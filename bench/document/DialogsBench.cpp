// The dialogs' speed: the File Open preview of a 6000 x 4000 JPEG from selection to painted thumbnail,
// next to the full decode of the same file, and Suggest Quality on the 960 x 540 output of a 6000 x 4000
// photograph with its progress window, next to the bare search.
#include "conversion/Conversion.h"
#include "document/QualitySearch.h"
#include "document/dialogs/JpegOptionsDlg.h"
#include "document/dialogs/PrevFileDlg.h"
#include "document/dialogs/PreviewStatic.h"

#include "../support/PhotoLike.h"

#include <QApplication>
#include <QLineEdit>

#include <benchmark/benchmark.h>

#include <array>
#include <filesystem>

namespace {

QApplication& Application()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "dialogs_bench";
    static char* argv[] = {name, nullptr};
    static QApplication application(argc, argv);
    return application;
}

// Two copies of the photograph, so every selection is a change the dialog reacts to.
const std::array<QString, 2>& PhotoFiles()
{
    static const std::array<QString, 2> files = [] {
        const std::filesystem::path folder = std::filesystem::temp_directory_path() / "lumatrine-dialogs-bench";
        const std::string first = WritePhotoJpeg(folder);
        const std::filesystem::path second = folder / "photo-copy.jpg";
        std::filesystem::copy_file(first, second, std::filesystem::copy_options::overwrite_existing);
        return std::array<QString, 2>{QString::fromStdString(first), QString::fromStdString(second.string())};
    }();
    return files;
}

void BM_PhotoFullDecode(benchmark::State& state)
{
    const std::string path = PhotoFiles()[0].toStdString();
    for (auto _ : state) {
        CRasterImage picture;
        benchmark::DoNotOptimize(picture.Load(path.c_str()));
    }
}
BENCHMARK(BM_PhotoFullDecode)->Unit(benchmark::kMillisecond);

void BM_PhotoPreviewFromSelection(benchmark::State& state)
{
    Application();
    const auto& files = PhotoFiles();
    CPrevFileDlg dialog;
    dialog.show();
    QApplication::processEvents();
    std::size_t next = 0;
    for (auto _ : state) {
        dialog.OnFileNameChange(files[next]);
        dialog.Preview().repaint();
        next ^= 1;
    }
    if (dialog.Preview().StoredWidth() != 6000) state.SkipWithError("the preview did not load the photograph");
}
BENCHMARK(BM_PhotoPreviewFromSelection)->Unit(benchmark::kMillisecond);

struct ConvertedPhoto {
    CConversion conversion;
    ConvertedPhoto()
    {
        FillPhotoLike(conversion.source, 6000, 4000);
        conversion.UpdateConversion(false);
    }
};
const CRasterImage& PhotoOutput()
{
    static const ConvertedPhoto photo;
    return photo.conversion.output;
}

void BM_SuggestQualitySearchOnly(benchmark::State& state)
{
    const CRasterImage& output = PhotoOutput();
    for (auto _ : state) benchmark::DoNotOptimize(SuggestQuality(output, true, 250 * 1024, nullptr));
}
BENCHMARK(BM_SuggestQualitySearchOnly)->Unit(benchmark::kMillisecond);

void BM_SuggestQualityWithProgressWindow(benchmark::State& state)
{
    Application();
    JpegOptionsRequest request;
    request.picture = &PhotoOutput();
    CJpegOptionsDlg dialog(nullptr, request);
    dialog.show();
    QApplication::processEvents();
    for (auto _ : state) dialog.OnSuggestQuality();
    state.SetLabel(std::to_string(request.picture->width) + " x " + std::to_string(request.picture->height) + ", quality " +
                   std::to_string(dialog.Quality()));
}
BENCHMARK(BM_SuggestQualityWithProgressWindow)->Unit(benchmark::kMillisecond);

}  // namespace
