// Recipe text from a file: applied whole or not at all. A refused recipe names a line and changes
// nothing; an accepted one is written back to a text that reads as the same settings.
#include "document/Recipe.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    ConversionSettings settings;
    settings.direction = 1;
    settings.stretchCropRatio = 77;
    JpegChoice jpeg{55, false, true, 1234};
    const std::string before = RecipeText(settings, jpeg);
    std::string error;
    if (!ApplyRecipeText(text, settings, jpeg, error)) {
        if (error.rfind("line ", 0) != 0 || RecipeText(settings, jpeg) != before) __builtin_trap();
        return 0;
    }
    const std::string written = RecipeText(settings, jpeg);
    ConversionSettings reread;
    JpegChoice rereadJpeg;
    if (!ApplyRecipeText(written, reread, rereadJpeg, error) || RecipeText(reread, rereadJpeg) != written) __builtin_trap();
    return 0;
}
