#include "document/JpegOptions.h"

#include "document/QualitySearch.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

std::string PictureSizeLine(int width, int height)
{
    // The size is the 32-bit product, as the dialog has always shown it.
    const auto rawBytes = static_cast<std::uint32_t>(width) * static_cast<std::uint32_t>(height) * 4u;
    char text[160];
    std::snprintf(text, sizeof text, "Image %d x %d , uncompressed size %s", width, height,
                  FormatByteSize(static_cast<std::int64_t>(rawBytes), 2).c_str());
    return text;
}

TypedQuality ReadTypedQuality(const std::string& text)
{
    const long long typed = std::strtoll(text.c_str(), nullptr, 10);
    // Taken as unsigned, a negative number is above 100.
    const auto asUnsigned = static_cast<std::uint32_t>(static_cast<std::int32_t>(typed));
    if (asUnsigned < kJpegQualityMin) return {kJpegQualityMin, std::to_string(kJpegQualityMin)};
    if (asUnsigned > kJpegQualityMax) return {kJpegQualityMax, std::to_string(kJpegQualityMax)};
    return {static_cast<int>(typed), std::nullopt};
}

std::string ProgressPercentText(int position, int lower, int upper)
{
    if (upper == lower) return "0%";
    int percent = (position - lower) * 100 / (upper - lower);
    if (percent != 100) percent %= 100;
    return std::to_string(percent) + "%";
}
