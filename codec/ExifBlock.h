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
#include <span>
#include <string>
#include <vector>

namespace codec {

// A directory with more entries than this is not a camera's: a block holding one is malformed.
inline constexpr std::uint64_t kMaxExifDirectoryEntries = 1000;

// Bytes of one element of TIFF field type 1 (BYTE) .. 13 (IFD); 0 for a type an Exif block cannot hold.
std::uint64_t ExifTypeBytes(std::uint16_t type);

// Turns a value of `type` read in big-endian order into little-endian order, each number on its own:
// a rational is two 4-byte numbers, text and bytes stay as they are.
void BigEndianExifValueToLittle(std::uint16_t type, std::span<std::uint8_t> value);

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

// One tag of a directory, its value in little-endian byte order (each element swapped on its own).
struct ExifField {
    std::uint16_t tag = 0;
    std::uint16_t type = 0;                // TIFF field type, 1 (BYTE) .. 13 (IFD)
    std::uint32_t count = 0;               // elements; value holds count x the type's size in bytes
    std::vector<std::uint8_t> value;

    bool operator==(const ExifField&) const = default;
};

// The tags a block carries between files whose own structure differs (a TIFF file keeps them in its
// own directories): no directory offsets, no image structure.
struct ExifContent {
    std::vector<ExifField> primary;        // the first directory's descriptive tags only: description,
                                           // camera, software, date, artist, copyright and the like
    std::vector<ExifField> exif;           // the Exif directory, without its interoperability pointer
    std::vector<ExifField> gps;            // the GPS directory

    bool operator==(const ExifContent&) const = default;
};

// The content of a well-formed block; nullopt where ReadExifSummary would find the block malformed, or
// the values copied would exceed kMaxMetadataBytes.
std::optional<ExifContent> ReadExifContent(const std::uint8_t* block, std::size_t size);

// A little-endian block holding `content`: the first directory with the primary tags and pointers to an
// Exif and a GPS directory where those are not empty. Fields of an unknown type, or whose value does
// not match type x count, are left out; a repeated tag keeps its first field. Empty when nothing is
// left, a directory would hold more than 1000 fields, or the block would exceed kMaxMetadataBytes.
// Pass the result through ExifForWrittenPicture to set the pixel dimensions of the picture it goes with.
std::vector<std::uint8_t> BuildExifBlock(const ExifContent& content);

}  // namespace codec
