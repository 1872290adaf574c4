#include "codec/formats/MetafileCoder.h"

#include "codec/ByteReader.h"
#include "codec/CodecEntry.h"
#include "codec/CodecLimits.h"
#include "codec/PixelBuffer.h"
#include "platform/MetafilePlayer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

namespace {

using codec::CCodecIO;
using codec::CodecCall;

// The reference device: a 96-dpi screen of 1024 x 768 pixels.
constexpr double kScreenDpi = 96;
constexpr double kScreenPixelsPerMm = kScreenDpi / 25.4;
constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;
// Placeable extents: units to hundredths of a millimetre (x 2540 / units per inch), then this factor
// (about 1 / 2540.1) to inches, then the screen's pixels per inch.
constexpr double kHundredthMmToInch = 0.00039368528798078815;
// Whole files are read into memory; a metafile larger than this is refused as too big.
constexpr std::uint64_t kMaxMetafileBytes = std::uint64_t{1} << 29;

double PlaceablePixelsPerUnit(unsigned unitsPerInch)
{
    return 2540.0 / unitsPerInch * kHundredthMmToInch * kScreenDpi;
}

int ErrorFor(platform::MetafileStatus status)
{
    switch (status) {
    case platform::MetafileStatus::kOk: return kCodecOk;
    case platform::MetafileStatus::kBadWindowsHeader: return kCodecErrWinMetafileBits;
    case platform::MetafileStatus::kNoSurface: return kCodecErrBitmapCreate;
    case platform::MetafileStatus::kNoPlayer: return kCodecErrDeviceContext;
    case platform::MetafileStatus::kNotMetafile:
    case platform::MetafileStatus::kBadEnhancedHeader: return kCodecErrMetafileRead;
    }
    return kCodecErrMetafileRead;
}

struct SourceCloser {
    void operator()(CodecIOHandle* handle) const { CodecCloseSource(handle); }
};

// The picture's natural size in (fractional) screen pixels, from what its header says.
void NaturalSize(const platform::MetafileHeader& header, double& width, double& height)
{
    const double extentX = std::abs(static_cast<double>(header.right) - header.left);
    const double extentY = std::abs(static_cast<double>(header.bottom) - header.top);
    switch (header.kind) {
    case platform::MetafileKind::kPlaceable:
        width = extentX * PlaceablePixelsPerUnit(header.unitsPerInch);
        height = extentY * PlaceablePixelsPerUnit(header.unitsPerInch);
        return;
    case platform::MetafileKind::kEnhanced:
        width = extentX / 100 * kScreenPixelsPerMm;
        height = extentY / 100 * kScreenPixelsPerMm;
        return;
    default: {
        // A plain Windows metafile carries no physical size: its window is taken in screen pixels,
        // scaled down to fit the screen, and a file without a window fills the screen.
        if (!header.hasWindowExtent || extentX == 0 || extentY == 0) {
            width = kScreenWidth;
            height = kScreenHeight;
            return;
        }
        const double fit = std::min({1.0, kScreenWidth / extentX, kScreenHeight / extentY});
        width = extentX * fit;
        height = extentY * fit;
        return;
    }
    }
}

// Pixel counts are rounded to the nearest whole pixel, and at least one; false when out of range.
bool ToPixels(double size, int& pixels)
{
    if (!std::isfinite(size) || size > codec::kMaxSide) return false;
    pixels = std::max(1, static_cast<int>(std::lround(size)));
    return true;
}

std::vector<std::uint8_t> ReadWholeFile(CodecCall& call, const char* path)
{
    // Only a regular file can hold a metafile; a folder or a device is not opened at all.
    std::error_code ignored;
    if (!std::filesystem::is_regular_file(path, ignored)) {
        call.error = kCodecErrOpenFailed;
        return {};
    }
    const std::unique_ptr<CodecIOHandle, SourceCloser> source(CodecOpenFileSource(path));
    if (!source) {
        call.error = kCodecErrOpenFailed;
        return {};
    }
    CCodecIO io(*source);
    const std::uint64_t size = io.Size();
    if (size > kMaxMetafileBytes) {
        call.error = kCodecErrOutOfMemory;
        return {};
    }
    std::vector<std::uint8_t> bytes(size);
    if (!io.ReadExact(bytes.data(), bytes.size())) call.error = kCodecErrReadFailed;
    return bytes;
}

// --- Writing -----------------------------------------------------------------------------------

constexpr std::uint32_t kSourceCopy = 0x00CC0020;
constexpr std::size_t kInfoHeaderBytes = 40;
constexpr std::uint32_t kEnhancedHeaderBytes = 108;
constexpr std::uint32_t kStretchDibitsFixedBytes = 80;
constexpr std::uint32_t kEnhancedEofBytes = 20;
constexpr std::size_t kPlaceableHeaderBytes = 22;
constexpr std::int64_t kMaxWindowsCoordinate = 32767;   // Windows metafile coordinates are 16-bit
constexpr int kWindowsAnisotropic = 8;

// The bytes a sink receives, appended little-endian.
class RecordWriter {
public:
    void U16(std::uint32_t value) { Append(value, 2); }
    void U32(std::uint32_t value) { Append(value, 4); }
    void I32(std::int32_t value) { Append(static_cast<std::uint32_t>(value), 4); }
    std::vector<std::uint8_t>& Bytes() { return bytes_; }

private:
    void Append(std::uint32_t value, int count)
    {
        for (int i = 0; i < count; ++i) bytes_.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
    std::vector<std::uint8_t> bytes_;
};

std::uint32_t PaddedRowBytes(int width)
{
    return (static_cast<std::uint32_t>(width) * 3 + 3) / 4 * 4;
}

// The 40-byte header of a bottom-up 24-bit bitmap.
void WriteInfoHeader(RecordWriter& out, int width, int height)
{
    out.U32(kInfoHeaderBytes);
    out.I32(width);
    out.I32(height);
    out.U16(1);                                                         // planes
    out.U16(24);                                                        // bits per pixel
    out.U32(0);                                                         // uncompressed
    out.U32(PaddedRowBytes(width) * static_cast<std::uint32_t>(height));
    for (int i = 0; i < 4; ++i) out.U32(0);                             // resolution and colour counts
}

bool WriteBytes(CCodecIO& io, std::vector<std::uint8_t>& bytes)
{
    const bool written = io.Write(bytes.data(), bytes.size());
    bytes.clear();
    return written;
}

// The bitmap's rows, bottom row first, blue-green-red, each padded to four bytes.
bool WriteRows(CCodecIO& io, const std::uint8_t* pixels, int width, int height)
{
    std::vector<std::uint8_t> row(PaddedRowBytes(width), 0);
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
    for (int y = height - 1; y >= 0; --y) {
        const std::uint8_t* source = pixels + static_cast<std::size_t>(y) * rowBytes;
        for (std::size_t x = 0; x < rowBytes; x += 3) {
            row[x] = source[x + 2];
            row[x + 1] = source[x + 1];
            row[x + 2] = source[x];
        }
        if (!io.Write(row.data(), row.size())) return false;
    }
    return true;
}

// The picture's frame in hundredths of a millimetre: its size on the 96-dpi screen.
std::int32_t FrameExtent(int pixels)
{
    return static_cast<std::int32_t>(std::lround(pixels * 2540.0 / kScreenDpi));
}

int CheckPicture(const std::uint8_t* pixels, int width, int height)
{
    if (pixels == nullptr || !codec::RasterBytes(width, height, 24)) return kCodecErrInvalidArgument;
    return kCodecOk;
}

bool WriteEnhanced(CCodecIO& io, const std::uint8_t* pixels, int width, int height)
{
    const std::uint32_t bitsBytes = PaddedRowBytes(width) * static_cast<std::uint32_t>(height);
    const std::uint32_t recordBytes = kStretchDibitsFixedBytes + kInfoHeaderBytes + bitsBytes;
    RecordWriter out;
    // Header record: bounds in device pixels (inclusive), frame in hundredths of a millimetre.
    out.U32(1);
    out.U32(kEnhancedHeaderBytes);
    for (const std::int32_t value : {0, 0, width - 1, height - 1}) out.I32(value);
    for (const std::int32_t value : {0, 0, FrameExtent(width), FrameExtent(height)}) out.I32(value);
    out.U32(0x464D4520);                                   // " EMF"
    out.U32(0x00010000);                                   // version
    out.U32(kEnhancedHeaderBytes + recordBytes + kEnhancedEofBytes);
    out.U32(3);                                            // records
    out.U16(1);                                            // handles: only the reserved index 0
    out.U16(0);
    out.U32(0);                                            // no description
    out.U32(0);
    out.U32(0);                                            // no palette
    out.I32(kScreenWidth);                                 // reference device in pixels ...
    out.I32(kScreenHeight);
    out.I32(static_cast<std::int32_t>(std::lround(kScreenWidth / kScreenPixelsPerMm)));   // ... millimetres
    out.I32(static_cast<std::int32_t>(std::lround(kScreenHeight / kScreenPixelsPerMm)));
    out.U32(0);                                            // no pixel format
    out.U32(0);
    out.U32(0);                                            // not OpenGL
    out.I32(static_cast<std::int32_t>(std::lround(kScreenWidth * 1000 / kScreenPixelsPerMm)));   // micrometres
    out.I32(static_cast<std::int32_t>(std::lround(kScreenHeight * 1000 / kScreenPixelsPerMm)));
    // The bitmap, stretched onto the same number of device pixels.
    out.U32(81);
    out.U32(recordBytes);
    for (const std::int32_t value : {0, 0, width - 1, height - 1}) out.I32(value);
    for (const std::int32_t value : {0, 0, 0, 0, width, height}) out.I32(value);   // dest x y, src x y w h
    out.U32(kStretchDibitsFixedBytes);
    out.U32(kInfoHeaderBytes);
    out.U32(kStretchDibitsFixedBytes + kInfoHeaderBytes);
    out.U32(bitsBytes);
    out.U32(0);                                            // RGB colours
    out.U32(kSourceCopy);
    out.I32(width);
    out.I32(height);
    WriteInfoHeader(out, width, height);
    if (!WriteBytes(io, out.Bytes()) || !WriteRows(io, pixels, width, height)) return false;
    for (const std::uint32_t value : {14u, kEnhancedEofBytes, 0u, 16u, kEnhancedEofBytes}) out.U32(value);
    return WriteBytes(io, out.Bytes());
}

// The placeable header's box: the frame in thousandths of an inch at 1000 units per inch. A picture
// too large for 16-bit coordinates at that scale gets 96 units per inch and a box sized so that a
// reader computes the picture's own pixel size from it. Nothing when even that does not fit.
struct PlaceableBox {
    std::uint16_t right = 0;
    std::uint16_t bottom = 0;
    std::uint16_t unitsPerInch = 1000;
};

std::optional<PlaceableBox> PlaceableBoxFor(int width, int height)
{
    std::int64_t right = std::int64_t{FrameExtent(width)} * 1000 / 2540;
    std::int64_t bottom = std::int64_t{FrameExtent(height)} * 1000 / 2540;
    PlaceableBox box;
    if (right > kMaxWindowsCoordinate || bottom > kMaxWindowsCoordinate) {
        box.unitsPerInch = static_cast<std::uint16_t>(kScreenDpi);
        right = std::lround(width / PlaceablePixelsPerUnit(box.unitsPerInch));
        bottom = std::lround(height / PlaceablePixelsPerUnit(box.unitsPerInch));
        if (right > kMaxWindowsCoordinate || bottom > kMaxWindowsCoordinate) return std::nullopt;
    }
    box.right = static_cast<std::uint16_t>(right);
    box.bottom = static_cast<std::uint16_t>(bottom);
    return box;
}

void WritePlaceableHeader(RecordWriter& out, const PlaceableBox& box)
{
    const std::array<std::uint16_t, 10> words = {0xCDD7, 0x9AC6, 0, 0, 0, box.right, box.bottom, box.unitsPerInch, 0, 0};
    std::uint16_t checksum = 0;
    for (const std::uint16_t word : words) {
        out.U16(word);
        checksum ^= word;
    }
    out.U16(checksum);
}

bool WriteWindows(CCodecIO& io, const std::uint8_t* pixels, int width, int height,
                  const std::optional<PlaceableBox>& placeable)
{
    const std::uint32_t bitsBytes = PaddedRowBytes(width) * static_cast<std::uint32_t>(height);
    const std::uint32_t dibWords = (kInfoHeaderBytes + bitsBytes) / 2;
    const std::uint32_t stretchWords = 3 + 11 + dibWords;
    const std::uint32_t totalWords = 9 + 4 + 5 + 5 + stretchWords + 3;
    RecordWriter out;
    if (placeable) WritePlaceableHeader(out, *placeable);
    for (const std::uint32_t word : {1u, 9u, 0x0300u}) out.U16(word);   // type, header words, version
    out.U32(totalWords);
    out.U16(0);                                            // objects
    out.U32(stretchWords);                                 // largest record
    out.U16(0);
    out.U32(4);                                            // map mode: anisotropic
    out.U16(0x0103);
    out.U16(kWindowsAnisotropic);
    out.U32(5);                                            // window origin 0, 0
    out.U16(0x020B);
    out.U16(0);
    out.U16(0);
    out.U32(5);                                            // window extent: y, then x
    out.U16(0x020C);
    out.U16(static_cast<std::uint16_t>(height));
    out.U16(static_cast<std::uint16_t>(width));
    out.U32(stretchWords);                                 // the bitmap, stretched onto the window
    out.U16(0x0F43);
    out.U32(kSourceCopy);
    out.U16(0);                                            // RGB colours
    for (const int value : {height, width, 0, 0, height, width, 0, 0}) out.U16(static_cast<std::uint16_t>(value));
    WriteInfoHeader(out, width, height);
    if (!WriteBytes(io, out.Bytes()) || !WriteRows(io, pixels, width, height)) return false;
    out.U32(3);                                            // end of file
    out.U16(0);
    return WriteBytes(io, out.Bytes());
}

}  // namespace

std::uint8_t* CodecReadMetafile(const char* path, int* width, int* height, int sizeX, int sizeY,
                                std::uint32_t background, int flags)
{
    return codec::RunCodecEntry([&](CodecCall& call) -> std::uint8_t* {
        if (path == nullptr || width == nullptr || height == nullptr) return call.Fail(kCodecErrInvalidArgument);
        const std::vector<std::uint8_t> file = ReadWholeFile(call, path);
        if (call.error != kCodecOk) return nullptr;
        platform::MetafileHeader header;
        if (const auto status = platform::ReadMetafileHeader(file, header); status != platform::MetafileStatus::kOk)
            return call.Fail(ErrorFor(status));

        double outWidth = sizeX, outHeight = sizeY;
        if ((flags & kCodecMetafileGivenSize) == 0) NaturalSize(header, outWidth, outHeight);
        if ((flags & kCodecMetafileScaleSize) != 0) {
            outWidth *= sizeX / 100.0;
            outHeight *= sizeY / 100.0;
        }
        if (!(outWidth > 0) || !(outHeight > 0)) return call.Fail(kCodecErrInvalidArgument);
        int pixelsWide = 0, pixelsHigh = 0;
        if (!ToPixels(outWidth, pixelsWide) || !ToPixels(outHeight, pixelsHigh)) return call.Fail(kCodecErrOutOfMemory);
        codec::PixelBuffer pixels = codec::AllocPixelBuffer(pixelsWide, pixelsHigh, 24);
        if (!pixels) return call.Fail(kCodecErrOutOfMemory);

        const auto status = platform::PlayMetafile(file, header, pixelsWide, pixelsHigh, background, pixels.get());
        if (status != platform::MetafileStatus::kOk) return call.Fail(ErrorFor(status));
        *width = pixelsWide;
        *height = pixelsHigh;
        return pixels.release();
    });
}

std::int64_t CodecWriteWmf(CodecIOHandle* sink, const std::uint8_t* pixels, int width, int height, int flags)
{
    return codec::RunCodecEntry(sink, [&](CodecCall& call, CCodecIO& io) -> std::int64_t {
        call.exceptionCode = kCodecErrWriteFailed;
        if (const int error = CheckPicture(pixels, width, height); error != kCodecOk) return call.Fail(error);
        // Windows metafile coordinates are 16-bit: the window, and the placeable box when there is one.
        if (width > kMaxWindowsCoordinate || height > kMaxWindowsCoordinate) return call.Fail(kCodecErrInvalidArgument);
        std::optional<PlaceableBox> box;
        if ((flags & kCodecWmfPlaceable) != 0) {
            box = PlaceableBoxFor(width, height);
            if (!box) return call.Fail(kCodecErrInvalidArgument);
        }
        if (!WriteWindows(io, pixels, width, height, box)) return call.Fail(kCodecErrWriteFailed);
        return static_cast<std::int64_t>(io.Size());
    });
}

std::int64_t CodecWriteEmf(CodecIOHandle* sink, const std::uint8_t* pixels, int width, int height, int /*reserved*/)
{
    return codec::RunCodecEntry(sink, [&](CodecCall& call, CCodecIO& io) -> std::int64_t {
        call.exceptionCode = kCodecErrWriteFailed;
        if (const int error = CheckPicture(pixels, width, height); error != kCodecOk) return call.Fail(error);
        if (!WriteEnhanced(io, pixels, width, height)) return call.Fail(kCodecErrWriteFailed);
        return static_cast<std::int64_t>(io.Size());
    });
}
