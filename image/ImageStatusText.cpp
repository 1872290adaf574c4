#include "image/ImageStatusText.h"

#include "codec/CodecErrorText.h"
#include "image/RasterImage.h"

std::string LoadFailureText(int status)
{
    if (status == kImageErrNoPixels) return "not a picture in a format this program reads";
    if (status == kImageErrEmptyFileName) return "empty file name";
    return CodecErrorText(status);
}

std::string SaveFailureText(int status)
{
    if (status == kImageErrNoPixels) return "no writer for this file name's extension";
    return CodecErrorText(status);
}
