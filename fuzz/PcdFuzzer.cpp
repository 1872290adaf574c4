// Photo CD reader: one read per input, at a resolution taken from a byte of the first sector (which the
// reader ignores), covering the clamping of out-of-range values. A failure must leave no pixels and a
// code; a success a 24-bit buffer of exactly the reported width x height.
#include "codec/CodecThreadState.h"
#include "codec/formats/PcdCoder.h"
#include "fuzz/FuzzSource.h"
#include "platform/GlobalMemory.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzSource source(data, size);
    const int resolution = size > 8 ? data[8] % 8 - 1 : 1;
    int width = 0, height = 0;
    std::uint8_t* pixels = CodecReadPcd(source.Handle(), &width, &height, resolution, 0);
    if ((pixels == nullptr) != (CodecGetLastError() != 0)) __builtin_trap();
    if (pixels != nullptr && platform::GlobalSize(pixels) != std::uint64_t(width) * height * 3) __builtin_trap();
    platform::GlobalFree(pixels);
    return 0;
}
