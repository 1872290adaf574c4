#pragma once
// Choosing a JPEG quality for a file size: encodes the picture in memory at a few qualities (never to
// disk) and keeps the highest whose file stays below the target.

#include <cstdint>
#include <string>

class CRasterImage;

// Told about each probe of a running search; may stop it early.
class CQualitySearchProgress {
public:
    virtual ~CQualitySearchProgress() = default;
    virtual void ShowProbe(int quality) = 0;
    // True once the person asked to stop: the search ends with the best quality found so far.
    virtual bool Cancelled() const = 0;
};

// Bytes of the JPEG file that `picture` (24 bits) would give at `quality`, written to a counting sink
// at 300 x 300 dots with no unit and the metadata a save would embed. Full chroma samples every component
// 1 x 1. 0 when it cannot be encoded.
std::int64_t ProbeJpegSize(const CRasterImage& picture, int quality, bool fullChroma);

// Bisection over low..high: the highest probed quality whose size stayed below `targetBytes` (an exact
// hit ends the search at once), or `low` when every probe was too large.
int SearchQuality(const CRasterImage& picture, bool fullChroma, int low, int high, std::int64_t targetBytes,
                  CQualitySearchProgress* progress);
// SearchQuality from `low` to 93, held to low..93 (99 when low is above 99, low itself from 93 on).
int SuggestQualityFrom(const CRasterImage& picture, bool fullChroma, std::int64_t targetBytes, int low,
                       CQualitySearchProgress* progress);
// The quality "Suggest Quality" proposes: one below the search's result from 60, so 59..92.
int SuggestQuality(const CRasterImage& picture, bool fullChroma, std::int64_t targetBytes,
                   CQualitySearchProgress* progress);

// "1.48 MB": divides by 1024 while above 1000, then bytes, KB, MB, GB or TB with `decimals` decimals.
std::string FormatByteSize(std::int64_t bytes, int decimals);
