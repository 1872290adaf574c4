#pragma once
// PNG entry points of the codec layer: a header query (size, depth, colour type, interlacing, pHYs and
// the text chunks), a palette query, a reader at 1, 8, 24 or 32 bits per pixel and a writer, over
// libpng with its read and write functions going through the CodecIOHandle.
//
// All of them follow the common entry-point protocol ("codec/CodecEntry.h"): they never throw, leave
// the thread's last error (kCodecErrPng for anything libpng rejects) and hand pixel buffers to the
// caller as zero-filled global memory blocks, freed with platform::GlobalFree. libpng's messages go to
// the trace hook; nothing is printed.
//
// Metadata ("codec/PictureMetadata.h"): a read leaves the file's iCCP profile, eXIf block and XMP packet
// (iTXt "XML:com.adobe.xmp") in the thread's state; a write embeds the metadata set for writing: the
// profile as iCCP when libpng accepts it for the picture, the Exif block rewritten for the written size
// as eXIf, the XMP packet as iTXt.

#include "codec/CodecDpiInfo.h"
#include "codec/CodecIO.h"

#include <cstdint>

// Reader flag: correct the picture's gamma for a display of gamma 2.2 (files without gAMA are left alone).
inline constexpr int kPngReadGammaCorrect = 1;
// Writer flags.
inline constexpr int kPngWriteInterlaced = 1;        // Adam7
inline constexpr int kPngWriteTransparency = 2;      // tRNS from the palette entries' fourth bytes

// IHDR bit depth per sample, colour type (0, 2, 3, 4, 6) and interlace method; pHYs pixels per unit
// (unit 0 unknown, 1 metre; zeros without pHYs). The file's text chunks go to the thread state
// (png.textsRead). 1 on success.
int CodecGetPngDimensions(CodecIOHandle* source, int* width, int* height, int* bitDepth, int* colourType,
                          int* interlaceMethod, CodecDpiInfo* dpi);
// The PLTE entries as blue, green, red, 255 with count = their number; for grey files (colour type 0) a
// ramp of 2^depth entries (at most 256). The rest of the 256 entries are copies of entry 0. Files of
// other colour types give count 0 and leave the palette alone. 1 on success.
int CodecGetPngPalette(CodecIOHandle* source, int* count, std::uint8_t* palette);
// 24: every file, alpha composited over bKGD or the thread's background colour; 32: red, green, blue,
// alpha; 8: palette and grey files of up to 8 bits (16-bit grey is reduced), palette filled; 1: 1-bit
// palette and grey files. 16-bit samples are reduced to 8 bits.
std::uint8_t* CodecReadPng(CodecIOHandle* source, int* width, int* height, int bitsPerPixel, std::uint8_t* palette,
                           int flags);
// Empties the text chunks written with later PNGs on this thread. Returns 1.
int CodecClearPngText();
// Writes rows of `stride` bytes in the PNG sample layout of bitDepth and colourType. With paletteCount
// 1..256 the palette's entries become PLTE. Every file gets tIME (now, UTC) and pHYs; gAMA when gamma > 0.
// Returns the sink's size after writing, 0 on failure.
std::int64_t CodecWritePng(CodecIOHandle* sink, const std::uint8_t* pixels, int width, int height, int stride,
                           int bitDepth, int paletteCount, const std::uint8_t* palette, int colourType, double gamma,
                           const CodecDpiInfo* dpi, int flags);
