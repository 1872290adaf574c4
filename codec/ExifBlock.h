#pragma once
// Exif blocks: a bounded reader of the few tags the program acts on, and the rewrite a block needs
// before it goes into a written picture.
//
// A block is TIFF-structured, from its byte-order mark ("II*\0" or "MM\0*") on, as PictureMetadata
// holds it. Every offset, count and directory is checked against the block before it is followed;
// directories are visited once each, so a loop ends the walk instead of repeating it.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace codec {

// What the program reads from a block.
struct ExifSummary {
    int orientation = 0;             // 1..8; 0 when the tag is missing or out of range
    std::string make;                // camera maker, model and the time the picture was taken, as stored
    std::string model;
    std::string dateTimeOriginal;
};

// The summary of a well-formed block; nullopt for a block that is malformed (no byte-order mark, the
// first directory outside the block, an entry whose value lies past the end): such a block is dropped.
std::optional<ExifSummary> ReadExifSummary(const std::uint8_t* block, std::size_t size);

// The block as it goes with a written picture of width x height: the Orientation tag upright (1), the
// pixel dimensions the written size, the embedded thumbnail (the second directory and its data) gone.
// Everything else stays as it was. Empty when the block is malformed.
std::vector<std::uint8_t> ExifForWrittenPicture(const std::uint8_t* block, std::size_t size, std::uint32_t width,
                                                std::uint32_t height);

}  // namespace codec
