#include "cli/ConvertCommand.h"

#include "cli/CliMain.h"
#include "cli/ConvertOptions.h"
#include "cli/ProgressBar.h"
#include "document/FolderConversion.h"
#include "image/FileType.h"
#include "image/RasterImage.h"
#include "platform/MetafilePlayer.h"

#include <algorithm>
#include <filesystem>
#include <ostream>

namespace fs = std::filesystem;

namespace {

bool IsDirectory(const std::string& path)
{
    std::error_code error;
    return fs::is_directory(path, error);
}

// Failures go to stderr as they happen, above the progress bar.
class ProgressLines : public CConversionRunObserver {
public:
    ProgressLines(const std::vector<ConversionJob>& jobs, CProgressBar& progress, std::ostream& err)
        : jobs_(jobs), progress_(progress), err_(err) {}
    void JobFinished(std::size_t index) override
    {
        const ConversionJob& job = jobs_[index];
        if (job.state == ConversionJob::State::kFailed) progress_.PrintLine(err_, "lumatrine-cli: " + job.input + ": " + job.failure);
        progress_.Advance();
    }

private:
    const std::vector<ConversionJob>& jobs_;
    CProgressBar& progress_;
    std::ostream& err_;
};

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
    std::vector<ConversionJob> jobs;
    if (options.output && !toFolder) {
        ConversionJob job;
        job.input = options.inputs.front();
        job.output = *options.output;
        jobs.push_back(std::move(job));
    } else {
        jobs = PlanConversionJobs(options.inputs, toFolder ? *options.output : std::string(), toFourThree);
    }

    // Text in metafiles needs the toolkit's application object, which only this thread may make.
    const auto isMetafile = [](const std::string& input) {
        const int type = CRasterImage::DetectFileType(input.c_str());
        return type == kFileWmf || type == kFileEmf;
    };
    if (std::any_of(options.inputs.begin(), options.inputs.end(), isMetafile)) platform::PrepareMetafileText();

    CProgressBar progress(stderr, static_cast<int>(jobs.size()));
    ProgressLines lines(jobs, progress, err);
    // Jobs that failed in planning (two inputs, one output) are reported as the run reports its own.
    for (std::size_t i = 0; i < jobs.size(); ++i)
        if (jobs[i].state == ConversionJob::State::kFailed) lines.JobFinished(i);
    RunConversionJobs(jobs,
                      ConversionRunSettings{options.settings, options.jpeg, options.force, options.jobs, options.autoOrient,
                                            options.keepMetadata},
                      &lines);
    const bool anyFailed = std::any_of(jobs.begin(), jobs.end(),
                                       [](const ConversionJob& job) { return job.state != ConversionJob::State::kWritten; });
    return anyFailed ? kExitFailed : kExitOk;
}
