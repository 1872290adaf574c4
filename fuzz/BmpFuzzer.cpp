// BMP reader at every output depth the file allows, and the palette query.
#include "codec/formats/BmpCoder.h"
#include "fuzz/DecodedImageCheck.h"
#include "fuzz/FuzzSource.h"

#include <array>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzSource source(data, size);
    int width = 0, height = 0, bits = 0;
    if (!CodecGetBmpDimensions(source.Handle(), &width, &height, &bits, nullptr)) return 0;
    if (std::int64_t{width} * std::abs(std::int64_t{height}) > kFuzzMaxPixels) return 0;
    std::array<std::uint8_t, 1024> palette{};
    int count = 0;
    CodecGetBmpPalette(source.Rewound(), &count, palette.data());
    for (const int depth : {24, 32, 8, 1}) {
        if (depth <= 8 && bits > depth) continue;
        int readWidth = 0, readHeight = 0;
        std::uint8_t* pixels = CodecReadBmp(source.Rewound(), &readWidth, &readHeight, depth, palette.data(), 0);
        CheckDecodedImage(pixels, readWidth, readHeight, depth);
    }
    return 0;
}
