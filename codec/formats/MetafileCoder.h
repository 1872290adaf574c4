#pragma once
// Windows metafiles: rendering enhanced and Windows (plain or placeable) metafiles to 24-bit pixels,
// and recording a picture as a metafile holding one device-independent bitmap.
//
// Playback itself is done by the platform's metafile player ("platform/MetafilePlayer.h"); this coder
// reads the file, decides the output size and checks it against the pixel budget before anything is
// drawn. Sizes are in pixels of the reference device, a 96-dpi screen.

#include "codec/CodecIO.h"

#include <cstdint>

// CodecReadMetafile flags.
inline constexpr int kCodecMetafileGivenSize = 0x01;    // render at size x by size y pixels
inline constexpr int kCodecMetafileScaleSize = 0x04;    // then scale the size by size x / 100, size y / 100
// CodecWriteWmf flags.
inline constexpr int kCodecWmfPlaceable = 0x01;         // begin with the 22-byte placeable header

// Renders the metafile at `path` over `background` (0x00BBGGRR) and returns its pixels as packed
// red-green-blue rows, top row first, with the size in *width and *height; null on failure.
std::uint8_t* CodecReadMetafile(const char* path, int* width, int* height, int sizeX, int sizeY,
                                std::uint32_t background, int flags);

// Write red-green-blue pixels (rows of width x 3 bytes, top row first) to `sink` and return the sink's
// size; 0 on failure.
std::int64_t CodecWriteWmf(CodecIOHandle* sink, const std::uint8_t* pixels, int width, int height, int flags);
std::int64_t CodecWriteEmf(CodecIOHandle* sink, const std::uint8_t* pixels, int width, int height, int reserved);
