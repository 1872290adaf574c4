#pragma once
// CTentResampler: the separable triangle-filter resampler for 24-bit pixel buffers.
//
// It converts D1 video frames between non-square and square pixels: a horizontal pass (StretchRows)
// and a vertical pass (StretchColumns), each a weighted sum over a tent filter that widens when the
// picture shrinks. It holds no state; the caller owns every buffer and provides the scratch buffer
// between the two passes. Buffers are three bytes per pixel, rows packed.

#include <cstdint>
#include <vector>

class CTentResampler {
public:
    // Weights of one output sample over source samples left..right (inclusive).
    struct Contribution {
        std::int32_t left = 0;
        std::int32_t right = 0;
        const double* weights = nullptr;  // maxTaps entries, of which right - left + 1 are used
    };
    // The contribution table of one pass: built once and shared by every row or column.
    struct ContributionTable {
        std::int32_t maxTaps = 0;
        std::int32_t count = 0;
        std::vector<Contribution> entries;
        std::vector<double> weightStore;
    };

    virtual ~CTentResampler() = default;

    // Resamples each of the first `rows` rows from srcWidth to dstWidth pixels.
    void StretchRows(const std::uint8_t* src, int srcWidth, int srcHeight, std::uint8_t* dst, int dstWidth, int rows) const;
    // Resamples each column from srcHeight to dstHeight pixels; dstWidth columns of row length dstWidth.
    void StretchColumns(const std::uint8_t* src, int srcWidth, int srcHeight, std::uint8_t* dst, int dstWidth,
                        int dstHeight) const;

    // The weights of `count` output samples over `srcSize` source samples, scale = count / srcSize.
    static ContributionTable BuildContributions(int count, int srcSize, double scale);
};
