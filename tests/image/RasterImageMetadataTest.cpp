// Loading photographs as they are shot: the Orientation tag turns the picture upright, the metadata a
// file carries stays with the picture and goes into what is saved from it, and a malformed block is
// dropped while the picture still loads.
#include "image/RasterImage.h"

#include "codec/ExifBlock.h"
#include "codec/PictureMetadata.h"
#include "tests/codec/support/PhotoMetadata.h"

#include "../support/OrientedPhoto.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <ostream>
#include <string>
#include <tuple>
#include <utility>

namespace {

// The largest difference of one colour byte between `image` (24 bits) and packed RGB `want`, or 256
// when the sizes differ.
int LargestDifference(const CRasterImage& image, const std::string& want)
{
    const std::size_t bytes = std::size_t{image.width} * image.height * 3;
    if (image.bitsPerPixel != 24 || want.size() != bytes) return 256;
    int largest = 0;
    for (std::size_t i = 0; i < bytes; ++i)
        largest = std::max(largest, std::abs(image.Pixels()[i] - static_cast<int>(static_cast<std::uint8_t>(want[i]))));
    return largest;
}

struct PhotoFormat {
    const char* name;
    const char* file;
    int tolerance;  // JPEG: the peer's decoder may round differently
};
void PrintTo(const PhotoFormat& format, std::ostream* out)
{
    *out << format.name;
}
const PhotoFormat kPhotoFormats[] = {{"png", "photo.png", 0}, {"tiff", "photo.tif", 0}, {"jpeg", "photo.jpg", 3}};

class OrientedLoad : public testing::TestWithParam<std::tuple<PhotoFormat, int>> {};

TEST_P(OrientedLoad, TheTagTurnsThePictureUprightUnlessAskedToKeepItAsStored)
{
    const auto& [format, orientation] = GetParam();
    TempFolder folder;
    const std::string path = WriteOrientedPhoto(folder, format.file, orientation);
    const bool swaps = orientation >= 5;

    CRasterImage upright;
    ASSERT_EQ(upright.Load(path.c_str()), kImageOk);
    EXPECT_EQ(upright.storedOrientation, orientation);
    EXPECT_EQ(upright.width, swaps ? 4u : 7u);
    EXPECT_EQ(upright.height, swaps ? 7u : 4u);
    EXPECT_EQ(upright.fileWidth, upright.width);
    EXPECT_EQ(upright.fileHeight, upright.height);
    EXPECT_LE(LargestDifference(upright, PeerUprightPixels(path, orientation)), format.tolerance);

    CRasterImage stored;
    stored.autoOrient = false;
    ASSERT_EQ(stored.Load(path.c_str()), kImageOk);
    EXPECT_EQ(stored.storedOrientation, orientation);
    EXPECT_EQ(stored.fileWidth, 7u);
    EXPECT_LE(LargestDifference(stored, PeerUprightPixels(path, 1)), format.tolerance);
}

INSTANTIATE_TEST_SUITE_P(Photos, OrientedLoad, testing::Combine(testing::ValuesIn(kPhotoFormats), testing::Range(1, 9)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_" + std::to_string(std::get<1>(info.param));
                         });

// The decode hints are for the upright picture: a JPEG stored 800 x 600 and tagged 6 is 600 x 800
// upright, so an 80 x 60 box takes the 1/4 scale (150 x 200), not the 1/8 one the stored size allows.
TEST(OrientedJpeg, DecodeHintsApplyToTheUprightPicture)
{
    TempFolder folder;
    const std::string path = WriteOrientedPhoto(folder, "tall.jpg", 6, "800x600");
    CRasterImage image;
    image.SetDecodeHint(80, 60);
    ASSERT_EQ(image.Load(path.c_str()), kImageOk);
    EXPECT_EQ(image.width, 150u);
    EXPECT_EQ(image.height, 200u);
    EXPECT_EQ(image.fileWidth, 600u);
    EXPECT_EQ(image.fileHeight, 800u);
}

// An 8 x 6 grey picture carrying `metadata`.
void MakeGreyPicture(CRasterImage& picture, std::shared_ptr<const CodecPictureMetadata> metadata)
{
    ASSERT_EQ(picture.Create(8, 6, 24), kImageOk);
    std::fill_n(picture.Pixels(), 8 * 6 * 3, std::uint8_t{90});
    picture.metadata = std::move(metadata);
}

std::shared_ptr<const CodecPictureMetadata> WithProfile(codec_test::Bytes profile)
{
    auto metadata = std::make_shared<CodecPictureMetadata>();
    metadata->iccProfile = std::move(profile);
    return metadata;
}

TEST(PictureMetadata, ASaveEmbedsOnlyWhatItsPictureCarries)
{
    TempFolder folder;
    const codec_test::Bytes profile = codec_test::TestIccProfile();
    CRasterImage withProfile, plain, notKept;
    MakeGreyPicture(withProfile, WithProfile(profile));
    MakeGreyPicture(plain, nullptr);
    MakeGreyPicture(notKept, WithProfile(profile));
    notKept.keepMetadata = false;
    // In this order: what one save embeds must not reach the next save on the thread.
    ASSERT_EQ(withProfile.Save(folder.File("with.png").c_str()), kImageOk);
    ASSERT_EQ(plain.Save(folder.File("plain.png").c_str()), kImageOk);
    ASSERT_EQ(notKept.Save(folder.File("not-kept.png").c_str()), kImageOk);

    CRasterImage loaded;
    ASSERT_EQ(loaded.Load(folder.File("with.png").c_str()), kImageOk);
    ASSERT_NE(loaded.metadata, nullptr);
    EXPECT_EQ(loaded.metadata->iccProfile, profile);
    for (const char* name : {"plain.png", "not-kept.png"}) {
        ASSERT_EQ(loaded.Load(folder.File(name).c_str()), kImageOk) << name;
        EXPECT_EQ(loaded.metadata, nullptr) << name;
    }
}

// The complete test profile's header, then one copyright tag of 36 bytes, all zeros but its type: it
// compresses to a few bytes, which libpng cannot read back from a compressed iCCP chunk.
codec_test::Bytes MostlyZeroProfile()
{
    codec_test::Bytes profile = codec_test::TestIccProfile();
    profile.resize(180);
    std::fill(profile.begin() + 128, profile.end(), std::uint8_t{0});
    const std::uint8_t table[] = {0, 0, 0, 180, 0, 0, 0, 1, 'c', 'p', 'r', 't', 0, 0, 0, 144, 0, 0, 0, 36, 't', 'e', 'x', 't'};
    std::copy_n(table, 4, profile.begin());
    std::copy(table + 4, std::end(table), profile.begin() + 128);
    return profile;
}

// A profile another format's reader lets through and libpng only warns about: its illuminant is not D50.
codec_test::Bytes ProfileWithoutD50()
{
    codec_test::Bytes profile = codec_test::TestIccProfile();
    std::fill_n(profile.begin() + 68, 12, std::uint8_t{0});
    return profile;
}

struct PngProfileCase {
    const char* name;
    codec_test::Bytes (*profile)();
    bool kept;  // else the PNG is written without it
};
const PngProfileCase kPngProfileCases[] = {
    {"compresses_to_a_few_bytes", MostlyZeroProfile, true},
    {"illuminant_not_d50", ProfileWithoutD50, false},
};

class PngProfile : public testing::TestWithParam<PngProfileCase> {};

TEST_P(PngProfile, IsWrittenSoItLoadsAgainOrLeftOut)
{
    TempFolder folder;
    const codec_test::Bytes profile = GetParam().profile();
    CRasterImage picture;
    MakeGreyPicture(picture, WithProfile(profile));
    ASSERT_EQ(picture.Save(folder.File("profile.png").c_str()), kImageOk);
    CRasterImage loaded;
    ASSERT_EQ(loaded.Load(folder.File("profile.png").c_str()), kImageOk);
    if (GetParam().kept) {
        ASSERT_NE(loaded.metadata, nullptr);
        EXPECT_EQ(loaded.metadata->iccProfile, profile);
    } else {
        EXPECT_EQ(loaded.metadata, nullptr);
    }
}

INSTANTIATE_TEST_SUITE_P(Profiles, PngProfile, testing::ValuesIn(kPngProfileCases),
                         [](const auto& info) { return std::string(info.param.name); });

// JPEG segments of a malformed Exif (APP1) or colour profile (APP2) block, as a file may hold them.
struct MalformedCase {
    const char* name;
    std::uint8_t marker;
    std::string payload;
};

std::string Exif(const std::string& tiffStructure)
{
    return std::string("Exif\0\0", 6) + tiffStructure;
}

const MalformedCase kMalformedCases[] = {
    // The first directory claims five entries; the block ends inside the first.
    {"truncated_exif", 0xE1, Exif(std::string("MM\0*\0\0\0\x08\0\x05\x01\x12\0", 13))},
    // One directory (Orientation 6) whose next-directory offset leads back to itself.
    {"exif_directory_loop", 0xE1, Exif(std::string("MM\0*\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0\x06\0\0\0\0\0\x08", 26))},
    {"exif_first_directory_past_the_end", 0xE1, Exif(std::string("MM\0*\x7F\xFF\xFF\xF0", 8))},
    // Make, 100 characters at an offset far past the block's end.
    {"exif_value_past_the_end", 0xE1, Exif(std::string("MM\0*\0\0\0\x08\0\x01\x01\x0F\0\x02\0\0\0\x64\0\xFF\xFF\0\0\0\0\0", 26))},
    // A profile whose header claims almost 4 GiB, in one chunk of 128 bytes.
    {"icc_length_huge", 0xE2,
     std::string("ICC_PROFILE\0\x01\x01", 14) + std::string("\xFF\xFF\xFF\xF0", 4) + std::string(124, '\0')},
    // Chunk 2 of 1.
    {"icc_chunk_beyond_its_count", 0xE2, std::string("ICC_PROFILE\0\x02\x01", 14) + std::string(128, '\0')},
};

class MalformedMetadata : public testing::TestWithParam<MalformedCase> {};

TEST_P(MalformedMetadata, IsDroppedWhileThePictureLoadsAndSaves)
{
    const MalformedCase& c = GetParam();
    TempFolder folder;
    const std::string clean = ReadFileBytes(WriteOrientedPhoto(folder, "clean.jpg", 0));
    ASSERT_GT(clean.size(), 2u);
    const std::size_t length = c.payload.size() + 2;
    const std::string segment = std::string{'\xFF', static_cast<char>(c.marker), static_cast<char>(length >> 8),
                                            static_cast<char>(length & 0xFF)} +
                                c.payload;
    const std::string path = folder.Write("malformed.jpg", clean.substr(0, 2) + segment + clean.substr(2));

    CRasterImage picture;
    ASSERT_EQ(picture.Load(path.c_str()), kImageOk);
    EXPECT_EQ(std::uint64_t{picture.width} * picture.height, 28u);
    // Whatever is carried on is well-formed.
    if (picture.metadata != nullptr && !picture.metadata->exif.empty())
        EXPECT_TRUE(codec::ReadExifSummary(picture.metadata->exif.data(), picture.metadata->exif.size()).has_value());
    if (c.marker == 0xE2) EXPECT_TRUE(picture.metadata == nullptr || picture.metadata->iccProfile.empty());
    ASSERT_EQ(picture.Save(folder.File("saved.jpg").c_str()), kImageOk);
    CRasterImage saved;
    ASSERT_EQ(saved.Load(folder.File("saved.jpg").c_str()), kImageOk);
    EXPECT_EQ(saved.width, picture.width);
}

INSTANTIATE_TEST_SUITE_P(Jpeg, MalformedMetadata, testing::ValuesIn(kMalformedCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
