#include "document/FolderConversion.h"

#include "conversion/Conversion.h"
#include "document/OutputNaming.h"
#include "image/ImageStatusText.h"
#include "platform/WorkerThreads.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <new>

namespace fs = std::filesystem;

std::vector<ConversionJob> PlanConversionJobs(const std::vector<std::string>& inputs, const std::string& outputFolder,
                                              bool toFourThree)
{
    std::vector<ConversionJob> jobs;
    jobs.reserve(inputs.size());
    for (const std::string& input : inputs) {
        ConversionJob job;
        job.input = input;
        job.output = ProposedOutputPath(input, outputFolder, toFourThree);
        jobs.push_back(std::move(job));
    }
    FailDuplicateOutputs(jobs);
    return jobs;
}

void FailDuplicateOutputs(std::vector<ConversionJob>& jobs)
{
    // Two inputs proposing one name (photo.gif and photo.jpg both give photo_16x9.jpg): the later fails.
    std::map<std::string, std::size_t> firstInputFor;
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        std::error_code error;
        const fs::path absolute = fs::absolute(jobs[i].output, error);
        const auto [place, fresh] = firstInputFor.emplace((error ? fs::path(jobs[i].output) : absolute).lexically_normal().string(), i);
        if (fresh || jobs[i].state != ConversionJob::State::kWaiting) continue;
        jobs[i].state = ConversionJob::State::kFailed;
        jobs[i].failure = jobs[i].output + " is also the output of " + jobs[place->second].input;
    }
}

std::vector<std::string> ExistingOutputs(const std::vector<ConversionJob>& jobs)
{
    std::vector<std::string> existing;
    for (const ConversionJob& job : jobs) {
        std::error_code error;
        if (job.state == ConversionJob::State::kWaiting && fs::exists(job.output, error)) existing.push_back(job.output);
    }
    return existing;
}

std::string ConvertPictureFile(const ConversionRunSettings& run, const std::string& input, const std::string& output)
{
    constexpr const char* kOutOfMemory = "not enough memory to convert the picture";
    // This runs on worker threads, where an escaping exception would end the program: memory running
    // out anywhere fails this file only.
    try {
        std::error_code error;
        if (!run.replaceExisting && fs::exists(output, error)) return output + " exists and was not replaced";
        CConversion conversion;
        conversion.settings = run.settings;
        conversion.source.autoOrient = run.autoOrient;
        bool converted = false;
        if (const int status = conversion.LoadAndConvert(input.c_str(), converted); status != kImageOk)
            return LoadFailureText(status, input);
        if (!converted) return kOutOfMemory;
        conversion.output.keepMetadata = run.keepMetadata;
        if (const int status = SaveOutputImage(conversion, output, run.jpeg); status != kImageOk)
            return output + ": " + SaveFailureText(status);
        return {};
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    }
}

void RunConversionJobs(std::vector<ConversionJob>& jobs, const ConversionRunSettings& run, CConversionRunObserver* observer)
{
    const std::size_t waiting = static_cast<std::size_t>(std::count_if(
        jobs.begin(), jobs.end(), [](const ConversionJob& job) { return job.state == ConversionJob::State::kWaiting; }));
    if (waiting == 0) return;
    const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t jobCount = std::min(run.jobCount > 0 ? static_cast<std::size_t>(run.jobCount) : cores, waiting);
    // Files at once and threads per file share the cores: each conversion gets its share of them.
    platform::SetWorkerCount(static_cast<int>(std::max<std::size_t>(1, cores / jobCount)));

    std::atomic<std::size_t> next{0};
    auto worker = [&] {
        for (std::size_t i = next++; i < jobs.size(); i = next++) {
            ConversionJob& job = jobs[i];
            if (job.state != ConversionJob::State::kWaiting) continue;
            if (observer != nullptr && observer->StopRequested()) return;
            if (observer != nullptr) observer->JobStarted(i);
            job.failure = ConvertPictureFile(run, job.input, job.output);
            job.state = job.failure.empty() ? ConversionJob::State::kWritten : ConversionJob::State::kFailed;
            if (observer != nullptr) observer->JobFinished(i);
        }
    };
    std::vector<std::thread> workers;
    for (std::size_t j = 1; j < jobCount; ++j) {
        try {
            workers.emplace_back(worker);
        } catch (const std::system_error&) {
            break;  // fewer threads at once; the calling thread still takes every file left
        }
    }
    worker();
    for (std::thread& thread : workers) thread.join();
    // The document's own conversions use every core again.
    platform::SetWorkerCount(0);
}

std::string ConversionSummaryText(const std::vector<ConversionJob>& jobs)
{
    std::string written, failed;
    std::size_t writtenCount = 0, failedCount = 0, notConverted = 0;
    for (const ConversionJob& job : jobs) {
        switch (job.state) {
        case ConversionJob::State::kWritten:
            ++writtenCount;
            written += "  " + job.output + "\n";
            break;
        case ConversionJob::State::kFailed:
            ++failedCount;
            failed += "  " + job.input + ": " + job.failure + "\n";
            break;
        case ConversionJob::State::kWaiting: ++notConverted; break;
        }
    }
    const auto pictures = [](std::size_t count) { return std::to_string(count) + (count == 1 ? " picture" : " pictures"); };
    std::string text = pictures(writtenCount) + " written, " + std::to_string(failedCount) + " failed";
    if (notConverted > 0) text += ", " + std::to_string(notConverted) + " not converted (cancelled)";
    text += ".\n";
    if (failedCount > 0) text += "\nFailed:\n" + failed;
    if (writtenCount > 0) text += "\nWritten:\n" + written;
    return text;
}

CFolderConversion::CFolderConversion(std::vector<ConversionJob> jobs, const ConversionRunSettings& run)
    : jobs_(std::move(jobs)), run_(run)
{
    for (const ConversionJob& job : jobs_) {
        if (job.state == ConversionJob::State::kWaiting) ++toConvert_;
    }
    finished_ = jobs_.size() - toConvert_;
}

CFolderConversion::~CFolderConversion()
{
    Cancel();
    Wait();
}

void CFolderConversion::Start()
{
    if (thread_.joinable() || done_) return;
    started_ = std::chrono::steady_clock::now();
    thread_ = std::thread([this] {
        RunConversionJobs(jobs_, run_, this);
        done_ = true;
    });
}

void CFolderConversion::Wait()
{
    if (thread_.joinable()) thread_.join();
}

void CFolderConversion::JobStarted(std::size_t index)
{
    const std::lock_guard<std::mutex> lock(currentMutex_);
    currentFile_ = jobs_[index].input;
}

void CFolderConversion::JobFinished(std::size_t /*index*/) { ++finished_; }

CFolderConversion::Progress CFolderConversion::CurrentProgress() const
{
    Progress progress;
    progress.total = jobs_.size();
    progress.finished = finished_;
    progress.done = done_;
    {
        const std::lock_guard<std::mutex> lock(currentMutex_);
        progress.currentFile = currentFile_;
    }
    // The files of this run finished so far set the pace for the ones left.
    const std::size_t finishedInRun = progress.finished - (jobs_.size() - toConvert_);
    if (finishedInRun > 0 && !progress.done) {
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
        progress.secondsLeft = elapsed / static_cast<double>(finishedInRun) * static_cast<double>(toConvert_ - finishedInRun);
    }
    return progress;
}
