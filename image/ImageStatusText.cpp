#include "image/ImageStatusText.h"

#include "codec/CodecErrorText.h"
#include "codec/CodecErrors.h"
#include "image/RasterImage.h"

#include <cstdio>

std::string LoadFailureText(int status, const std::string& path)
{
    if (status == kImageErrNoPixels) {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        if (file == nullptr) return CodecErrorText(kCodecErrOpenFailed);
        std::fclose(file);
        return "not a picture in a format this program reads";
    }
    if (status == kImageErrEmptyFileName) return "empty file name";
    return CodecErrorText(status);
}

std::string SaveFailureText(int status)
{
    if (status == kImageErrNoPixels) return "no writer for this file name's extension";
    return CodecErrorText(status);
}
