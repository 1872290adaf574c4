#include "cli/TranscodeCommand.h"

#include "cli/CliMain.h"
#include "image/ImageStatusText.h"
#include "image/RasterImage.h"

#include <filesystem>
#include <ostream>

int RunTranscode(const std::vector<std::string>& args, std::ostream& /*out*/, std::ostream& err)
{
    constexpr const char* kUsage = "usage: lumatrine-cli transcode [--force] INPUT OUTPUT\n";
    bool force = false;
    std::vector<std::string> paths;
    for (const std::string& arg : args) {
        if (arg == "--force") {
            force = true;
        } else if (!arg.empty() && arg[0] == '-') {
            err << "lumatrine-cli transcode: unknown option " << arg << "\n" << kUsage;
            return kExitUsage;
        } else {
            paths.push_back(arg);
        }
    }
    if (paths.size() != 2) {
        err << "lumatrine-cli transcode: expected INPUT and OUTPUT\n" << kUsage;
        return kExitUsage;
    }
    const std::string& input = paths[0];
    const std::string& output = paths[1];
    std::error_code error;
    if (!force && std::filesystem::exists(output, error)) {
        err << "lumatrine-cli: " << input << ": " << output << " exists (use --force to replace it)\n";
        return kExitFailed;
    }
    CRasterImage image;
    if (const int status = image.Load(input.c_str()); status != kImageOk) {
        err << "lumatrine-cli: " << input << ": " << LoadFailureText(status, input) << "\n";
        return kExitFailed;
    }
    if (const int status = image.Save(output.c_str()); status != kImageOk) {
        err << "lumatrine-cli: " << input << ": " << output << ": " << SaveFailureText(status) << "\n";
        return kExitFailed;
    }
    return kExitOk;
}
