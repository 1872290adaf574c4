#pragma once
// JPEG entry points of the codec layer: a header query, a decoder with reduced-size decoding, an encoder
// with quality, progressive and per-component sampling options, and the per-thread options behind them.
//
// All of them follow the common entry-point protocol ("codec/CodecEntry.h"): they never throw, leave the
// thread's last error (kCodecErrJpegDecode for any decoding failure, kCodecErrWriteFailed for any encoding
// failure) and hand pixel buffers to the caller as zero-filled global memory blocks, freed with
// platform::GlobalFree. Reading and writing go through the CodecIOHandle, so a counting sink measures a
// JPEG without storing it.
//
// Metadata ("codec/PictureMetadata.h"): a read leaves the file's Exif block, XMP packet and ICC profile
// in the thread's state; a write embeds the metadata set for writing, the Exif block rewritten for the
// written size, ahead of the extra segments of CodecJpegOptions::outputMarkers.

#include "codec/CodecDpiInfo.h"
#include "codec/CodecIO.h"

#include <cstdint>

// Reader flags.
inline constexpr int kJpegReadCmykAsStored = 1;   // CMYK and YCCK files come out at 32 bits as stored
inline constexpr int kJpegReadRawYcc = 4;         // YCbCr files come out as YCbCr, not converted to RGB
// Writer flags.
inline constexpr int kJpegWriteProgressive = 1;
inline constexpr int kJpegWriteYcck = 2;          // 32-bit input is YCCK, not CMYK
inline constexpr int kJpegWriteYcc = 4;           // 24-bit input is YCbCr, not RGB
inline constexpr int kJpegWriteNoJfif = 8;        // no JFIF header segment

// Width and height of the frame, 8 x the output components (8 grey, 24 colour, 32 CMYK or YCCK) and the
// JFIF density (unit 0 none, 1 per inch, 2 per centimetre; zeros without JFIF). 1 on success.
int CodecGetJpegDimensions(CodecIOHandle* source, int* width, int* height, int* bitsPerPixel, CodecDpiInfo* dpi);
// Decodes at the thread's decode scale into rows of 8, 24 or 32 bits; width and height receive the
// output size. Grey files may be read at 8 or 24 bits, colour files at 24, CMYK files at 24 (red =
// C x K / 255 on the stored values) or, with kJpegReadCmykAsStored, at 32.
std::uint8_t* CodecReadJpeg(CodecIOHandle* source, int* width, int* height, int bitsPerPixel, int flags);
// Encodes packed rows of 8 (grey), 24 (RGB) or 32 (CMYK) bits at quality 0..100 with baseline tables.
// Returns the sink's size after writing, 0 on failure.
std::int64_t CodecWriteJpeg(CodecIOHandle* sink, const std::uint8_t* pixels, int width, int height, int quality,
                            int bitsPerPixel, const CodecDpiInfo* dpi, int flags);
// Scale of later decodes on this thread (1, 8: an eighth of each side). Values below 1 count as 1.
int CodecSetJpegDecodeScale(int numerator, int denominator);
// Watches this thread's 24-bit JPEG decodes row by row, so a caller can work on the rows already decoded
// while the rest decode (on another thread: the calls come from the decoding one).
class CodecJpegRowObserver {
public:
    // Rows 0..rowsDone-1 of the width x height picture at `pixels` (packed 24-bit rows, top row first)
    // are decoded and stay as they are.
    virtual void RowsDecoded(const std::uint8_t* pixels, int width, int height, int rowsDone) = 0;
    // The decode is over, whether it succeeded or not. Once this returns, the pixels are handed to the
    // caller or freed: nothing may read them through the pointer given to RowsDecoded any more.
    virtual void DecodeEnded() = 0;

protected:
    ~CodecJpegRowObserver() = default;
};
// The observer of later 24-bit decodes on this thread; null for none. Returns 1.
int CodecSetJpegRowObserver(CodecJpegRowObserver* observer);
// Ten horizontal and ten vertical factors, one per component, each clamped to 1..4, used by later writes
// on this thread; either pointer null returns to the encoder's defaults.
int CodecSetJpegSamplingFactors(const unsigned* horizontal, const unsigned* vertical);
// Empties the list of extra segments written with the next JPEG. Returns 1.
int CodecClearJpegOutputMarkers();
