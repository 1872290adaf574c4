#pragma once
// The rules of the "JPEG Options" dialog that do not need a window: the picture size line, the typed
// quality held to 40..100, and the progress window's percent text.

#include <optional>
#include <string>

inline constexpr int kJpegQualityMin = 40;
inline constexpr int kJpegQualityMax = 100;

// "Image 720 x 540 , uncompressed size 1.48 MB" (4 bytes a pixel).
std::string PictureSizeLine(int width, int height);

struct TypedQuality {
    int quality = 0;
    std::optional<std::string> replacement;  // the text the field must show instead, selected
};
// The leading integer of the typed text (0 without one), held to 40..100; a negative number counts as
// above 100. An empty field thus reads 40.
TypedQuality ReadTypedQuality(const std::string& text);

// The progress text for `position` in lower..upper: "40%"; whole percent, taken modulo 100 below 100%.
std::string ProgressPercentText(int position, int lower, int upper);
