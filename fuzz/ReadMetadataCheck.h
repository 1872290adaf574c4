#pragma once
// The invariant the JPEG, PNG, TIFF and PSD fuzz targets check on the metadata a read leaves: none after
// a failed read; after a successful one, blocks within the metadata budget together, an Exif block only
// when it is well formed, and the orientation the format keeps: JPEG and PNG the one their Exif block
// holds, TIFF its own tag's (1 to 8, or 0). Small pictures are then written again with that metadata into
// a counting sink, which must succeed, so the writers meet every block the readers pass.

#include "codec/CodecIO.h"
#include "codec/ExifBlock.h"
#include "codec/PictureMetadata.h"

#include <cstdint>
#include <functional>

// Pictures above this many pixels are not written again, for speed only.
inline constexpr std::int64_t kFuzzMaxRewritePixels = 1 << 16;

// Where a format keeps the orientation its reads report.
enum class OrientationSource { kExifBlock, kOwnTag };

// `write` writes the picture to the sink it is given and returns the written size (0 on failure).
inline void CheckReadMetadata(bool readSucceeded, std::int64_t pixelCount,
                              const std::function<std::int64_t(CodecIOHandle*)>& write,
                              OrientationSource orientationSource = OrientationSource::kExifBlock)
{
    CodecPictureMetadata metadata;
    CodecTakeReadMetadata(&metadata);
    if (!readSucceeded) {
        if (!metadata.Empty()) __builtin_trap();
        return;
    }
    if (metadata.BlockBytes() > codec::kMaxMetadataBytes) __builtin_trap();
    const auto summary = codec::ReadExifSummary(metadata.exif.data(), metadata.exif.size());
    if (!metadata.exif.empty() && !summary) __builtin_trap();
    if (orientationSource == OrientationSource::kOwnTag) {
        if (metadata.orientation < 0 || metadata.orientation > 8) __builtin_trap();
    } else if (metadata.exif.empty() ? metadata.orientation != 0 : summary->orientation != metadata.orientation) {
        __builtin_trap();
    }
    if (metadata.Empty() || pixelCount > kFuzzMaxRewritePixels) return;
    CodecSetWriteMetadata(&metadata);
    CodecIOHandle* counter = CodecOpenCountingSink(0);
    const std::int64_t written = write(counter);
    CodecCloseSink(counter);
    CodecSetWriteMetadata(nullptr);
    if (written <= 0) __builtin_trap();
}
