#pragma once
// The straightforward evaluation of the conversion, kept as the reference the fast engine must match
// byte for byte: every output pixel of the smart stretch sampled on its own with its sixteen taps per
// channel, and the unsharp mask run one channel and one tap at a time. Used only by the tests.

#include "conversion/ConversionSettings.h"

#include <cstdint>
#include <vector>

class CRasterImage;

struct OraclePicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;  // 24 bits, rows packed
};

// The 24-bit picture of width x height (rows `stride` bytes apart) stretched to outputWidth x outputHeight.
OraclePicture OracleStretch(const std::uint8_t* pixels, int width, int height, int stride, int outputWidth,
                            int outputHeight, int mode, double split);

// Sharpens `picture` in place: Gaussian of `radius`, threshold 0, all three channels.
void OracleSharpen(OraclePicture& picture, double amount, double radius);

// The whole full update of a 24-bit source: crop window, stretch to the output size, optional sharpening.
OraclePicture OracleConversion(const CRasterImage& source, ConversionSettings settings);
