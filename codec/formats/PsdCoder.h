#pragma once
// The PSD coder: reads the merged image of a layered or flat PSD file and writes flat 8-bit files.
//
// Layers are never decoded: the reader skips the layer and mask section and reads only the image data
// at the end of the file. Files of depth 1, 8 and 16 are read (16-bit samples reduced to 8 bits, PackBits
// rows only at depth 8); colour modes bitmap, grey, indexed, RGB, CMYK and duotone. Buffers returned are
// zero-filled global memory blocks the caller frees with platform::GlobalFree. The queries read from the
// handle's current position, so the caller seeks to 0 first. The reader leaves the ICC profile of
// image resource 1039 in the thread's read metadata ("codec/PictureMetadata.h"); the writer embeds the
// profile of the thread's write metadata as that resource.

#include "codec/CodecDpiInfo.h"
#include "codec/CodecIO.h"

#include <cstdint>

// Colour modes as the header stores them.
inline constexpr int kPsdModeBitmap = 0;
inline constexpr int kPsdModeGrey = 1;
inline constexpr int kPsdModeIndexed = 2;
inline constexpr int kPsdModeRgb = 3;
inline constexpr int kPsdModeCmyk = 4;
inline constexpr int kPsdModeDuotone = 8;

// CodecReadPsd flag: a CMYK file read at 32 bits is delivered as C, M, Y, K without conversion.
inline constexpr int kPsdReadCmyk = 4;

// ResolutionInfo units reported in CodecDpiInfo::unit: 1 pixels per inch, 2 pixels per centimetre,
// as the file stores them; 0 when the file has no resolution resource.
inline constexpr int kPsdUnitPerInch = 1;
inline constexpr int kPsdUnitPerCentimetre = 2;

// Reads the header up to the image data. Nonzero on success; colourMode is the header's mode; `dpi`
// may be null and is otherwise filled from the ResolutionInfo resource (zeros when there is none).
int CodecGetPsdDimensions(CodecIOHandle* source, int* width, int* height, int* colourMode, CodecDpiInfo* dpi);
// The 256-entry palette (blue, green, red, reserved) of a bitmap, grey, indexed or duotone file of depth
// 1 or 8; count becomes 256. Nonzero on success.
int CodecGetPsdPalette(CodecIOHandle* source, int* count, std::uint8_t* palette);
// bitsPerPixel 24: RGB. 8: palette indices, and the palette (required) is filled; for bitmap, grey,
// indexed and duotone files. 32 with kPsdReadCmyk: a CMYK file's channels as stored.
std::uint8_t* CodecReadPsd(CodecIOHandle* source, int* width, int* height, int bitsPerPixel, std::uint8_t* palette,
                           int flags);
// Writes a flat, uncompressed file: 8 bits indexed (palette required), 24 bits RGB or 32 bits CMYK.
// Returns the sink's total size in bytes, 0 on failure.
std::int64_t CodecWritePsd(CodecIOHandle* sink, const std::uint8_t* pixels, int width, int height, int bitsPerPixel,
                           const std::uint8_t* palette, int reserved);
