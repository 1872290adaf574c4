#include "codec/formats/BmpCoder.h"

#include "codec/ByteReader.h"
#include "codec/CodecEntry.h"
#include "codec/CodecLimits.h"
#include "codec/CodecProgress.h"
#include "codec/PixelBuffer.h"
#include "codec/formats/PackedSamples.h"
#include "codec/formats/PaletteEntries.h"

#include <algorithm>
#include <array>
#include <bit>
#include <span>
#include <vector>

namespace {

using codec::ByteReader;
using codec::LoadLe16;
using codec::LoadLe32;

constexpr std::uint32_t kFileHeaderBytes = 14;
constexpr std::uint32_t kInfoHeaderBytes = 40;
constexpr std::uint32_t kCompressionNone = 0;
constexpr std::uint32_t kCompressionRle8 = 1;
constexpr std::uint32_t kCompressionRle4 = 2;
constexpr std::uint32_t kCompressionBitFields = 3;

struct BmpHeader {
    std::uint32_t pixelOffset = 0;   // bfOffBits, from the start of the file
    std::int32_t width = 0;
    std::int32_t height = 0;         // negative for a top-down file
    std::uint16_t bitCount = 0;
    std::uint32_t compression = 0;
    std::int32_t xPelsPerMeter = 0;
    std::int32_t yPelsPerMeter = 0;
    std::uint32_t colorsUsed = 0;
    std::array<std::uint32_t, 3> masks{};   // red, green, blue of a bit-field file

    std::int64_t Rows() const { return height < 0 ? -std::int64_t{height} : height; }
    // Entries of the colour table: biClrUsed capped at 256, or 2^bits when it is 0; none above 8 bits.
    int TableEntries() const
    {
        if (bitCount > 8) return 0;
        const std::uint32_t entries = colorsUsed != 0 ? colorsUsed : 1u << bitCount;
        return static_cast<int>(std::min<std::uint32_t>(entries, codec::kPaletteEntries));
    }
};

bool IsSupportedLayout(std::uint16_t bitCount, std::uint32_t compression)
{
    switch (compression) {
    case kCompressionNone:
        return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24 || bitCount == 32;
    case kCompressionRle8: return bitCount == 8;
    case kCompressionRle4: return bitCount == 4;
    case kCompressionBitFields: return bitCount == 16 || bitCount == 32;
    default: return false;
    }
}

// The file header, the 40-byte info header and, for bit-field files, the three colour masks.
int ReadBmpHeader(ByteReader& in, BmpHeader& header)
{
    std::array<std::uint8_t, kFileHeaderBytes> file{};
    if (!in.ReadExact(std::span(file).first(2)) || file[0] != 'B' || file[1] != 'M') return kCodecErrNotBmp;
    if (!in.ReadExact(std::span(file).subspan(2))) return kCodecErrReadFailed;
    header.pixelOffset = LoadLe32(&file[10]);

    std::array<std::uint8_t, kInfoHeaderBytes> info{};
    if (!in.ReadExact(std::span(info).first(4))) return kCodecErrReadFailed;
    if (LoadLe32(&info[0]) != kInfoHeaderBytes) return kCodecErrNotBmp;   // OS/2 and later headers
    if (!in.ReadExact(std::span(info).subspan(4))) return kCodecErrReadFailed;
    header.width = static_cast<std::int32_t>(LoadLe32(&info[4]));
    header.height = static_cast<std::int32_t>(LoadLe32(&info[8]));
    header.bitCount = LoadLe16(&info[14]);
    header.compression = LoadLe32(&info[16]);
    header.xPelsPerMeter = static_cast<std::int32_t>(LoadLe32(&info[24]));
    header.yPelsPerMeter = static_cast<std::int32_t>(LoadLe32(&info[28]));
    header.colorsUsed = LoadLe32(&info[32]);
    if (header.width <= 0 || header.height == 0) return kCodecErrNotBmp;
    if (!IsSupportedLayout(header.bitCount, header.compression)) return kCodecErrNotBmp;
    if (header.compression == kCompressionBitFields) {
        for (std::uint32_t& mask : header.masks)
            if (!in.ReadLe32(mask)) return kCodecErrReadFailed;
    }
    return kCodecOk;
}

using ColourTable = std::array<std::uint8_t, codec::kPaletteEntries * codec::kPaletteEntryBytes>;

bool ReadColourTable(ByteReader& in, const BmpHeader& header, ColourTable& table)
{
    const auto bytes = static_cast<std::size_t>(header.TableEntries()) * codec::kPaletteEntryBytes;
    return in.ReadExact(std::span(table).first(bytes));
}

// Moves to the pixel data at bfOffBits. An offset back inside what was read is followed only for true-colour
// output; indexed output refuses it as a layout the reader does not take.
int MoveToPixels(ByteReader& in, std::uint64_t fileStart, const BmpHeader& header, bool indexedOutput)
{
    const std::uint64_t target = fileStart + header.pixelOffset;
    if (target >= in.Position()) return in.Skip(target - in.Position()) ? kCodecOk : kCodecErrReadFailed;
    if (indexedOutput) return kCodecErrNotBmp;
    return in.Seek(target) ? kCodecOk : kCodecErrReadFailed;
}

// One colour component from a bit-field mask, scaled to 0..255.
std::uint8_t MaskComponent(std::uint32_t value, std::uint32_t mask)
{
    if (mask == 0) return 0;
    const int shift = std::countr_zero(mask);
    const std::uint64_t largest = mask >> shift;
    return static_cast<std::uint8_t>((std::uint64_t{value & mask} >> shift) * 255 / largest);
}

// Turns file rows (or run-length indices) into red, green, blue (and alpha 255) output pixels.
class ColourConverter {
public:
    ColourConverter(const BmpHeader& header, const ColourTable& table, unsigned outBytes)
        : header_(header), table_(table), entries_(header.TableEntries()), outBytes_(outBytes)
    {
    }

    void PutIndex(std::uint8_t index, std::uint8_t* out) const
    {
        const std::uint8_t* entry = &table_[(index < entries_ ? index : 0) * codec::kPaletteEntryBytes];
        Put(entry[2], entry[1], entry[0], out);
    }

    void ConvertRow(const std::uint8_t* row, std::uint8_t* out) const
    {
        const auto width = static_cast<std::uint32_t>(header_.width);
        const bool masked = header_.compression == kCompressionBitFields;
        for (std::uint32_t x = 0; x < width; ++x, out += outBytes_) {
            switch (header_.bitCount) {
            case 16: {
                const std::uint32_t word = LoadLe16(row + 2 * x);
                if (masked) PutMasked(word, out);
                else Put(Scale5((word >> 10) & 31), Scale5((word >> 5) & 31), Scale5(word & 31), out);
                break;
            }
            case 24: Put(row[3 * x + 2], row[3 * x + 1], row[3 * x], out); break;
            case 32:
                if (masked) PutMasked(LoadLe32(row + 4 * x), out);
                else Put(row[4 * x + 2], row[4 * x + 1], row[4 * x], out);
                break;
            default: PutIndex(codec::PackedSampleAt(row, x, header_.bitCount), out); break;
            }
        }
    }

private:
    static std::uint8_t Scale5(std::uint32_t value) { return static_cast<std::uint8_t>(value * 255 / 31); }

    void PutMasked(std::uint32_t value, std::uint8_t* out) const
    {
        Put(MaskComponent(value, header_.masks[0]), MaskComponent(value, header_.masks[1]),
            MaskComponent(value, header_.masks[2]), out);
    }

    void Put(std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t* out) const
    {
        out[0] = red;
        out[1] = green;
        out[2] = blue;
        if (outBytes_ == 4) out[3] = 255;
    }

    const BmpHeader& header_;
    const ColourTable& table_;
    int entries_;
    unsigned outBytes_;
};

// Standard RLE8 / RLE4 data: encoded runs, absolute runs padded to an even number of bytes, and the
// escapes end of line, end of bitmap and delta. `put(x, fileRow, index)` receives every pixel that lies
// inside the picture; pixels a run or a delta pushes past the edge are dropped. Data that ends before
// the end-of-bitmap code or the last row is a failed read.
template <typename Put>
int DecodeRle(ByteReader& in, bool fourBit, std::uint32_t width, std::uint64_t rows, Put put)
{
    std::uint64_t x = 0, y = 0;
    auto emit = [&](std::uint8_t index) { put(static_cast<std::uint32_t>(x++), y, index); };
    // In RLE4 data the high nibble of a byte is the earlier pixel.
    auto pixelOf = [fourBit](std::uint8_t byte, unsigned i) -> std::uint8_t {
        if (!fourBit) return byte;
        return (i & 1) != 0 ? byte & 0x0F : byte >> 4;
    };
    std::array<std::uint8_t, 256> absolute{};
    while (y < rows) {
        std::uint8_t count = 0, code = 0;
        if (!in.ReadByte(count) || !in.ReadByte(code)) return kCodecErrReadFailed;
        if (count != 0) {
            for (unsigned i = 0; i < count && x < width; ++i) emit(pixelOf(code, i));
            continue;
        }
        switch (code) {
        case 0: x = 0; ++y; break;
        case 1: return kCodecOk;
        case 2: {
            std::uint8_t dx = 0, dy = 0;
            if (!in.ReadByte(dx) || !in.ReadByte(dy)) return kCodecErrReadFailed;
            x += dx;
            y += dy;
            break;
        }
        default: {
            const std::size_t bytes = fourBit ? (code + 1u) / 2 : code;
            if (!in.ReadExact(std::span(absolute).first(bytes + (bytes & 1)))) return kCodecErrReadFailed;
            for (unsigned i = 0; i < code && x < width; ++i) emit(pixelOf(absolute[fourBit ? i / 2 : i], i));
            break;
        }
        }
    }
    return kCodecOk;
}

}  // namespace

int CodecGetBmpDimensions(CodecIOHandle* source, int* width, int* height, int* bitsPerPixel, CodecDpiInfo* dpi)
{
    return codec::RunCodecEntry(source, [&](codec::CodecCall& call, codec::CCodecIO& io) -> int {
        if (width == nullptr || height == nullptr || bitsPerPixel == nullptr) return call.Fail(kCodecErrInvalidArgument);
        ByteReader in(io);
        BmpHeader header;
        if (const int error = ReadBmpHeader(in, header); error != kCodecOk) return call.Fail(error);
        *width = header.width;
        *height = header.height;
        *bitsPerPixel = header.bitCount;
        if (dpi != nullptr) *dpi = CodecDpiInfo{header.xPelsPerMeter / 100, header.yPelsPerMeter / 100, 1};
        return 1;
    });
}

int CodecGetBmpPalette(CodecIOHandle* source, int* count, std::uint8_t* palette)
{
    return codec::RunCodecEntry(source, [&](codec::CodecCall& call, codec::CCodecIO& io) -> int {
        if (count == nullptr || palette == nullptr) return call.Fail(kCodecErrInvalidArgument);
        ByteReader in(io);
        BmpHeader header;
        if (const int error = ReadBmpHeader(in, header); error != kCodecOk) return call.Fail(error);
        if (header.bitCount > 8) return call.Fail(kCodecErrUnsupportedFileDepth);
        ColourTable table{};
        if (!ReadColourTable(in, header, table)) return call.Fail(kCodecErrReadFailed);
        *count = header.TableEntries();
        std::copy_n(table.begin(), *count * codec::kPaletteEntryBytes, palette);
        return 1;
    });
}

std::uint8_t* CodecReadBmp(CodecIOHandle* source, int* width, int* height, int bitsPerPixel,
                           std::uint8_t* palette, [[maybe_unused]] int flags)
{
    return codec::RunCodecEntry(source, [&](codec::CodecCall& call, codec::CCodecIO& io) -> std::uint8_t* {
        if (width == nullptr || height == nullptr) return call.Fail(kCodecErrInvalidArgument);
        if (bitsPerPixel != 1 && bitsPerPixel != 8 && bitsPerPixel != 24 && bitsPerPixel != 32)
            return call.Fail(kCodecErrInvalidArgument);
        const bool indexedOutput = bitsPerPixel <= 8;
        if (indexedOutput && palette == nullptr) return call.Fail(kCodecErrInvalidArgument);

        ByteReader in(io);
        const std::uint64_t fileStart = in.Position();
        BmpHeader header;
        if (const int error = ReadBmpHeader(in, header); error != kCodecOk) return call.Fail(error);
        if (indexedOutput && header.bitCount > bitsPerPixel) return call.Fail(kCodecErrUnsupportedFileDepth);
        ColourTable table{};
        if (!ReadColourTable(in, header, table)) return call.Fail(kCodecErrReadFailed);
        if (const int error = MoveToPixels(in, fileStart, header, indexedOutput); error != kCodecOk)
            return call.Fail(error);

        const auto columns = static_cast<std::uint32_t>(header.width);
        const std::int64_t rows = header.Rows();
        if (!codec::RasterBytes(columns, rows, bitsPerPixel)) return call.Fail(kCodecErrOutOfMemory);
        const bool runLength = header.compression == kCompressionRle8 || header.compression == kCompressionRle4;
        // BMP rows are padded to four bytes; the last row may lack its padding.
        const std::uint64_t fileRowBytes = (std::uint64_t{columns} * header.bitCount + 31) / 32 * 4;
        const std::uint64_t usedRowBytes = (std::uint64_t{columns} * header.bitCount + 7) / 8;
        if (!runLength && fileRowBytes * (rows - 1) + usedRowBytes > in.Remaining())
            return call.Fail(kCodecErrReadFailed);
        codec::PixelBuffer pixels = codec::AllocPixelBuffer(columns, rows, bitsPerPixel);
        if (!pixels) return call.Fail(kCodecErrOutOfMemory);

        const std::uint64_t outRowBytes = *codec::RowBytes(columns, bitsPerPixel);
        auto outRow = [&](std::uint64_t fileRow) {
            const std::uint64_t row = header.height < 0 ? fileRow : rows - 1 - fileRow;
            return pixels.get() + row * outRowBytes;
        };
        const ColourConverter converter(header, table, bitsPerPixel / 8);
        if (runLength) {
            const int error = DecodeRle(in, header.compression == kCompressionRle4, columns, rows,
                                        [&](std::uint32_t x, std::uint64_t fileRow, std::uint8_t index) {
                                            if (indexedOutput) outRow(fileRow)[x] = index;
                                            else converter.PutIndex(index, outRow(fileRow) + x * (bitsPerPixel / 8));
                                        });
            if (error != kCodecOk) return call.Fail(error);
        } else {
            std::vector<std::uint8_t> row(fileRowBytes);
            const codec::CodecProgress progress(call.state);
            for (std::int64_t fileRow = 0; fileRow < rows; ++fileRow) {
                const std::uint64_t bytes = fileRow + 1 < rows ? fileRowBytes : usedRowBytes;
                if (!in.ReadExact(std::span(row).first(bytes))) return call.Fail(kCodecErrReadFailed);
                std::uint8_t* out = outRow(fileRow);
                if (bitsPerPixel == 1) std::copy_n(row.begin(), outRowBytes, out);
                else if (bitsPerPixel == 8)
                    for (std::uint32_t x = 0; x < columns; ++x) out[x] = codec::PackedSampleAt(row.data(), x, header.bitCount);
                else converter.ConvertRow(row.data(), out);
                if (!progress.Report(static_cast<int>(fileRow + 1), static_cast<int>(rows)))
                    return call.Fail(kCodecErrCancelled);
            }
        }
        if (indexedOutput) {
            std::copy(table.begin(), table.end(), palette);
            codec::PadPaletteWithEntryZero(palette, header.TableEntries());
        }
        *width = header.width;
        *height = static_cast<int>(rows);
        return pixels.release();
    });
}

std::int64_t CodecWriteBmp(CodecIOHandle* sink, const std::uint8_t* pixels, int width, int height,
                           int bitsPerPixel, int colorCount, const std::uint8_t* palette,
                           const CodecDpiInfo* dpi, [[maybe_unused]] int flags)
{
    return codec::RunCodecEntry(sink, [&](codec::CodecCall& call, codec::CCodecIO& io) -> std::int64_t {
        call.exceptionCode = kCodecErrWriteFailed;
        if (pixels == nullptr || width <= 0 || height <= 0 || height > codec::kMaxSide)
            return call.Fail(kCodecErrInvalidArgument);
        if (bitsPerPixel != 1 && bitsPerPixel != 4 && bitsPerPixel != 8 && bitsPerPixel != 16 && bitsPerPixel != 24)
            return call.Fail(kCodecErrInvalidArgument);
        const bool indexed = bitsPerPixel <= 8;
        if (indexed && palette == nullptr) return call.Fail(kCodecErrInvalidArgument);
        const std::optional<std::uint64_t> inRowBytes = codec::RowBytes(width, bitsPerPixel);
        if (!inRowBytes) return call.Fail(kCodecErrInvalidArgument);

        // A table shorter than the count claims would make readers take pixels for colours, so a count of
        // 0 or above 2^bits writes the whole table.
        const int fullTable = 1 << bitsPerPixel;
        const int entries = !indexed ? 0 : colorCount <= 0 || colorCount > fullTable ? fullTable : colorCount;
        const std::uint64_t fileRowBytes = (std::uint64_t(width) * bitsPerPixel + 31) / 32 * 4;
        const std::uint64_t imageBytes = fileRowBytes * static_cast<std::uint64_t>(height);
        const std::uint32_t pixelOffset = kFileHeaderBytes + kInfoHeaderBytes + 4u * entries;
        const std::uint64_t fileBytes = pixelOffset + imageBytes;
        if (fileBytes > UINT32_MAX) return call.Fail(kCodecErrInvalidArgument);

        std::array<std::uint8_t, kFileHeaderBytes + kInfoHeaderBytes> header{'B', 'M'};
        codec::StoreLe32(&header[2], static_cast<std::uint32_t>(fileBytes));
        codec::StoreLe32(&header[10], pixelOffset);
        std::uint8_t* info = &header[kFileHeaderBytes];
        codec::StoreLe32(&info[0], kInfoHeaderBytes);
        codec::StoreLe32(&info[4], static_cast<std::uint32_t>(width));
        codec::StoreLe32(&info[8], static_cast<std::uint32_t>(height));
        codec::StoreLe16(&info[12], 1);
        codec::StoreLe16(&info[14], static_cast<std::uint16_t>(bitsPerPixel));
        codec::StoreLe32(&info[16], kCompressionNone);
        codec::StoreLe32(&info[20], static_cast<std::uint32_t>(imageBytes));
        codec::StoreLe32(&info[24], static_cast<std::uint32_t>(dpi != nullptr ? dpi->x : 0));
        codec::StoreLe32(&info[28], static_cast<std::uint32_t>(dpi != nullptr ? dpi->y : 0));
        const auto colorsUsed = static_cast<std::uint32_t>(indexed && colorCount > 0 ? entries : 0);
        codec::StoreLe32(&info[32], colorsUsed);
        codec::StoreLe32(&info[36], colorsUsed);
        if (!io.Write(header.data(), header.size())) return call.Fail(kCodecErrWriteFailed);
        if (entries > 0 && !io.Write(palette, std::size_t(entries) * codec::kPaletteEntryBytes))
            return call.Fail(kCodecErrWriteFailed);

        // Rows go bottom row first, 24-bit pixels as blue, green, red.
        std::vector<std::uint8_t> row(fileRowBytes);
        for (int y = height - 1; y >= 0; --y) {
            const std::uint8_t* in = pixels + std::uint64_t(y) * *inRowBytes;
            if (bitsPerPixel == 24) {
                for (int x = 0; x < width; ++x) {
                    row[3 * x] = in[3 * x + 2];
                    row[3 * x + 1] = in[3 * x + 1];
                    row[3 * x + 2] = in[3 * x];
                }
            } else {
                std::copy_n(in, *inRowBytes, row.begin());
            }
            if (!io.Write(row.data(), row.size())) return call.Fail(kCodecErrWriteFailed);
        }
        return static_cast<std::int64_t>(io.Size());
    });
}
