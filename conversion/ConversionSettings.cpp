#include "conversion/ConversionSettings.h"

#include <cmath>

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

struct FrameSize {
    std::int32_t width;
    std::int32_t height;
};

// The square-pixel frame of each output format for a 16:9 and for a 4:3 picture. The D1 formats show
// and stretch at the WYSIWYG size and are squeezed only when saved; Original has no fixed frame.
struct FormatFrames {
    FrameSize wide;
    FrameSize narrow;
};
constexpr FormatFrames kFormatFrames[kOutputFormatCount] = {
    {{960, 540}, {720, 540}},    {{960, 540}, {720, 540}},    {{960, 540}, {720, 540}},
    {{0, 0}, {0, 0}},            {{1920, 1080}, {1440, 1080}}, {{3840, 2160}, {2880, 2160}},
};

// Width / height of the converted picture.
double PictureShape(const ConversionSettings& settings)
{
    return settings.ToFourThree() ? kShape4x3 : kShape16x9;
}

// The frames of `outputFormat`; an unknown value (a stored setting from elsewhere) gets WYSIWYG's.
const FormatFrames& FramesOf(std::int32_t outputFormat)
{
    const bool known = outputFormat >= 0 && outputFormat < kOutputFormatCount;
    return kFormatFrames[known ? outputFormat : static_cast<std::int32_t>(OutputFormat::Wysiwyg)];
}

}  // namespace

void ConversionSettings::ChooseOutputFormat(std::int32_t format)
{
    outputFormat = format;
    frameWidth = 0;
    frameHeight = 0;
}

void ConversionSettings::ChooseOwnFrame(std::int32_t width, std::int32_t height)
{
    outputFormat = static_cast<std::int32_t>(OutputFormat::Wysiwyg);
    frameWidth = width;
    frameHeight = height;
}

bool ConversionSettings::OwnFrameFitsShape() const
{
    return !HasOwnFrame() || std::abs(frameWidth - frameHeight * PictureShape(*this)) < 1.0;
}

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
    if (!HasOwnFrame() && outputFormat == static_cast<std::int32_t>(OutputFormat::Original))
        return {Trunc(cropHeight * PictureShape(*this)), cropHeight, stretchMode};
    // Into a fixed frame a 16:9 picture is smart-stretched; a 4:3 one only changes scale, uniformly.
    const std::int32_t mode = ToFourThree() ? static_cast<std::int32_t>(StretchMode::Uniform) : stretchMode;
    if (HasOwnFrame()) {
        // A frame chosen for the other direction keeps its height and takes this picture's shape, so its
        // pixels stay square.
        const std::int32_t width = OwnFrameFitsShape() ? frameWidth : Trunc(frameHeight * PictureShape(*this));
        return {width, frameHeight, mode};
    }
    const FrameSize frame = ToFourThree() ? FramesOf(outputFormat).narrow : FramesOf(outputFormat).wide;
    return {frame.width, frame.height, mode};
}

void ConversionSettings::ResetSplitPoint()
{
    splitPosition = 0.5;
    splitOn = 0;
}
