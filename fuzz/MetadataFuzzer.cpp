// Fuzz target of the whole load of a photograph: arbitrary bytes detected and loaded through
// CRasterImage::LoadFrom as a JPEG, PNG or TIFF, with the metadata kept and the Orientation tag applied,
// then written back in the same format with that metadata embedded and loaded again. A load that
// succeeds must give a picture of its reported size, the metadata within the budget, and a written file
// that loads upright at the same size with the same colour profile (a PNG: the same or none).

#include "codec/CodecIO.h"
#include "codec/PictureMetadata.h"
#include "fuzz/FuzzSource.h"
#include "image/FileType.h"
#include "image/RasterImage.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

constexpr std::int64_t kFuzzMaxPixels = std::int64_t{1} << 20;   // speed only; the limits have unit tests

// The writer's type of a detected JPEG, PNG or TIFF; kFileUnknown for the other formats.
int PhotographWriterType(int detected)
{
    switch (detected) {
    case kFileJpeg: case kFileJpegGrey: return kFileJpeg;
    case kFilePng: case kFilePngPalette: case kFilePngMono: return kFilePng;
    case kFileTiff: case kFileTiffPalette: case kFileTiffMono: return kFileTiff;
    default: return kFileUnknown;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const FuzzSource source(data, size);
    if (source.Handle() == nullptr) return 0;
    const int detected = CRasterImage::DetectStreamType(source.Handle(), nullptr);
    const int writerType = PhotographWriterType(detected);
    if (writerType == kFileUnknown) return 0;

    CRasterImage picture;
    // Half the inputs keep the stored orientation, so both ways through the load are taken.
    picture.autoOrient = (size & 1) == 0;
    const int status = picture.LoadFrom(source.Rewound(), detected);
    if ((status == kImageOk) != picture.HasPixels()) __builtin_trap();
    if (status != kImageOk) return 0;
    if (picture.metadata != nullptr && picture.metadata->BlockBytes() > codec::kMaxMetadataBytes) __builtin_trap();
    if (picture.storedOrientation < 0 || picture.storedOrientation > 8) __builtin_trap();
    if (std::int64_t{picture.width} * picture.height > kFuzzMaxPixels) return 0;

    // Generously more than any of the three writers needs for this picture and its metadata.
    const std::uint64_t metadataBytes = picture.metadata != nullptr ? picture.metadata->BlockBytes() : 0;
    std::vector<std::uint8_t> file(std::uint64_t{picture.width} * picture.height * 6 + metadataBytes * 2 + (1u << 16));
    CodecIOHandle* sink = CodecOpenMemorySink(file.data(), file.size());
    if (sink == nullptr) __builtin_trap();
    const int saved = picture.SaveTo(sink, writerType);
    const std::int64_t written = CodecCloseSink(sink);
    if (saved != kImageOk || written <= 0) __builtin_trap();

    const FuzzSource writtenSource(file.data(), static_cast<std::size_t>(written));
    const int writtenType = CRasterImage::DetectStreamType(writtenSource.Handle(), nullptr);
    CRasterImage reloaded;
    if (reloaded.LoadFrom(writtenSource.Rewound(), writtenType) != kImageOk) __builtin_trap();
    if (reloaded.width != picture.width || reloaded.height != picture.height) __builtin_trap();
    // Written pictures are upright whatever the source's tag said.
    if (reloaded.storedOrientation > 1) __builtin_trap();
    // JPEG and TIFF carry a profile as bytes; the PNG writer leaves out one that libpng checks and refuses
    // (its reader only warns), so a PNG keeps the profile or none.
    const bool hadProfile = picture.metadata != nullptr && !picture.metadata->iccProfile.empty();
    const bool hasProfile = reloaded.metadata != nullptr && !reloaded.metadata->iccProfile.empty();
    if (hadProfile != hasProfile && (writerType != kFilePng || hasProfile)) __builtin_trap();
    if (hasProfile && reloaded.metadata->iccProfile != picture.metadata->iccProfile) __builtin_trap();
    return 0;
}
