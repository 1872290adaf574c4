#include "conversion/ConversionSettings.h"

using namespace geometry;

namespace {

std::int32_t Trunc(double value)
{
    return static_cast<std::int32_t>(value);
}

// Width / height of the crop window in direction 0: from 4:3 (pure stretch) to 16:9 (pure crop).
double CropShape(std::int32_t stretchCropRatio)
{
    if (stretchCropRatio == 0) return kShape4x3;
    if (stretchCropRatio == 100) return kShape16x9;
    return stretchCropRatio * kPercent * kSpan + kShape4x3;
}

}  // namespace

void ConversionSettings::ComputeCropRect(std::int32_t w, std::int32_t h)
{
    std::int32_t cropWidth = w;
    std::int32_t cropHeight = 0;
    if (!ToFourThree()) {
        const double shape = CropShape(stretchCropRatio);
        cropHeight = Trunc(w / shape);
        if (cropHeight > h) {
            cropHeight = h;
            cropWidth = Trunc(h * shape);
        }
    } else {
        cropHeight = Trunc(w * kShape3x4);
        if (cropHeight > h) {
            cropHeight = h;
            cropWidth = Trunc(h * kShape4x3);
        }
    }
    const std::int32_t left = w > cropWidth ? Trunc((w - cropWidth) * panX) : 0;
    const std::int32_t top = h > cropHeight ? Trunc((h - cropHeight) * panY) : 0;
    cropRect = {left, top, left + cropWidth, top + cropHeight};
}

OutputGeometry ConversionSettings::ComputeOutputSize() const
{
    const std::int32_t cropHeight = cropRect.bottom - cropRect.top;
    const bool original = outputFormat == static_cast<std::int32_t>(OutputFormat::Original);
    if (!ToFourThree()) {
        if (original) return {Trunc(cropHeight * kShape16x9), cropHeight, stretchMode};
        return {960, 540, stretchMode};
    }
    if (original) return {Trunc(cropHeight * kShape4x3), cropHeight, stretchMode};
    return {720, 540, static_cast<std::int32_t>(StretchMode::Uniform)};
}

void ConversionSettings::ResetSplitPoint()
{
    splitPosition = 0.5;
    splitOn = 0;
}
