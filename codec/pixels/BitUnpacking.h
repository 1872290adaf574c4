#pragma once
// Unpacking of packed samples (1 to 8 bits each) into one byte per sample.

#include <cstdint>

// Reads rows x samplesPerRow values of bitsPerSample bits from one continuous bit stream, most
// significant bit first and rows not padded, and writes each value (0 .. 2^bits - 1) as one byte of dst.
// 1 on success; 0 with kCodecErrInvalidArgument for a missing buffer, a negative count or a sample size
// outside 1..8; 0 with kCodecErrCancelled when the progress callback stops it.
int CodecUnpackBits(const std::uint8_t* src, int samplesPerRow, int rows, int bitsPerSample, std::uint8_t* dst);
