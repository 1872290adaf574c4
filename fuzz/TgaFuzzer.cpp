// TGA reader at 24 and 32 bits, at 8 bits for files of at most 8 bits, and the palette query.
#include "codec/formats/TgaCoder.h"
#include "fuzz/DecodedImageCheck.h"
#include "fuzz/FuzzSource.h"

#include <array>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzSource source(data, size);
    int width = 0, height = 0, bits = 0;
    if (!CodecGetTgaDimensions(source.Handle(), &width, &height, &bits)) return 0;
    if (std::int64_t{width} * height > kFuzzMaxPixels) return 0;
    std::array<std::uint8_t, 1024> palette{};
    int count = 0;
    if (CodecGetTgaPalette(source.Rewound(), &count, palette.data()) && (count < 0 || count > 256)) __builtin_trap();
    for (const int depth : {24, 32, 8}) {
        if (depth == 8 && bits > 8) continue;
        int readWidth = 0, readHeight = 0;
        std::uint8_t* pixels = CodecReadTga(source.Rewound(), &readWidth, &readHeight, depth, palette.data(), 0);
        CheckDecodedImage(pixels, readWidth, readHeight, depth);
    }
    return 0;
}
