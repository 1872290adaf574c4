#include "cli/ConvertCommand.h"

#include "cli/CliMain.h"
#include "cli/ConvertOptions.h"
#include "cli/ProgressBar.h"
#include "image/ImageStatusText.h"
#include "conversion/Conversion.h"
#include "document/OutputNaming.h"
#include "image/FileType.h"
#include "platform/MetafilePlayer.h"
#include "platform/WorkerThreads.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <map>
#include <ostream>
#include <thread>

namespace fs = std::filesystem;

namespace {

bool IsDirectory(const std::string& path)
{
    std::error_code error;
    return fs::is_directory(path, error);
}

// Where one input is written: in `folder` (the input's own when empty) under the proposed name.
std::string ProposedOutputPath(const std::string& input, const std::string& folder, bool toFourThree)
{
    const ProposedName proposed = ProposeOutputName(input, "", toFourThree);
    const std::string extension = HasWriterForExtension(proposed.sourceExtension) ? proposed.sourceExtension : ".jpg";
    const std::string directory = folder.empty() ? fs::path(input).parent_path().string() : folder;
    return (directory.empty() ? std::string() : directory + "/") + proposed.name + extension;
}

// One input's conversion, start to end. Returns the empty string on success, else the reason.
std::string ConvertOne(const ConvertOptions& options, const std::string& input, const std::string& outputPath)
{
    std::error_code error;
    if (!options.force && fs::exists(outputPath, error)) return outputPath + " exists (use --force to replace it)";
    CConversion conversion;
    conversion.settings = options.settings;
    bool converted = false;
    if (const int status = conversion.LoadAndConvert(input.c_str(), converted); status != kImageOk)
        return LoadFailureText(status, input);
    if (!converted) return "not enough memory to convert the picture";
    if (const int status = SaveOutputImage(conversion, outputPath, options.jpeg); status != kImageOk)
        return outputPath + ": " + SaveFailureText(status);
    return {};
}

}  // namespace

int RunConvert(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    std::string error;
    const std::optional<ConvertOptions> parsed = ParseConvertOptions(args, error);
    if (!parsed) {
        err << "lumatrine-cli convert: " << error << "\n" << kConvertUsage;
        return kExitUsage;
    }
    const ConvertOptions& options = *parsed;
    if (options.help) {
        out << kConvertHelp;
        return kExitOk;
    }

    // Every output path is decided before any work starts.
    const bool toFolder = options.output && IsDirectory(*options.output);
    if (options.inputs.size() > 1 && options.output && !toFolder) {
        err << "lumatrine-cli convert: with several inputs, --output must be an existing folder\n" << kConvertUsage;
        return kExitUsage;
    }
    const bool toFourThree = options.settings.ToFourThree();
    std::vector<std::string> outputs;
    for (const std::string& input : options.inputs) {
        if (options.output && !toFolder) {
            outputs.push_back(*options.output);
        } else {
            outputs.push_back(ProposedOutputPath(input, toFolder ? *options.output : std::string(), toFourThree));
        }
    }

    // Two inputs proposing one name (photo.gif and photo.jpg both give photo_16x9.jpg): the later fails.
    std::vector<std::string> failures(options.inputs.size());
    std::map<std::string, std::size_t> firstInputFor;
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        const auto [place, fresh] = firstInputFor.emplace(fs::absolute(outputs[i]).lexically_normal().string(), i);
        if (!fresh) failures[i] = outputs[i] + " is also the output of " + options.inputs[place->second];
    }

    // Text in metafiles needs the toolkit's application object, which only this thread may make.
    const auto isMetafile = [](const std::string& input) {
        const int type = CRasterImage::DetectFileType(input.c_str());
        return type == kFileWmf || type == kFileEmf;
    };
    if (std::any_of(options.inputs.begin(), options.inputs.end(), isMetafile)) platform::PrepareMetafileText();

    const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t jobCount =
        std::min<std::size_t>(options.jobs > 0 ? static_cast<std::size_t>(options.jobs) : cores, options.inputs.size());
    // Files at once and threads per file share the cores: each conversion gets its share of them.
    platform::SetWorkerCount(static_cast<int>(std::max<std::size_t>(1, cores / std::max<std::size_t>(jobCount, 1))));
    CProgressBar progress(stderr, static_cast<int>(options.inputs.size()));
    std::atomic<std::size_t> next{0};
    std::atomic<bool> anyFailed{false};
    auto worker = [&] {
        for (std::size_t i = next++; i < options.inputs.size(); i = next++) {
            if (failures[i].empty()) failures[i] = ConvertOne(options, options.inputs[i], outputs[i]);
            if (!failures[i].empty()) {
                anyFailed = true;
                progress.PrintLine(err, "lumatrine-cli: " + options.inputs[i] + ": " + failures[i]);
            }
            progress.Advance();
        }
    };
    std::vector<std::thread> workers;
    for (std::size_t j = 1; j < jobCount; ++j) workers.emplace_back(worker);
    worker();
    for (std::thread& thread : workers) thread.join();
    return anyFailed ? kExitFailed : kExitOk;
}
