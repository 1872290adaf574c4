#pragma once
// The Photo CD reader: one resolution of an image pack as 24-bit RGB.
//
// An image pack stores three base images uncompressed (Base/16 192 x 128, Base/4 384 x 256, Base
// 768 x 512) as luma at full and two chroma planes at half resolution. Resolutions 4 to 6 (4Base, 16Base
// and 64Base) are the Base image enlarged by sample doubling; the packs' Huffman-coded detail that would
// sharpen 4Base and 16Base is not decoded. The picture is turned as the pack's orientation byte says.
// The buffer returned is a zero-filled global memory block the caller frees with platform::GlobalFree.

#include "codec/CodecIO.h"

#include <cstdint>

// resolution: 1 Base/16, 2 Base/4, 3 Base, 4 4Base, 5 16Base, 6 64Base; below 1 reads 1, above 6 reads 6.
// width and height are those of the delivered, turned picture. flags: none are used.
std::uint8_t* CodecReadPcd(CodecIOHandle* source, int* width, int* height, int resolution, int flags);
