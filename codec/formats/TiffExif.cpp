#include "codec/formats/TiffExif.h"

#include "codec/ByteReader.h"
#include "codec/ExifBlock.h"
#include "codec/PictureMetadata.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <span>
#include <string>

namespace codec {
namespace {

constexpr std::uint64_t kHeaderBytes = 8;   // byte-order mark, 42, first directory

// The descriptive tags a TIFF page and an Exif block share, all text.
constexpr std::array<ttag_t, 10> kDescriptiveTags = {
    TIFFTAG_DOCUMENTNAME, TIFFTAG_IMAGEDESCRIPTION, TIFFTAG_MAKE,   TIFFTAG_MODEL,        TIFFTAG_PAGENAME,
    TIFFTAG_SOFTWARE,     TIFFTAG_DATETIME,         TIFFTAG_ARTIST, TIFFTAG_HOSTCOMPUTER, TIFFTAG_COPYRIGHT};

// Reads directories of a classic or big TIFF file through the handle, with the file's byte order.
class DirectoryReader {
public:
    DirectoryReader(CCodecIO& io, std::uint64_t base, bool bigEndian, bool bigTiff, MetadataBudget& budget)
        : io_(io), base_(base), fileBytes_(io.Size() > base ? io.Size() - base : 0), bigEndian_(bigEndian),
          bigTiff_(bigTiff), budget_(budget)
    {
    }

    // Appends the fields of the directory at `offset` (fields of a type an Exif block cannot hold are
    // skipped), values in little-endian order. False when the directory or a value lies outside the
    // file, the directory has too many entries, or the values pass the budget.
    bool Read(std::uint64_t offset, std::vector<ExifField>& fields)
    {
        const std::uint64_t countBytes = bigTiff_ ? 8 : 2, entryBytes = bigTiff_ ? 20 : 12;
        std::array<std::uint8_t, 8> raw{};
        if (!ReadAt(offset, std::span(raw).first(countBytes))) return false;
        const std::uint64_t entryCount = Load(raw.data(), countBytes);
        if (entryCount > kMaxExifDirectoryEntries) return false;
        std::vector<std::uint8_t> entries(entryCount * entryBytes);
        if (!ReadAt(offset + countBytes, entries)) return false;
        const std::uint64_t inlineBytes = bigTiff_ ? 8 : 4;
        for (std::uint64_t at = 0; at < entries.size(); at += entryBytes) {
            const std::uint8_t* entry = &entries[at];
            ExifField field{static_cast<std::uint16_t>(Load(entry, 2)), static_cast<std::uint16_t>(Load(entry + 2, 2)), 0, {}};
            const std::uint64_t count = Load(entry + 4, inlineBytes);
            const std::uint64_t unit = ExifTypeBytes(field.type);
            if (unit == 0 || count > 0xFFFFFFFF) continue;
            const std::uint64_t valueBytes = count * unit;
            const std::uint8_t* value = entry + 4 + inlineBytes;
            const std::uint64_t valueAt = Load(value, inlineBytes);
            if ((valueBytes > inlineBytes && !Holds(valueAt, valueBytes)) || !budget_.Take(valueBytes)) return false;
            field.count = static_cast<std::uint32_t>(count);
            field.value.resize(valueBytes);
            if (valueBytes <= inlineBytes) std::copy_n(value, valueBytes, field.value.begin());
            else if (!ReadAt(valueAt, field.value)) return false;
            if (bigEndian_) BigEndianExifValueToLittle(field.type, field.value);
            fields.push_back(std::move(field));
        }
        return true;
    }

private:
    bool Holds(std::uint64_t offset, std::uint64_t bytes) const
    {
        return offset <= fileBytes_ && bytes <= fileBytes_ - offset;
    }

    bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> bytes)
    {
        if (bytes.empty()) return Holds(offset, 0);   // a directory without entries
        return Holds(offset, bytes.size()) &&
               io_.Seek(static_cast<std::int64_t>(base_ + offset), kCodecSeekStart) && io_.ReadExact(bytes.data(), bytes.size());
    }

    std::uint64_t Load(const std::uint8_t* bytes, std::uint64_t size) const
    {
        std::uint64_t value = 0;
        for (std::uint64_t i = 0; i < size; ++i) value |= std::uint64_t{bytes[bigEndian_ ? size - 1 - i : i]} << (8 * i);
        return value;
    }

    CCodecIO& io_;
    const std::uint64_t base_;
    const std::uint64_t fileBytes_;
    const bool bigEndian_;
    const bool bigTiff_;
    MetadataBudget& budget_;
};

// A text field with its terminating zero, as an Exif block stores text.
ExifField TextField(ttag_t tag, const char* text)
{
    const std::size_t length = std::strlen(text);
    ExifField field{static_cast<std::uint16_t>(tag), TIFF_ASCII, static_cast<std::uint32_t>(length + 1), {}};
    field.value.assign(text, text + length + 1);
    return field;
}

// The offset a directory of our own little-endian block gives for `tag`; nullopt when it has none.
std::optional<std::uint32_t> PointerOf(const std::vector<std::uint8_t>& block, std::uint32_t directory, std::uint16_t tag)
{
    if (std::uint64_t{directory} + 2 > block.size()) return std::nullopt;
    const std::uint16_t entryCount = LoadLe16(&block[directory]);
    for (std::uint64_t at = directory + 2; at < directory + 2 + std::uint64_t{entryCount} * 12 && at + 12 <= block.size(); at += 12)
        if (LoadLe16(&block[at]) == tag) return LoadLe32(&block[at + 8]);
    return std::nullopt;
}

}  // namespace

std::vector<std::uint8_t> ReadTiffExif(TIFF* tiff, CCodecIO& io, std::uint64_t base, std::uint64_t budgetBytes)
{
    ExifContent content;
    MetadataBudget budget(budgetBytes);
    for (const ttag_t tag : kDescriptiveTags) {
        const char* text = nullptr;
        if (TIFFGetField(tiff, tag, &text) == 0 || text == nullptr) continue;
        content.primary.push_back(TextField(tag, text));
        if (!budget.Take(content.primary.back().value.size())) return {};
    }
    DirectoryReader reader(io, base, TIFFIsBigEndian(tiff) != 0, TIFFIsBigTIFF(tiff) != 0, budget);
    const std::uint64_t page = TIFFCurrentDirOffset(tiff);
    std::uint64_t exifAt = 0, gpsAt = 0;
    // A pointer of 0 points nowhere: the directory is missing.
    const bool hasExif = TIFFGetField(tiff, TIFFTAG_EXIFIFD, &exifAt) != 0 && exifAt != 0;
    const bool hasGps = TIFFGetField(tiff, TIFFTAG_GPSIFD, &gpsAt) != 0 && gpsAt != 0;
    // A pointer back to the page, or both pointers to one directory, is a loop: nothing of it is trusted.
    if ((hasExif && exifAt == page) || (hasGps && gpsAt == page) || (hasExif && hasGps && exifAt == gpsAt)) return {};
    if (hasExif && !reader.Read(exifAt, content.exif)) return {};
    if (hasGps && !reader.Read(gpsAt, content.gps)) return {};
    std::vector<std::uint8_t> block = BuildExifBlock(content);
    return block.size() <= budgetBytes ? block : std::vector<std::uint8_t>{};
}

bool WriteTiffExif(TIFF* tiff, CCodecIO& io, std::uint64_t base, const std::vector<std::uint8_t>& exifBlock,
                   std::uint32_t width, std::uint32_t height, bool withSoftware)
{
    if (exifBlock.empty()) return true;
    const std::optional<ExifContent> content = ReadExifContent(exifBlock.data(), exifBlock.size());
    if (!content) return true;
    for (const ExifField& field : content->primary) {
        const bool descriptive = std::find(kDescriptiveTags.begin(), kDescriptiveTags.end(), field.tag) != kDescriptiveTags.end();
        if (!descriptive || field.type != TIFF_ASCII || (field.tag == TIFFTAG_SOFTWARE && !withSoftware)) continue;
        const std::string text(field.value.begin(), std::find(field.value.begin(), field.value.end(), 0));
        if (TIFFSetField(tiff, field.tag, text.c_str()) == 0) return false;
    }

    // The Exif and GPS directories go right after the file's header, in a block of their own whose
    // offsets count from its header as the file's count from the file's: the block's bytes after its
    // header land where they point. Its first directory, holding only the two pointers, stays unused.
    const ExifContent directories{{}, content->exif, content->gps};
    const std::vector<std::uint8_t> built = BuildExifBlock(directories);
    const std::vector<std::uint8_t> block = ExifForWrittenPicture(built.data(), built.size(), width, height);
    if (block.size() <= kHeaderBytes) return true;
    if (TIFFIsBigEndian(tiff) != 0 || TIFFIsBigTIFF(tiff) != 0 || io.Size() != base + kHeaderBytes) return true;
    const std::uint32_t first = LoadLe32(&block[4]);
    const std::optional<std::uint32_t> exifAt = PointerOf(block, first, TIFFTAG_EXIFIFD);
    const std::optional<std::uint32_t> gpsAt = PointerOf(block, first, TIFFTAG_GPSIFD);
    if (!io.Seek(0, kCodecSeekEnd) || !io.Write(block.data() + kHeaderBytes, block.size() - kHeaderBytes)) return false;
    if (exifAt && TIFFSetField(tiff, TIFFTAG_EXIFIFD, std::uint64_t{*exifAt}) == 0) return false;
    if (gpsAt && TIFFSetField(tiff, TIFFTAG_GPSIFD, std::uint64_t{*gpsAt}) == 0) return false;
    return true;
}

}  // namespace codec
