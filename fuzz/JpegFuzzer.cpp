// Fuzz target of the JPEG reader: the header query, then a read at the depth the image layer asks for,
// at one of the decode scales. Failure must mean no pixels and a code; success a block of exactly the
// size the reported width, height and depth imply. The metadata the read leaves is checked and written
// again with the picture ("fuzz/ReadMetadataCheck.h").

#include "codec/CodecThreadState.h"
#include "codec/formats/JpegCoder.h"
#include "fuzz/FuzzSource.h"
#include "fuzz/ReadMetadataCheck.h"
#include "platform/GlobalMemory.h"

#include <cstdint>

namespace {

constexpr std::int64_t kFuzzMaxPixels = std::int64_t{1} << 22;   // speed only; the limits have unit tests

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzSource source(data, size);
    int width = 0, height = 0, bits = 0;
    if (!CodecGetJpegDimensions(source.Handle(), &width, &height, &bits, nullptr)) return 0;
    if (std::int64_t{width} * height > kFuzzMaxPixels) return 0;
    const int requested = bits == 8 ? 8 : 24;
    CodecSetJpegDecodeScale(1, 1 << (size % 4));
    std::uint8_t* pixels = CodecReadJpeg(source.Rewound(), &width, &height, requested, 0);
    const int error = CodecGetLastError();
    CodecSetJpegDecodeScale(1, 1);   // an option setter leaves code 0
    if ((pixels == nullptr) != (error != 0)) __builtin_trap();
    CheckReadMetadata(pixels != nullptr, std::int64_t{width} * height, [&](CodecIOHandle* sink) {
        return CodecWriteJpeg(sink, pixels, width, height, 75, requested, nullptr, 0);
    });
    if (pixels == nullptr) return 0;
    if (width <= 0 || height <= 0 ||
        platform::GlobalSize(pixels) != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * (requested / 8))
        __builtin_trap();
    platform::GlobalFree(pixels);
    return 0;
}
