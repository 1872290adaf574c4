// Fuzz target of the WebP reader: the header query, then a read at 24 bits. Failure must mean no pixels
// and a code; success a block of exactly width x height x 3 bytes.

#include "codec/formats/WebpCoder.h"
#include "fuzz/DecodedImageCheck.h"
#include "fuzz/FuzzSource.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzSource source(data, size);
    int width = 0, height = 0, hasAlpha = 0, animated = 0;
    if (!CodecGetWebpDimensions(source.Handle(), &width, &height, &hasAlpha, &animated)) return 0;
    if (std::int64_t{width} * height > kFuzzMaxPixels) return 0;
    std::uint8_t* pixels = CodecReadWebp(source.Rewound(), &width, &height, 0);
    CheckDecodedImage(pixels, width, height, 24);
    return 0;
}
