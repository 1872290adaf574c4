#include "tests/codec/support/PhotoMetadata.h"

#include <gtest/gtest.h>

#include <sstream>

namespace codec_test {
namespace {

void Append32(Bytes& bytes, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<std::uint8_t>(value >> shift));
}

void AppendText(Bytes& bytes, const std::string& text)
{
    bytes.insert(bytes.end(), text.begin(), text.end());
}

// An XYZType element: three s15Fixed16 numbers.
Bytes XyzTag(double x, double y, double z)
{
    Bytes tag;
    AppendText(tag, "XYZ ");
    Append32(tag, 0);
    for (const double value : {x, y, z}) Append32(tag, static_cast<std::uint32_t>(value * 65536 + 0.5));
    return tag;
}

}  // namespace

Bytes TestIccProfile()
{
    Bytes curve;
    AppendText(curve, "curv");
    Append32(curve, 0);
    Append32(curve, 1);
    curve.insert(curve.end(), {0x02, 0x33, 0, 0});   // gamma 2.2 as u8Fixed8, padded
    Bytes description;
    const std::string name = "Lumatrine test RGB";
    AppendText(description, "desc");
    Append32(description, 0);
    Append32(description, static_cast<std::uint32_t>(name.size() + 1));
    AppendText(description, name);
    description.push_back(0);
    description.resize(description.size() + 4 + 4 + 2 + 1 + 67);   // no Unicode or ScriptCode text
    // A long notice, so that a JPEG needs three segments for the profile.
    Bytes notice;
    AppendText(notice, "text");
    Append32(notice, 0);
    AppendText(notice, std::string(150'000, 'c'));
    notice.push_back(0);
    const std::vector<std::pair<std::string, Bytes>> tags = {
        {"desc", description},
        {"wtpt", XyzTag(0.9642, 1.0, 0.8249)},
        {"rXYZ", XyzTag(0.4361, 0.2225, 0.0139)},
        {"gXYZ", XyzTag(0.3851, 0.7169, 0.0971)},
        {"bXYZ", XyzTag(0.1431, 0.0606, 0.7141)},
        {"rTRC", curve},
        {"gTRC", curve},
        {"bTRC", curve},
        {"cprt", notice},
    };
    Bytes table;
    Bytes data;
    std::uint32_t offset = 128 + 4 + 12 * static_cast<std::uint32_t>(tags.size());
    for (const auto& [signature, element] : tags) {
        AppendText(table, signature);
        Append32(table, offset + static_cast<std::uint32_t>(data.size()));
        Append32(table, static_cast<std::uint32_t>(element.size()));
        data.insert(data.end(), element.begin(), element.end());
        data.resize((data.size() + 3) / 4 * 4);
    }
    Bytes profile;
    Append32(profile, offset + static_cast<std::uint32_t>(data.size()));
    Append32(profile, 0);
    Append32(profile, 0x02100000);   // version 2.1
    AppendText(profile, "mntrRGB XYZ ");
    for (const std::uint32_t field : {0x07E80001u, 0x00010000u, 0x00000000u}) Append32(profile, field);   // 2024-01-01
    AppendText(profile, "acsp");
    profile.resize(68);   // platform, flags, device, attributes, rendering intent: none
    for (const double value : {0.9642, 1.0, 0.8249}) Append32(profile, static_cast<std::uint32_t>(value * 65536 + 0.5));
    profile.resize(128);
    Append32(profile, static_cast<std::uint32_t>(tags.size()));
    profile.insert(profile.end(), table.begin(), table.end());
    profile.insert(profile.end(), data.begin(), data.end());
    return profile;
}

Bytes CameraPhoto(const std::string& extension)
{
    TempFile profile("camera.icc");
    profile.Write(TestIccProfile());
    TempFile thumbnail("thumbnail.jpg");
    TempFile photo("camera." + extension);
    RunPeer("convert", "-size 16x12 gradient:blue-yellow " + Quoted(thumbnail.Path()));
    RunPeer("convert", "-size " + std::to_string(kCameraPhotoWidth) + "x" + std::to_string(kCameraPhotoHeight) +
                           " gradient:red-blue -profile " + Quoted(profile.Path()) + " " + Quoted(photo.Path()));
    const std::string thumbnailTag = extension == "jpg" ? " '-ThumbnailImage<=" + thumbnail.Path().string() + "'" : "";
    RunPeer("exiftool", "-q -overwrite_original -Make=Acme -Model=X10 '-DateTimeOriginal=" + std::string(kCameraTaken) +
                            "' -Orientation#=6 -ExifImageWidth=" + std::to_string(kCameraPhotoWidth) +
                            " -ExifImageHeight=" + std::to_string(kCameraPhotoHeight) + " -XMP-dc:Title=Harbour" + thumbnailTag + " " + Quoted(photo.Path()));
    return photo.Read();
}

PeerMetadata ReadWithExifTool(const Bytes& file, const std::string& extension)
{
    TempFile written("written." + extension);
    written.Write(file);
    std::istringstream lines(RunPeerText(
        "exiftool", "-n -f -s3 -Make -Model -DateTimeOriginal -Orientation -ExifImageWidth -ExifImageHeight "
                    "-ThumbnailLength -XMP-dc:Title " + Quoted(written.Path())));
    PeerMetadata metadata;
    for (std::string* field : {&metadata.make, &metadata.model, &metadata.taken, &metadata.orientation,
                               &metadata.exifWidth, &metadata.exifHeight, &metadata.thumbnailLength, &metadata.title})
        std::getline(lines, *field);
    metadata.iccProfile = RunPeer("exiftool", "-b -ICC_Profile " + Quoted(written.Path()));
    return metadata;
}

CodecPictureMetadata TakeReadMetadata()
{
    CodecPictureMetadata metadata;
    CodecTakeReadMetadata(&metadata);
    return metadata;
}

void ExpectCameraMetadataWritten(const PeerMetadata& peer, int width, int height)
{
    EXPECT_EQ(peer.make, "Acme");
    EXPECT_EQ(peer.model, "X10");
    EXPECT_EQ(peer.taken, kCameraTaken);
    EXPECT_EQ(peer.orientation, "1");
    EXPECT_EQ(peer.exifWidth, std::to_string(width));
    EXPECT_EQ(peer.exifHeight, std::to_string(height));
    EXPECT_EQ(peer.title, "Harbour");
    EXPECT_EQ(peer.iccProfile, TestIccProfile());
}

void ExpectPictureWithoutBrokenBlock(const Decoded& read, bool exifKept, bool profileKept)
{
    const CodecPictureMetadata metadata = TakeReadMetadata();
    ASSERT_EQ(read.error, 0);
    EXPECT_EQ(read.width, kCameraPhotoWidth);
    EXPECT_EQ(metadata.orientation, exifKept ? 6 : 0);
    EXPECT_EQ(metadata.exif.empty(), !exifKept);
    EXPECT_EQ(metadata.iccProfile == TestIccProfile(), profileKept);
    EXPECT_EQ(metadata.iccProfile.empty(), !profileKept);
}

}  // namespace codec_test
