#include "codec/ExifBlock.h"

#include "codec/ByteReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using codec::ExifForWrittenPicture;
using codec::ReadExifContent;
using codec::ReadExifSummary;

constexpr std::uint16_t kAscii = 2, kShort = 3, kLong = 4, kUndefined = 7;

// One entry to write: numbers for SHORT and LONG, text (with its NUL, if any) for ASCII and UNDEFINED.
struct Field {
    std::uint16_t tag;
    std::uint16_t type;
    std::vector<std::uint32_t> numbers;
    std::string text;
};

// Writes TIFF-structured blocks in either byte order, directory after directory, each followed by its
// out-of-line values; links between directories are patched in once both exist.
class BlockWriter {
public:
    explicit BlockWriter(bool bigEndian) : bigEndian_(bigEndian)
    {
        bytes_ = bigEndian ? Bytes{'M', 'M', 0, 42} : Bytes{'I', 'I', 42, 0};
        Append32(8);
    }

    std::uint32_t Directory(const std::vector<Field>& fields)
    {
        const auto at = static_cast<std::uint32_t>(bytes_.size());
        Append16(static_cast<std::uint16_t>(fields.size()));
        std::vector<std::pair<std::size_t, Bytes>> outOfLine;
        for (const Field& field : fields) {
            Bytes value;
            for (const std::uint32_t number : field.numbers) {
                const std::size_t size = field.type == kShort ? 2 : 4;
                value.resize(value.size() + size);
                Store(value.data() + value.size() - size, number, size);
            }
            value.insert(value.end(), field.text.begin(), field.text.end());
            Append16(field.tag);
            Append16(field.type);
            Append32(static_cast<std::uint32_t>(field.type == kShort || field.type == kLong ? field.numbers.size()
                                                                                            : field.text.size()));
            if (value.size() > 4) outOfLine.emplace_back(bytes_.size(), value);
            value.resize(4);
            bytes_.insert(bytes_.end(), value.begin(), value.end());
        }
        Append32(0);
        for (auto& [entry, value] : outOfLine) {
            Store(bytes_.data() + entry, static_cast<std::uint32_t>(bytes_.size()), 4);
            bytes_.insert(bytes_.end(), value.begin(), value.end());
            if (bytes_.size() % 2 != 0) bytes_.push_back(0);
        }
        return at;
    }
    // Sets the value of entry `index` of the directory at `directory` (a pointer), or its link when
    // index is the entry count.
    void Patch(std::uint32_t directory, std::size_t index, std::uint32_t value)
    {
        Store(bytes_.data() + directory + 2 + index * 12 + (index == EntryCount(directory) ? 0 : 8), value, 4);
    }
    void Append(const Bytes& data) { bytes_.insert(bytes_.end(), data.begin(), data.end()); }
    Bytes& Block() { return bytes_; }

private:
    std::size_t EntryCount(std::uint32_t directory) const
    {
        return bigEndian_ ? codec::LoadBe16(&bytes_[directory]) : codec::LoadLe16(&bytes_[directory]);
    }
    void Store(std::uint8_t* at, std::uint32_t value, std::size_t size) const
    {
        for (std::size_t i = 0; i < size; ++i)
            at[bigEndian_ ? size - 1 - i : i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
    void Append16(std::uint16_t value)
    {
        bytes_.resize(bytes_.size() + 2);
        Store(bytes_.data() + bytes_.size() - 2, value, 2);
    }
    void Append32(std::uint32_t value)
    {
        bytes_.resize(bytes_.size() + 4);
        Store(bytes_.data() + bytes_.size() - 4, value, 4);
    }

    bool bigEndian_;
    Bytes bytes_;
};

const std::string kMakerNote = std::string("NOTE\x01\x02\x03\x04\x00\xff", 10);
const Bytes kThumbnail = {0xFF, 0xD8, 0xFF, 0xD9};

struct CameraBlock {
    Bytes block;
    std::size_t makerNoteAt = 0;       // where the maker note's bytes lie
    std::size_t keptEnd = 0;           // end of everything but the thumbnail
};

// A camera's block: IFD0 (make, model, orientation 6, Exif pointer), the Exif directory (date, maker
// note, 640 x 480 as SHORT and LONG), and a thumbnail directory with its JPEG, either at the tail or
// between IFD0 and the Exif directory.
CameraBlock MakeCameraBlock(bool bigEndian, bool thumbnailAtTail = true, std::uint16_t widthType = kShort)
{
    BlockWriter writer(bigEndian);
    const std::uint32_t primary = writer.Directory({{271, kAscii, {}, std::string("Acme\0", 5)},
                                                    {272, kAscii, {}, std::string("X10\0", 4)},
                                                    {274, kShort, {6}, ""},
                                                    {34665, kLong, {0}, ""}});
    const auto addThumbnail = [&] {
        const std::uint32_t thumbnail = writer.Directory({{513, kLong, {0}, ""}, {514, kLong, {4}, ""}});
        writer.Patch(thumbnail, 0, static_cast<std::uint32_t>(writer.Block().size()));
        writer.Append(kThumbnail);
        writer.Patch(primary, 4, thumbnail);
    };
    if (!thumbnailAtTail) addThumbnail();
    const std::uint32_t exif = writer.Directory({{36867, kAscii, {}, std::string("2024:05:06 07:08:09\0", 20)},
                                                 {37500, kUndefined, {}, kMakerNote},
                                                 {40962, widthType, {640}, ""},
                                                 {40963, kLong, {480}, ""}});
    writer.Patch(primary, 3, exif);
    CameraBlock result;
    result.keptEnd = writer.Block().size();
    result.makerNoteAt = result.keptEnd - kMakerNote.size();
    if (thumbnailAtTail) addThumbnail();
    result.block = writer.Block();
    return result;
}

class ExifByteOrder : public testing::TestWithParam<bool> {};

TEST_P(ExifByteOrder, SummaryReadsOrientationCameraAndDate)
{
    const Bytes block = MakeCameraBlock(GetParam()).block;
    const auto summary = ReadExifSummary(block.data(), block.size());
    ASSERT_TRUE(summary);
    EXPECT_EQ(summary->orientation, 6);
    EXPECT_EQ(summary->make, "Acme");
    EXPECT_EQ(summary->model, "X10");
    EXPECT_EQ(summary->dateTimeOriginal, "2024:05:06 07:08:09");
}

TEST_P(ExifByteOrder, RewriteIsUprightSizedAndCutsTheThumbnailAtTheTail)
{
    const CameraBlock camera = MakeCameraBlock(GetParam());
    const Bytes out = ExifForWrittenPicture(camera.block.data(), camera.block.size(), 70000, 1080);
    ASSERT_EQ(out.size(), camera.keptEnd);
    const auto summary = ReadExifSummary(out.data(), out.size());
    ASSERT_TRUE(summary);
    EXPECT_EQ(summary->orientation, 1);
    EXPECT_EQ(summary->dateTimeOriginal, "2024:05:06 07:08:09");
    EXPECT_EQ(std::string(out.begin() + camera.makerNoteAt, out.end()), kMakerNote);
    // The rewritten block is read back through the entries API, which gives values little-endian.
    const auto content = ReadExifContent(out.data(), out.size());
    ASSERT_TRUE(content);
    std::vector<std::pair<std::uint16_t, Bytes>> sizes;
    for (const auto& field : content->exif)
        if (field.tag == 40962 || field.tag == 40963) sizes.emplace_back(field.type, field.value);
    // 70000 does not fit the SHORT: the entry became a LONG holding the true width.
    const std::vector<std::pair<std::uint16_t, Bytes>> want = {{kLong, {0x70, 0x11, 0x01, 0x00}},
                                                               {kLong, {0x38, 0x04, 0x00, 0x00}}};
    EXPECT_EQ(sizes, want);
    // No second directory any more.
    const std::size_t primaryEnd = 8 + 2 + 4 * 12;
    EXPECT_EQ(Bytes(out.begin() + primaryEnd, out.begin() + primaryEnd + 4), Bytes(4, 0));
}

TEST_P(ExifByteOrder, ThumbnailAmidTheBlockIsZeroedInPlace)
{
    const CameraBlock camera = MakeCameraBlock(GetParam(), false);
    const Bytes out = ExifForWrittenPicture(camera.block.data(), camera.block.size(), 640, 480);
    ASSERT_EQ(out.size(), camera.block.size());
    EXPECT_EQ(std::search(out.begin(), out.end(), kThumbnail.begin(), kThumbnail.end()), out.end());
    EXPECT_EQ(std::string(out.begin() + camera.makerNoteAt, out.begin() + camera.makerNoteAt + kMakerNote.size()),
              kMakerNote);
    const auto summary = ReadExifSummary(out.data(), out.size());
    ASSERT_TRUE(summary);
    EXPECT_EQ(summary->make, "Acme");
}

TEST_P(ExifByteOrder, ContentSurvivesARebuild)
{
    const Bytes block = MakeCameraBlock(GetParam()).block;
    const auto content = ReadExifContent(block.data(), block.size());
    ASSERT_TRUE(content);
    ASSERT_EQ(content->primary.size(), 2u);   // make and model; orientation and pointers stay behind
    EXPECT_EQ(content->exif.size(), 4u);
    const Bytes rebuilt = codec::BuildExifBlock(*content);
    const auto again = ReadExifContent(rebuilt.data(), rebuilt.size());
    ASSERT_TRUE(again);
    const auto same = [](const std::vector<codec::ExifField>& a, const std::vector<codec::ExifField>& b) {
        return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
            return x.tag == y.tag && x.type == y.type && x.count == y.count && x.value == y.value;
        });
    };
    EXPECT_TRUE(same(content->primary, again->primary));
    EXPECT_TRUE(same(content->exif, again->exif));
    EXPECT_TRUE(again->gps.empty());
}

INSTANTIATE_TEST_SUITE_P(Exif, ExifByteOrder, testing::Bool(),
                         [](const auto& info) { return std::string(info.param ? "big_endian" : "little_endian"); });

TEST(ExifBlock, DirectoryLoopsEndTheWalk)
{
    BlockWriter writer(false);
    const std::uint32_t primary = writer.Directory({{274, kShort, {3}, ""}, {34665, kLong, {0}, ""}});
    writer.Patch(primary, 1, primary);   // the Exif pointer names IFD0 itself
    writer.Patch(primary, 2, primary);   // and so does the next-directory link
    const Bytes& block = writer.Block();
    const auto summary = ReadExifSummary(block.data(), block.size());
    ASSERT_TRUE(summary);
    EXPECT_EQ(summary->orientation, 3);
    const Bytes out = ExifForWrittenPicture(block.data(), block.size(), 10, 10);
    ASSERT_EQ(out.size(), block.size());
    EXPECT_EQ(ReadExifSummary(out.data(), out.size())->orientation, 1);
}

struct MalformedCase {
    const char* name;
    Bytes (*make)();
};

Bytes Camera() { return MakeCameraBlock(false).block; }

const MalformedCase kMalformedCases[] = {
    {"empty", [] { return Bytes{}; }},
    {"no_byte_order_mark", [] { auto b = Camera(); b[0] = 'X'; return b; }},
    {"wrong_magic", [] { auto b = Camera(); b[2] = 43; return b; }},
    {"first_directory_past_the_end", [] { auto b = Camera(); b[6] = 0x7F; return b; }},
    {"first_directory_inside_the_header", [] { auto b = Camera(); b[4] = 2; return b; }},
    {"truncated_in_the_first_directory", [] { auto b = Camera(); b.resize(30); return b; }},
    {"truncated_in_the_exif_directory", [] { auto b = Camera(); b.resize(80); return b; }},
    {"value_past_the_end", [] { auto b = Camera(); b[8 + 2 + 8] = 0xF0; return b; }},      // Make's offset
    {"huge_count", [] { auto b = Camera(); b[8 + 2 + 4 + 3] = 0x40; return b; }},          // Make's count
    {"too_many_entries", [] { auto b = Camera(); b[8] = 0xFF; b[9] = 0xFF; return b; }},
    // The Exif pointer names an empty directory inside IFD0's table (orientation's value bytes).
    {"directories_overlap", [] { auto b = Camera(); b[8 + 2 + 3 * 12 + 8] = 44; return b; }},
    {"value_over_a_directory", [] { auto b = Camera(); b[8 + 2 + 8] = 70; return b; }},   // Make in the Exif table
};

class ExifMalformed : public testing::TestWithParam<MalformedCase> {};

TEST_P(ExifMalformed, IsDroppedByEveryReader)
{
    const Bytes block = GetParam().make();
    EXPECT_FALSE(ReadExifSummary(block.data(), block.size()));
    EXPECT_FALSE(ReadExifContent(block.data(), block.size()));
    EXPECT_TRUE(ExifForWrittenPicture(block.data(), block.size(), 1, 1).empty());
}

INSTANTIATE_TEST_SUITE_P(Exif, ExifMalformed, testing::ValuesIn(kMalformedCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ExifBlock, BuildLeavesOutFieldsThatDoNotMatchTheirType)
{
    codec::ExifContent content;
    content.primary = {{271, kAscii, 3, {'A', 'B', 0}}, {272, kAscii, 9, {'C', 0}}, {305, 99, 1, {0}}};
    content.gps = {{1, kAscii, 2, {'N', 0}}};
    const Bytes block = codec::BuildExifBlock(content);
    const auto read = ReadExifContent(block.data(), block.size());
    ASSERT_TRUE(read);
    ASSERT_EQ(read->primary.size(), 1u);
    EXPECT_EQ(read->primary[0].tag, 271);
    ASSERT_EQ(read->gps.size(), 1u);
    EXPECT_TRUE(codec::BuildExifBlock({}).empty());
}

}  // namespace
