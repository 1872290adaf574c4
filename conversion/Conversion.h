#pragma once
// CConversion: keeps the output image in step with the source image and the conversion settings.
//
// It owns the source image as read, the converted output image and the settings, by value; the document
// owns one CConversion for its whole life and the command line makes one per file. Every settings change
// ends in UpdateConversion, which smart-stretches the crop window of the source (read where it lies) to
// the output size and sharpens it when asked; a pan-only update moves just the crop window. The output
// carries the source's metadata, so every file written from it embeds the source's profile, Exif and XMP. D1 video
// frames are brought to square pixels after loading (NormalizeNonSquareSource) and squeezed back into the
// D1 frame just before saving (ApplyOutputFormat). It never shows anything: the observer, the busy
// indicator and the views callback (all optional, none owned) are how the desktop program follows it.

#include "conversion/ConversionSettings.h"
#include "image/RasterImage.h"

#include <functional>

class CArrivingStretch;
class CBusyIndicator;
class CConversionObserver;

class CConversion {
public:
    CRasterImage source;
    CRasterImage output;
    ConversionSettings settings;

    void SetObserver(CConversionObserver* observer) { observer_ = observer; }
    void SetBusyIndicator(CBusyIndicator* busy) { busy_ = busy; }
    // Called at the end of every full update: the views repaint the output image.
    void SetViewsChanged(std::function<void()> viewsChanged) { viewsChanged_ = std::move(viewsChanged); }

    // Recomputes the crop window and, unless panOnly, rebuilds the output image. False when there is no
    // source or the output could not be built (out of memory); the output is then empty.
    bool UpdateConversion(bool panOnly);
    // Moves the crop window by a fraction of the spare width and height, kept within 0..1, and runs the
    // pan-only update.
    void PanCrop(double dx, double dy);
    // Unsharp mask of the output image in place; amount 0.25 is the stretch panel's 25.
    void SharpenOutput(double amount);
    // Records the size as read, brings every source to 24 bits, and turns a 720 x 480 or 720 x 576 frame
    // into square pixels: 720 x 540 taken as 4:3 (direction 0), 960 x 540 taken as anamorphic 16:9.
    void NormalizeNonSquareSource();
    // Loads `path` into the source and converts it: Load, NormalizeNonSquareSource and UpdateConversion
    // in turn, with the same bytes in the end. A colour JPEG's crop window is stretched on other threads
    // while the decoder delivers its rows, so the conversion ends soon after the decode; the whole source
    // is kept all the same. Returns the load status; `converted` tells whether the update succeeded.
    int LoadAndConvert(const char* path, bool& converted);
    // Squeezes the output image into the 720 x 480 or 720 x 576 frame of the NTSC or PAL D1 output
    // formats; the other formats are left as they are.
    void ApplyOutputFormat();
    // The smart stretch of `image` to outputWidth x outputHeight with this conversion's split point.
    void SmartStretch(int outputWidth, int outputHeight, CRasterImage& image, int mode);
    void ResetSplitPoint() { settings.ResetSplitPoint(); }

private:
    // The update, taking the stretch `arrived` made while the source loaded when it fits.
    bool UpdateConversion(bool panOnly, CArrivingStretch* arrived);

    CConversionObserver* observer_ = nullptr;
    CBusyIndicator* busy_ = nullptr;
    std::function<void()> viewsChanged_;
};
