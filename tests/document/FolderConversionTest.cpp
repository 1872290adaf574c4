#include "document/FolderConversion.h"

#include "document/NeighbourFiles.h"
#include "image/RasterImage.h"

#include "../support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

namespace fs = std::filesystem;

namespace {

void WritePicture(const std::string& path, std::uint32_t width = 64, std::uint32_t height = 48)
{
    CRasterImage picture;
    picture.Create(width, height, 24);
    for (std::uint64_t i = 0; i < std::uint64_t{width} * height * 3; ++i) picture.Pixels()[i] = static_cast<std::uint8_t>(i * 7);
    ASSERT_EQ(picture.Save(path.c_str()), kImageOk) << path;
}

std::set<std::string> FileNames(const std::string& folder)
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
    return names;
}

std::string Bytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A folder as a person brings it: three formats, a picture that cannot be read, one already converted
// and a file that is no picture.
class MixedFolder : public testing::Test {
protected:
    void SetUp() override
    {
        WritePicture(pictures.File("a.png"));
        WritePicture(pictures.File("b.bmp"));
        WritePicture(pictures.File("c.jpg"));
        WritePicture(pictures.File("d_16x9.png"));
        pictures.Write("broken.tga", "not a targa file at all");
        pictures.Write("notes.txt", "a = 1");
    }

    std::vector<ConversionJob> Plan() const
    {
        return PlanConversionJobs(ListFolderPictures(pictures.Path()), output.Path(), false);
    }

    TempFolder pictures;
    TempFolder output;
    ConversionRunSettings run{ConversionSettings{}, JpegChoice{}, false, 2};
};

TEST_F(MixedFolder, ConvertsEveryPictureAndReportsTheOneThatFails)
{
    std::vector<ConversionJob> jobs = Plan();
    ASSERT_EQ(jobs.size(), 4u) << "a, b, c and broken; the converted d and the text file are left out";
    RunConversionJobs(jobs, run);

    EXPECT_EQ(FileNames(output.Path()), (std::set<std::string>{"a_16x9.png", "b_16x9.bmp", "c_16x9.jpg"}));
    CRasterImage converted;
    ASSERT_EQ(converted.Load(output.File("c_16x9.jpg").c_str()), kImageOk);
    EXPECT_EQ(converted.width * 9, converted.height * 16);

    const std::string summary = ConversionSummaryText(jobs);
    EXPECT_EQ(summary.substr(0, summary.find('\n')), "3 pictures written, 1 failed.");
    EXPECT_NE(summary.find(pictures.File("broken.tga") + ": "), std::string::npos) << summary;
    EXPECT_NE(summary.find(output.File("b_16x9.bmp")), std::string::npos) << summary;
}

TEST_F(MixedFolder, ExistingOutputsStayUnlessReplacingWasAgreed)
{
    std::vector<ConversionJob> first = Plan();
    RunConversionJobs(first, run);
    EXPECT_EQ(ExistingOutputs(Plan()).size(), 3u);

    // Other settings would write other bytes: a kept file still holds the first run's.
    const std::string before = Bytes(output.File("a_16x9.png"));
    run.settings.stretchCropRatio = 100;
    std::vector<ConversionJob> kept = Plan();
    RunConversionJobs(kept, run);
    EXPECT_EQ(Bytes(output.File("a_16x9.png")), before);
    EXPECT_EQ(std::count_if(kept.begin(), kept.end(),
                            [](const ConversionJob& job) { return job.failure.find("exists") != std::string::npos; }),
              3);

    run.replaceExisting = true;
    std::vector<ConversionJob> replaced = Plan();
    RunConversionJobs(replaced, run);
    EXPECT_NE(Bytes(output.File("a_16x9.png")), before);
}

TEST_F(MixedFolder, TwoInputsProposingOneOutputFailTheLaterBeforeTheRun)
{
    WritePicture(pictures.File("a.PNG"));
    const std::vector<ConversionJob> jobs = Plan();
    const auto doubled = std::find_if(jobs.begin(), jobs.end(), [](const ConversionJob& job) { return !job.failure.empty(); });
    ASSERT_NE(doubled, jobs.end());
    EXPECT_EQ(doubled->state, ConversionJob::State::kFailed);
    EXPECT_NE(doubled->failure.find("is also the output of"), std::string::npos) << doubled->failure;
}

// Stops the run once the first file is finished.
class StopAfterFirst : public CConversionRunObserver {
public:
    void JobFinished(std::size_t) override { ++finished; }
    bool StopRequested() const override { return finished > 0; }
    std::atomic<int> finished{0};
};

TEST(FolderConversion, CancelKeepsFinishedFilesAndLeavesNoPartialOne)
{
    TempFolder pictures, output;
    for (const char* name : {"p1.png", "p2.png", "p3.png", "p4.png"}) WritePicture(pictures.File(name));
    std::vector<ConversionJob> jobs = PlanConversionJobs(ListFolderPictures(pictures.Path()), output.Path(), false);

    StopAfterFirst stop;
    RunConversionJobs(jobs, ConversionRunSettings{ConversionSettings{}, JpegChoice{}, false, 1}, &stop);
    EXPECT_EQ(jobs[0].state, ConversionJob::State::kWritten);
    for (std::size_t i = 1; i < jobs.size(); ++i) EXPECT_EQ(jobs[i].state, ConversionJob::State::kWaiting) << i;
    EXPECT_EQ(FileNames(output.Path()), std::set<std::string>{"p1_16x9.png"});
    EXPECT_NE(ConversionSummaryText(jobs).find("3 not converted (cancelled)"), std::string::npos);

    // Cancelled from another thread at any moment: each output is a whole picture or absent.
    TempFolder secondOutput;
    CFolderConversion conversion(PlanConversionJobs(ListFolderPictures(pictures.Path()), secondOutput.Path(), false),
                                 ConversionRunSettings{ConversionSettings{}, JpegChoice{}, false, 2});
    conversion.Start();
    conversion.Cancel();
    conversion.Wait();
    EXPECT_TRUE(conversion.CurrentProgress().done);
    std::set<std::string> written;
    for (const ConversionJob& job : conversion.Jobs()) {
        ASSERT_NE(job.state, ConversionJob::State::kFailed) << job.failure;
        if (job.state == ConversionJob::State::kWritten) written.insert(fs::path(job.output).filename().string());
    }
    EXPECT_EQ(FileNames(secondOutput.Path()), written);
    for (const std::string& name : written) {
        CRasterImage image;
        EXPECT_EQ(image.Load(secondOutput.File(name).c_str()), kImageOk) << name;
    }
}

TEST(FolderConversion, ProgressCountsEveryJobAndEstimatesTheTimeLeft)
{
    TempFolder pictures, output;
    for (const char* name : {"p1.png", "p2.png"}) WritePicture(pictures.File(name));
    std::vector<ConversionJob> jobs = PlanConversionJobs(ListFolderPictures(pictures.Path()), output.Path(), false);
    ConversionJob refused;
    refused.input = "x.png";
    refused.state = ConversionJob::State::kFailed;
    jobs.push_back(refused);

    CFolderConversion conversion(jobs, ConversionRunSettings{});
    const CFolderConversion::Progress before = conversion.CurrentProgress();
    EXPECT_EQ(before.total, 3u);
    EXPECT_EQ(before.finished, 1u) << "a job failed before the run counts as finished";
    EXPECT_LT(before.secondsLeft, 0) << "no estimate before a file is done";
    conversion.Start();
    conversion.Wait();
    const CFolderConversion::Progress after = conversion.CurrentProgress();
    EXPECT_EQ(after.finished, 3u);
    EXPECT_TRUE(after.done);
}

}  // namespace
