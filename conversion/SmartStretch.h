#pragma once
// The smart stretch: resamples a 24-bit picture to the output size, rows uniformly and columns by one
// of six mappings (uniform, or one region kept undistorted while the added width is taken up by the
// rest), sampling every output pixel bicubically at its exact source position.

#include "conversion/ConversionSettings.h"
#include "image/PixelRect.h"

#include <cstdint>
#include <functional>
#include <vector>

class CBusyIndicator;
class CRasterImage;

enum class StretchResult {
    Stretched,
    NoPixels,          // the image was empty; nothing changed
    UnsupportedDepth,  // only 24-bit pictures are stretched; the image is unchanged
    InvalidSize,       // the output size is not positive; the image is unchanged
    OutOfMemory,       // the result could not be allocated; the image is unchanged
    SourceIncomplete,  // an arriving source ended before the rows the stretch needs were there
};

// The split point the stretch uses: 0.5 while the split is off, otherwise the position (at most 1).
double EffectiveSplit(const ConversionSettings& settings);

// The source column (fractional) that each output column samples, for a W x H picture stretched to
// OW x OH in `mode` with split point `split`.
std::vector<double> StretchColumnPositions(int sourceWidth, int sourceHeight, int outputWidth, int outputHeight,
                                           int mode, double split);

// Replaces the pixels of `image` with the picture stretched to outputWidth x outputHeight. The split point
// comes from `settings`; `busy`, when given, is held busy while it runs.
StretchResult SmartStretch(int outputWidth, int outputHeight, CRasterImage& image, int mode,
                           const ConversionSettings& settings, CBusyIndicator* busy = nullptr);

// The stretch of the `window` of `source` (corners in either order, clipped to the picture), read where
// it lies: `target` becomes the outputWidth x outputHeight result, with no palette and no resolution.
// `source` is not changed and `target` is left as it was unless the result is Stretched; `target` may be
// `source` itself. Rows are split over the worker threads (platform/WorkerThreads.h).
StretchResult StretchWindow(const CRasterImage& source, PixelRect window, int outputWidth, int outputHeight, int mode,
                            const ConversionSettings& settings, CRasterImage& target, CBusyIndicator* busy = nullptr);

// Waits until the first `rows` rows of a picture that is still arriving are there; false when they will
// not come. Called from the stretch's worker threads.
using ArrivingRows = std::function<bool(int rows)>;

// StretchWindow over a sourceWidth x sourceHeight 24-bit picture at `pixels` (packed rows, top first)
// that is still arriving: each source row is read only once `arrived` said it is there. The result is
// the same, byte for byte, as StretchWindow's once the whole picture is in.
StretchResult StretchArrivingWindow(const std::uint8_t* pixels, int sourceWidth, int sourceHeight, PixelRect window,
                                    int outputWidth, int outputHeight, int mode, const ConversionSettings& settings,
                                    CRasterImage& target, const ArrivingRows& arrived);

// One channel value at (x, y) by cubic convolution (parameter -1) over the four columns xIndex and the
// four rows yIndex. Pixel (i, j) of the channel is at plane + (j * width + i) * pixelStride.
std::uint8_t SampleBicubic(const std::uint8_t* plane, int width, int height, float x, float y,
                           const std::int32_t xIndex[4], const std::int32_t yIndex[4], int pixelStride);
