#include "cli/InfoCommand.h"

#include "cli/CliMain.h"
#include "image/ImageStatusText.h"
#include "image/FileType.h"
#include "image/RasterImage.h"

#include <ostream>

namespace {

// A JSON string literal: quotes, backslashes and control characters escaped.
std::string JsonString(const std::string& text)
{
    std::string quoted = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (byte < 0x20) {
            static constexpr char kHex[] = "0123456789abcdef";
            quoted += "\\u00";
            quoted += kHex[byte >> 4];
            quoted += kHex[byte & 15];
        } else {
            quoted += c;
        }
    }
    return quoted + '"';
}

// The Orientation tag in words: what loading did with it.
std::string OrientationText(int orientation)
{
    return std::to_string(orientation) + (orientation == 1 ? " (upright)" : " (turned upright)");
}

}  // namespace

int RunInfo(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    bool json = false;
    std::vector<std::string> files;
    for (const std::string& arg : args) {
        if (arg == "--json") {
            json = true;
        } else if (!arg.empty() && arg[0] == '-') {
            err << "lumatrine-cli info: unknown option " << arg << "\nusage: lumatrine-cli info [--json] FILE...\n";
            return kExitUsage;
        } else {
            files.push_back(arg);
        }
    }
    if (files.empty()) {
        err << "lumatrine-cli info: no file given\nusage: lumatrine-cli info [--json] FILE...\n";
        return kExitUsage;
    }

    int exitCode = kExitOk;
    for (const std::string& path : files) {
        const int type = CRasterImage::DetectFileType(path.c_str());
        CRasterImage image;
        const int status = image.Load(path.c_str(), type);
        if (status != kImageOk) {
            exitCode = kExitFailed;
            const std::string reason = LoadFailureText(status, path);
            if (json) out << "{\"path\":" << JsonString(path) << ",\"error\":" << JsonString(reason) << "}\n";
            err << "lumatrine-cli: " << path << ": " << reason << "\n";
            continue;
        }
        if (json) {
            out << "{\"path\":" << JsonString(path) << ",\"type\":" << type << ",\"format\":" << JsonString(FileTypeName(type))
                << ",\"width\":" << image.width << ",\"height\":" << image.height << ",\"bits\":" << image.bitsPerPixel
                << ",\"file_width\":" << image.fileWidth << ",\"file_height\":" << image.fileHeight
                << ",\"orientation\":" << image.storedOrientation << "}\n";
        } else {
            out << path << ": type " << type << " (" << FileTypeName(type) << "), " << image.width << " x " << image.height
                << ", " << image.bitsPerPixel << " bits per pixel, stored " << image.fileWidth << " x " << image.fileHeight;
            if (image.storedOrientation != 0) out << ", orientation " << OrientationText(image.storedOrientation);
            out << "\n";
        }
    }
    return exitCode;
}
