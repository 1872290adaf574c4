#include "document/SavePipeline.h"

#include "conversion/Conversion.h"
#include "document/QualitySearch.h"
#include "image/FileType.h"

int SaveOutputImage(CConversion& conversion, const std::string& path, const JpegChoice& jpeg)
{
    CRasterImage& output = conversion.output;
    const std::uint32_t displayWidth = output.width;
    const std::uint32_t displayHeight = output.height;
    conversion.ApplyOutputFormat();
    const bool searchQuality = jpeg.targetBytes > 0 && CRasterImage::TypeFromExtension(path.c_str()) == kFileJpeg;
    output.jpegQuality = searchQuality ? SuggestQuality(output, jpeg.fullChroma, jpeg.targetBytes, nullptr) : jpeg.quality;
    output.jpegFullChroma = jpeg.fullChroma ? 1 : 0;
    output.jpegProgressive = jpeg.progressive;
    const int status = output.Save(path.c_str());
    // Only a squeeze into the D1 frame changed the output: rebuild the display size after it.
    if (output.width != displayWidth || output.height != displayHeight) conversion.UpdateConversion(false);
    return status;
}
