#pragma once
// Recipes: the conversion settings and the JPEG writer's settings as a small text file (".lumrecipe"),
// shared by the desktop program and "lumatrine-cli convert --recipe". One "key = value" line a setting;
// blank lines and lines starting with '#' are ignored. The keys are the command line's option names and
// take the same values, so one function reads a value for both:
//
//   to = 16x9                  16x9 or 4x3
//   ratio = 0                  0..100
//   mode = uniform             uniform, right, left, both, edges, extreme, or 0..5
//   split = off                off, or the split point 0.0..1.0 (switches it on)
//   sharpen = off              off, or the amount 0..255 (switches sharpening on)
//   format = wysiwyg           wysiwyg, ntsc, pal, original, hd, uhd, or 0..5
//   size = 1280x720            instead of format: a square-pixel frame of this size (WxH)
//   pan = 0.5,0.5              crop window position X,Y, each 0.0..1.0
//   quality = 92               JPEG quality 40..100
//   target-size = off          off, or a JPEG size in bytes the quality search aims below
//   subsample = no             yes: the encoder's default chroma subsampling
//   progressive = no           yes: a progressive JPEG
//   lossless = no              yes: a lossless WebP (else lossy at the quality)
//
// "format" and "size" both give the output size: a recipe holds one of them, and the text written holds
// "size" in place of "format" when the settings have a frame of their own size. Such a frame must have
// the picture's shape (16:9, or 4:3 with "to = 4x3") to within a pixel of width, so its pixels are square.
//
// A key left out keeps its default. A recipe is applied whole or not at all: an unknown key, a repeated
// key, a value out of range or a line without "=" refuses the recipe with a message naming the line,
// and the settings are left as they were. Nothing here reads pictures or asks a person.

#include "conversion/ConversionSettings.h"
#include "document/SavePipeline.h"

#include <string>

inline constexpr const char* kRecipeExtension = ".lumrecipe";

// Sets one setting from its text, as a recipe line or a command-line option gives it. Returns the empty
// string on success, else what the value must be ("a whole number 0..100"); an unknown key gives
// "unknown setting". Nothing changes on failure.
std::string ApplySettingText(const std::string& key, const std::string& value, ConversionSettings& settings,
                             JpegChoice& jpeg);

// Why the settings' own frame does not fit the picture's shape, or the empty string when it fits (or
// there is none).
std::string OwnFrameShapeProblem(const ConversionSettings& settings);

// The recipe text for these settings; every key, in the order above.
std::string RecipeText(const ConversionSettings& settings, const JpegChoice& jpeg);

// Applies a recipe's text on top of the defaults, keeping what `settings` knows about the loaded picture
// (its size and crop window). On a refusal returns false with `error` "line N: reason" and changes nothing.
bool ApplyRecipeText(const std::string& text, ConversionSettings& settings, JpegChoice& jpeg, std::string& error);

// The file forms of the two above. Reading refuses a file that cannot be read or is larger than a recipe
// can sensibly be; `error` then names the file's problem. Writing returns false when the file could not
// be written (an old file stays as it was).
bool ReadRecipeFile(const std::string& path, ConversionSettings& settings, JpegChoice& jpeg, std::string& error);
bool WriteRecipeFile(const std::string& path, const ConversionSettings& settings, const JpegChoice& jpeg);

// The "lumatrine-cli convert" line that converts `input` (left out when empty) with these settings:
// settings at their defaults are left out, so a default recipe gives "lumatrine-cli convert".
std::string ConvertCommandLine(const ConversionSettings& settings, const JpegChoice& jpeg, const std::string& input);
