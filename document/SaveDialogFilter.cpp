#include "document/SaveDialogFilter.h"

#include <array>

namespace {

struct FilterEntry {
    const char* type;
    const char* entry;
};
constexpr std::array<FilterEntry, 7> kEntries = {{
    {"*.png", "Portable Graphics (*.png)|*.png|"},
    {"*.jpg", "JPG File (*.jpg)|*.jpg|"},
    {"*.bmp", "Windows Bitmap (*.bmp)|*.bmp|"},
    {"*.psd", "Adobe Photoshop (*.psd)|*.psd|"},
    {"*.tif", "Tif File (*.tif)|*.tif|"},
    {"*.tga", "Targa File (*.tga)|*.tga|"},
    {"*.webp", "WebP Image (*.webp)|*.webp|"},
}};

}  // namespace

std::string DefaultSaveType(const std::string& sourceExtension)
{
    if (sourceExtension.empty()) return "*.jpg";
    const std::string type = "*" + sourceExtension;
    // Formats read but never written propose JPEG.
    for (const char* readOnly : {"*.gif", "*.heic", "*.heif", "*.avif"})
        if (type == readOnly) return "*.jpg";
    return type;
}

std::string SaveDialogFilter(const std::string& defaultType)
{
    // PNG, JPG, BMP and PSD lead with their own entry; every other type with a "Last File Extension" one.
    std::string first;
    for (std::size_t i = 0; i < 4; ++i)
        if (defaultType == kEntries[i].type) first = kEntries[i].entry;
    if (first.empty()) first = "Last File Extension (" + defaultType + ")|" + defaultType + "|";
    std::string filter = first;
    for (const FilterEntry& entry : kEntries)
        if (first != entry.entry) filter += entry.entry;
    return filter + "|";
}
