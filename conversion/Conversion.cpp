#include "conversion/Conversion.h"

#include "codec/pixels/UnsharpMask.h"
#include "conversion/ConversionObserver.h"
#include "conversion/SmartStretch.h"
#include "image/TentResampler.h"

#include <algorithm>
#include <new>
#include <vector>

namespace {

constexpr double kSharpenRadius = 0.75;
constexpr int kAllChannels = 7;

// Resizes a 24-bit picture to `width` x `height` with the two tent passes, one scratch buffer between
// them, reading the picture where it lies. The picture is left as it was when memory runs short.
void TentResize(CRasterImage& picture, int width, int height)
{
    CRasterImage resized;
    if (resized.Create(width, height, 24) != kImageOk) return;
    std::vector<std::uint8_t> scratch;
    try {
        scratch.resize(static_cast<std::size_t>(width) * 3 * picture.height);
    } catch (const std::bad_alloc&) {
        return;
    }
    const CTentResampler resampler;
    const int pictureWidth = static_cast<int>(picture.width);
    const int pictureHeight = static_cast<int>(picture.height);
    resampler.StretchRows(picture.Pixels(), pictureWidth, pictureHeight, scratch.data(), width, pictureHeight);
    resampler.StretchColumns(scratch.data(), width, pictureHeight, resized.Pixels(), width, height);
    resized.CopyInfo(picture);
    picture.TakeOver(resized);
}

}  // namespace

bool CConversion::UpdateConversion(bool panOnly)
{
    if (!source.HasPixels()) return false;
    settings.ComputeCropRect(static_cast<std::int32_t>(source.width), static_cast<std::int32_t>(source.height));
    if (observer_ != nullptr) observer_->UpdateSourceRegion();
    if (panOnly) return true;

    // At ratio 0 in direction 0 the whole picture is stretched; the crop window is still shown. A crop
    // window with nothing inside the picture leaves the whole picture.
    PixelRect window{0, 0, static_cast<std::int32_t>(source.width), static_cast<std::int32_t>(source.height)};
    const bool crop = settings.ToFourThree() || settings.stretchCropRatio >= 1;
    if (PixelRect clipped = settings.cropRect; crop && source.ClipToPicture(clipped)) window = clipped;
    const OutputGeometry geometry = settings.ComputeOutputSize();
    // The stretch reads the crop window where it lies in the source: no full-size copy is made.
    CRasterImage stretched;
    switch (StretchWindow(source, window, geometry.width, geometry.height, geometry.mode, settings, stretched, busy_)) {
    case StretchResult::Stretched: output.TakeOver(stretched); break;
    case StretchResult::OutOfMemory: output.FreePixels(); return false;
    default:
        // A picture the stretch does not take (not 24 bits, no output size) becomes the output as cropped.
        if (output.CopyFrom(source) != kImageOk) return false;
        output.Crop(window);
        break;
    }
    if (settings.sharpenAmount >= 1 && settings.sharpenOn != 0) SharpenOutput(settings.sharpenAmount * 0.01);

    if (observer_ != nullptr) observer_->UpdateOutputPreview();
    if (viewsChanged_) viewsChanged_();
    return true;
}

void CConversion::PanCrop(double dx, double dy)
{
    settings.panX = std::clamp(settings.panX + dx, 0.0, 1.0);
    settings.panY = std::clamp(settings.panY + dy, 0.0, 1.0);
    UpdateConversion(true);
}

void CConversion::SharpenOutput(double amount)
{
    CRasterImage blurSource;
    if (output.bitsPerPixel != 24 || blurSource.CopyFrom(output) != kImageOk) return;
    const int width = static_cast<int>(output.width);
    CodecUnsharpMask(blurSource.Pixels(), width, static_cast<int>(output.height), 3, width * 3, output.Pixels(),
                     width * 3, 0, amount, kSharpenRadius, kAllChannels);
}

void CConversion::NormalizeNonSquareSource()
{
    // A 1-bit or palette picture is brought to 24 bits first, so every readable file converts.
    if (source.HasPixels() && source.bitsPerPixel != 24) {
        CRasterImage colour;
        if (source.ConvertTo24(colour) == kImageOk) source.TakeOver(colour);
    }
    settings.sourceWidth = static_cast<std::int32_t>(source.width);
    settings.sourceHeight = static_cast<std::int32_t>(source.height);
    settings.sourceNonSquare = 0;
    if (source.bitsPerPixel != 24 || source.width != 720 || (source.height != 480 && source.height != 576)) return;
    settings.sourceNonSquare = 1;
    TentResize(source, settings.ToFourThree() ? 960 : 720, 540);
}

void CConversion::ApplyOutputFormat()
{
    int frameHeight = 0;
    switch (static_cast<OutputFormat>(settings.outputFormat)) {
    case OutputFormat::NtscD1: frameHeight = 480; break;
    case OutputFormat::PalD1: frameHeight = 576; break;
    default: return;
    }
    if (output.HasPixels() && output.bitsPerPixel == 24) TentResize(output, 720, frameHeight);
}

void CConversion::SmartStretch(int outputWidth, int outputHeight, CRasterImage& image, int mode)
{
    ::SmartStretch(outputWidth, outputHeight, image, mode, settings, busy_);
}
