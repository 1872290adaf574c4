// PSD reader: the dimension and palette queries, then a read at the depth the application would ask for
// (8 for palette modes, 24 otherwise, and 32 for CMYK files as stored). A failure must leave no pixels
// and a code; a success a buffer of exactly width x height pixels of the requested depth. The metadata
// the read leaves is checked, and the picture written again with it ("fuzz/ReadMetadataCheck.h").
#include "codec/CodecThreadState.h"
#include "codec/formats/PsdCoder.h"
#include "fuzz/FuzzSource.h"
#include "fuzz/ReadMetadataCheck.h"
#include "platform/GlobalMemory.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace {

constexpr std::int64_t kFuzzMaxPixels = std::int64_t{1} << 22;   // speed only; the budget has unit tests

void ReadAndCheck(const FuzzSource& source, int bits, int flags)
{
    std::array<std::uint8_t, 1024> palette{};
    int width = 0, height = 0;
    std::uint8_t* pixels = CodecReadPsd(source.Rewound(), &width, &height, bits, palette.data(), flags);
    const int error = CodecGetLastError();
    if ((pixels == nullptr) != (error != 0)) __builtin_trap();
    if (pixels != nullptr && platform::GlobalSize(pixels) != std::uint64_t(width) * height * (bits / 8)) __builtin_trap();
    CheckReadMetadata(pixels != nullptr, std::int64_t{width} * height, [&](CodecIOHandle* sink) {
        return CodecWritePsd(sink, pixels, width, height, bits, palette.data(), 0);
    });
    platform::GlobalFree(pixels);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzSource source(data, size);
    int width = 0, height = 0, mode = 0;
    CodecDpiInfo dpi{};
    if (!CodecGetPsdDimensions(source.Handle(), &width, &height, &mode, &dpi)) return 0;
    if (std::int64_t{width} * height > kFuzzMaxPixels) return 0;
    std::array<std::uint8_t, 1024> palette{};
    int count = 0;
    if (CodecGetPsdPalette(source.Rewound(), &count, palette.data()) && count != 256) __builtin_trap();
    ReadAndCheck(source, 24, 0);
    if (mode == kPsdModeBitmap || mode == kPsdModeGrey || mode == kPsdModeIndexed || mode == kPsdModeDuotone)
        ReadAndCheck(source, 8, 0);
    if (mode == kPsdModeCmyk) ReadAndCheck(source, 32, kPsdReadCmyk);
    return 0;
}
