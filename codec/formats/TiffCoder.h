#pragma once
// TIFF entry points of the codec layer: a dimension query by page, a reader at 1, 8, 24 or 32 bits per
// pixel and a writer, over libtiff opened on the CodecIOHandle through client procedures.
//
// All of them follow the common entry-point protocol ("codec/CodecEntry.h"): they never throw, leave
// the thread's last error (kCodecErrTiff for a file libtiff cannot open or decode) and hand pixel
// buffers to the caller as zero-filled global memory blocks, freed with platform::GlobalFree. libtiff's
// errors and warnings are kept per open file and go to the trace hook; nothing is printed.
//
// Metadata ("codec/PictureMetadata.h"): a successful read leaves the page's Orientation tag (as stored),
// ICC profile, XMP packet and Exif tags (gathered into an Exif block, "TiffExif.h") in the thread's read
// metadata; the writer embeds the profile, packet and Exif tags of the thread's write metadata.

#include "codec/CodecDpiInfo.h"
#include "codec/CodecIO.h"

#include <cstdint>

// Reader flag: deliver the rows as stored, whatever the Orientation tag says.
inline constexpr int kTiffReadIgnoreOrientation = 1;
// Writer flags.
inline constexpr int kTiffWriteGrey = 2;          // 4 and 8 bits: min-is-black grey, no ColorMap
inline constexpr int kTiffWriteCmyk = 4;          // 32 bits: separated CMYK, not RGB with alpha
inline constexpr int kTiffWriteMinIsBlack = 8;    // 1 bit: a set bit is white
inline constexpr int kTiffWritePredictor = 16;    // horizontal differencing with LZW and Deflate

// ImageWidth, ImageLength and SamplesPerPixel x BitsPerSample of directory `page`; the resolution as
// XResolution, YResolution (truncated) and ResolutionUnit (1 none, 2 inch, 3 centimetre). 1 on success.
int CodecGetTiffDimensions(CodecIOHandle* source, int page, int* width, int* height, int* bitsPerPixel,
                           CodecDpiInfo* dpi);
// 24 and 32: any picture libtiff's RGBA interface converts (32 keeps alpha). 8: palette and grey files,
// palette filled by Photometric. 1: bilevel files, packed, a set bit black. Rows come in display order
// (the Orientation tag applied; width and height swap for orientations 5 to 8).
std::uint8_t* CodecReadTiff(CodecIOHandle* source, int* width, int* height, int bitsPerPixel, std::uint8_t* palette,
                            int page, int flags);
// Writes one page of packed rows at 1, 4, 8 (palette), 24 (RGB) or 32 (RGB + alpha, or CMYK) bits with
// the given Compression tag value. Returns the sink's size after writing, 0 on failure.
std::int64_t CodecWriteTiff(CodecIOHandle* sink, const std::uint8_t* pixels, int width, int height, int bitsPerPixel,
                            const std::uint8_t* palette, int compression, const CodecDpiInfo* dpi, int flags);
