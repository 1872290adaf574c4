#pragma once
// WebP entry points of the codec layer: a header query, a reader at 24 bits and a writer, lossy or
// lossless, over libwebp. The whole file is taken into memory (at most kMaxEncodedBytes) because libwebp
// decodes from one block.
//
// All of them follow the common entry-point protocol ("codec/CodecEntry.h"): they never throw, leave
// the thread's last error (kCodecErrWebp for anything libwebp rejects, kCodecErrReadFailed for a file
// that ends early) and hand pixel buffers to the caller as zero-filled global memory blocks, freed with
// platform::GlobalFree.

#include "codec/CodecIO.h"

#include <cstdint>

// Writer flag: lossless instead of lossy; the quality then sets how hard the encoder tries.
inline constexpr int kWebpWriteLossless = 1;

// The canvas's width and height, whether the file stores alpha and whether it is an animation.
// 1 on success.
int CodecGetWebpDimensions(CodecIOHandle* source, int* width, int* height, int* hasAlpha, int* animated);
// Red, green, blue rows, top first, of a lossy or lossless file, its alpha composited over white; of an
// animation, the first frame on its canvas. The canvas passes the pixel budget before anything is
// decoded. No flags are defined.
std::uint8_t* CodecReadWebp(CodecIOHandle* source, int* width, int* height, int flags);
// Writes red, green, blue rows of `stride` bytes at quality 0..100 (the JPEG writer's scale). Sides
// above 16383 are refused with kCodecErrUnsupportedLayout. Returns the sink's size after writing, 0 on
// failure.
std::int64_t CodecWriteWebp(CodecIOHandle* sink, const std::uint8_t* pixels, int width, int height, int stride,
                            int quality, int flags);
