#include "cli/TranscodeCommand.h"

#include "cli/CliMain.h"
#include "cli/ConvertOptions.h"
#include "document/SavePipeline.h"
#include "image/ImageStatusText.h"
#include "image/RasterImage.h"

#include <filesystem>
#include <ostream>

int RunTranscode(const std::vector<std::string>& args, std::ostream& /*out*/, std::ostream& err)
{
    constexpr const char* kUsage =
        "usage: lumatrine-cli transcode [--force] [--strip] [--quality Q] [--subsample] [--progressive] [--lossless] INPUT "
        "OUTPUT\n";
    std::string error;
    const std::optional<ConvertOptions> options = ParseConvertOptions(args, error, OptionCommand::kTranscode);
    if (!options) {
        err << "lumatrine-cli transcode: " << error << "\n" << kUsage;
        return kExitUsage;
    }
    if (options->inputs.size() != 2) {
        err << "lumatrine-cli transcode: expected INPUT and OUTPUT\n" << kUsage;
        return kExitUsage;
    }
    const std::string& input = options->inputs[0];
    const std::string& output = options->inputs[1];
    std::error_code existsError;
    if (!options->force && std::filesystem::exists(output, existsError)) {
        err << "lumatrine-cli: " << input << ": " << output << " exists (use --force to replace it)\n";
        return kExitFailed;
    }
    // The picture goes out upright, with the input's profile, Exif and XMP unless --strip.
    CRasterImage image;
    image.keepMetadata = options->keepMetadata;
    if (const int status = image.Load(input.c_str()); status != kImageOk) {
        err << "lumatrine-cli: " << input << ": " << LoadFailureText(status, input) << "\n";
        return kExitFailed;
    }
    // JPEG files are written as the desktop program saves them: quality 92 and full chroma unless asked.
    if (const int status = WriteOutputImage(image, output, options->jpeg); status != kImageOk) {
        err << "lumatrine-cli: " << input << ": " << output << ": " << SaveFailureText(status) << "\n";
        return kExitFailed;
    }
    return kExitOk;
}
