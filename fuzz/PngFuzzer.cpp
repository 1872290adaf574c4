// Fuzz target of the PNG reader: the header query, then a read at the depth the image layer asks for
// (1 for 1-bit files, 8 for palette and grey files, else 24), or at 32 for every other input. Failure
// must mean no pixels and a code; success a block of exactly the size width, height and depth imply.
// The metadata the read leaves is checked and written again with the picture ("fuzz/ReadMetadataCheck.h").

#include "codec/CodecThreadState.h"
#include "codec/formats/PngCoder.h"
#include "fuzz/FuzzSource.h"
#include "fuzz/ReadMetadataCheck.h"
#include "platform/GlobalMemory.h"

#include <cstdint>

namespace {

constexpr std::int64_t kFuzzMaxPixels = std::int64_t{1} << 22;   // speed only; the limits have unit tests

int RequestedBits(int bitDepth, int colourType, std::size_t size)
{
    if (size % 2 == 1) return 32;
    if (bitDepth == 1 && (colourType == 0 || colourType == 3)) return 1;
    return colourType == 0 || colourType == 3 ? 8 : 24;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzSource source(data, size);
    int width = 0, height = 0, bitDepth = 0, colourType = 0, interlace = 0;
    if (!CodecGetPngDimensions(source.Handle(), &width, &height, &bitDepth, &colourType, &interlace, nullptr)) return 0;
    if (std::int64_t{width} * height > kFuzzMaxPixels) return 0;
    const int requested = RequestedBits(bitDepth, colourType, size);
    std::uint8_t palette[256 * 4];
    std::uint8_t* pixels = CodecReadPng(source.Rewound(), &width, &height, requested, palette, 0);
    if ((pixels == nullptr) != (CodecGetLastError() != 0)) __builtin_trap();
    const std::size_t rowBytes = (static_cast<std::size_t>(width) * requested + 7) / 8;
    // Written back as 8-bit grey, RGB or RGBA rows; 1-bit rows as 1-bit grey.
    const int colourTypeWritten = requested == 32 ? 6 : requested == 24 ? 2 : 0;
    CheckReadMetadata(pixels != nullptr, std::int64_t{width} * height, [&](CodecIOHandle* sink) {
        return CodecWritePng(sink, pixels, width, height, static_cast<int>(rowBytes), requested == 1 ? 1 : 8, 0, nullptr,
                             colourTypeWritten, 0, nullptr, 0);
    });
    if (pixels == nullptr) return 0;
    if (width <= 0 || height <= 0 || platform::GlobalSize(pixels) != rowBytes * static_cast<std::size_t>(height))
        __builtin_trap();
    platform::GlobalFree(pixels);
    return 0;
}
