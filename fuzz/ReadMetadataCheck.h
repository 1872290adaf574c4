#pragma once
// The invariant the JPEG and PNG fuzz targets check on the metadata a read leaves: none after a failed
// read; after a successful one, blocks within the metadata budget together and an Exif block only when
// it is well formed, with the orientation it holds. Small pictures are then written again with that
// metadata into a counting sink, which must succeed, so the writers meet every block the readers pass.

#include "codec/CodecIO.h"
#include "codec/ExifBlock.h"
#include "codec/PictureMetadata.h"

#include <cstdint>
#include <functional>

// Pictures above this many pixels are not written again, for speed only.
inline constexpr std::int64_t kFuzzMaxRewritePixels = 1 << 16;

// `write` writes the picture to the sink it is given and returns the written size (0 on failure).
inline void CheckReadMetadata(bool readSucceeded, std::int64_t pixelCount,
                              const std::function<std::int64_t(CodecIOHandle*)>& write)
{
    CodecPictureMetadata metadata;
    CodecTakeReadMetadata(&metadata);
    if (!readSucceeded) {
        if (!metadata.Empty()) __builtin_trap();
        return;
    }
    if (metadata.iccProfile.size() + metadata.exif.size() + metadata.xmp.size() > codec::kMaxMetadataBytes)
        __builtin_trap();
    const auto summary = codec::ReadExifSummary(metadata.exif.data(), metadata.exif.size());
    if (metadata.exif.empty() ? metadata.orientation != 0 : !summary || summary->orientation != metadata.orientation)
        __builtin_trap();
    if (metadata.Empty() || pixelCount > kFuzzMaxRewritePixels) return;
    CodecSetWriteMetadata(&metadata);
    CodecIOHandle* counter = CodecOpenCountingSink(0);
    const std::int64_t written = write(counter);
    CodecCloseSink(counter);
    CodecSetWriteMetadata(nullptr);
    if (written <= 0) __builtin_trap();
}
