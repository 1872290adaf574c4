#include "document/SavePipeline.h"

#include "conversion/Conversion.h"
#include "document/QualitySearch.h"
#include "image/FileType.h"

bool PrepareOutputForSave(CConversion& conversion)
{
    const std::uint32_t width = conversion.output.width;
    const std::uint32_t height = conversion.output.height;
    conversion.ApplyOutputFormat();
    return conversion.output.width != width || conversion.output.height != height;
}

int WriteOutputImage(CRasterImage& output, const std::string& path, const JpegChoice& jpeg)
{
    const bool searchQuality = jpeg.targetBytes > 0 && CRasterImage::TypeFromExtension(path.c_str()) == kFileJpeg;
    output.jpegQuality = searchQuality ? SuggestQuality(output, jpeg.fullChroma, jpeg.targetBytes, nullptr) : jpeg.quality;
    output.jpegFullChroma = jpeg.fullChroma ? 1 : 0;
    output.jpegProgressive = jpeg.progressive;
    output.webpLossless = jpeg.lossless;
    return output.Save(path.c_str());
}

void RestoreDisplayOutput(CConversion& conversion, bool squeezed)
{
    if (squeezed) conversion.UpdateConversion(false);
}

int SaveOutputImage(CConversion& conversion, const std::string& path, const JpegChoice& jpeg)
{
    const bool squeezed = PrepareOutputForSave(conversion);
    const int status = WriteOutputImage(conversion.output, path, jpeg);
    RestoreDisplayOutput(conversion, squeezed);
    return status;
}
