#include "codec/formats/PcxCoder.h"

#include "codec/ByteReader.h"
#include "codec/CodecEntry.h"
#include "codec/CodecProgress.h"
#include "codec/PixelBuffer.h"
#include "codec/formats/PackedSamples.h"
#include "codec/formats/PaletteEntries.h"

#include <algorithm>
#include <array>
#include <span>
#include <vector>

namespace {

using codec::ByteReader;
using codec::LoadLe16;

constexpr std::size_t kHeaderBytes = 128;
constexpr std::uint8_t kManufacturer = 10;
constexpr std::uint8_t kVersionWithPalette = 5;
constexpr std::uint8_t kPaletteMarker = 0x0C;
constexpr std::size_t kTrailerPaletteBytes = 1 + 256 * 3;   // the marker, then red, green, blue entries
constexpr unsigned kRunFlag = 0xC0;
constexpr unsigned kMaxRun = 63;
constexpr std::uint16_t kWrittenDpi = 96;

struct PcxHeader {
    std::uint8_t version = 0;
    std::uint8_t bitsPerPlane = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::array<std::uint8_t, 48> colourMap{};   // 16 entries of red, green, blue
    std::uint8_t planes = 0;
    std::uint16_t bytesPerLine = 0;

    unsigned TotalBits() const { return unsigned{bitsPerPlane} * planes; }
    std::uint64_t LineBytes() const { return std::uint64_t{bytesPerLine} * planes; }
    bool OneBitOnePlane() const { return bitsPerPlane == 1 && planes == 1; }
    bool ThreeByteRgb() const { return bitsPerPlane == 8 && planes == 3; }
};

// The header always comes from the start of the file.
int ReadPcxHeader(ByteReader& in, PcxHeader& header)
{
    std::array<std::uint8_t, kHeaderBytes> raw{};
    if (!in.Seek(0) || !in.ReadExact(raw) || raw[0] != kManufacturer) return kCodecErrNotPcx;
    header.version = raw[1];
    if (header.version != 0 && header.version != 2 && header.version != 3 && header.version != 5) return kCodecErrNotPcx;
    header.bitsPerPlane = raw[3];
    const std::uint16_t xMin = LoadLe16(&raw[4]), yMin = LoadLe16(&raw[6]);
    const std::uint16_t xMax = LoadLe16(&raw[8]), yMax = LoadLe16(&raw[10]);
    if (xMax < xMin || yMax < yMin) return kCodecErrNotPcx;   // a negative extent is not a picture
    header.width = std::uint32_t{xMax} - xMin + 1;
    header.height = std::uint32_t{yMax} - yMin + 1;
    std::copy_n(&raw[16], header.colourMap.size(), header.colourMap.begin());
    header.planes = raw[65];
    header.bytesPerLine = LoadLe16(&raw[66]);
    return kCodecOk;
}

// What decoding needs beyond the header: a depth of 1 to 32 bits, samples of 1, 2, 4 or 8 bits, and
// lines long enough for the width, since the line buffer is sized by one and unpacking runs over the other.
int CheckPcxPixelLayout(const PcxHeader& header)
{
    if (header.TotalBits() < 1 || header.TotalBits() > 32) return kCodecErrNotPcx;
    if (std::uint64_t{header.bytesPerLine} * 8 < std::uint64_t{header.width} * header.bitsPerPlane) return kCodecErrNotPcx;
    const unsigned bits = header.bitsPerPlane;
    if (bits != 1 && bits != 2 && bits != 4 && bits != 8) return kCodecErrUnsupportedLayout;
    return kCodecOk;
}

// The 256-colour palette at the end of a version 5, 8-bit file, or a grey ramp; below 8 bits black and
// white for a single 1-bit plane, else the header's map. Returns the count of the file's own entries.
int FillPcxPalette(ByteReader& in, const PcxHeader& header, std::uint8_t* palette)
{
    std::array<std::uint8_t, kTrailerPaletteBytes> trailer{};
    const bool hasTrailer = header.version == kVersionWithPalette && header.TotalBits() == 8 &&
                            in.Size() >= kHeaderBytes + kTrailerPaletteBytes &&
                            in.Seek(in.Size() - kTrailerPaletteBytes) && in.ReadExact(trailer) &&
                            trailer[0] == kPaletteMarker;
    for (int i = 0; i < codec::kPaletteEntries; ++i) {
        const std::uint8_t* rgb = &trailer[1 + 3 * i];
        const auto grey = static_cast<std::uint8_t>(i);
        if (hasTrailer) codec::SetPaletteEntry(palette, i, rgb[0], rgb[1], rgb[2], 0);
        else codec::SetPaletteEntry(palette, i, grey, grey, grey, 0);
    }
    if (header.TotalBits() >= 8) return codec::kPaletteEntries;
    int count = 2;
    if (header.OneBitOnePlane()) {
        codec::SetPaletteEntry(palette, 0, 0, 0, 0, 0);
        codec::SetPaletteEntry(palette, 1, 255, 255, 255, 0);
    } else {
        count = std::min(1 << header.TotalBits(), 16);
        for (int i = 0; i < count; ++i) {
            const std::uint8_t* rgb = &header.colourMap[3 * i];
            codec::SetPaletteEntry(palette, i, rgb[0], rgb[1], rgb[2], 0);
        }
    }
    codec::PadPaletteWithEntryZero(palette, count);
    return count;
}

// One scan line of all planes. A run that would pass the end of the line is cut there; its remainder
// is lost and the next line starts at the next code byte.
bool DecodeLine(ByteReader& in, std::span<std::uint8_t> line)
{
    std::size_t at = 0;
    while (at < line.size()) {
        std::uint8_t code = 0, value = 0;
        if (!in.ReadByte(code)) return false;
        std::size_t count = 1;
        value = code;
        if (code >= kRunFlag) {
            count = code & kMaxRun;
            if (!in.ReadByte(value)) return false;
        }
        count = std::min(count, line.size() - at);
        std::fill_n(line.begin() + at, count, value);
        at += count;
    }
    return true;
}

// The fewest bytes that can code `lineBytes` bytes: runs of 63 in two bytes, a remainder in one or two.
std::uint64_t LeastCodedBytes(std::uint64_t lineBytes)
{
    return (2 * lineBytes + kMaxRun - 1) / kMaxRun;
}

void AppendRunLength(std::span<const std::uint8_t> line, std::vector<std::uint8_t>& out)
{
    for (std::size_t at = 0; at < line.size();) {
        const std::uint8_t value = line[at];
        std::size_t run = 1;
        while (at + run < line.size() && run < kMaxRun && line[at + run] == value) ++run;
        if (run > 1 || value >= kRunFlag) out.push_back(static_cast<std::uint8_t>(kRunFlag | run));
        out.push_back(value);
        at += run;
    }
}

}  // namespace

int CodecGetPcxDimensions(CodecIOHandle* source, int* width, int* height, int* bitsPerPixel)
{
    return codec::RunCodecEntry(source, [&](codec::CodecCall& call, codec::CCodecIO& io) -> int {
        if (width == nullptr || height == nullptr || bitsPerPixel == nullptr) return call.Fail(kCodecErrInvalidArgument);
        ByteReader in(io);
        PcxHeader header;
        if (const int error = ReadPcxHeader(in, header); error != kCodecOk) return call.Fail(error);
        *width = static_cast<int>(header.width);
        *height = static_cast<int>(header.height);
        *bitsPerPixel = static_cast<int>(header.TotalBits());
        return 1;
    });
}

int CodecGetPcxPalette(CodecIOHandle* source, int* count, std::uint8_t* palette)
{
    return codec::RunCodecEntry(source, [&](codec::CodecCall& call, codec::CCodecIO& io) -> int {
        if (count == nullptr || palette == nullptr) return call.Fail(kCodecErrInvalidArgument);
        ByteReader in(io);
        PcxHeader header;
        if (const int error = ReadPcxHeader(in, header); error != kCodecOk) return call.Fail(error);
        if (header.TotalBits() > 8) return call.Fail(kCodecErrUnsupportedFileDepth);
        *count = FillPcxPalette(in, header, palette);
        return 1;
    });
}

std::uint8_t* CodecReadPcx(CodecIOHandle* source, int* width, int* height, int bitsPerPixel,
                           std::uint8_t* palette, [[maybe_unused]] int flags)
{
    return codec::RunCodecEntry(source, [&](codec::CodecCall& call, codec::CCodecIO& io) -> std::uint8_t* {
        if (width == nullptr || height == nullptr) return call.Fail(kCodecErrInvalidArgument);
        if (bitsPerPixel != 1 && bitsPerPixel != 8 && bitsPerPixel != 24) return call.Fail(kCodecErrInvalidArgument);
        const bool indexedOutput = bitsPerPixel <= 8;
        if (indexedOutput && palette == nullptr) return call.Fail(kCodecErrInvalidArgument);

        ByteReader in(io);
        PcxHeader header;
        if (const int error = ReadPcxHeader(in, header); error != kCodecOk) return call.Fail(error);
        if (header.TotalBits() > static_cast<unsigned>(bitsPerPixel)) return call.Fail(kCodecErrUnsupportedFileDepth);
        if (const int error = CheckPcxPixelLayout(header); error != kCodecOk) return call.Fail(error);
        // Three 8-bit planes make red, green, blue; one 1-bit plane may be copied as it is; every other
        // file of up to 8 bits unpacks to one palette index per pixel.
        const bool rgbPlanes = header.ThreeByteRgb();
        const bool copyBits = bitsPerPixel == 1 && header.OneBitOnePlane();
        if (!rgbPlanes && !copyBits && (header.TotalBits() > 8 || bitsPerPixel == 1))
            return call.Fail(kCodecErrUnsupportedLayout);

        std::array<std::uint8_t, codec::kPaletteEntries * codec::kPaletteEntryBytes> lookup{};
        if (!rgbPlanes) FillPcxPalette(in, header, lookup.data());
        if (!in.Seek(kHeaderBytes)) return call.Fail(kCodecErrReadFailed);
        const std::uint64_t lineBytes = header.LineBytes();
        if (LeastCodedBytes(lineBytes) * header.height > in.Remaining()) return call.Fail(kCodecErrReadFailed);
        codec::PixelBuffer pixels = codec::AllocPixelBuffer(header.width, header.height, bitsPerPixel);
        if (!pixels) return call.Fail(kCodecErrOutOfMemory);

        const std::uint64_t outRowBytes = *codec::RowBytes(header.width, bitsPerPixel);
        std::vector<std::uint8_t> line(lineBytes);
        const codec::CodecProgress progress(call.state);
        const int rows = static_cast<int>(header.height);
        for (int y = 0; y < rows; ++y) {
            if (!DecodeLine(in, line)) return call.Fail(kCodecErrReadFailed);
            std::uint8_t* out = pixels.get() + std::uint64_t(y) * outRowBytes;
            const std::uint8_t* red = line.data();
            if (copyBits) {
                std::copy_n(red, outRowBytes, out);
            } else if (rgbPlanes) {
                const std::uint8_t* green = red + header.bytesPerLine;
                const std::uint8_t* blue = green + header.bytesPerLine;
                for (std::uint32_t x = 0; x < header.width; ++x, out += 3) {
                    out[0] = red[x];
                    out[1] = green[x];
                    out[2] = blue[x];
                }
            } else {
                // Planar files: plane p holds bits p x bitsPerPlane upward of each pixel's index.
                for (std::uint32_t x = 0; x < header.width; ++x) {
                    unsigned index = 0;
                    for (unsigned plane = 0; plane < header.planes; ++plane)
                        index |= unsigned{codec::PackedSampleAt(line.data() + plane * header.bytesPerLine, x,
                                                                header.bitsPerPlane)}
                                 << (plane * header.bitsPerPlane);
                    if (indexedOutput) {
                        out[x] = static_cast<std::uint8_t>(index);
                        continue;
                    }
                    const std::uint8_t* entry = &lookup[index * codec::kPaletteEntryBytes];
                    out[3 * x] = entry[2];
                    out[3 * x + 1] = entry[1];
                    out[3 * x + 2] = entry[0];
                }
            }
            if (!progress.Report(y + 1, rows)) return call.Fail(kCodecErrCancelled);
        }
        if (indexedOutput) std::copy(lookup.begin(), lookup.end(), palette);
        *width = static_cast<int>(header.width);
        *height = rows;
        return pixels.release();
    });
}

std::int64_t CodecWritePcx(CodecIOHandle* sink, const std::uint8_t* pixels, int width, int height,
                           int bitsPerPixel, const std::uint8_t* palette, [[maybe_unused]] int reserved)
{
    return codec::RunCodecEntry(sink, [&](codec::CodecCall& call, codec::CCodecIO& io) -> std::int64_t {
        call.exceptionCode = kCodecErrWriteFailed;
        // Lines are padded to an even byte count that must fit the 16-bit bytes-per-line field.
        if (pixels == nullptr || width <= 0 || height <= 0 || width >= UINT16_MAX || height > UINT16_MAX + 1)
            return call.Fail(kCodecErrInvalidArgument);
        const int bytesPerLine = (width + 1) & ~1;
        if (bitsPerPixel != 24 && !(bitsPerPixel == 8 && palette != nullptr)) return call.Fail(kCodecErrInvalidArgument);
        const int planes = bitsPerPixel / 8;

        std::array<std::uint8_t, kHeaderBytes> header{kManufacturer, kVersionWithPalette, 1, 8};
        codec::StoreLe16(&header[8], static_cast<std::uint16_t>(width - 1));
        codec::StoreLe16(&header[10], static_cast<std::uint16_t>(height - 1));
        codec::StoreLe16(&header[12], kWrittenDpi);
        codec::StoreLe16(&header[14], kWrittenDpi);
        header[65] = static_cast<std::uint8_t>(planes);
        codec::StoreLe16(&header[66], static_cast<std::uint16_t>(bytesPerLine));
        codec::StoreLe16(&header[68], 1);
        if (!io.Write(header.data(), header.size())) return call.Fail(kCodecErrWriteFailed);

        // Each row is split into its planes (red, green, blue at 24 bits); each plane line is coded alone.
        std::vector<std::uint8_t> line(bytesPerLine), coded;
        for (int y = 0; y < height; ++y) {
            const std::uint8_t* in = pixels + std::size_t(y) * width * planes;
            coded.clear();
            for (int plane = 0; plane < planes; ++plane) {
                for (int x = 0; x < width; ++x) line[x] = in[x * planes + plane];
                AppendRunLength(line, coded);
            }
            if (!io.Write(coded.data(), coded.size())) return call.Fail(kCodecErrWriteFailed);
        }
        if (planes == 1) {
            std::array<std::uint8_t, kTrailerPaletteBytes> trailer{kPaletteMarker};
            for (int i = 0; i < codec::kPaletteEntries; ++i) {
                const std::uint8_t* entry = palette + i * codec::kPaletteEntryBytes;
                trailer[1 + 3 * i] = entry[2];
                trailer[2 + 3 * i] = entry[1];
                trailer[3 + 3 * i] = entry[0];
            }
            if (!io.Write(trailer.data(), trailer.size())) return call.Fail(kCodecErrWriteFailed);
        }
        return static_cast<std::int64_t>(io.Size());
    });
}
