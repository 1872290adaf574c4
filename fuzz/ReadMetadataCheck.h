#pragma once
// The invariant fuzz targets of readers that find metadata check after a successful read: the
// orientation is 0 to 8, an Exif block that arrives is well-formed, and the blocks stay within the
// metadata budget together. Any other outcome stops the run.

#include "codec/ExifBlock.h"
#include "codec/PictureMetadata.h"

// Collects what the last read on this thread found and checks it.
inline CodecPictureMetadata TakeCheckedReadMetadata()
{
    CodecPictureMetadata metadata;
    CodecTakeReadMetadata(&metadata);
    if (metadata.orientation < 0 || metadata.orientation > 8) __builtin_trap();
    if (metadata.iccProfile.size() + metadata.exif.size() + metadata.xmp.size() > codec::kMaxMetadataBytes)
        __builtin_trap();
    if (!metadata.exif.empty() && !codec::ReadExifSummary(metadata.exif.data(), metadata.exif.size())) __builtin_trap();
    return metadata;
}
