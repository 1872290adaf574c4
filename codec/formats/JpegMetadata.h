#pragma once
// The metadata segments of JPEG files: APP1 Exif, APP1 XMP and APP2 ICC profile chunks.
//
// JpegMetadataReader collects the segments the decoder meets, within kMaxMetadataBytes together, and
// turns them into a CodecPictureMetadata once the picture has decoded: the Exif block only when it is
// well formed, the profile only when its chunks form one complete sequence. It never fails a decode.
// JpegMetadataSegments prepares the APP1 payloads a written picture carries; the profile is split into
// APP2 chunks by the encoder itself.

#include "codec/PictureMetadata.h"
#include "codec/formats/JpegOptions.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace codec {

// The most profile bytes a JPEG holds: 255 APP2 chunks of 65,519 bytes after their 14-byte header.
inline constexpr std::size_t kMaxJpegIccBytes = std::size_t{255} * 65519;

class JpegMetadataReader {
public:
    // One APP1 or APP2 segment's payload (after its length field), as the decoder meets it. Segments
    // of other kinds, a second Exif or XMP segment and anything past the budget are passed over.
    void Keep(int marker, const std::uint8_t* payload, std::size_t size) noexcept;
    // What the file carries, and forgets it.
    CodecPictureMetadata Take();

private:
    MetadataBudget budget_;
    std::vector<std::uint8_t> exif_;
    std::vector<std::uint8_t> xmp_;
    std::vector<std::vector<std::uint8_t>> iccChunks_;   // by sequence number - 1
    bool iccBroken_ = false;                             // chunks that disagree or repeat
};

// The APP1 payloads for a written picture of width x height: the Exif block rewritten for it, then
// the XMP packet. A block that is malformed or no longer fits one segment is left out.
std::vector<CodecJpegMarker> JpegMetadataSegments(const CodecPictureMetadata& metadata, std::uint32_t width,
                                                  std::uint32_t height);

}  // namespace codec
