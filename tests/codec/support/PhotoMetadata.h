#pragma once
// Photographs with metadata for the coder tests, made by the peers at test time: ImageMagick writes the
// picture with a colour profile built here, exiftool adds what a camera records. exiftool is also the
// oracle that reads back what our writers embedded.

#include "codec/PictureMetadata.h"
#include "tests/codec/support/PeerImages.h"

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

// What the last read on this thread found.
CodecPictureMetadata TakeReadMetadata();
// A written copy of CameraPhoto, width x height, as exiftool reads it: camera, time, title and profile
// kept, upright, the Exif size the written one.
void ExpectCameraMetadataWritten(const PeerMetadata& peer, int width, int height);
// A read of CameraPhoto with one broken block put in: the picture loaded, and of the Exif block and
// the profile, what is expected was kept and the rest dropped (the thread's metadata is taken).
void ExpectPictureWithoutBrokenBlock(const Decoded& read, bool exifKept, bool profileKept);

}  // namespace codec_test
