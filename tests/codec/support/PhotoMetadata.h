#pragma once
// Photographs with metadata for the coder tests, made by the peers at test time: ImageMagick writes the
// picture with a colour profile built here, exiftool adds what a camera records. exiftool is also the
// oracle that reads back what our writers embedded.

#include "tests/codec/support/CodecTestSupport.h"

#include <string>

namespace codec_test {

// A complete RGB display profile (white point, primaries, gamma 2.2 curves, description) with a copyright
// notice long enough that a JPEG splits the profile into three segments.
Bytes TestIccProfile();

inline constexpr int kCameraPhotoWidth = 64;
inline constexpr int kCameraPhotoHeight = 48;
inline constexpr char kCameraTaken[] = "2024:05:06 07:08:09";

// A kCameraPhotoWidth x kCameraPhotoHeight gradient in the format of `extension` ("jpg", "png") carrying
// TestIccProfile, Exif make "Acme", model "X10", the time kCameraTaken, orientation 6 and its size, an
// XMP title "Harbour", and in a JPEG an embedded thumbnail.
Bytes CameraPhoto(const std::string& extension);

// What exiftool reads from a file; a missing tag reads "-".
struct PeerMetadata {
    std::string make;
    std::string model;
    std::string taken;
    std::string orientation;
    std::string exifWidth;
    std::string exifHeight;
    std::string thumbnailLength;
    std::string title;
    Bytes iccProfile;
};
PeerMetadata ReadWithExifTool(const Bytes& file, const std::string& extension);

}  // namespace codec_test
