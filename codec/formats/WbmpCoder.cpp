#include "codec/formats/WbmpCoder.h"

#include "codec/ByteReader.h"
#include "codec/CodecEntry.h"
#include "codec/CodecProgress.h"
#include "codec/PixelBuffer.h"
#include "codec/formats/PaletteEntries.h"

#include <vector>

namespace {

using codec::ByteReader;

struct WbmpHeader {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};

// A multi-byte integer: 7 bits per byte, most significant group first, bit 7 set on every byte but the
// last. More than 32 bits of value is not a size any picture has.
bool ReadMultiByteInteger(ByteReader& in, std::uint32_t& value)
{
    value = 0;
    for (int bytes = 0; bytes < 5; ++bytes) {
        std::uint8_t byte = 0;
        if (!in.ReadByte(byte) || value > (UINT32_MAX >> 7)) return false;
        value = value << 7 | (byte & 0x7Fu);
        if ((byte & 0x80) == 0) return true;
    }
    return false;
}

int ReadWbmpHeader(ByteReader& in, WbmpHeader& header)
{
    std::uint8_t type = 0, fixedHeader = 0;
    if (!in.ReadByte(type) || !in.ReadByte(fixedHeader) || type != 0 || fixedHeader != 0) return kCodecErrNotWbmp;
    if (!ReadMultiByteInteger(in, header.width) || !ReadMultiByteInteger(in, header.height)) return kCodecErrNotWbmp;
    if (header.width == 0 || header.height == 0) return kCodecErrNotWbmp;
    return kCodecOk;
}

void AppendMultiByteInteger(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    int groups = 1;
    while (groups < 5 && (value >> (7 * groups)) != 0) ++groups;
    for (int group = groups - 1; group >= 0; --group) {
        const auto bits = static_cast<std::uint8_t>((value >> (7 * group)) & 0x7F);
        out.push_back(group != 0 ? bits | 0x80 : bits);
    }
}

}  // namespace

int CodecGetWbmpDimensions(CodecIOHandle* source, int* width, int* height)
{
    return codec::RunCodecEntry(source, [&](codec::CodecCall& call, codec::CCodecIO& io) -> int {
        if (width == nullptr || height == nullptr) return call.Fail(kCodecErrInvalidArgument);
        ByteReader in(io);
        WbmpHeader header;
        if (const int error = ReadWbmpHeader(in, header); error != kCodecOk) return call.Fail(error);
        if (header.width > INT32_MAX || header.height > INT32_MAX) return call.Fail(kCodecErrOutOfMemory);
        *width = static_cast<int>(header.width);
        *height = static_cast<int>(header.height);
        return 1;
    });
}

std::uint8_t* CodecReadWbmp(CodecIOHandle* source, int* width, int* height, std::uint8_t* palette,
                            int bitsPerPixel, [[maybe_unused]] int flags)
{
    return codec::RunCodecEntry(source, [&](codec::CodecCall& call, codec::CCodecIO& io) -> std::uint8_t* {
        if (width == nullptr || height == nullptr || palette == nullptr) return call.Fail(kCodecErrInvalidArgument);
        if (bitsPerPixel != 1 && bitsPerPixel != 8) return call.Fail(kCodecErrInvalidArgument);
        ByteReader in(io);
        WbmpHeader header;
        if (const int error = ReadWbmpHeader(in, header); error != kCodecOk) return call.Fail(error);
        const std::uint64_t rowBytes = (std::uint64_t{header.width} + 7) / 8;
        if (rowBytes * header.height > in.Remaining()) return call.Fail(kCodecErrReadFailed);
        codec::PixelBuffer pixels = codec::AllocPixelBuffer(header.width, header.height, bitsPerPixel);
        if (!pixels) return call.Fail(kCodecErrOutOfMemory);

        std::vector<std::uint8_t> row(rowBytes);
        const codec::CodecProgress progress(call.state);
        const int rows = static_cast<int>(header.height);
        for (int y = 0; y < rows; ++y) {
            if (!in.ReadExact(row)) return call.Fail(kCodecErrReadFailed);
            if (bitsPerPixel == 1) {
                std::copy(row.begin(), row.end(), pixels.get() + y * rowBytes);
            } else {
                std::uint8_t* out = pixels.get() + std::uint64_t(y) * header.width;
                for (std::uint32_t x = 0; x < header.width; ++x) out[x] = (row[x >> 3] >> (7 - (x & 7))) & 1;
            }
            if (!progress.Report(y + 1, rows)) return call.Fail(kCodecErrCancelled);
        }
        codec::SetPaletteEntry(palette, 0, 0, 0, 0, 0);
        codec::SetPaletteEntry(palette, 1, 255, 255, 255, 255);
        *width = static_cast<int>(header.width);
        *height = rows;
        return pixels.release();
    });
}

std::int64_t CodecWriteWbmp(CodecIOHandle* sink, const std::uint8_t* pixels, int width, int height,
                            [[maybe_unused]] int reserved)
{
    return codec::RunCodecEntry(sink, [&](codec::CodecCall& call, codec::CCodecIO& io) -> std::int64_t {
        call.exceptionCode = kCodecErrWriteFailed;
        if (pixels == nullptr || width <= 0 || height <= 0) return call.Fail(kCodecErrInvalidArgument);
        std::vector<std::uint8_t> header{0, 0};
        AppendMultiByteInteger(header, static_cast<std::uint32_t>(width));
        AppendMultiByteInteger(header, static_cast<std::uint32_t>(height));
        if (!io.Write(header.data(), header.size())) return call.Fail(kCodecErrWriteFailed);

        std::vector<std::uint8_t> row((static_cast<std::size_t>(width) + 7) / 8);
        for (int y = 0; y < height; ++y) {
            std::fill(row.begin(), row.end(), 0);
            const std::uint8_t* in = pixels + std::size_t(y) * width;
            for (int x = 0; x < width; ++x)
                if (in[x] != 0) row[x >> 3] |= static_cast<std::uint8_t>(0x80 >> (x & 7));
            if (!io.Write(row.data(), row.size())) return call.Fail(kCodecErrWriteFailed);
        }
        return static_cast<std::int64_t>(io.Size());
    });
}
