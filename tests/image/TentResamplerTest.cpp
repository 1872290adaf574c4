#include "image/TentResampler.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// One row (or column) of grey pixels whose value is given per pixel.
std::vector<std::uint8_t> GreyLine(const std::vector<int>& values)
{
    std::vector<std::uint8_t> pixels;
    for (const int v : values) pixels.insert(pixels.end(), 3, static_cast<std::uint8_t>(v));
    return pixels;
}

std::vector<int> Ramp(int count, int step)
{
    std::vector<int> values(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) values[static_cast<std::size_t>(i)] = (i * step) % 256;
    return values;
}

}  // namespace

struct TapCase {
    const char* name;
    int count, srcSize, output;
    int left;
    std::vector<double> weights;
};

class TentContributions : public testing::TestWithParam<TapCase> {};

TEST_P(TentContributions, WeightsMatchTheTent)
{
    const TapCase& c = GetParam();
    const auto table = CTentResampler::BuildContributions(c.count, c.srcSize, double(c.count) / c.srcSize);
    const auto& entry = table.entries[static_cast<std::size_t>(c.output)];
    EXPECT_EQ(entry.left, c.left);
    double sum = 0;
    for (int i = 0; i <= entry.right - entry.left; ++i) sum += entry.weights[i];
    EXPECT_NEAR(sum, 1.0, 1e-12);
    for (std::size_t i = 0; i < c.weights.size(); ++i) EXPECT_NEAR(entry.weights[i], c.weights[i], 1e-9) << i;
}

const TapCase kTapCases[] = {
    {"enlarge_first_on_source_0", 960, 720, 0, 0, {1.0, 0.0}},
    {"enlarge_3_on_source_2_25", 960, 720, 3, 2, {0.75, 0.25}},
    {"shrink_first_cut_at_edge", 720, 960, 0, 0, {0.8, 0.2}},
    {"shrink_second", 720, 960, 1, 0, {0.0, 0.6, 0.4}},
    {"shrink_last", 720, 960, 719, 957, {0.0, 0.4, 0.6}},
    {"rows_540_to_480_first", 480, 540, 0, 0, {0.9, 0.1}},
    {"rows_540_to_480_second", 480, 540, 1, 0, {0.0, 0.8, 0.2}},
};
INSTANTIATE_TEST_SUITE_P(Tent, TentContributions, testing::ValuesIn(kTapCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TentResampler, ShrinkingWidensTheFilter)
{
    EXPECT_EQ(CTentResampler::BuildContributions(720, 960, 0.75).maxTaps, 5);
    // 576 to 540 rows: the tent spans 576/540 of a source row on each side.
    const auto table = CTentResampler::BuildContributions(540, 576, 540.0 / 576);
    const auto& entry = table.entries[270];  // centre 288
    EXPECT_EQ(entry.left, 286);
    EXPECT_EQ(entry.right, 290);
    EXPECT_EQ(table.maxTaps, 5);
}

TEST(TentResampler, RowsBlendAndRound)
{
    const std::vector<std::uint8_t> src = GreyLine(Ramp(720, 10));
    std::vector<std::uint8_t> dst(960 * 3);
    CTentResampler().StretchRows(src.data(), 720, 1, dst.data(), 960, 1);
    EXPECT_EQ(dst[0], src[0]);
    // Output 3 sits on source 2.25: 0.75 x 20 + 0.25 x 30 = 22.5, rounded up.
    EXPECT_EQ(dst[9], 23);
    EXPECT_EQ(dst[959 * 3 + 2], src[719 * 3 + 2]);
}

TEST(TentResampler, EqualSizesLeavePixelsUnchanged)
{
    const std::vector<std::uint8_t> src = GreyLine(Ramp(12, 37));  // 4 x 3 picture
    std::vector<std::uint8_t> rows(src.size()), columns(src.size());
    CTentResampler resampler;
    resampler.StretchRows(src.data(), 4, 3, rows.data(), 4, 3);
    resampler.StretchColumns(src.data(), 4, 3, columns.data(), 4, 3);
    EXPECT_EQ(rows, src);
    EXPECT_EQ(columns, src);
}

TEST(TentResampler, ColumnsBlendDownEachColumn)
{
    // Two columns, 540 rows: column 0 a ramp, column 1 constant.
    std::vector<std::uint8_t> src(2 * 540 * 3);
    for (int y = 0; y < 540; ++y) {
        for (int ch = 0; ch < 3; ++ch) {
            src[(y * 2) * 3 + ch] = static_cast<std::uint8_t>(y % 256);
            src[(y * 2 + 1) * 3 + ch] = 77;
        }
    }
    std::vector<std::uint8_t> dst(2 * 480 * 3);
    CTentResampler().StretchColumns(src.data(), 2, 540, dst.data(), 2, 480);
    EXPECT_EQ(dst[0], 0);
    EXPECT_EQ(dst[(1 * 2) * 3], 1);  // 0.8 x 1 + 0.2 x 2 = 1.2
    EXPECT_EQ(dst[(10 * 2) * 3], 11);  // row 10 sits on source 11.25: 0.7 x 11 + 0.3 x 12 = 11.3
    for (int y = 0; y < 480; ++y) ASSERT_EQ(dst[(y * 2 + 1) * 3 + 2], 77) << y;
}
