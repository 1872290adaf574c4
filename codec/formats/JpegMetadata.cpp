#include "codec/formats/JpegMetadata.h"

#include "codec/ExifBlock.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace codec {
namespace {

constexpr int kApp1 = 0xE1;
constexpr int kApp2 = 0xE2;
// A segment's length field counts itself: 65,535 - 2 bytes remain for the payload.
constexpr std::size_t kMaxSegmentPayload = 65533;

// The signatures that open each kind of payload, their terminating NULs included.
constexpr std::string_view kExifSignature{"Exif\0\0", 6};
constexpr std::string_view kXmpSignature{"http://ns.adobe.com/xap/1.0/\0", 29};
constexpr std::string_view kIccSignature{"ICC_PROFILE\0", 12};
// After the ICC signature: the chunk's sequence number (1..count) and the count of chunks.
constexpr std::size_t kIccChunkHeader = 14;

bool StartsWith(const std::uint8_t* payload, std::size_t size, std::string_view signature)
{
    return size >= signature.size() && std::memcmp(payload, signature.data(), signature.size()) == 0;
}

// A payload of `signature` followed by `body`, when it fits one segment.
void AddSegment(std::vector<CodecJpegMarker>& segments, std::string_view signature,
                const std::vector<std::uint8_t>& body)
{
    if (body.empty() || body.size() > kMaxSegmentPayload - signature.size()) return;
    CodecJpegMarker segment{kApp1, std::vector<std::uint8_t>(signature.begin(), signature.end())};
    segment.payload.insert(segment.payload.end(), body.begin(), body.end());
    segments.push_back(std::move(segment));
}

}  // namespace

void JpegMetadataReader::Keep(int marker, const std::uint8_t* payload, std::size_t size) noexcept
{
    try {
        if (marker == kApp1 && exif_.empty() && StartsWith(payload, size, kExifSignature)) {
            if (budget_.Take(size)) exif_.assign(payload + kExifSignature.size(), payload + size);
        } else if (marker == kApp1 && xmp_.empty() && StartsWith(payload, size, kXmpSignature)) {
            if (budget_.Take(size)) xmp_.assign(payload + kXmpSignature.size(), payload + size);
        } else if (marker == kApp2 && StartsWith(payload, size, kIccSignature) && size > kIccChunkHeader) {
            const unsigned sequence = payload[12];
            const unsigned count = payload[13];
            if (iccChunks_.empty()) iccChunks_.resize(count);
            // Chunks number 1..count, all with the same count, each once.
            if (sequence == 0 || sequence > count || iccChunks_.size() != count || !iccChunks_[sequence - 1].empty())
                iccBroken_ = true;
            else if (budget_.Take(size)) iccChunks_[sequence - 1].assign(payload + kIccChunkHeader, payload + size);
            else iccBroken_ = true;
        }
    } catch (...) {
        iccBroken_ = true;   // no memory for the metadata: the picture still loads without it
    }
}

CodecPictureMetadata JpegMetadataReader::Take()
{
    CodecPictureMetadata metadata;
    if (const auto summary = ReadExifSummary(exif_.data(), exif_.size())) {
        metadata.orientation = summary->orientation;
        metadata.exif = std::move(exif_);
    }
    metadata.xmp = std::move(xmp_);
    const bool complete = std::none_of(iccChunks_.begin(), iccChunks_.end(), [](const auto& c) { return c.empty(); });
    if (!iccBroken_ && complete) {
        for (const auto& chunk : iccChunks_) metadata.iccProfile.insert(metadata.iccProfile.end(), chunk.begin(), chunk.end());
    }
    *this = JpegMetadataReader{};
    return metadata;
}

std::vector<CodecJpegMarker> JpegMetadataSegments(const CodecPictureMetadata& metadata, std::uint32_t width,
                                                  std::uint32_t height)
{
    std::vector<CodecJpegMarker> segments;
    if (!metadata.exif.empty())
        AddSegment(segments, kExifSignature,
                   ExifForWrittenPicture(metadata.exif.data(), metadata.exif.size(), width, height));
    AddSegment(segments, kXmpSignature, metadata.xmp);
    return segments;
}

}  // namespace codec
