#include "cli/ConvertOptions.h"

#include "document/Recipe.h"

#include <algorithm>
#include <array>
#include <charconv>

const char* const kConvertUsage = "usage: lumatrine-cli convert [OPTIONS] INPUT...  (lumatrine-cli convert --help lists the options)\n";

const char* const kConvertHelp =
    "usage: lumatrine-cli convert [OPTIONS] INPUT...\n"
    "Converts each INPUT between the 4:3 and 16:9 picture shapes, as the desktop program does.\n"
    "\n"
    "  -o, --output PATH    one INPUT: the output file, or an existing folder; several INPUTs: an\n"
    "                       existing folder. Default: each input's own folder. In a folder the name is\n"
    "                       the input's name + \"_16x9\" or \"_4x3\" + its extension when that format can\n"
    "                       be written (.jpg .jpeg .png .bmp .tif .tiff .tga .psd .pcx .webp), else \".jpg\".\n"
    "      --recipe FILE    settings from a recipe file (.lumrecipe); the options below override it\n"
    "      --to 16x9|4x3    direction: 16x9 = \"4:3 to 16:9\" (default), 4x3 = \"16:9 to 4:3\"\n"
    "      --ratio N        stretch/crop ratio 0..100: 0 stretches only (default), 100 crops only\n"
    "      --mode M         stretch mode: uniform, right, left, both, edges, extreme, or 0..5\n"
    "                       (default uniform)\n"
    "      --split F        split point 0.0..1.0 of the smart stretch modes; giving it switches it on\n"
    "                       (off switches it off)\n"
    "      --sharpen N      sharpen amount 0..255 (hundredths); giving it switches sharpening on\n"
    "                       (off switches it off)\n"
    "      --format F       output size: wysiwyg (960 x 540 or 720 x 540), ntsc (720 x 480 D1),\n"
    "                       pal (720 x 576 D1), original, hd (1920 x 1080 or 1440 x 1080),\n"
    "                       uhd (3840 x 2160 or 2880 x 2160), or 0..5 (default wysiwyg)\n"
    "      --size WxH       output size: a square-pixel frame of W x H pixels, instead of --format\n"
    "                       (give one of the two; either overrides the recipe's). It must have the\n"
    "                       picture's shape to within a pixel of width: 16:9, or 4:3 with --to 4x3\n"
    "                       (e.g. 1280x720, 1024x768); at most 1000000 a side and 268435456 pixels\n"
    "      --pan X,Y        crop window position in the spare width and height, each 0.0..1.0\n"
    "                       (default 0.5,0.5)\n"
    "      --quality Q      JPEG and lossy WebP quality 40..100 (default 92)\n"
    "      --target-size BYTES  JPEG: the quality is chosen by the quality search so the file stays\n"
    "                       below BYTES (overrides --quality)\n"
    "      --subsample      JPEG: the encoder's default chroma subsampling instead of full chroma\n"
    "      --progressive    JPEG: a progressive file\n"
    "      --lossless       WebP: lossless instead of lossy\n"
    "      --no-auto-orient keep each picture as stored: its Orientation tag does not turn it upright\n"
    "      --strip          write no colour profile, Exif or XMP (default: outputs carry the input's,\n"
    "                       with the orientation upright, the written size and no embedded thumbnail)\n"
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

bool TakesOption(OptionCommand command, const std::string& name)
{
    if (command == OptionCommand::kConvert) return true;
    return name == "--force" || name == "--strip" || name == "--quality" || name == "--subsample" ||
           name == "--progressive" || name == "--lossless";
}

// The options that set a setting are the recipe's keys with "--" in front.
bool IsSettingOption(const std::string& name)
{
    static constexpr std::array<const char*, 13> kSettingOptions = {"--to", "--ratio", "--mode", "--split", "--sharpen", "--format",
                                                                    "--size", "--pan", "--quality", "--target-size", "--subsample",
                                                                    "--progressive", "--lossless"};
    return std::find(kSettingOptions.begin(), kSettingOptions.end(), name) != kSettingOptions.end();
}

}  // namespace

std::optional<ConvertOptions> ParseConvertOptions(const std::vector<std::string>& args, std::string& error,
                                                  OptionCommand command)
{
    ConvertOptions options;
    // Options set settings only after the recipe, wherever they stand: the command line overrides it.
    std::optional<std::string> recipe;
    std::vector<std::pair<std::string, std::string>> settingOptions;
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
        if (arg == "-h" || arg == "--help") {
            if (!flag(options.help)) return bad("");
        } else if (arg == "-o" || arg == "--output") {
            if (!value(text) || text.empty()) return bad("a path is needed");
            options.output = text;
        } else if (arg == "--recipe") {
            if (!value(text) || text.empty()) return bad("a recipe file is needed");
            recipe = text;
        } else if (arg == "--subsample" || arg == "--progressive" || arg == "--lossless") {
            // The switches take no value here; in a recipe they are "yes" or "no".
            if (inlineValue) return bad("");
            settingOptions.push_back({arg, "yes"});
        } else if (IsSettingOption(arg)) {
            if (!value(text)) return bad("a value is needed");
            settingOptions.push_back({arg, text});
        } else if (arg == "--force") {
            if (!flag(options.force)) return bad("");
        } else if (arg == "--no-auto-orient" || arg == "--strip") {
            if (inlineValue) return bad("");
            (arg == "--strip" ? options.keepMetadata : options.autoOrient) = false;
        } else if (arg == "-j" || arg == "--jobs") {
            if (!value(text) || !ParseInt(text, 1, 1024, number)) return bad("a whole number 1..1024");
            options.jobs = static_cast<int>(number);
        } else {
            error = "unknown option " + arg;
            return std::nullopt;
        }
    }
    if (recipe && !ReadRecipeFile(*recipe, options.settings, options.jpeg, error)) {
        error = "recipe " + *recipe + ": " + error;
        return std::nullopt;
    }
    // --format and --size give the one output size: whichever order they stood in, both is ambiguous.
    const auto given = [&](const char* name) {
        return std::any_of(settingOptions.begin(), settingOptions.end(), [&](const auto& option) { return option.first == name; });
    };
    if (given("--format") && given("--size")) {
        error = "--format and --size both choose the output size: give one of them";
        return std::nullopt;
    }
    for (const auto& [name, text] : settingOptions) {
        if (const std::string expected = ApplySettingText(name.substr(2), text, options.settings, options.jpeg); !expected.empty()) {
            error = "invalid value for " + name + ": " + expected;
            return std::nullopt;
        }
    }
    if (const std::string problem = OwnFrameShapeProblem(options.settings); !problem.empty()) {
        error = "invalid value for --size: " + problem;
        return std::nullopt;
    }
    if (!options.help && options.inputs.empty()) {
        error = "no input file given";
        return std::nullopt;
    }
    return options;
}
