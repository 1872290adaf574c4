// WBMP reader at 8 and 1 bits.
#include "codec/formats/WbmpCoder.h"
#include "fuzz/DecodedImageCheck.h"
#include "fuzz/FuzzSource.h"

#include <array>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzSource source(data, size);
    int width = 0, height = 0;
    if (!CodecGetWbmpDimensions(source.Handle(), &width, &height)) return 0;
    if (std::int64_t{width} * height > kFuzzMaxPixels) return 0;
    std::array<std::uint8_t, 1024> palette{};
    for (const int depth : {8, 1}) {
        int readWidth = 0, readHeight = 0;
        std::uint8_t* pixels = CodecReadWbmp(source.Rewound(), &readWidth, &readHeight, palette.data(), depth, 0);
        CheckDecodedImage(pixels, readWidth, readHeight, depth);
    }
    return 0;
}
