#include "platform/MetafileDib.h"

#include "platform/MetafileBytes.h"

#include <array>
#include <algorithm>
#include <bit>

namespace platform::metafile {

namespace {

// Embedded bitmaps get the same budget as any picture: a million pixels a side, 2^28 in all.
constexpr std::int64_t kMaxDibSide = 1'000'000;
constexpr std::int64_t kMaxDibPixels = std::int64_t{1} << 28;

constexpr std::uint32_t kCompressionRgb = 0;
constexpr std::uint32_t kCompressionBitFields = 3;

struct DibLayout {
    std::int64_t width = 0;
    std::int64_t height = 0;   // rows, always positive
    bool bottomUp = true;
    unsigned bitCount = 0;
    std::uint64_t headerBytes = 0;
    std::uint64_t tableOffset = 0;
    std::uint64_t tableEntries = 0;
    unsigned tableEntryBytes = 4;
    std::array<std::uint32_t, 3> masks{};   // red, green, blue for 16- and 32-bit pixels
    bool bitFields = false;                 // masks given by the file
};

bool IsSupportedBitCount(unsigned bits)
{
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// Reads and checks the header; false for anything the decoder cannot draw.
bool ReadLayout(const RecordBytes& info, DibLayout& layout)
{
    const std::uint32_t headerBytes = info.U32(0);
    if (headerBytes == 12) {   // the old core header: 16-bit sides, RGB triples in the table
        if (!info.Has(0, 12)) return false;
        layout.width = info.U16(4);
        layout.height = info.U16(6);
        if (info.U16(8) != 1) return false;
        layout.bitCount = info.U16(10);
        layout.tableEntryBytes = 3;
    } else {
        if (headerBytes < 40 || !info.Has(0, headerBytes)) return false;
        layout.width = info.I32(4);
        const std::int64_t height = info.I32(8);
        layout.bottomUp = height > 0;
        layout.height = height < 0 ? -height : height;
        if (info.U16(12) != 1) return false;
        layout.bitCount = info.U16(14);
        const std::uint32_t compression = info.U32(16);
        const std::uint32_t colorsUsed = info.U32(32);
        if (compression == kCompressionBitFields) {
            if (layout.bitCount != 16 && layout.bitCount != 32) return false;
            // A 40-byte header is followed by the three masks; later headers hold them inside.
            const std::uint64_t maskOffset = 40;
            if (!info.Has(maskOffset, 12)) return false;
            for (std::size_t i = 0; i < 3; ++i) layout.masks[i] = info.U32(maskOffset + 4 * i);
            if (headerBytes == 40) layout.tableOffset = 12;
            layout.bitFields = true;
        } else if (compression != kCompressionRgb) {
            return false;   // run-length and embedded JPEG/PNG bitmaps are not drawn
        } else if (layout.bitCount == 16) {
            layout.masks = {0x7C00, 0x03E0, 0x001F};
        } else if (layout.bitCount == 32) {
            layout.masks = {0x00FF0000, 0x0000FF00, 0x000000FF};
        }
        // Deeper bitmaps may still carry a table, which the packed form must step over.
        if (layout.bitCount <= 8 && colorsUsed > (1u << layout.bitCount)) return false;
        layout.tableEntries = colorsUsed;
    }
    if (!IsSupportedBitCount(layout.bitCount)) return false;
    if (layout.bitCount <= 8 && layout.tableEntries == 0) layout.tableEntries = std::uint64_t{1} << layout.bitCount;
    if (layout.width < 1 || layout.width > kMaxDibSide || layout.height < 1 || layout.height > kMaxDibSide)
        return false;
    if (layout.width * layout.height > kMaxDibPixels) return false;
    layout.headerBytes = headerBytes;
    layout.tableOffset += headerBytes;
    return true;
}

std::uint64_t RowBytes(const DibLayout& layout)
{
    return (static_cast<std::uint64_t>(layout.width) * layout.bitCount + 31) / 32 * 4;
}

// One 8-bit component from a bit-field mask.
std::uint32_t Component(std::uint32_t pixel, std::uint32_t mask)
{
    if (mask == 0) return 0;
    const int shift = std::countr_zero(mask);
    const std::uint32_t maximum = mask >> shift;
    return static_cast<std::uint32_t>((std::uint64_t{(pixel & mask) >> shift} * 255 + maximum / 2) / maximum);
}

DecodedDib Decode(const RecordBytes& info, const DibLayout& layout, const RecordBytes& bits, bool alpha)
{
    const std::uint64_t rowBytes = RowBytes(layout);
    if (!bits.Has(0, rowBytes * static_cast<std::uint64_t>(layout.height))) return {};
    const std::uint64_t tableBytes = layout.tableEntries * layout.tableEntryBytes;
    if (layout.bitCount <= 8 && !info.Has(layout.tableOffset, tableBytes)) return {};

    std::array<QRgb, 256> table{};
    for (std::uint64_t i = 0; i < layout.tableEntries && layout.bitCount <= 8; ++i) {
        const std::uint64_t entry = layout.tableOffset + i * layout.tableEntryBytes;
        table[i] = qRgb(info.U8(entry + 2), info.U8(entry + 1), info.U8(entry));
    }

    DecodedDib result;
    result.bottomUp = layout.bottomUp;
    const bool keepAlpha = alpha && layout.bitCount == 32 && !layout.bitFields;
    result.image = QImage(static_cast<int>(layout.width), static_cast<int>(layout.height),
                          keepAlpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (result.image.isNull()) return {};
    for (std::int64_t row = 0; row < layout.height; ++row) {
        const std::int64_t stored = layout.bottomUp ? layout.height - 1 - row : row;
        const std::span<const std::uint8_t> source = bits.Slice(static_cast<std::uint64_t>(stored) * rowBytes, rowBytes);
        auto* target = reinterpret_cast<QRgb*>(result.image.scanLine(static_cast<int>(row)));
        for (std::int64_t x = 0; x < layout.width; ++x) {
            QRgb colour = 0;
            if (layout.bitCount <= 8) {
                const std::uint64_t bitOffset = static_cast<std::uint64_t>(x) * layout.bitCount;
                const unsigned shift = 8 - layout.bitCount - bitOffset % 8;
                const unsigned index = (source[bitOffset / 8] >> shift) & ((1u << layout.bitCount) - 1);
                colour = table[index < layout.tableEntries ? index : 0];   // beyond the table: entry 0
            } else if (layout.bitCount == 24) {
                const std::uint8_t* p = &source[static_cast<std::size_t>(x) * 3];
                colour = qRgb(p[2], p[1], p[0]);
            } else if (keepAlpha) {
                const std::uint8_t* p = &source[static_cast<std::size_t>(x) * 4];
                const int a = p[3];   // premultiplied: no component may exceed alpha
                colour = qRgba(std::min<int>(p[2], a), std::min<int>(p[1], a), std::min<int>(p[0], a), a);
            } else {
                const std::size_t bytes = layout.bitCount / 8;
                const std::uint8_t* p = &source[static_cast<std::size_t>(x) * bytes];
                const std::uint32_t pixel = bytes == 2 ? std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8
                                                       : std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 |
                                                             std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
                colour = qRgb(static_cast<int>(Component(pixel, layout.masks[0])),
                              static_cast<int>(Component(pixel, layout.masks[1])),
                              static_cast<int>(Component(pixel, layout.masks[2])));
            }
            target[x] = colour;
        }
    }
    return result;
}

}  // namespace

DecodedDib DecodeDib(std::span<const std::uint8_t> info, std::span<const std::uint8_t> bits, bool alpha)
{
    const RecordBytes header(info);
    DibLayout layout;
    if (!ReadLayout(header, layout)) return {};
    return Decode(header, layout, RecordBytes(bits), alpha);
}

DecodedDib DecodePackedDib(std::span<const std::uint8_t> packed)
{
    const RecordBytes header(packed);
    DibLayout layout;
    if (!ReadLayout(header, layout)) return {};
    const std::uint64_t bitsOffset = layout.tableOffset + layout.tableEntries * layout.tableEntryBytes;
    if (!header.Has(bitsOffset, 0)) return {};
    return Decode(header, layout, RecordBytes(packed.subspan(bitsOffset)), false);
}

}  // namespace platform::metafile
