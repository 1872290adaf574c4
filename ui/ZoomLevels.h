#pragma once
// CZoomLevels: the output picture at half, quarter, eighth and sixteenth size, and at one size between
// them, for drawing it zoomed out.
//
// Each level averages 2 x 2 pixels of the one above (a lone last row or column is averaged with itself),
// so a picture drawn smaller is smooth rather than sampled. A size between levels (Fit in Window) is
// area-averaged from the next larger level. Levels are made when first asked for and kept until Clear
// or until another picture (other pixels or another size) is asked about; a 6000 x 4000 picture is
// averaged once per conversion and zoom, not once per paint. Level 0 is the picture itself when it has
// 24 bits, else its 24-bit copy. The picture is not owned and must outlive the use of a level.

#include "image/RasterImage.h"

#include <memory>
#include <vector>

class CZoomLevels {
public:
    // The 24-bit picture at 1 / 2^level of its size (each side rounded up); null when memory runs short.
    const CRasterImage* Level(const CRasterImage& picture, int level);
    // The 24-bit picture at width x height, no larger than the picture; null when memory runs short.
    const CRasterImage* AtSize(const CRasterImage& picture, std::uint32_t width, std::uint32_t height);
    void Clear();

private:
    const std::uint8_t* pixels_ = nullptr;
    std::uint32_t width_ = 0;
    std::uint32_t height_ = 0;
    // levels_[0] is the 24-bit copy of a picture of another depth, empty for a 24-bit picture.
    std::vector<std::unique_ptr<CRasterImage>> levels_;
    // The last size asked for between levels.
    CRasterImage between_;
};
