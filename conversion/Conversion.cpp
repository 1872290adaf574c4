#include "conversion/Conversion.h"

#include "codec/formats/JpegCoder.h"
#include "codec/pixels/UnsharpMask.h"
#include "conversion/ConversionObserver.h"
#include "conversion/SmartStretch.h"
#include "image/TentResampler.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <limits>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
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

// Records a loaded source's size in `settings`; true for a 24-bit D1 frame (720 x 480 or 720 x 576),
// whose pixels are not square.
bool NoteSourceSize(ConversionSettings& settings, std::uint32_t width, std::uint32_t height, int bitsPerPixel)
{
    settings.sourceWidth = static_cast<std::int32_t>(width);
    settings.sourceHeight = static_cast<std::int32_t>(height);
    settings.sourceNonSquare = bitsPerPixel == 24 && width == 720 && (height == 480 || height == 576) ? 1 : 0;
    return settings.sourceNonSquare != 0;
}

// The part of a width x height source that is stretched: the crop window (from ComputeCropRect), except
// at ratio 0 in direction 0, where the whole picture is stretched while the crop window is still shown,
// and for a crop window with nothing inside the picture.
PixelRect StretchedWindow(const ConversionSettings& settings, std::uint32_t width, std::uint32_t height)
{
    PixelRect window{0, 0, static_cast<std::int32_t>(width), static_cast<std::int32_t>(height)};
    const bool crop = settings.ToFourThree() || settings.stretchCropRatio >= 1;
    if (PixelRect clipped = settings.cropRect; crop && CRasterImage::ClipToSize(clipped, width, height)) window = clipped;
    return window;
}

}  // namespace

// The stretch of a JPEG's crop window made while the JPEG decodes, as the decoder's row observer: the
// first rows start it on a thread of its own, which reads each source row once the decoder has
// delivered it; the end of the decode waits for it, so it never reads pixels the decoder has let go.
class CArrivingStretch final : public CodecJpegRowObserver {
public:
    explicit CArrivingStretch(const ConversionSettings& settings) : settings_(settings) {}
    ~CArrivingStretch() { DecodeEnded(); }
    CArrivingStretch(const CArrivingStretch&) = delete;
    CArrivingStretch& operator=(const CArrivingStretch&) = delete;

    void RowsDecoded(const std::uint8_t* pixels, int width, int height, int rowsDone) override
    {
        // Waiters are woken only once the rows the first of them waits for are there.
        rowsDone_ = rowsDone;
        if (rowsDone >= rowsWanted_) {
            const std::lock_guard<std::mutex> lock(lock_);
            rowsWanted_ = kNoneWanted;
            rowsArrived_.notify_all();
        }
        if (started_) return;
        started_ = true;
        pixels_ = pixels;
        width_ = width;
        height_ = height;
        // The same settings as the update will have once the source is in; a D1 frame is resized
        // before it is stretched, so it is left to the update.
        if (NoteSourceSize(settings_, static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), 24)) return;
        settings_.ComputeCropRect(width, height);
        window_ = StretchedWindow(settings_, static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height));
        geometry_ = settings_.ComputeOutputSize();
        try {
            stretcher_ = std::thread([this] {
                result_ = StretchArrivingWindow(pixels_, width_, height_, window_, geometry_.width, geometry_.height,
                                                geometry_.mode, settings_, stretched_, [this](int rows) { return WaitForRows(rows); });
            });
        } catch (const std::system_error&) {
            // Without a thread the update stretches the source once it is in.
        }
    }

    void DecodeEnded() override
    {
        {
            const std::lock_guard<std::mutex> lock(lock_);
            ended_ = true;
        }
        rowsArrived_.notify_all();
        if (stretcher_.joinable()) stretcher_.join();
    }

    // The stretch, when it was made from these very pixels, window and output size.
    bool TakeResult(const CRasterImage& source, const PixelRect& window, const OutputGeometry& geometry, CRasterImage& target)
    {
        DecodeEnded();
        if (result_ != StretchResult::Stretched || source.Pixels() != pixels_ || source.bitsPerPixel != 24 ||
            std::int64_t{source.width} != width_ || std::int64_t{source.height} != height_ || !(window == window_) ||
            !(geometry == geometry_))
            return false;
        return target.TakeOver(stretched_) == kImageOk;
    }

private:
    bool WaitForRows(int rows)
    {
        if (rowsDone_ >= rows) return true;
        std::unique_lock<std::mutex> lock(lock_);
        // Woken a batch of rows later, not for every row: each wake-up then has work for a while.
        const int wakeAt = std::min(rows + kRowsPerWake, height_);
        while (rowsDone_ < rows && !ended_) {
            rowsWanted_ = std::min(rowsWanted_.load(), wakeAt);
            rowsArrived_.wait(lock);
        }
        return rowsDone_ >= rows;
    }

    ConversionSettings settings_;
    bool started_ = false;
    const std::uint8_t* pixels_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    PixelRect window_;
    OutputGeometry geometry_;
    std::thread stretcher_;
    StretchResult result_ = StretchResult::NoPixels;
    CRasterImage stretched_;

    // The decoder publishes its rows and wakes the waiters once the row they asked to be woken at is
    // there; a request it read too late is met at a later row or at the end of the decode, which is
    // announced under the lock and so reaches every waiter.
    static constexpr int kNoneWanted = std::numeric_limits<int>::max();
    static constexpr int kRowsPerWake = 128;
    std::atomic<int> rowsDone_{0};
    std::atomic<int> rowsWanted_{kNoneWanted};
    std::mutex lock_;
    std::condition_variable rowsArrived_;
    bool ended_ = false;   // under lock_
};

bool CConversion::UpdateConversion(bool panOnly)
{
    return UpdateConversion(panOnly, nullptr);
}

bool CConversion::UpdateConversion(bool panOnly, CArrivingStretch* arrived)
{
    if (!source.HasPixels()) return false;
    settings.ComputeCropRect(static_cast<std::int32_t>(source.width), static_cast<std::int32_t>(source.height));
    if (observer_ != nullptr) observer_->UpdateSourceRegion();
    if (panOnly) return true;

    const PixelRect window = StretchedWindow(settings, source.width, source.height);
    const OutputGeometry geometry = settings.ComputeOutputSize();
    // The stretch reads the crop window where it lies in the source: no full-size copy is made.
    CRasterImage stretched;
    const StretchResult result = arrived != nullptr && arrived->TakeResult(source, window, geometry, stretched)
                                     ? StretchResult::Stretched
                                     : StretchWindow(source, window, geometry.width, geometry.height, geometry.mode,
                                                     settings, stretched, busy_);
    switch (result) {
    case StretchResult::Stretched: output.TakeOver(stretched); break;
    case StretchResult::OutOfMemory: output.FreePixels(); return false;
    default:
        // A picture the stretch does not take (not 24 bits, no output size) becomes the output as cropped.
        if (output.CopyFrom(source) != kImageOk) return false;
        output.Crop(window);
        break;
    }
    if (settings.sharpenAmount >= 1 && settings.sharpenOn != 0) SharpenOutput(settings.sharpenAmount * 0.01);
    // The output is the source's photograph in the source's colour space: every file written from it
    // carries the source's profile, Exif and XMP.
    output.metadata = source.metadata;

    if (observer_ != nullptr) observer_->UpdateOutputPreview();
    if (viewsChanged_) viewsChanged_();
    return true;
}

int CConversion::LoadAndConvert(const char* path, bool& converted)
{
    converted = false;
    CArrivingStretch arriving(settings);
    CodecSetJpegRowObserver(&arriving);
    const int status = source.Load(path);
    CodecSetJpegRowObserver(nullptr);
    if (status != kImageOk) return status;
    NormalizeNonSquareSource();
    // The rows the decoder delivered were the stored ones: a source turned upright since is stretched
    // anew.
    const bool turned = source.autoOrient && source.storedOrientation > 1;
    converted = UpdateConversion(false, turned ? nullptr : &arriving);
    return status;
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
    if (!NoteSourceSize(settings, source.width, source.height, source.bitsPerPixel)) return;
    TentResize(source, settings.ToFourThree() ? 960 : 720, 540);
}

void CConversion::ApplyOutputFormat()
{
    // An own frame is square-pixel: it is written as shown.
    if (settings.HasOwnFrame()) return;
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
