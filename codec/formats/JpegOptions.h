#pragma once
// The Jpeg coder's per-thread options, held in CodecThreadState as `jpeg`. The Jpeg coder owns this
// header: its option entry points set these fields, its readers and writers read them, and they apply
// only to later calls on the same thread.

#include <array>
#include <cstdint>
#include <vector>

// One extra segment written after the headers of the next JPEG: its marker code (0xE0..0xEF for the
// application segments, 0xFE for a comment) and its payload.
struct CodecJpegMarker {
    int code = 0;
    std::vector<std::uint8_t> payload;
};

class CodecJpegRowObserver;

struct CodecJpegOptions {
    static constexpr int kMaxComponents = 10;

    // Reduced-size decoding: the output is scaleNumerator / scaleDenominator of the stored size,
    // rounded up to what the decoder offers (1/8 steps).
    unsigned scaleNumerator = 1;
    unsigned scaleDenominator = 1;
    // When enabled, every component of a written file gets these factors (1..4); otherwise the
    // encoder's defaults apply (2 x 2 luminance in colour files).
    bool samplingFactorsEnabled = false;
    std::array<int, kMaxComponents> horizontalSampling{1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    std::array<int, kMaxComponents> verticalSampling{1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    std::vector<CodecJpegMarker> outputMarkers;
    int dctMethod = 0;        // 0 the decoder's default, 1 integer slow, 2 integer fast, 3 floating point
    int smoothingFactor = 0;  // 0..100, encoder input smoothing
    CodecJpegRowObserver* rowObserver = nullptr;   // told of the rows of 24-bit decodes as they come
};
