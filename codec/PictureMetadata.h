#pragma once
// The metadata a photograph carries besides its pixels: the orientation its camera recorded, the
// colour profile its pixels are in, and its Exif and XMP blocks.
//
// Readers of formats that hold metadata (JPEG, PNG, TIFF, PSD) leave what they found in the thread's
// state, where CodecTakeReadMetadata collects it after the read; a read that finds none, or that fails,
// leaves it empty. Writers of those formats embed what CodecSetWriteMetadata last set on the thread,
// each what its format can hold, until it is cleared. The pixels never change colour space, so a profile
// goes out as it came in.
//
// Metadata is untrusted like pixels: every block is parsed with bounds, the blocks of one file stay
// within kMaxMetadataBytes together, and a block that is malformed or over the budget is dropped while
// the picture still loads.

#include <cstdint>
#include <vector>

namespace codec {
// Palettes, resources, chunks, tags and metadata of one file together.
inline constexpr std::uint64_t kMaxMetadataBytes = std::uint64_t{64} << 20;

// Hands out the metadata budget of one file: a block is taken only while it and the blocks taken
// before it stay within the limit together.
class MetadataBudget {
public:
    explicit MetadataBudget(std::uint64_t limitBytes = kMaxMetadataBytes) : remainingBytes_(limitBytes) {}

    bool Take(std::uint64_t bytes)
    {
        if (bytes > remainingBytes_) return false;
        remainingBytes_ -= bytes;
        return true;
    }
    std::uint64_t Remaining() const { return remainingBytes_; }

private:
    std::uint64_t remainingBytes_;
};
}  // namespace codec

struct CodecPictureMetadata {
    // The Orientation tag, 1 (upright) to 8, as found; 0 when the file has none.
    int orientation = 0;
    // A whole ICC profile, as embedded (JPEG APP2 chunks joined, PNG iCCP inflated).
    std::vector<std::uint8_t> iccProfile;
    // An Exif block in TIFF structure, from its byte-order mark ("II*\0" or "MM\0*") on.
    std::vector<std::uint8_t> exif;
    // An XMP packet, UTF-8 XML.
    std::vector<std::uint8_t> xmp;

    bool Empty() const { return orientation == 0 && iccProfile.empty() && exif.empty() && xmp.empty(); }
    // The bytes of the profile and the two blocks together: what kMaxMetadataBytes bounds.
    std::uint64_t BlockBytes() const { return std::uint64_t{iccProfile.size()} + exif.size() + xmp.size(); }
};

// Moves what the last read on this thread found into `metadata` (null: only forgets it). Returns 1.
int CodecTakeReadMetadata(CodecPictureMetadata* metadata);
// The metadata later writes on this thread embed; null clears it. The orientation field is not written:
// written pictures are upright. Returns 1.
int CodecSetWriteMetadata(const CodecPictureMetadata* metadata);
