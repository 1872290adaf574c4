#include "document/Recipe.h"

#include "codec/CodecLimits.h"
#include "platform/FileReplace.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <set>
#include <sys/stat.h>
#include <vector>

namespace {

// A recipe holds a dozen short lines; anything much larger is not one.
constexpr std::uintmax_t kMaxRecipeBytes = 64 * 1024;

constexpr std::array<const char*, 6> kModeNames = {"uniform", "right", "left", "both", "edges", "extreme"};
constexpr std::array<const char*, kOutputFormatCount> kFormatNames = {"wysiwyg", "ntsc", "pal", "original", "hd", "uhd"};

bool ParseWhole(const std::string& text, long long low, long long high, long long& value)
{
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    return !text.empty() && error == std::errc{} && stop == end && value >= low && value <= high;
}

// Locale-independent: a desktop session with a decimal comma still reads "0.5".
bool ParseFraction(const std::string& text, double& value)
{
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    return !text.empty() && error == std::errc{} && stop == end && value >= 0.0 && value <= 1.0;
}

// A value given by name or by its number.
template <std::size_t N>
bool ParseNamed(const std::string& text, const std::array<const char*, N>& names, std::int32_t& value)
{
    for (std::size_t i = 0; i < N; ++i) {
        if (text == names[i]) {
            value = static_cast<std::int32_t>(i);
            return true;
        }
    }
    long long number = 0;
    if (!ParseWhole(text, 0, static_cast<long long>(N) - 1, number)) return false;
    value = static_cast<std::int32_t>(number);
    return true;
}

// "WxH": a frame within the pixel budget every picture of the program keeps to.
bool ParseFrame(const std::string& text, std::int32_t& width, std::int32_t& height)
{
    const std::size_t cross = text.find('x');
    long long w = 0, h = 0;
    if (cross == std::string::npos || !ParseWhole(text.substr(0, cross), 1, codec::kMaxSide, w) ||
        !ParseWhole(text.substr(cross + 1), 1, codec::kMaxSide, h) || static_cast<std::uint64_t>(w * h) > codec::kMaxPixels)
        return false;
    width = static_cast<std::int32_t>(w);
    height = static_cast<std::int32_t>(h);
    return true;
}

std::string FrameText(std::int32_t width, std::int32_t height)
{
    return std::to_string(width) + "x" + std::to_string(height);
}

bool ParseYesNo(const std::string& text, bool& value)
{
    if (text != "yes" && text != "no") return false;
    value = text == "yes";
    return true;
}

// The shortest text that reads back as the same double.
std::string FractionText(double value)
{
    std::array<char, 32> buffer{};
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return error == std::errc{} ? std::string(buffer.data(), end) : std::string("0.5");
}

template <std::size_t N>
std::string NameText(std::int32_t value, const std::array<const char*, N>& names)
{
    return value >= 0 && static_cast<std::size_t>(value) < N ? names[static_cast<std::size_t>(value)] : std::to_string(value);
}

struct SettingLine {
    std::string key;
    std::string value;
};

// Every setting as its key and value text, in the recipe's order.
std::vector<SettingLine> SettingLines(const ConversionSettings& settings, const JpegChoice& jpeg)
{
    return {
        {"to", settings.ToFourThree() ? "4x3" : "16x9"},
        {"ratio", std::to_string(settings.stretchCropRatio)},
        {"mode", NameText(settings.stretchMode, kModeNames)},
        {"split", settings.splitOn != 0 ? FractionText(settings.splitPosition) : "off"},
        {"sharpen", settings.sharpenOn != 0 ? std::to_string(settings.sharpenAmount) : "off"},
        settings.HasOwnFrame() ? SettingLine{"size", FrameText(settings.frameWidth, settings.frameHeight)}
                               : SettingLine{"format", NameText(settings.outputFormat, kFormatNames)},
        {"pan", FractionText(settings.panX) + "," + FractionText(settings.panY)},
        {"quality", std::to_string(jpeg.quality)},
        {"target-size", jpeg.targetBytes > 0 ? std::to_string(jpeg.targetBytes) : "off"},
        {"subsample", jpeg.fullChroma ? "no" : "yes"},
        {"progressive", jpeg.progressive ? "yes" : "no"},
        {"lossless", jpeg.lossless ? "yes" : "no"},
    };
}

// The recipe's part of the settings back at the defaults; the picture's facts stay.
void ResetRecipeSettings(ConversionSettings& settings, JpegChoice& jpeg)
{
    const ConversionSettings defaults;
    settings.direction = defaults.direction;
    settings.stretchCropRatio = defaults.stretchCropRatio;
    settings.stretchMode = defaults.stretchMode;
    settings.splitPosition = defaults.splitPosition;
    settings.splitOn = defaults.splitOn;
    settings.sharpenAmount = defaults.sharpenAmount;
    settings.sharpenOn = defaults.sharpenOn;
    settings.ChooseOutputFormat(defaults.outputFormat);
    settings.panX = defaults.panX;
    settings.panY = defaults.panY;
    jpeg = JpegChoice{};
}

std::string Trim(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::string ShellQuoted(const std::string& text)
{
    if (!text.empty() && text.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-+.,/=:@%") ==
                             std::string::npos)
        return text;
    std::string quoted = "'";
    for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

}  // namespace

std::string ApplySettingText(const std::string& key, const std::string& value, ConversionSettings& settings,
                             JpegChoice& jpeg)
{
    long long number = 0;
    double fraction = 0;
    bool yes = false;
    if (key == "to") {
        if (value != "16x9" && value != "4x3") return "16x9 or 4x3";
        settings.direction = value == "4x3" ? 1 : 0;
    } else if (key == "ratio") {
        if (!ParseWhole(value, 0, 100, number)) return "a whole number 0..100";
        settings.stretchCropRatio = static_cast<std::int32_t>(number);
    } else if (key == "mode") {
        if (!ParseNamed(value, kModeNames, settings.stretchMode)) return "uniform, right, left, both, edges, extreme or 0..5";
    } else if (key == "split") {
        if (value == "off") {
            settings.splitOn = 0;
            settings.splitPosition = ConversionSettings{}.splitPosition;
        } else {
            if (!ParseFraction(value, fraction)) return "off or a number 0.0..1.0";
            settings.splitPosition = fraction;
            settings.splitOn = 1;
        }
    } else if (key == "sharpen") {
        if (value == "off") {
            settings.sharpenOn = 0;
            settings.sharpenAmount = ConversionSettings{}.sharpenAmount;
        } else {
            if (!ParseWhole(value, 0, 255, number)) return "off or a whole number 0..255";
            settings.sharpenAmount = static_cast<std::int32_t>(number);
            settings.sharpenOn = 1;
        }
    } else if (key == "format") {
        std::int32_t format = 0;
        if (!ParseNamed(value, kFormatNames, format)) return "wysiwyg, ntsc, pal, original, hd, uhd or 0..5";
        settings.ChooseOutputFormat(format);
    } else if (key == "size") {
        std::int32_t width = 0, height = 0;
        if (!ParseFrame(value, width, height))
            return "WxH in pixels, each side 1.." + std::to_string(codec::kMaxSide) + " and at most " +
                   std::to_string(codec::kMaxPixels) + " pixels in all";
        settings.ChooseOwnFrame(width, height);
    } else if (key == "pan") {
        const std::size_t comma = value.find(',');
        double panY = 0;
        if (comma == std::string::npos || !ParseFraction(value.substr(0, comma), fraction) ||
            !ParseFraction(value.substr(comma + 1), panY))
            return "X,Y with each 0.0..1.0";
        settings.panX = fraction;
        settings.panY = panY;
    } else if (key == "quality") {
        if (!ParseWhole(value, 40, 100, number)) return "a whole number 40..100";
        jpeg.quality = static_cast<int>(number);
    } else if (key == "target-size") {
        if (value == "off") {
            jpeg.targetBytes = 0;
        } else {
            if (!ParseWhole(value, 1, INT64_MAX, number)) return "off or a number of bytes above 0";
            jpeg.targetBytes = number;
        }
    } else if (key == "subsample") {
        if (!ParseYesNo(value, yes)) return "yes or no";
        jpeg.fullChroma = !yes;
    } else if (key == "progressive") {
        if (!ParseYesNo(value, yes)) return "yes or no";
        jpeg.progressive = yes;
    } else if (key == "lossless") {
        if (!ParseYesNo(value, yes)) return "yes or no";
        jpeg.lossless = yes;
    } else {
        return "unknown setting";
    }
    return {};
}

std::string OwnFrameShapeProblem(const ConversionSettings& settings)
{
    if (settings.OwnFrameFitsShape()) return {};
    const bool fourThree = settings.ToFourThree();
    return FrameText(settings.frameWidth, settings.frameHeight) + " is not a " + (fourThree ? "4:3" : "16:9") +
           " frame: its width must be its height x " + (fourThree ? "4/3" : "16/9") + ", to within a pixel";
}

std::string RecipeText(const ConversionSettings& settings, const JpegChoice& jpeg)
{
    std::string text = "# Lumatrine NR recipe\n";
    for (const SettingLine& line : SettingLines(settings, jpeg)) text += line.key + " = " + line.value + "\n";
    return text;
}

bool ApplyRecipeText(const std::string& text, ConversionSettings& settings, JpegChoice& jpeg, std::string& error)
{
    ConversionSettings newSettings = settings;
    JpegChoice newJpeg = jpeg;
    ResetRecipeSettings(newSettings, newJpeg);
    std::set<std::string> seen;
    // A byte-order mark, as some editors write at the start of a text file, is not part of the first key.
    std::size_t lineStart = text.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
    for (int lineNumber = 1; lineStart < text.size(); ++lineNumber) {
        std::size_t lineEnd = text.find('\n', lineStart);
        if (lineEnd == std::string::npos) lineEnd = text.size();
        const std::string line = Trim(text.substr(lineStart, lineEnd - lineStart));
        lineStart = lineEnd + 1;
        if (line.empty() || line[0] == '#') continue;
        const auto refuse = [&](const std::string& reason) {
            error = "line " + std::to_string(lineNumber) + ": " + reason;
            return false;
        };
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos) return refuse("expected \"key = value\"");
        const std::string key = Trim(line.substr(0, equals));
        const std::string value = Trim(line.substr(equals + 1));
        if (line.find('\0') != std::string::npos) return refuse("not text");
        // "format" and "size" are two ways of giving the one output size.
        const bool outputSize = key == "format" || key == "size";
        if (!seen.insert(outputSize ? "format" : key).second)
            return refuse(outputSize ? "the output size is given twice (format or size, once)" : "\"" + key + "\" is given twice");
        const std::string problem = ApplySettingText(key, value, newSettings, newJpeg);
        if (problem == "unknown setting") return refuse("unknown setting \"" + key + "\"");
        if (!problem.empty()) return refuse("invalid value for " + key + ": " + problem);
    }
    if (const std::string problem = OwnFrameShapeProblem(newSettings); !problem.empty()) {
        error = "size: " + problem;
        return false;
    }
    settings = newSettings;
    jpeg = newJpeg;
    return true;
}

bool ReadRecipeFile(const std::string& path, ConversionSettings& settings, JpegChoice& jpeg, std::string& error)
{
    struct stat status {};
    if (stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
        error = "the file cannot be read";
        return false;
    }
    if (static_cast<std::uintmax_t>(status.st_size) > kMaxRecipeBytes) {
        error = "the file is too large to be a recipe";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    std::string text(kMaxRecipeBytes + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (in.bad()) {
        error = "the file cannot be read";
        return false;
    }
    // The size checked above may have grown since: what was read decides.
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (text.size() > kMaxRecipeBytes) {
        error = "the file is too large to be a recipe";
        return false;
    }
    return ApplyRecipeText(text, settings, jpeg, error);
}

bool WriteRecipeFile(const std::string& path, const ConversionSettings& settings, const JpegChoice& jpeg)
{
    const std::string temporary = platform::CreateTemporaryBeside(path);
    if (temporary.empty()) return false;
    const std::string text = RecipeText(settings, jpeg);
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    bool written = file != nullptr && std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (file != nullptr) written = std::fclose(file) == 0 && written;
    if (written && platform::ReplaceWithTemporary(temporary, path)) return true;
    platform::DiscardTemporary(temporary);
    return false;
}

std::string ConvertCommandLine(const ConversionSettings& settings, const JpegChoice& jpeg, const std::string& input)
{
    const std::vector<SettingLine> defaults = SettingLines(ConversionSettings{}, JpegChoice{});
    const std::vector<SettingLine> lines = SettingLines(settings, jpeg);
    std::string command = "lumatrine-cli convert";
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].value == defaults[i].value) continue;
        command += " --" + lines[i].key;
        // The yes-or-no switches are flags on the command line: present means yes.
        if (lines[i].value != "yes") command += " " + ShellQuoted(lines[i].value);
    }
    if (!input.empty()) command += " " + (input[0] == '-' ? "-- " : std::string()) + ShellQuoted(input);
    return command;
}
