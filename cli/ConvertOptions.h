#pragma once
// The options of "lumatrine-cli convert", parsed and checked before any picture is touched. A recipe
// given with --recipe is read here; the setting options override it wherever they stand.

#include "conversion/ConversionSettings.h"
#include "document/SavePipeline.h"

#include <optional>
#include <string>
#include <vector>

struct ConvertOptions {
    ConversionSettings settings;  // direction, ratio, mode, split, sharpening, output format, pan
    JpegChoice jpeg;
    std::optional<std::string> output;  // -o: a file (one input) or an existing folder
    bool force = false;
    int jobs = 0;  // 0: the number of cores
    bool autoOrient = true;    // --no-auto-orient: the pictures as stored, whatever their Orientation tag
    bool keepMetadata = true;  // --strip: outputs without profile, Exif or XMP
    std::vector<std::string> inputs;
    bool help = false;
};

// Which command the arguments are for: "convert" takes every option; "transcode" only --force, --strip,
// the JPEG writer's --quality, --subsample and --progressive and the WebP writer's --lossless, with the
// same meaning.
enum class OptionCommand { kConvert, kTranscode };

// Parses the arguments after the command's name. On a bad option or value returns nullopt with `error`
// set to a one-line message.
std::optional<ConvertOptions> ParseConvertOptions(const std::vector<std::string>& args, std::string& error,
                                                  OptionCommand command = OptionCommand::kConvert);

extern const char* const kConvertHelp;   // every option explained
extern const char* const kConvertUsage;  // one line, for usage errors
