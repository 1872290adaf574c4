#pragma once
// HEIC and AVIF entry points of the codec layer: a header query and a reader at 24 bits of the file's
// primary image, over libheif with the decoders Debian builds it with (HEVC for HEIC, AV1 for AVIF). The
// whole file is taken into memory (at most kMaxEncodedBytes).
//
// All of them follow the common entry-point protocol ("codec/CodecEntry.h"): they never throw and leave
// the thread's last error: kCodecErrHeif for data libheif cannot decode, kCodecErrReadFailed for a file
// that ends early, kCodecErrOutOfMemory for a picture over the pixel budget, and kCodecErrUnsupportedFormat
// when no installed decoder takes the image's compression. Pixel buffers are zero-filled global memory
// blocks, freed with platform::GlobalFree.

#include "codec/CodecIO.h"

#include <cstdint>

// The primary image's width and height as shown (after the rotation the file asks for), the bits per
// sample of its brightness, and whether it has an alpha image. 1 on success.
int CodecGetHeifDimensions(CodecIOHandle* source, int* width, int* height, int* bitDepth, int* hasAlpha);
// Red, green, blue rows, top first, of the primary image with its rotation and mirroring applied, deeper
// samples reduced to 8 bits and alpha composited over white. The size passes the pixel budget before
// anything is decoded. No flags are defined.
std::uint8_t* CodecReadHeif(CodecIOHandle* source, int* width, int* height, int flags);
