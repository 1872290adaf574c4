#pragma once
// The Exif tags of a TIFF page. A TIFF file keeps them in its own directories: the descriptive tags
// (camera, date, artist, ...) in the page's directory, the rest in an Exif and a GPS directory the page
// points to. The reader gathers them into an Exif block as PictureMetadata holds it; the writer spreads
// a block over the page it writes. Glue between the TIFF coder and "codec/ExifBlock.h"; only
// TiffCoder.cpp uses it.
//
// The Exif and GPS directories are walked with bounds of our own over the file: every count, offset and
// value is checked against the file before it is read, only the two directories are read (no link is
// followed), and a directory that is malformed drops the whole block while the picture still loads.

#include "codec/CodecIO.h"

#include <tiffio.h>

#include <cstdint>
#include <vector>

namespace codec {

// The Exif block of the current directory of `tiff`, read through `io`, in which the file starts at
// `base`. Empty when the directory has no such tags, when a directory is malformed or when the block
// would need more than `budgetBytes`.
std::vector<std::uint8_t> ReadTiffExif(TIFF* tiff, CCodecIO& io, std::uint64_t base, std::uint64_t budgetBytes);

// Puts the content of `exifBlock` into the page being written, for a picture of width x height: the
// descriptive tags on the current directory (Software only when `withSoftware`), the Exif and GPS
// directories written into the file, which libtiff has just opened for writing little-endian and to
// which nothing else is written yet. The Orientation stays the writer's and no thumbnail goes along.
// A malformed block is left out; false only when libtiff refuses a tag or the file cannot be written.
bool WriteTiffExif(TIFF* tiff, CCodecIO& io, std::uint64_t base, const std::vector<std::uint8_t>& exifBlock,
                   std::uint32_t width, std::uint32_t height, bool withSoftware);

}  // namespace codec
