// Fuzz target of the TIFF reader: the dimension query of page 0, then a read at the depth the image
// layer asks for (1 for bilevel files, 8 up to 8 bits a pixel, else 24), or at 32 for every other input.
// Failure must mean no pixels and a code; success a block of exactly the size width, height and depth
// imply (after orientation, which may exchange width and height). The metadata the read leaves is
// checked, and a picture read at 24 or 32 bits written again with it ("fuzz/ReadMetadataCheck.h").

#include "codec/CodecThreadState.h"
#include "codec/formats/TiffCoder.h"
#include "fuzz/FuzzSource.h"
#include "fuzz/ReadMetadataCheck.h"
#include "platform/GlobalMemory.h"

#include <cstdint>

namespace {

constexpr std::int64_t kFuzzMaxPixels = std::int64_t{1} << 22;   // speed only; the limits have unit tests

int RequestedBits(int fileBits, std::size_t size)
{
    if (size % 2 == 1) return 32;
    if (fileBits == 1) return 1;
    return fileBits <= 8 ? 8 : 24;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzSource source(data, size);
    int width = 0, height = 0, bits = 0;
    if (!CodecGetTiffDimensions(source.Handle(), 0, &width, &height, &bits, nullptr)) return 0;
    if (std::int64_t{width} * height > kFuzzMaxPixels) return 0;
    const int requested = RequestedBits(bits, size);
    std::uint8_t palette[256 * 4];
    std::uint8_t* pixels = CodecReadTiff(source.Handle(), &width, &height, requested, palette, 0, 0);
    if ((pixels == nullptr) != (CodecGetLastError() != 0)) __builtin_trap();
    if (pixels != nullptr) {
        const std::size_t rowBytes = (static_cast<std::size_t>(width) * requested + 7) / 8;
        if (width <= 0 || height <= 0 || platform::GlobalSize(pixels) != rowBytes * static_cast<std::size_t>(height))
            __builtin_trap();
    }
    CheckReadMetadata(
        pixels != nullptr, std::int64_t{width} * height,
        [&](CodecIOHandle* sink) { return CodecWriteTiff(sink, pixels, width, height, requested, palette, 1, nullptr, 0); },
        OrientationSource::kOwnTag);
    platform::GlobalFree(pixels);
    return 0;
}
