#pragma once
// Converting many pictures at once with one set of settings: the shared work of "Convert Folder..." in
// the desktop program and of "lumatrine-cli convert". Each file is loaded, converted exactly as the
// document converts it and written by the save pipeline, so a file converted here, by a single Save
// with the same settings or by the command line has the same bytes.
//
// RunConversionJobs blocks on the calling thread while several worker threads take files in turn.
// CFolderConversion runs it on a thread of its own for a caller that must stay responsive, and lets
// that caller read the progress and ask to stop. Neither asks a person anything.

#include "conversion/ConversionSettings.h"
#include "document/SavePipeline.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// One file of a run. A job whose failure is already set when the run starts is not converted.
struct ConversionJob {
    enum class State { kWaiting, kWritten, kFailed };
    std::string input;
    std::string output;
    State state = State::kWaiting;  // kWaiting after a run: cancelled before it started
    std::string failure;            // the reason in words when kFailed
};

struct ConversionRunSettings {
    ConversionSettings settings;
    JpegChoice jpeg;
    bool replaceExisting = false;  // otherwise an existing output fails its job and stays as it was
    int jobCount = 0;              // files converted at once; 0: one per core
    bool autoOrient = true;        // sources turned upright by their Orientation tag
    bool keepMetadata = true;      // outputs carry the source's profile, Exif and XMP
};

// What a run tells while it works, on the worker threads.
class CConversionRunObserver {
public:
    virtual ~CConversionRunObserver() = default;
    virtual void JobStarted(std::size_t /*index*/) {}
    virtual void JobFinished(std::size_t index) = 0;
    // Asked before each file: true stops the run once the files under way are finished.
    virtual bool StopRequested() const { return false; }
};

// Jobs for `inputs` written to the proposed names in `outputFolder` (each input's own when empty). Two
// inputs proposing one output (photo.png and photo.PNG): the later one fails before the run.
std::vector<ConversionJob> PlanConversionJobs(const std::vector<std::string>& inputs, const std::string& outputFolder,
                                              bool toFourThree);
// The same check for outputs chosen by the caller.
void FailDuplicateOutputs(std::vector<ConversionJob>& jobs);
// The outputs of waiting jobs that already exist.
std::vector<std::string> ExistingOutputs(const std::vector<ConversionJob>& jobs);

// Converts `input` to `output`. The empty string on success, else the reason; a failure leaves no
// partial file and, unless `replaceExisting`, an existing output fails the file untouched.
std::string ConvertPictureFile(const ConversionRunSettings& run, const std::string& input, const std::string& output);

// Runs every waiting job; returns when all are finished or the observer stopped the run.
void RunConversionJobs(std::vector<ConversionJob>& jobs, const ConversionRunSettings& run,
                       CConversionRunObserver* observer = nullptr);

// The summary shown at the end of a run: counts, every file written and every failure with its reason.
std::string ConversionSummaryText(const std::vector<ConversionJob>& jobs);

class CFolderConversion : private CConversionRunObserver {
public:
    struct Progress {
        std::size_t finished = 0;
        std::size_t total = 0;
        std::string currentFile;  // the input started last, while the run goes on
        double secondsLeft = -1;  // estimated from the files finished; negative before the first
        bool done = false;
    };

    CFolderConversion(std::vector<ConversionJob> jobs, const ConversionRunSettings& run);
    // Waits for the files under way when the run is still going.
    ~CFolderConversion() override;
    CFolderConversion(const CFolderConversion&) = delete;
    CFolderConversion& operator=(const CFolderConversion&) = delete;

    void Start();
    // The run stops after the files under way; every finished file stays.
    void Cancel() { stop_ = true; }
    Progress CurrentProgress() const;
    // Blocks until the run has ended; then the jobs hold their results.
    void Wait();
    const std::vector<ConversionJob>& Jobs() const { return jobs_; }

private:
    void JobStarted(std::size_t index) override;
    void JobFinished(std::size_t index) override;
    bool StopRequested() const override { return stop_; }

    std::vector<ConversionJob> jobs_;
    ConversionRunSettings run_;
    std::thread thread_;
    std::chrono::steady_clock::time_point started_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> done_{false};
    std::atomic<std::size_t> finished_{0};
    std::size_t toConvert_ = 0;
    mutable std::mutex currentMutex_;
    std::string currentFile_;
};
