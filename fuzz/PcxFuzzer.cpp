// PCX reader at 24 bits, at 8 and 1 bits where the file allows, and the palette query.
#include "codec/formats/PcxCoder.h"
#include "fuzz/DecodedImageCheck.h"
#include "fuzz/FuzzSource.h"

#include <array>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzSource source(data, size);
    int width = 0, height = 0, bits = 0;
    if (!CodecGetPcxDimensions(source.Handle(), &width, &height, &bits)) return 0;
    if (std::int64_t{width} * height > kFuzzMaxPixels) return 0;
    std::array<std::uint8_t, 1024> palette{};
    int count = 0;
    CodecGetPcxPalette(source.Handle(), &count, palette.data());
    for (const int depth : {24, 8, 1}) {
        if (depth < 24 && bits > depth) continue;
        int readWidth = 0, readHeight = 0;
        std::uint8_t* pixels = CodecReadPcx(source.Handle(), &readWidth, &readHeight, depth, palette.data(), 0);
        CheckDecodedImage(pixels, readWidth, readHeight, depth);
    }
    return 0;
}
