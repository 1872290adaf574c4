#include "document/QualitySearch.h"

#include "image/RasterImage.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

struct RecordingProgress : CQualitySearchProgress {
    std::vector<int> probes;
    int cancelAfter = -1;  // probes allowed before Cancelled() turns true; -1 never
    void ShowProbe(int quality) override { probes.push_back(quality); }
    bool Cancelled() const override { return cancelAfter >= 0 && static_cast<int>(probes.size()) >= cancelAfter; }
};

class QualitySearch : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(picture.Create(96, 54, 24), kImageOk);
        std::mt19937 random(5);
        for (std::uint32_t i = 0; i < 96 * 54 * 3; ++i) picture.Pixels()[i] = static_cast<std::uint8_t>(random() % 64 + (i % 96));
    }
    CRasterImage picture;
    RecordingProgress progress;
};

}  // namespace

TEST_F(QualitySearch, ProbesGrowWithQuality)
{
    const std::int64_t low = ProbeJpegSize(picture, 60, true);
    const std::int64_t high = ProbeJpegSize(picture, 92, true);
    EXPECT_GT(low, 0);
    EXPECT_GT(high, low);
    EXPECT_GT(ProbeJpegSize(picture, 92, true), ProbeJpegSize(picture, 92, false)) << "full chroma costs bytes";
}

TEST_F(QualitySearch, EveryProbeTooLargeSuggests59)
{
    EXPECT_EQ(SuggestQuality(picture, true, 1, &progress), 59);
    EXPECT_EQ(progress.probes, (std::vector<int>{76, 68, 64, 62, 61}));
}

TEST_F(QualitySearch, EveryProbeSmallSuggests91)
{
    EXPECT_EQ(SuggestQuality(picture, true, 100'000'000, &progress), 91);
    EXPECT_EQ(progress.probes, (std::vector<int>{76, 84, 88, 90, 91, 92}));
}

TEST_F(QualitySearch, AnExactHitEndsTheSearch)
{
    const std::int64_t sizeAt76 = ProbeJpegSize(picture, 76, true);
    EXPECT_EQ(SuggestQuality(picture, true, sizeAt76, &progress), 75);
    EXPECT_EQ(progress.probes, (std::vector<int>{76}));
}

TEST_F(QualitySearch, CancelKeepsTheBestFoundSoFar)
{
    progress.cancelAfter = 2;
    EXPECT_EQ(SuggestQuality(picture, true, 100'000'000, &progress), 83);  // 84 was the last low bound
    EXPECT_EQ(progress.probes.size(), 2u);
}

TEST(FormatByteSize, DividesBy1024AboveAThousand)
{
    const struct { std::int64_t bytes; int decimals; const char* text; } cases[] = {
        {1000, 2, "1000.00 bytes"}, {1001, 2, "0.98 KB"}, {1555200, 2, "1.48 MB"}, {0, 2, "0.00 bytes"}, {0, 3, "0.000 bytes"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatByteSize(c.bytes, c.decimals), c.text) << c.bytes;
}
