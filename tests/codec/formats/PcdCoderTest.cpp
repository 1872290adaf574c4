#include "codec/formats/PcdCoder.h"

#include "codec/CodecErrors.h"
#include "codec/CodecThreadState.h"
#include "codec/formats/PcdToneCurve.h"
#include "tests/codec/support/PeerImages.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

namespace {

using codec_test::Bytes;
using codec_test::Decoded;
using codec_test::MemorySource;
using codec_test::ReadWith;

using LumaPattern = std::uint8_t (*)(std::uint32_t x, std::uint32_t y);

struct StoredLayout {
    std::size_t offset;
    std::uint32_t width;
    std::uint32_t height;
};

constexpr StoredLayout kLayouts[] = {{8192, 192, 128}, {47104, 384, 256}, {196608, 768, 512}};

// A synthetic image pack: the first sector, the pack information with its signature and orientation
// byte, and the stored images up to `storedImages` (1 Base/16, 2 also Base/4, 3 also Base), each in
// groups of two luma rows, one C1 row and one C2 row.
struct Pack {
    const char* signature = "PCD_IPI";
    std::uint8_t orientation = 0;
    int storedImages = 1;
    LumaPattern luma = [](std::uint32_t, std::uint32_t) -> std::uint8_t { return 0; };
    std::uint8_t chroma1 = 156;   // neutral chroma: grey pixels
    std::uint8_t chroma2 = 137;

    Bytes Build() const
    {
        const StoredLayout& last = kLayouts[storedImages - 1];
        Bytes out(last.offset + std::size_t{last.width} * last.height * 3 / 2);
        std::memcpy(&out[2048], signature, std::strlen(signature));
        out[3586] = orientation;
        for (int image = 0; image < storedImages; ++image) {
            const StoredLayout& layout = kLayouts[image];
            std::size_t at = layout.offset;
            for (std::uint32_t group = 0; group < layout.height / 2; ++group) {
                for (std::uint32_t y = 2 * group; y < 2 * group + 2; ++y)
                    for (std::uint32_t x = 0; x < layout.width; ++x) out[at++] = luma(x, y);
                for (std::uint32_t x = 0; x < layout.width / 2; ++x) out[at++] = chroma1;
                for (std::uint32_t x = 0; x < layout.width / 2; ++x) out[at++] = chroma2;
            }
        }
        return out;
    }
};

// The reader always delivers red, green, blue at 24 bits.
Decoded ReadPcd(const Bytes& file, int resolution)
{
    const auto read = [resolution](CodecIOHandle* source, int* width, int* height, int, std::uint8_t*) {
        return CodecReadPcd(source, width, height, resolution, 0);
    };
    return ReadWith(read, file, 24);
}

std::array<std::uint8_t, 3> At(const Decoded& picture, int x, int y)
{
    const std::size_t i = 3 * (std::size_t(y) * picture.width + x);
    return {picture.pixels[i], picture.pixels[i + 1], picture.pixels[i + 2]};
}

// ---- sizes by resolution and orientation ----------------------------------------------------------------

struct SizeCase {
    const char* name;
    int resolution;
    std::uint8_t orientation;
    int width;
    int height;
};

const SizeCase kSizeCases[] = {
    {"minus_one_reads_base16", -1, 0, 192, 128},
    {"zero_reads_base16", 0, 0, 192, 128},
    {"base4", 2, 0, 384, 256},
    {"base", 3, 0, 768, 512},
    {"base_turned_a_quarter", 3, 1, 512, 768},
    {"base_upside_down", 3, 2, 768, 512},
    {"only_low_two_bits_turn", 3, 0xFF, 512, 768},
    {"base4x", 4, 0, 1536, 1024},
    {"nine_reads_64base", 9, 3, 4096, 6144},
};

void PrintTo(const SizeCase& row, std::ostream* out) { *out << row.name; }

class PcdSize : public testing::TestWithParam<SizeCase> {};

TEST_P(PcdSize, FollowsResolutionAndOrientation)
{
    Pack pack;
    pack.storedImages = 3;
    pack.orientation = GetParam().orientation;
    const Decoded got = ReadPcd(pack.Build(), GetParam().resolution);
    ASSERT_EQ(got.error, kCodecOk);
    EXPECT_EQ(got.width, GetParam().width);
    EXPECT_EQ(got.height, GetParam().height);
    EXPECT_EQ(got.pixels.size(), std::size_t(got.width) * got.height * 3);
}

INSTANTIATE_TEST_SUITE_P(Pcd, PcdSize, testing::ValuesIn(kSizeCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- orientation -------------------------------------------------------------------------------------

// A bright 8 x 8 block in the stored picture's top-left corner, dark elsewhere.
std::uint8_t MarkedCorner(std::uint32_t x, std::uint32_t y) { return x < 8 && y < 8 ? 200 : 0; }

struct TurnCase {
    const char* name;
    std::uint8_t orientation;
    bool right;    // where the marked corner lands
    bool bottom;
};

const TurnCase kTurnCases[] = {
    {"none", 0, false, false},
    {"counter_clockwise", 1, false, true},
    {"half", 2, true, true},
    {"clockwise", 3, true, false},
};

void PrintTo(const TurnCase& row, std::ostream* out) { *out << row.name; }

class PcdTurn : public testing::TestWithParam<TurnCase> {};

TEST_P(PcdTurn, MovesTheTopLeftCornerWhereTheOrientationSays)
{
    Pack pack;
    pack.orientation = GetParam().orientation;
    pack.luma = MarkedCorner;
    const Decoded got = ReadPcd(pack.Build(), 1);
    ASSERT_EQ(got.error, kCodecOk);
    const int x = GetParam().right ? got.width - 1 : 0;
    const int y = GetParam().bottom ? got.height - 1 : 0;
    const std::array<std::uint8_t, 3> black{0, 0, 0};
    EXPECT_NE(At(got, x, y), black);
    EXPECT_EQ(At(got, got.width - 1 - x, got.height - 1 - y), black);
    EXPECT_EQ(At(got, x, got.height - 1 - y), black);
    EXPECT_EQ(At(got, got.width - 1 - x, y), black);
}

INSTANTIATE_TEST_SUITE_P(Pcd, PcdTurn, testing::ValuesIn(kTurnCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- colour -----------------------------------------------------------------------------------------

TEST(PcdColour, NeutralChromaGivesGreyFromBlackToWhite)
{
    for (const char* signature : {"PCD_IPI", "PCDS"}) {
        SCOPED_TRACE(signature);
        Pack pack;
        pack.signature = signature;
        pack.luma = [](std::uint32_t x, std::uint32_t) { return static_cast<std::uint8_t>(x < 96 ? 0 : 255); };
        const Decoded got = ReadPcd(pack.Build(), 1);
        EXPECT_EQ(At(got, 10, 10), (std::array<std::uint8_t, 3>{0, 0, 0}));
        EXPECT_EQ(At(got, 150, 10), (std::array<std::uint8_t, 3>{255, 255, 255}));
    }
}

TEST(PcdColour, ChromaTintsAndTheSignatureChoosesTheConversion)
{
    Pack reddish;
    reddish.luma = [](std::uint32_t, std::uint32_t) -> std::uint8_t { return 90; };
    reddish.chroma2 = 180;   // above neutral: more red, less green
    const auto pcd = At(ReadPcd(reddish.Build(), 1), 5, 5);
    EXPECT_GT(pcd[0], pcd[2]);
    EXPECT_GT(pcd[2], pcd[1]);
    reddish.signature = "PCDS";
    EXPECT_NE(At(ReadPcd(reddish.Build(), 1), 5, 5), pcd);
}

TEST(PcdToneCurve, PassesThroughItsPointsAndRisesMonotonically)
{
    struct Curve {
        bool pcds;
        std::array<int, 15> points;   // inputs 0, 25, ... 350
        int firstWhite;
    };
    const Curve curves[] = {
        {true, {0, 25, 49, 75, 101, 127, 153, 177, 199, 218, 233, 243, 249, 253, 255}, 344},
        {false, {0, 25, 52, 80, 107, 134, 159, 183, 206, 225, 241, 250, 254, 255, 255}, 319},
    };
    for (const Curve& curve : curves) {
        SCOPED_TRACE(curve.pcds ? "PCDS" : "PCD");
        const codec::PcdToneTable& table = codec::PcdToneCurve(curve.pcds);
        for (std::size_t i = 0; i < curve.points.size(); ++i) EXPECT_EQ(table[25 * i], curve.points[i]) << 25 * i;
        EXPECT_TRUE(std::is_sorted(table.begin(), table.end()));
        EXPECT_EQ(std::find(table.begin(), table.end(), 255) - table.begin(), curve.firstWhite);
    }
}

// ---- enlargement ---------------------------------------------------------------------------------------

// A Base image whose luma differs between neighbours in both directions.
std::uint8_t Waves(std::uint32_t x, std::uint32_t y) { return static_cast<std::uint8_t>(40 + (x * 7) % 50 + (y * 13) % 60); }

TEST(PcdEnlarge, DoublesTheBaseImageSampleBySample)
{
    // The grey each luma value gives, read from a picture that holds every value.
    Pack ramp;
    ramp.luma = [](std::uint32_t x, std::uint32_t) { return static_cast<std::uint8_t>(x); };
    ramp.storedImages = 3;
    const Decoded rampPicture = ReadPcd(ramp.Build(), 3);
    const auto grey = [&](int luma) { return At(rampPicture, luma, 0); };

    Pack pack;
    pack.luma = Waves;
    pack.storedImages = 3;
    const Decoded got = ReadPcd(pack.Build(), 4);
    ASSERT_EQ(got.error, kCodecOk);

    struct Sample {
        int x, y, luma;
    };
    const auto w = [](std::uint32_t x, std::uint32_t y) { return int{Waves(x, y)}; };
    const Sample samples[] = {
        {20, 30, w(10, 15)},                                                        // copied
        {21, 30, (w(10, 15) + w(11, 15) + 1) / 2},                                  // between columns
        {20, 31, (w(10, 15) + w(10, 16) + 1) / 2},                                  // between rows
        {21, 31, (w(10, 15) + w(11, 15) + w(10, 16) + w(11, 16) + 2) / 4},          // between four
        {1534, 8, w(767, 4)},                                                       // last two columns
        {1535, 8, w(767, 4)},
        {40, 1023, (w(20, 511))},                                                   // last row copies the one above
    };
    for (const Sample& sample : samples) EXPECT_EQ(At(got, sample.x, sample.y), grey(sample.luma)) << sample.x << "," << sample.y;
}

// ---- malformed packs -----------------------------------------------------------------------------------

Bytes Cut(Bytes file, std::size_t size)
{
    file.resize(size);
    return file;
}

Bytes WithAt(Bytes file, std::size_t offset, const char* text)
{
    std::memcpy(&file[offset], text, std::strlen(text));
    return file;
}

struct BadCase {
    const char* name;
    Bytes file;
    int resolution;
    int wantError;
};

const Bytes kSmallPack = Pack{}.Build();

const BadCase kBadCases[] = {
    {"header_short", Cut(kSmallPack, 6143), 1, kCodecErrPcdHeader},
    {"overview_pack", WithAt(kSmallPack, 0, "PCD_OPA"), 1, kCodecErrPcdOverview},
    {"no_signature", WithAt(kSmallPack, 2048, "XYZ"), 1, kCodecErrPcdHeader},
    {"image_cut_short", Cut(kSmallPack, kSmallPack.size() - 1), 1, kCodecErrReadFailed},
    {"image_missing", Cut(kSmallPack, 8192), 1, kCodecErrReadFailed},
    {"base4_not_stored", kSmallPack, 2, kCodecErrReadFailed},
    {"base_not_stored_for_4base", kSmallPack, 4, kCodecErrReadFailed},
};

void PrintTo(const BadCase& row, std::ostream* out) { *out << row.name; }

class PcdBadPack : public testing::TestWithParam<BadCase> {};

TEST_P(PcdBadPack, FailsWithItsCodeAndNoPixels)
{
    const Decoded got = ReadPcd(GetParam().file, GetParam().resolution);
    EXPECT_EQ(got.error, GetParam().wantError);
    EXPECT_TRUE(got.pixels.empty());
}

INSTANTIATE_TEST_SUITE_P(Pcd, PcdBadPack, testing::ValuesIn(kBadCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PcdReader, RefusesMissingArguments)
{
    int width = 0, height = 0;
    EXPECT_EQ(CodecReadPcd(nullptr, &width, &height, 3, 0), nullptr);
    EXPECT_EQ(CodecGetLastError(), kCodecErrInvalidArgument);
    MemorySource source(kSmallPack);
    EXPECT_EQ(CodecReadPcd(source.Handle(), nullptr, &height, 1, 0), nullptr);
    EXPECT_EQ(CodecGetLastError(), kCodecErrInvalidArgument);
}

}  // namespace
