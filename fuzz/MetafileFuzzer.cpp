// Fuzz target for the metafile reader (enhanced, placeable and plain Windows metafiles).
//
// The reader takes a path, so each input is written to an in-memory file and read through its
// /proc/self/fd name. The first two bytes choose the output size (1 to 64 pixels a side, and whether
// it is then scaled); the rest is the metafile. Sizing from the file's own header has unit tests; here
// the output stays small so that the time goes into the records.
//
// Invariant: failure means no pixels and a non-zero code; success means a block of exactly
// width x height x 3 bytes.

#include "codec/CodecThreadState.h"
#include "codec/formats/MetafileCoder.h"
#include "platform/GlobalMemory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace {

int MemoryFile()
{
    static const int descriptor = memfd_create("metafile-fuzz", 0);
    return descriptor;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2 || MemoryFile() < 0) return 0;
    const int sizeX = 1 + data[0] % 64;
    const int sizeY = 1 + data[1] % 64;
    const int flags = kCodecMetafileGivenSize | ((data[1] & 0x80) != 0 ? kCodecMetafileScaleSize : 0);
    const std::size_t fileBytes = size - 2;
    if (ftruncate(MemoryFile(), 0) != 0 ||
        (fileBytes != 0 && pwrite(MemoryFile(), data + 2, fileBytes, 0) != static_cast<ssize_t>(fileBytes)))
        return 0;
    const std::string path = "/proc/self/fd/" + std::to_string(MemoryFile());

    int width = 0, height = 0;
    std::uint8_t* pixels = CodecReadMetafile(path.c_str(), &width, &height, sizeX, sizeY, 0x00336699, flags);
    const int error = CodecGetLastError();
    if ((pixels == nullptr) != (error != 0)) __builtin_trap();
    if (pixels != nullptr &&
        (width < 1 || height < 1 ||
         platform::GlobalSize(pixels) != static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) * 3))
        __builtin_trap();
    platform::GlobalFree(pixels);
    return 0;
}
