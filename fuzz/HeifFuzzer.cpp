// Fuzz target of the HEIC and AVIF reader (one target: both are ISO files that libheif reads): the header
// query, then a read at 24 bits. Failure must mean no pixels and a code; success a block of exactly
// width x height x 3 bytes.

#include "codec/formats/HeifCoder.h"
#include "fuzz/DecodedImageCheck.h"
#include "fuzz/FuzzSource.h"

#include <cstdint>

// libheif's glue to the dav1d AV1 decoder loses the coded data (some 40 bytes) of a picture dav1d refuses;
// the leak is the library's, not this program's, so the leak checker of sanitizer builds is told to
// pass over it.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libdav1d\n";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzSource source(data, size);
    int width = 0, height = 0, bitDepth = 0, hasAlpha = 0;
    if (!CodecGetHeifDimensions(source.Handle(), &width, &height, &bitDepth, &hasAlpha)) return 0;
    if (std::int64_t{width} * height > kFuzzMaxPixels) return 0;
    std::uint8_t* pixels = CodecReadHeif(source.Rewound(), &width, &height, 0);
    CheckDecodedImage(pixels, width, height, 24);
    return 0;
}
