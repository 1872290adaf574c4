#include "codec/ExifBlock.h"

#include "codec/ByteReader.h"
#include "codec/PictureMetadata.h"

#include <algorithm>
#include <array>
#include <utility>

namespace codec {
namespace {

// Tags the program reads or rewrites.
constexpr std::uint16_t kTagImageWidth = 256;
constexpr std::uint16_t kTagImageLength = 257;
constexpr std::uint16_t kTagMake = 271;
constexpr std::uint16_t kTagModel = 272;
constexpr std::uint16_t kTagStripOffsets = 273;
constexpr std::uint16_t kTagOrientation = 274;
constexpr std::uint16_t kTagStripByteCounts = 279;
constexpr std::uint16_t kTagDateTime = 306;
constexpr std::uint16_t kTagThumbnailOffset = 513;
constexpr std::uint16_t kTagThumbnailLength = 514;
constexpr std::uint16_t kTagExifDirectory = 34665;
constexpr std::uint16_t kTagGpsDirectory = 34853;
constexpr std::uint16_t kTagDateTimeOriginal = 36867;
constexpr std::uint16_t kTagPixelXDimension = 40962;
constexpr std::uint16_t kTagPixelYDimension = 40963;
constexpr std::uint16_t kTagInteropDirectory = 40965;

constexpr std::uint16_t kTypeShort = 3;
constexpr std::uint16_t kTypeLong = 4;

constexpr std::uint64_t kHeaderBytes = 8;
constexpr std::uint64_t kEntryBytes = 12;

// One entry as found: where its value lies in the block. Entries of an unknown type have no value range.
struct ExifEntry {
    std::uint16_t tag = 0;
    std::uint16_t type = 0;
    std::uint32_t count = 0;
    std::uint64_t entryAt = 0;
    std::uint64_t valueAt = 0;
    std::uint64_t valueBytes = 0;
    bool inlineValue = true;
};

struct ExifDirectory {
    std::uint64_t at = 0;
    std::uint64_t end = 0;          // past the next-directory link
    std::uint32_t next = 0;
    bool repeated = false;          // visited before: read as empty, so a loop ends here
    bool hasUnknownType = false;
    std::vector<ExifEntry> entries;
};

struct ByteRange {
    std::uint64_t begin = 0;
    std::uint64_t end = 0;
};

// The block's bytes in their byte order, and the directories already visited so that a loop ends the walk.
class ExifWalk {
public:
    ExifWalk(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    // Checks the byte-order mark and the magic number; the first directory's offset on success.
    std::optional<std::uint32_t> Open()
    {
        if (data_ == nullptr || size_ < kHeaderBytes) return std::nullopt;
        if (data_[0] == 'I' && data_[1] == 'I') bigEndian_ = false;
        else if (data_[0] == 'M' && data_[1] == 'M') bigEndian_ = true;
        else return std::nullopt;
        if (Get16(2) != 42) return std::nullopt;
        return Get32(4);
    }

    bool BigEndian() const { return bigEndian_; }
    std::uint64_t Size() const { return size_; }
    const std::uint8_t* Data() const { return data_; }

    std::uint16_t Get16(std::uint64_t at) const
    {
        return bigEndian_ ? LoadBe16(data_ + at) : LoadLe16(data_ + at);
    }
    std::uint32_t Get32(std::uint64_t at) const
    {
        return bigEndian_ ? LoadBe32(data_ + at) : LoadLe32(data_ + at);
    }

    // nullopt: the directory or one of its values lies outside the block, or it has too many entries.
    // A directory visited before reads as an empty one with no link, ending a loop.
    std::optional<ExifDirectory> ReadDirectory(std::uint32_t at)
    {
        ExifDirectory directory;
        directory.at = at;
        directory.end = at;
        directory.repeated = std::find(visited_.begin(), visited_.end(), at) != visited_.end();
        if (directory.repeated) return directory;
        visited_.push_back(at);
        if (at < kHeaderBytes || std::uint64_t{at} + 2 > size_) return std::nullopt;
        const std::uint16_t entryCount = Get16(at);
        if (entryCount > kMaxExifDirectoryEntries) return std::nullopt;
        directory.end = std::uint64_t{at} + 2 + entryCount * kEntryBytes + 4;
        if (directory.end > size_) return std::nullopt;
        directory.next = Get32(directory.end - 4);
        directory.entries.reserve(entryCount);
        for (std::uint16_t index = 0; index < entryCount; ++index) {
            ExifEntry entry;
            entry.entryAt = std::uint64_t{at} + 2 + index * kEntryBytes;
            entry.tag = Get16(entry.entryAt);
            entry.type = Get16(entry.entryAt + 2);
            entry.count = Get32(entry.entryAt + 4);
            entry.valueAt = entry.entryAt + 8;
            if (ExifTypeBytes(entry.type) == 0) {
                directory.hasUnknownType = true;   // readers skip a type they do not know
                directory.entries.push_back(entry);
                continue;
            }
            entry.valueBytes = entry.count * ExifTypeBytes(entry.type);   // at most 2^32 x 8: no overflow
            if (entry.valueBytes > 4) {
                entry.inlineValue = false;
                entry.valueAt = Get32(entry.valueAt);
                if (entry.valueAt + entry.valueBytes > size_) return std::nullopt;
            }
            directory.entries.push_back(entry);
        }
        return directory;
    }

    // The element `index` of a BYTE, SHORT or LONG entry; nullopt for other types or past the count.
    std::optional<std::uint32_t> Unsigned(const ExifEntry& entry, std::uint32_t index = 0) const
    {
        if (index >= entry.count) return std::nullopt;
        switch (entry.type) {
        case 1: return data_[entry.valueAt + index];
        case kTypeShort: return Get16(entry.valueAt + std::uint64_t{index} * 2);
        case kTypeLong:
        case 13: return Get32(entry.valueAt + std::uint64_t{index} * 4);
        default: return std::nullopt;
        }
    }

    // An ASCII entry up to its first NUL.
    std::string Text(const ExifEntry& entry) const
    {
        if (entry.type != 2) return {};
        const auto* begin = reinterpret_cast<const char*>(data_ + entry.valueAt);
        const auto* end = begin + entry.valueBytes;
        return std::string(begin, std::find(begin, end, '\0'));
    }

private:
    const std::uint8_t* data_;
    std::uint64_t size_;
    bool bigEndian_ = false;
    std::vector<std::uint32_t> visited_;
};

const ExifEntry* FindEntry(const ExifDirectory& directory, std::uint16_t tag)
{
    for (const ExifEntry& entry : directory.entries)
        if (entry.tag == tag) return &entry;
    return nullptr;
}

// The directory a pointer tag names: absent when the tag is missing or not a single offset,
// nullopt (malformed) when the directory it names cannot be read.
std::optional<std::optional<ExifDirectory>> ReadSubDirectory(ExifWalk& walk, const ExifDirectory& parent,
                                                             std::uint16_t tag)
{
    const ExifEntry* pointer = FindEntry(parent, tag);
    if (pointer == nullptr || pointer->count != 1 || (pointer->type != kTypeLong && pointer->type != 13))
        return std::optional<ExifDirectory>{};
    std::optional<ExifDirectory> directory = walk.ReadDirectory(walk.Get32(pointer->valueAt));
    if (!directory) return std::nullopt;
    return directory;
}

bool Overlaps(const ByteRange& range, const std::vector<ByteRange>& others)
{
    return std::any_of(others.begin(), others.end(),
                       [&](const ByteRange& other) { return range.begin < other.end && other.begin < range.end; });
}

// The directories of a block. The thumbnail's directory is read only on request; one that cannot be
// read is left out, since it is dropped anyway.
struct ExifTree {
    ExifDirectory primary;
    std::optional<ExifDirectory> exif;
    std::optional<ExifDirectory> gps;
    std::optional<ExifDirectory> interop;
    std::optional<ExifDirectory> thumbnail;

    // The directories that stay in a written picture.
    std::vector<const ExifDirectory*> Kept() const
    {
        std::vector<const ExifDirectory*> kept{&primary};
        for (const auto* directory : {&exif, &gps, &interop})
            if (*directory) kept.push_back(&**directory);
        return kept;
    }
};

// Directory tables that overlap each other, or a value lying over a table, are no TIFF structure;
// the rewrite, which patches entries in place, relies on their being apart.
bool Disjoint(const ExifTree& tree)
{
    std::vector<ByteRange> tables;
    for (const auto* directory : tree.Kept())
        if (!directory->repeated) tables.push_back({directory->at, directory->end});
    std::sort(tables.begin(), tables.end(), [](const auto& a, const auto& b) { return a.begin < b.begin; });
    for (std::size_t index = 1; index < tables.size(); ++index)
        if (tables[index - 1].end > tables[index].begin) return false;
    for (const auto* directory : tree.Kept())
        for (const ExifEntry& entry : directory->entries)
            if (!entry.inlineValue && Overlaps({entry.valueAt, entry.valueAt + entry.valueBytes}, tables)) return false;
    return true;
}

std::optional<ExifTree> ReadTree(ExifWalk& walk, bool withThumbnail)
{
    const std::optional<std::uint32_t> first = walk.Open();
    if (!first) return std::nullopt;
    std::optional<ExifDirectory> primary = walk.ReadDirectory(*first);
    if (!primary) return std::nullopt;
    ExifTree tree;
    tree.primary = std::move(*primary);
    auto exif = ReadSubDirectory(walk, tree.primary, kTagExifDirectory);
    auto gps = ReadSubDirectory(walk, tree.primary, kTagGpsDirectory);
    if (!exif || !gps) return std::nullopt;
    tree.exif = std::move(*exif);
    tree.gps = std::move(*gps);
    if (tree.exif) {
        auto interop = ReadSubDirectory(walk, *tree.exif, kTagInteropDirectory);
        if (!interop) return std::nullopt;
        tree.interop = std::move(*interop);
    }
    if (!Disjoint(tree)) return std::nullopt;
    if (withThumbnail && tree.primary.next != 0) tree.thumbnail = walk.ReadDirectory(tree.primary.next);
    if (tree.thumbnail && tree.thumbnail->repeated) tree.thumbnail.reset();   // a link back, no thumbnail
    return tree;
}

// Writes `value` as the entry's value, always inside the entry itself. An entry whose type cannot hold
// it there (a SHORT too small for the size, a value kept out of line, or a type a reader would still take
// a number from, such as BYTE) becomes a LONG with one element, inline: both SHORT and LONG are allowed
// for these tags, and a reader then finds the true value instead of a truncated or stale one.
void PutUnsigned(std::vector<std::uint8_t>& block, bool bigEndian, const ExifEntry& entry, std::uint32_t value)
{
    const auto put16 = [&](std::uint64_t at, std::uint16_t v) {
        bigEndian ? StoreBe16(block.data() + at, v) : StoreLe16(block.data() + at, v);
    };
    const auto put32 = [&](std::uint64_t at, std::uint32_t v) {
        bigEndian ? StoreBe32(block.data() + at, v) : StoreLe32(block.data() + at, v);
    };
    if (entry.type == kTypeLong && entry.count != 0 && entry.inlineValue) {
        put32(entry.valueAt, value);
    } else if (entry.type == kTypeShort && entry.count != 0 && entry.inlineValue && value <= 0xFFFF) {
        put16(entry.valueAt, static_cast<std::uint16_t>(value));
    } else {
        put16(entry.entryAt + 2, kTypeLong);
        put32(entry.entryAt + 4, 1);
        put32(entry.entryAt + 8, value);
    }
}

// The bytes a directory occupies: itself and its values kept out of line.
void AddRanges(const ExifDirectory& directory, std::vector<ByteRange>& ranges)
{
    ranges.push_back({directory.at, directory.end});
    for (const ExifEntry& entry : directory.entries)
        if (!entry.inlineValue) ranges.push_back({entry.valueAt, entry.valueAt + entry.valueBytes});
}

// The thumbnail's directory, its values and the picture data it points at (a JPEG, or strips spanned
// from the first byte of any to the last), inside the block; data that leaves the block is left out,
// as nothing can be zeroed there.
std::vector<ByteRange> ThumbnailRanges(const ExifWalk& walk, const ExifDirectory& thumbnail)
{
    std::vector<ByteRange> ranges;
    AddRanges(thumbnail, ranges);
    const auto addData = [&](std::uint16_t offsetTag, std::uint16_t lengthTag) {
        const ExifEntry* offsets = FindEntry(thumbnail, offsetTag);
        const ExifEntry* lengths = FindEntry(thumbnail, lengthTag);
        if (offsets == nullptr || lengths == nullptr) return;
        ByteRange span{walk.Size(), 0};
        const std::uint32_t pieces = std::min(offsets->count, lengths->count);
        for (std::uint32_t index = 0; index < pieces; ++index) {
            const auto offset = walk.Unsigned(*offsets, index);
            const auto length = walk.Unsigned(*lengths, index);
            if (!offset || !length) return;
            const std::uint64_t end = std::uint64_t{*offset} + *length;
            if (end > walk.Size()) return;
            span = {std::min(span.begin, std::uint64_t{*offset}), std::max(span.end, end)};
        }
        if (span.begin < span.end) ranges.push_back(span);
    };
    addData(kTagThumbnailOffset, kTagThumbnailLength);
    addData(kTagStripOffsets, kTagStripByteCounts);
    return ranges;
}

// Descriptive tags of the first directory that travel with the picture; image structure does not.
constexpr std::array<std::uint16_t, 14> kPrimaryTags = {269,   270,   271,   272,   285,   305,   306,
                                                        315,   316,   33432, 40091, 40092, 40093, 40094};

// Copies the fields `keep` accepts, values in little-endian order. False when the copies would pass
// `budget`: values of one block may overlap, so their copies can outgrow the block.
bool ReadFields(const ExifWalk& walk, const ExifDirectory& directory, auto&& keep, std::vector<ExifField>& fields,
                MetadataBudget& budget)
{
    for (const ExifEntry& entry : directory.entries) {
        if (ExifTypeBytes(entry.type) == 0 || !keep(entry.tag)) continue;
        if (!budget.Take(entry.valueBytes)) return false;
        ExifField field{entry.tag, entry.type, entry.count, {}};
        const std::uint8_t* value = walk.Data() + entry.valueAt;
        field.value.assign(value, value + entry.valueBytes);
        if (walk.BigEndian()) BigEndianExifValueToLittle(entry.type, field.value);
        fields.push_back(std::move(field));
    }
    return true;
}

// The fields that can be written, in ascending tag order, the first of each tag.
std::vector<const ExifField*> WritableFields(const std::vector<ExifField>& fields)
{
    std::vector<const ExifField*> kept;
    for (const ExifField& field : fields) {
        const std::uint64_t size = ExifTypeBytes(field.type);
        if (size == 0 || field.value.size() != size * field.count) continue;
        if (field.tag == kTagExifDirectory || field.tag == kTagGpsDirectory || field.tag == kTagInteropDirectory)
            continue;   // offsets into another block mean nothing here
        kept.push_back(&field);
    }
    std::stable_sort(kept.begin(), kept.end(), [](auto* a, auto* b) { return a->tag < b->tag; });
    kept.erase(std::unique(kept.begin(), kept.end(), [](auto* a, auto* b) { return a->tag == b->tag; }),
               kept.end());
    return kept;
}

std::uint64_t DirectoryBytes(const std::vector<const ExifField*>& fields, std::size_t pointers)
{
    std::uint64_t bytes = 2 + (fields.size() + pointers) * kEntryBytes + 4;
    for (const ExifField* field : fields)
        if (field->value.size() > 4) bytes += (field->value.size() + 1) & ~std::uint64_t{1};
    return bytes;
}

// Appends a directory and its out-of-line values (each on an even offset) at the block's end.
// `pointers` are (tag, offset) pairs written as LONG entries in tag order among the fields.
void AppendDirectory(std::vector<std::uint8_t>& block, const std::vector<const ExifField*>& fields,
                     std::vector<std::pair<std::uint16_t, std::uint32_t>> pointers)
{
    std::vector<ExifField> entries;
    for (const ExifField* field : fields) entries.push_back(*field);
    for (const auto& [tag, offset] : pointers) {
        ExifField pointer{tag, kTypeLong, 1, std::vector<std::uint8_t>(4)};
        StoreLe32(pointer.value.data(), offset);
        entries.push_back(std::move(pointer));
    }
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.tag < b.tag; });
    const std::size_t at = block.size();
    std::uint64_t valueAt = at + 2 + entries.size() * kEntryBytes + 4;
    block.resize(valueAt);
    StoreLe16(block.data() + at, static_cast<std::uint16_t>(entries.size()));
    for (std::size_t index = 0; index < entries.size(); ++index) {
        const ExifField& field = entries[index];
        std::uint8_t* entry = block.data() + at + 2 + index * kEntryBytes;
        StoreLe16(entry, field.tag);
        StoreLe16(entry + 2, field.type);
        StoreLe32(entry + 4, field.count);
        if (field.value.size() <= 4) {
            std::copy(field.value.begin(), field.value.end(), entry + 8);
            continue;
        }
        StoreLe32(entry + 8, static_cast<std::uint32_t>(valueAt));
        block.insert(block.end(), field.value.begin(), field.value.end());
        if (block.size() % 2 != 0) block.push_back(0);
        valueAt = block.size();
    }
}

}  // namespace

std::uint64_t ExifTypeBytes(std::uint16_t type)
{
    constexpr std::array<std::uint8_t, 14> kSizes = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8, 4};
    return type < kSizes.size() ? kSizes[type] : 0;
}

void BigEndianExifValueToLittle(std::uint16_t type, std::span<std::uint8_t> value)
{
    // A rational is two 4-byte numbers; text and bytes have no byte order.
    const std::uint64_t unit = type == 5 || type == 10 ? 4 : ExifTypeBytes(type);
    if (unit <= 1) return;
    for (auto number = value.begin(); value.end() - number >= static_cast<std::ptrdiff_t>(unit);
         number += static_cast<std::ptrdiff_t>(unit))
        std::reverse(number, number + static_cast<std::ptrdiff_t>(unit));
}

std::optional<ExifSummary> ReadExifSummary(const std::uint8_t* block, std::size_t size)
{
    ExifWalk walk(block, size);
    const std::optional<ExifTree> tree = ReadTree(walk, false);
    if (!tree) return std::nullopt;
    ExifSummary summary;
    if (const ExifEntry* orientation = FindEntry(tree->primary, kTagOrientation)) {
        const std::optional<std::uint32_t> value = walk.Unsigned(*orientation);
        if (value && *value >= 1 && *value <= 8) summary.orientation = static_cast<int>(*value);
    }
    if (const ExifEntry* make = FindEntry(tree->primary, kTagMake)) summary.make = walk.Text(*make);
    if (const ExifEntry* model = FindEntry(tree->primary, kTagModel)) summary.model = walk.Text(*model);
    const ExifEntry* taken = tree->exif ? FindEntry(*tree->exif, kTagDateTimeOriginal) : nullptr;
    if (taken == nullptr) taken = FindEntry(tree->primary, kTagDateTime);
    if (taken != nullptr) summary.dateTimeOriginal = walk.Text(*taken);
    return summary;
}

std::vector<std::uint8_t> ExifForWrittenPicture(const std::uint8_t* block, std::size_t size, std::uint32_t width,
                                                std::uint32_t height)
{
    ExifWalk walk(block, size);
    const std::optional<ExifTree> tree = ReadTree(walk, true);
    if (!tree) return {};
    std::vector<std::uint8_t> out(block, block + size);
    const bool bigEndian = walk.BigEndian();
    const ExifDirectory* exif = tree->exif ? &*tree->exif : nullptr;
    const auto setTag = [&](const ExifDirectory* directory, std::uint16_t tag, std::uint32_t value) {
        const ExifEntry* entry = directory != nullptr ? FindEntry(*directory, tag) : nullptr;
        if (entry != nullptr) PutUnsigned(out, bigEndian, *entry, value);
    };
    setTag(&tree->primary, kTagOrientation, 1);
    setTag(&tree->primary, kTagImageWidth, width);
    setTag(&tree->primary, kTagImageLength, height);
    setTag(exif, kTagPixelXDimension, width);
    setTag(exif, kTagPixelYDimension, height);
    if (tree->primary.next == 0) return out;

    // The thumbnail shows the picture before the change: unlink it, then drop its bytes.
    const std::uint64_t link = tree->primary.end - 4;
    bigEndian ? StoreBe32(out.data() + link, 0) : StoreLe32(out.data() + link, 0);
    if (!tree->thumbnail) return out;
    std::vector<ByteRange> kept{{0, kHeaderBytes}};
    bool measured = true;
    for (const ExifDirectory* directory : tree->Kept()) {
        AddRanges(*directory, kept);
        measured = measured && !directory->hasUnknownType;
    }
    const std::vector<ByteRange> dropped = ThumbnailRanges(walk, *tree->thumbnail);
    std::uint64_t keptEnd = 0;
    for (const ByteRange& range : kept) keptEnd = std::max(keptEnd, range.end);
    const bool atTail = std::all_of(dropped.begin(), dropped.end(),
                                    [&](const ByteRange& range) { return range.begin >= keptEnd; });
    // A value of an unknown type may lie anywhere, so the tail is cut only when every value is known.
    if (measured && atTail) {
        out.resize(keptEnd);
        return out;
    }
    for (const ByteRange& range : dropped)
        if (!Overlaps(range, kept)) std::fill(out.begin() + range.begin, out.begin() + range.end, 0);
    return out;
}

std::optional<ExifContent> ReadExifContent(const std::uint8_t* block, std::size_t size)
{
    ExifWalk walk(block, size);
    const std::optional<ExifTree> tree = ReadTree(walk, false);
    if (!tree) return std::nullopt;
    const auto notPointer = [](std::uint16_t tag) {
        return tag != kTagExifDirectory && tag != kTagGpsDirectory && tag != kTagInteropDirectory;
    };
    const auto descriptive = [](std::uint16_t tag) {
        return std::find(kPrimaryTags.begin(), kPrimaryTags.end(), tag) != kPrimaryTags.end();
    };
    ExifContent content;
    MetadataBudget budget;
    if (!ReadFields(walk, tree->primary, descriptive, content.primary, budget)) return std::nullopt;
    if (tree->exif && !ReadFields(walk, *tree->exif, notPointer, content.exif, budget)) return std::nullopt;
    if (tree->gps && !ReadFields(walk, *tree->gps, notPointer, content.gps, budget)) return std::nullopt;
    return content;
}

std::vector<std::uint8_t> BuildExifBlock(const ExifContent& content)
{
    const std::vector<const ExifField*> primary = WritableFields(content.primary);
    const std::vector<const ExifField*> exif = WritableFields(content.exif);
    const std::vector<const ExifField*> gps = WritableFields(content.gps);
    if (primary.empty() && exif.empty() && gps.empty()) return {};
    const std::size_t pointers = (exif.empty() ? 0 : 1) + (gps.empty() ? 0 : 1);
    if (primary.size() + pointers > kMaxExifDirectoryEntries || exif.size() > kMaxExifDirectoryEntries ||
        gps.size() > kMaxExifDirectoryEntries)
        return {};
    const std::uint64_t primaryBytes = DirectoryBytes(primary, pointers);
    const std::uint64_t exifBytes = exif.empty() ? 0 : DirectoryBytes(exif, 0);
    const std::uint64_t total = kHeaderBytes + primaryBytes + exifBytes + (gps.empty() ? 0 : DirectoryBytes(gps, 0));
    if (total > kMaxMetadataBytes) return {};

    std::vector<std::uint8_t> block = {'I', 'I', 42, 0, 8, 0, 0, 0};
    block.reserve(total);
    const auto exifAt = static_cast<std::uint32_t>(kHeaderBytes + primaryBytes);
    const auto gpsAt = static_cast<std::uint32_t>(exifAt + exifBytes);
    std::vector<std::pair<std::uint16_t, std::uint32_t>> links;
    if (!exif.empty()) links.emplace_back(kTagExifDirectory, exifAt);
    if (!gps.empty()) links.emplace_back(kTagGpsDirectory, gpsAt);
    AppendDirectory(block, primary, links);
    if (!exif.empty()) AppendDirectory(block, exif, {});
    if (!gps.empty()) AppendDirectory(block, gps, {});
    return block;
}

}  // namespace codec
