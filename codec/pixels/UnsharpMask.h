#pragma once
// Unsharp-mask sharpening: each selected channel is blurred with a Gaussian (two one-dimensional
// passes) and every sample is then pushed away from its blurred value by `amount` times the difference.

#include <array>
#include <cstdint>
#include <vector>

// Sharpens src into dst, both of width x height pixels of bytesPerPixel bytes. Channels c below
// bytesPerPixel whose bit c is set in channelMask are written; the others are left untouched in dst.
// A sample whose distance from its blurred value is not above threshold keeps its value.
// 1 on success; 0 with kCodecErrInvalidArgument for a missing or shared buffer, a side outside
// 1..kMaxSide, a pixel size below 1, a stride below its packed row, a radius that is not a
// positive number (or so wide that its kernel would outgrow any picture) or an amount that is not a
// finite number; kCodecErrOutOfMemory when the scratch planes cannot be had; kCodecErrCancelled when
// the progress callback stops it.
int CodecUnsharpMask(const std::uint8_t* src, int width, int height, int bytesPerPixel, int srcStride,
                     std::uint8_t* dst, int dstStride, unsigned threshold, double amount, double radius,
                     int channelMask);

namespace codec {

// Sharpened sample for every (blurred, source) pair of 8-bit values, at blurred * 256 + source.
using SharpeningTable = std::array<std::uint8_t, 65536>;

// The 2h + 1 weights of the Gaussian blur, h = ceil(2.5 x radius), tap k (k = -h..h) at index k + h,
// proportional to 2.71828^(-k^2 / (2 radius^2)) and scaled in 32-bit floats to sum to 1. The radius must
// be positive and the half-width within kMaxSide.
std::vector<float> GaussianKernel(double radius);

// Source o with blurred value b becomes o + trunc((o - b) x amount), limited to 0..255, when |o - b| is
// above the threshold, and stays o otherwise. The amount must be finite.
SharpeningTable BuildSharpeningTable(unsigned threshold, double amount);

}  // namespace codec
