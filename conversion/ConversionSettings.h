#pragma once
// ConversionSettings: every choice the user makes for one conversion, the crop window they derive, and
// the facts the load recorded about the source. The document holds one by value; the panels write the
// fields and then run the conversion update. The geometry is computed in doubles and truncated toward
// zero, with the picture shapes as the exact doubles below.

#include "image/PixelRect.h"

#include <cstdint>

namespace geometry {
inline constexpr double kShape4x3 = 1.3333333333333333;   // width / height of a 4:3 picture
inline constexpr double kShape16x9 = 1.7777777777777777;  // width / height of a 16:9 picture
inline constexpr double kShape3x4 = 0.75;                 // height / width of a 4:3 picture
inline constexpr double kSpan = 0.4444444444444444;       // 16:9 minus 4:3
inline constexpr double kPercent = 0.01;                  // slider units to fractions
}  // namespace geometry

enum class Direction : std::int32_t { To16x9 = 0, To4x3 = 1 };

// The output sizes: square-pixel frames (Wysiwyg, FullHd, Uhd), the D1 video frames the output is
// squeezed into when saved (NtscD1, PalD1), and the crop window's own height (Original).
enum class OutputFormat : std::int32_t { Wysiwyg = 0, NtscD1 = 1, PalD1 = 2, Original = 3, FullHd = 4, Uhd = 5 };
inline constexpr int kOutputFormatCount = 6;

enum class StretchMode : std::int32_t {
    Uniform = 0,
    RightSide = 1,
    LeftSide = 2,
    BothSides = 3,
    Edges = 4,
    ExtremeEdges = 5,
};
inline constexpr int kStretchModeCount = 6;

struct OutputGeometry {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t mode = 0;
    friend bool operator==(const OutputGeometry&, const OutputGeometry&) = default;
};

struct ConversionSettings {
    std::int32_t direction = 0;         // 0 "4:3 to 16:9", any other value "16:9 to 4:3"
    std::int32_t stretchCropRatio = 0;  // 0..100: 0 stretch only, 100 crop only (direction 0)
    std::int32_t outputFormat = 0;      // OutputFormat; a value outside it acts as Wysiwyg
    std::int32_t frameWidth = 0;        // a square-pixel output frame of the user's own size, which
    std::int32_t frameHeight = 0;       // replaces the output format's while both are above 0
    double panX = 0.5;                  // 0..1: crop window position in the spare width
    double panY = 0.5;                  // 0..1: crop window position in the spare height
    PixelRect cropRect;                 // derived by ComputeCropRect
    std::int32_t stretchMode = 0;       // StretchMode
    std::int32_t sharpenAmount = 25;    // 0..255, hundredths
    std::int32_t sharpenOn = 0;
    std::int32_t sourceWidth = 0;       // size of the file as read, before square-pixel normalisation
    std::int32_t sourceHeight = 0;
    std::int32_t sourceNonSquare = 0;   // the source was a D1 frame converted to square pixels
    double splitPosition = 0.5;         // 0..1, the smart stretch split point
    std::int32_t splitOn = 0;           // while 0 the smart stretch splits at 0.5

    bool ToFourThree() const { return direction != 0; }
    bool HasOwnFrame() const { return frameWidth > 0 && frameHeight > 0; }
    // The output size is one choice: an output format, or a frame of its own size (in WYSIWYG's place).
    void ChooseOutputFormat(std::int32_t format);
    void ChooseOwnFrame(std::int32_t width, std::int32_t height);
    // An own frame must have the shape the direction gives the picture (to within a pixel of width), or
    // its pixels would not be square; true also without an own frame. Where it does not (the direction
    // changed after it was chosen), the output keeps its height at the picture's shape.
    bool OwnFrameFitsShape() const;

    // Places the crop window in a W x H source; changes nothing but cropRect.
    void ComputeCropRect(std::int32_t sourceWidthPx, std::int32_t sourceHeightPx);
    // Output size and stretch mode, from the crop window's height; call after ComputeCropRect.
    OutputGeometry ComputeOutputSize() const;
    // The split point back at its default, switched off (a change of stretch mode does this).
    void ResetSplitPoint();
};
