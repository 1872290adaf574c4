#include "cli/ConvertOptions.h"

#include <array>
#include <charconv>
#include <cstdlib>

const char* const kConvertUsage = "usage: lumatrine-cli convert [OPTIONS] INPUT...  (lumatrine-cli convert --help lists the options)\n";

const char* const kConvertHelp =
    "usage: lumatrine-cli convert [OPTIONS] INPUT...\n"
    "Converts each INPUT between the 4:3 and 16:9 picture shapes, as the desktop program does.\n"
    "\n"
    "  -o, --output PATH    one INPUT: the output file, or an existing folder; several INPUTs: an\n"
    "                       existing folder. Default: each input's own folder. In a folder the name is\n"
    "                       the input's name + \"_16x9\" or \"_4x3\" + its extension when that format can\n"
    "                       be written (.jpg .jpeg .png .bmp .tif .tiff .tga .psd .pcx), else \".jpg\".\n"
    "      --to 16x9|4x3    direction: 16x9 = \"4:3 to 16:9\" (default), 4x3 = \"16:9 to 4:3\"\n"
    "      --ratio N        stretch/crop ratio 0..100: 0 stretches only (default), 100 crops only\n"
    "      --mode M         stretch mode: uniform, right, left, both, edges, extreme, or 0..5\n"
    "                       (default uniform)\n"
    "      --split F        split point 0.0..1.0 of the smart stretch modes; giving it switches it on\n"
    "      --sharpen N      sharpen amount 0..255 (hundredths); giving it switches sharpening on\n"
    "      --format F       output size: wysiwyg (960 x 540 or 720 x 540), ntsc (720 x 480 D1),\n"
    "                       pal (720 x 576 D1), original, or 0..3 (default wysiwyg)\n"
    "      --pan X,Y        crop window position in the spare width and height, each 0.0..1.0\n"
    "                       (default 0.5,0.5)\n"
    "      --quality Q      JPEG quality 40..100 (default 92)\n"
    "      --target-size BYTES  JPEG: the quality is chosen by the quality search so the file stays\n"
    "                       below BYTES (overrides --quality)\n"
    "      --subsample      JPEG: the encoder's default chroma subsampling instead of full chroma\n"
    "      --progressive    JPEG: a progressive file\n"
    "      --force          replace an existing output (default: an existing output fails that input)\n"
    "  -j, --jobs N         files converted at once (default: the number of cores)\n"
    "  -h, --help           this text\n"
    "\n"
    "Exit status: 0 every input converted, 1 at least one failed, 2 usage error, 130 or 143 stopped by\n"
    "SIGINT or SIGTERM (outputs under way are not written; finished ones stay).\n";

namespace {

bool ParseInt(const std::string& text, long long low, long long high, long long& value)
{
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    return error == std::errc{} && stop == end && value >= low && value <= high;
}

bool ParseFraction(const std::string& text, double& value)
{
    if (text.empty()) return false;
    char* stop = nullptr;
    value = std::strtod(text.c_str(), &stop);
    return stop == text.c_str() + text.size() && value >= 0.0 && value <= 1.0;
}

// A value given by name or by its number.
bool ParseNamed(const std::string& text, const std::vector<const char*>& names, int& value)
{
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (text == names[i]) {
            value = static_cast<int>(i);
            return true;
        }
    }
    long long number = 0;
    if (!ParseInt(text, 0, static_cast<long long>(names.size()) - 1, number)) return false;
    value = static_cast<int>(number);
    return true;
}

bool TakesOption(OptionCommand command, const std::string& name)
{
    if (command == OptionCommand::kConvert) return true;
    return name == "--force" || name == "--quality" || name == "--subsample" || name == "--progressive";
}

}  // namespace

std::optional<ConvertOptions> ParseConvertOptions(const std::vector<std::string>& args, std::string& error,
                                                  OptionCommand command)
{
    ConvertOptions options;
    bool onlyInputs = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        if (onlyInputs || arg.empty() || arg[0] != '-' || arg == "-") {
            options.inputs.push_back(arg);
            continue;
        }
        if (arg == "--") {
            onlyInputs = true;
            continue;
        }
        // "--name=value" and "--name value" are the same.
        std::optional<std::string> inlineValue;
        if (const std::size_t equals = arg.find('='); arg.rfind("--", 0) == 0 && equals != std::string::npos) {
            inlineValue = arg.substr(equals + 1);
            arg.erase(equals);
        }
        auto value = [&](std::string& out) {
            if (inlineValue) {
                out = *inlineValue;
                return true;
            }
            if (i + 1 >= args.size()) return false;
            out = args[++i];
            return true;
        };
        auto flag = [&](bool& out) {
            if (inlineValue) return false;
            out = true;
            return true;
        };
        auto bad = [&](const std::string& what) {
            error = "invalid value for " + arg + (what.empty() ? "" : ": " + what);
            return std::nullopt;
        };

        if (!TakesOption(command, arg)) {
            error = "unknown option " + arg;
            return std::nullopt;
        }
        std::string text;
        long long number = 0;
        double fraction = 0;
        if (arg == "-h" || arg == "--help") {
            if (!flag(options.help)) return bad("");
        } else if (arg == "-o" || arg == "--output") {
            if (!value(text) || text.empty()) return bad("a path is needed");
            options.output = text;
        } else if (arg == "--to") {
            if (!value(text) || (text != "16x9" && text != "4x3")) return bad("16x9 or 4x3");
            options.settings.direction = text == "4x3" ? 1 : 0;
        } else if (arg == "--ratio") {
            if (!value(text) || !ParseInt(text, 0, 100, number)) return bad("a whole number 0..100");
            options.settings.stretchCropRatio = static_cast<int>(number);
        } else if (arg == "--mode") {
            if (!value(text) || !ParseNamed(text, {"uniform", "right", "left", "both", "edges", "extreme"}, options.settings.stretchMode))
                return bad("uniform, right, left, both, edges, extreme or 0..5");
        } else if (arg == "--split") {
            if (!value(text) || !ParseFraction(text, fraction)) return bad("a number 0.0..1.0");
            options.settings.splitPosition = fraction;
            options.settings.splitOn = 1;
        } else if (arg == "--sharpen") {
            if (!value(text) || !ParseInt(text, 0, 255, number)) return bad("a whole number 0..255");
            options.settings.sharpenAmount = static_cast<int>(number);
            options.settings.sharpenOn = 1;
        } else if (arg == "--format") {
            if (!value(text) || !ParseNamed(text, {"wysiwyg", "ntsc", "pal", "original"}, options.settings.outputFormat))
                return bad("wysiwyg, ntsc, pal, original or 0..3");
        } else if (arg == "--pan") {
            const std::size_t comma = value(text) ? text.find(',') : std::string::npos;
            double panY = 0;
            if (comma == std::string::npos || !ParseFraction(text.substr(0, comma), fraction) ||
                !ParseFraction(text.substr(comma + 1), panY))
                return bad("X,Y with each 0.0..1.0");
            options.settings.panX = fraction;
            options.settings.panY = panY;
        } else if (arg == "--quality") {
            if (!value(text) || !ParseInt(text, 40, 100, number)) return bad("a whole number 40..100");
            options.jpeg.quality = static_cast<int>(number);
        } else if (arg == "--target-size") {
            if (!value(text) || !ParseInt(text, 1, INT64_MAX, number)) return bad("a number of bytes above 0");
            options.jpeg.targetBytes = number;
        } else if (arg == "--subsample") {
            bool subsample = false;
            if (!flag(subsample)) return bad("");
            options.jpeg.fullChroma = false;
        } else if (arg == "--progressive") {
            if (!flag(options.jpeg.progressive)) return bad("");
        } else if (arg == "--force") {
            if (!flag(options.force)) return bad("");
        } else if (arg == "-j" || arg == "--jobs") {
            if (!value(text) || !ParseInt(text, 1, 1024, number)) return bad("a whole number 1..1024");
            options.jobs = static_cast<int>(number);
        } else {
            error = "unknown option " + arg;
            return std::nullopt;
        }
    }
    if (!options.help && options.inputs.empty()) {
        error = "no input file given";
        return std::nullopt;
    }
    return options;
}
