#include "codec/formats/TgaCoder.h"

#include "codec/ByteReader.h"
#include "codec/CodecEntry.h"
#include "codec/CodecProgress.h"
#include "codec/PixelBuffer.h"
#include "codec/formats/PaletteEntries.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <span>
#include <vector>

namespace {

using codec::ByteReader;
using codec::LoadLe16;

constexpr std::size_t kHeaderBytes = 18;
constexpr std::size_t kFooterBytes = 26;
constexpr std::size_t kExtensionBytes = 495;
constexpr char kFooterSignature[] = "TRUEVISION-XFILE.";   // with its terminating NUL: 18 bytes
constexpr std::uint8_t kTopLeftOrigin = 0x20;
constexpr unsigned kMaxPacketPixels = 128;

struct TgaHeader {
    std::uint8_t idLength = 0;
    std::uint8_t colorMapType = 0;
    std::uint8_t imageType = 0;
    std::uint16_t firstEntry = 0;
    std::uint16_t mapLength = 0;
    std::uint8_t entryBits = 0;
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    std::uint8_t pixelBits = 0;
    std::uint8_t descriptor = 0;

    bool HasColourMap() const { return colorMapType == 1; }
    bool ColourMapped() const { return imageType == 1 || imageType == 9; }
    bool Grey() const { return imageType == 3 || imageType == 11; }
    bool RunLength() const { return imageType >= 9; }
    bool TopDown() const { return (descriptor & kTopLeftOrigin) != 0; }
};

bool IsPixelDepth(unsigned bits) { return bits == 8 || bits == 15 || bits == 16 || bits == 24 || bits == 32; }
unsigned BytesOf(unsigned bits) { return (bits + 7) / 8; }

// What every query needs: a whole header of a known image type and a depth of at most 32 bits.
int ReadTgaHeader(ByteReader& in, TgaHeader& header)
{
    std::array<std::uint8_t, kHeaderBytes> raw{};
    if (!in.ReadExact(raw)) return kCodecErrReadFailed;
    header.idLength = raw[0];
    header.colorMapType = raw[1];
    header.imageType = raw[2];
    header.firstEntry = LoadLe16(&raw[3]);
    header.mapLength = LoadLe16(&raw[5]);
    header.entryBits = raw[7];
    header.width = LoadLe16(&raw[12]);
    header.height = LoadLe16(&raw[14]);
    header.pixelBits = raw[16];
    header.descriptor = raw[17];
    const std::uint8_t type = header.imageType;
    if (type != 1 && type != 2 && type != 3 && type != 9 && type != 10 && type != 11) return kCodecErrTgaType;
    if (header.pixelBits > 32 || header.colorMapType > 1) return kCodecErrTgaType;
    if (header.HasColourMap() && !IsPixelDepth(header.entryBits)) return kCodecErrTgaType;
    return kCodecOk;
}

// What decoding pixels needs beyond that: a picture, a depth the pixel encodings cover, and for
// colour-mapped images a map with entries to index with 8- or 16-bit indices.
int CheckTgaPixelLayout(const TgaHeader& header)
{
    if (header.width == 0 || header.height == 0 || !IsPixelDepth(header.pixelBits)) return kCodecErrTgaType;
    if (header.ColourMapped() && (!header.HasColourMap() || header.mapLength == 0 || header.pixelBits > 16))
        return kCodecErrTgaType;
    return kCodecOk;
}

struct Rgba {
    std::uint8_t red = 0, green = 0, blue = 0, alpha = 0;
};

// Pixels and colour map entries share these encodings. 15- and 16-bit words are 5-5-5, each component
// times 8; entries without alpha are opaque.
Rgba DecodeColour(const std::uint8_t* bytes, unsigned bits)
{
    switch (bits) {
    case 8: return {bytes[0], bytes[0], bytes[0], 255};
    case 15:
    case 16: {
        const unsigned word = LoadLe16(bytes);
        return {static_cast<std::uint8_t>(((word >> 10) & 31) * 8), static_cast<std::uint8_t>(((word >> 5) & 31) * 8),
                static_cast<std::uint8_t>((word & 31) * 8), 255};
    }
    case 24: return {bytes[2], bytes[1], bytes[0], 255};
    default: return {bytes[2], bytes[1], bytes[0], bytes[3]};
    }
}

// The colour map indexed by pixel value: entry first index + k holds map entry k; lower values stay zero.
bool ReadColourMap(ByteReader& in, const TgaHeader& header, std::vector<Rgba>& map)
{
    map.clear();
    if (!header.HasColourMap()) return true;
    const unsigned entryBytes = BytesOf(header.entryBits);
    if (std::uint64_t{header.mapLength} * entryBytes > in.Remaining()) return false;
    map.resize(std::size_t{header.firstEntry} + header.mapLength);
    std::array<std::uint8_t, 4> entry{};
    for (std::size_t k = 0; k < header.mapLength; ++k) {
        if (!in.ReadExact(std::span(entry).first(entryBytes))) return false;
        map[header.firstEntry + k] = DecodeColour(entry.data(), header.entryBits);
    }
    return true;
}

// Palette from the colour map (entries past 255 dropped), the rest copies of entry 0; returns the count.
int FillPaletteFromMap(const std::vector<Rgba>& map, std::uint8_t* palette)
{
    std::fill_n(palette, codec::kPaletteEntries * codec::kPaletteEntryBytes, 0);
    const int count = static_cast<int>(std::min<std::size_t>(map.size(), codec::kPaletteEntries));
    for (int i = 0; i < count; ++i) codec::SetPaletteEntry(palette, i, map[i].red, map[i].green, map[i].blue, map[i].alpha);
    if (count > 0) codec::PadPaletteWithEntryZero(palette, count);
    return count;
}

// Delivers the file's pixels one at a time. Run-length packets keep their state from one row to the
// next, so a packet that spans the end of a row continues on the next.
class TgaPixelStream {
public:
    TgaPixelStream(ByteReader& in, unsigned pixelBytes, bool runLength)
        : in_(in), pixelBytes_(pixelBytes), runLength_(runLength)
    {
    }

    // The next pixel's bytes; null when the data ended.
    const std::uint8_t* Next()
    {
        const std::span<std::uint8_t> pixel = std::span(pixel_).first(pixelBytes_);
        if (!runLength_) return in_.ReadExact(pixel) ? pixel_.data() : nullptr;
        if (packetLeft_ == 0) {
            std::uint8_t packet = 0;
            if (!in_.ReadByte(packet)) return nullptr;
            packetLeft_ = (packet & 0x7Fu) + 1;
            repeat_ = (packet & 0x80) != 0;
            if (repeat_ && !in_.ReadExact(pixel)) return nullptr;
        }
        --packetLeft_;
        if (!repeat_ && !in_.ReadExact(pixel)) return nullptr;
        return pixel_.data();
    }

    // The fewest bytes that can hold `pixelCount` pixels: raw pixels, or full runs of 128.
    std::uint64_t LeastBytesFor(std::uint64_t pixelCount) const
    {
        if (!runLength_) return pixelCount * pixelBytes_;
        return (pixelCount + kMaxPacketPixels - 1) / kMaxPacketPixels * (1 + pixelBytes_);
    }

private:
    ByteReader& in_;
    unsigned pixelBytes_;
    bool runLength_;
    unsigned packetLeft_ = 0;
    bool repeat_ = false;
    std::array<std::uint8_t, 4> pixel_{};
};

// The TGA 2.0 footer and extension area carry nothing the image needs; they are only noted.
void ReadFooter(ByteReader& in, std::uint64_t fileStart)
{
    std::array<std::uint8_t, kFooterBytes> footer{};
    if (in.Size() < fileStart + kFooterBytes || !in.Seek(in.Size() - kFooterBytes) || !in.ReadExact(footer)) return;
    if (std::memcmp(&footer[8], kFooterSignature, sizeof kFooterSignature) != 0) return;
    codec::CodecTrace(codec::kTraceInfo, "Found TGA footer\n");
    const std::uint32_t extensionOffset = codec::LoadLe32(&footer[0]);
    if (codec::LoadLe32(&footer[4]) != 0) codec::CodecTrace(codec::kTraceInfo, "TGA has developer ext\n");
    std::array<std::uint8_t, kExtensionBytes> extension{};
    if (extensionOffset != 0 && in.Seek(fileStart + extensionOffset) && in.ReadExact(extension))
        codec::CodecTrace(codec::kTraceInfo, "Found TGA extension\n");
}

}  // namespace

int CodecGetTgaDimensions(CodecIOHandle* source, int* width, int* height, int* bitsPerPixel)
{
    return codec::RunCodecEntry(source, [&](codec::CodecCall& call, codec::CCodecIO& io) -> int {
        if (width == nullptr || height == nullptr || bitsPerPixel == nullptr) return call.Fail(kCodecErrInvalidArgument);
        ByteReader in(io);
        TgaHeader header;
        if (const int error = ReadTgaHeader(in, header); error != kCodecOk) return call.Fail(error);
        *width = header.width;
        *height = header.height;
        *bitsPerPixel = header.pixelBits;
        return 1;
    });
}

int CodecGetTgaPalette(CodecIOHandle* source, int* count, std::uint8_t* palette)
{
    return codec::RunCodecEntry(source, [&](codec::CodecCall& call, codec::CCodecIO& io) -> int {
        if (count == nullptr || palette == nullptr) return call.Fail(kCodecErrInvalidArgument);
        ByteReader in(io);
        TgaHeader header;
        if (const int error = ReadTgaHeader(in, header); error != kCodecOk) return call.Fail(error);
        if (header.pixelBits > 8) return call.Fail(kCodecErrUnsupportedFileDepth);
        std::vector<Rgba> map;
        if (!in.Skip(header.idLength) || !ReadColourMap(in, header, map)) return call.Fail(kCodecErrReadFailed);
        *count = FillPaletteFromMap(map, palette);
        return 1;
    });
}

std::uint8_t* CodecReadTga(CodecIOHandle* source, int* width, int* height, int bitsPerPixel,
                           std::uint8_t* palette, [[maybe_unused]] int flags)
{
    return codec::RunCodecEntry(source, [&](codec::CodecCall& call, codec::CCodecIO& io) -> std::uint8_t* {
        if (width == nullptr || height == nullptr) return call.Fail(kCodecErrInvalidArgument);
        if (bitsPerPixel != 8 && bitsPerPixel != 24 && bitsPerPixel != 32) return call.Fail(kCodecErrInvalidArgument);
        const bool indexedOutput = bitsPerPixel == 8;
        if (indexedOutput && palette == nullptr) return call.Fail(kCodecErrInvalidArgument);

        ByteReader in(io);
        const std::uint64_t fileStart = in.Position();
        TgaHeader header;
        if (const int error = ReadTgaHeader(in, header); error != kCodecOk) return call.Fail(error);
        if (indexedOutput && (header.pixelBits > 8 || !(header.ColourMapped() || header.Grey())))
            return call.Fail(kCodecErrUnsupportedFileDepth);
        if (const int error = CheckTgaPixelLayout(header); error != kCodecOk) return call.Fail(error);
        std::vector<Rgba> map;
        if (!in.Skip(header.idLength) || !ReadColourMap(in, header, map)) return call.Fail(kCodecErrReadFailed);

        const std::uint32_t columns = header.width, rows = header.height;
        TgaPixelStream stream(in, BytesOf(header.pixelBits), header.RunLength());
        if (stream.LeastBytesFor(std::uint64_t{columns} * rows) > in.Remaining()) return call.Fail(kCodecErrReadFailed);
        codec::PixelBuffer pixels = codec::AllocPixelBuffer(columns, rows, bitsPerPixel);
        if (!pixels) return call.Fail(kCodecErrOutOfMemory);

        const unsigned outBytes = bitsPerPixel / 8;
        const codec::CodecProgress progress(call.state);
        for (std::uint32_t fileRow = 0; fileRow < rows; ++fileRow) {
            const std::uint32_t row = header.TopDown() ? fileRow : rows - 1 - fileRow;
            std::uint8_t* out = pixels.get() + std::uint64_t{row} * columns * outBytes;
            for (std::uint32_t x = 0; x < columns; ++x, out += outBytes) {
                const std::uint8_t* bytes = stream.Next();
                if (bytes == nullptr) return call.Fail(kCodecErrReadFailed);
                if (indexedOutput) {
                    out[0] = bytes[0];
                    continue;
                }
                Rgba colour;
                if (header.ColourMapped()) {
                    const unsigned index = header.pixelBits == 8 ? bytes[0] : LoadLe16(bytes);
                    colour = map[index < map.size() ? index : 0];
                } else {
                    colour = DecodeColour(bytes, header.pixelBits);
                }
                out[0] = colour.red;
                out[1] = colour.green;
                out[2] = colour.blue;
                if (outBytes == 4) out[3] = colour.alpha;
            }
            if (!progress.Report(static_cast<int>(fileRow + 1), static_cast<int>(rows))) return call.Fail(kCodecErrCancelled);
        }
        ReadFooter(in, fileStart);

        if (indexedOutput) {
            if (header.Grey()) {
                for (int i = 0; i < codec::kPaletteEntries; ++i) {
                    const auto grey = static_cast<std::uint8_t>(i);
                    codec::SetPaletteEntry(palette, i, grey, grey, grey, 255);
                }
            } else {
                FillPaletteFromMap(map, palette);
            }
        }
        *width = static_cast<int>(columns);
        *height = static_cast<int>(rows);
        return pixels.release();
    });
}

std::int64_t CodecWriteTga(CodecIOHandle* sink, const std::uint8_t* pixels, int width, int height,
                           int bitsPerPixel, const std::uint8_t* palette, [[maybe_unused]] int reserved)
{
    return codec::RunCodecEntry(sink, [&](codec::CodecCall& call, codec::CCodecIO& io) -> std::int64_t {
        call.exceptionCode = kCodecErrWriteFailed;
        if (pixels == nullptr || width <= 0 || height <= 0 || width > UINT16_MAX || height > UINT16_MAX)
            return call.Fail(kCodecErrInvalidArgument);
        if (bitsPerPixel != 8 && bitsPerPixel != 24 && bitsPerPixel != 32) return call.Fail(kCodecErrInvalidArgument);
        const bool indexed = bitsPerPixel == 8;
        if (indexed && palette == nullptr) return call.Fail(kCodecErrInvalidArgument);

        std::array<std::uint8_t, kHeaderBytes> header{};
        header[1] = indexed ? 1 : 0;        // colour map type
        header[2] = indexed ? 1 : 2;        // colour-mapped or true-colour, uncompressed
        if (indexed) {
            codec::StoreLe16(&header[5], codec::kPaletteEntries);
            header[7] = 24;
        }
        codec::StoreLe16(&header[12], static_cast<std::uint16_t>(width));
        codec::StoreLe16(&header[14], static_cast<std::uint16_t>(height));
        header[16] = static_cast<std::uint8_t>(bitsPerPixel);
        header[17] = indexed ? kTopLeftOrigin | 8 : kTopLeftOrigin;
        if (!io.Write(header.data(), header.size())) return call.Fail(kCodecErrWriteFailed);
        if (indexed) {
            std::array<std::uint8_t, codec::kPaletteEntries * 3> map{};
            for (int i = 0; i < codec::kPaletteEntries; ++i)
                std::copy_n(palette + i * codec::kPaletteEntryBytes, 3, &map[3 * i]);
            if (!io.Write(map.data(), map.size())) return call.Fail(kCodecErrWriteFailed);
        }

        // Rows go top row first; true-colour pixels as blue, green, red (alpha).
        const std::size_t pixelBytes = bitsPerPixel / 8;
        const std::size_t rowBytes = pixelBytes * width;
        std::vector<std::uint8_t> row(rowBytes);
        for (int y = 0; y < height; ++y) {
            const std::uint8_t* in = pixels + std::size_t(y) * rowBytes;
            std::copy_n(in, rowBytes, row.begin());
            if (!indexed)
                for (std::size_t at = 0; at < rowBytes; at += pixelBytes) std::swap(row[at], row[at + 2]);
            if (!io.Write(row.data(), row.size())) return call.Fail(kCodecErrWriteFailed);
        }
        return static_cast<std::int64_t>(io.Size());
    });
}
