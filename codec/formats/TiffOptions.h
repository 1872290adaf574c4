#pragma once
// The Tiff coder's per-thread options, held in CodecThreadState as `tiff`. The Tiff coder owns this
// header: its option entry points set these fields, its readers and writers read them, and they apply
// only to later calls on the same thread.

#include <cstdint>
#include <optional>
#include <string>

struct CodecTiffOptions {
    int rowsPerStrip = -1;                    // -1: the library's default strip size
    std::optional<std::string> softwareText;  // unset: the codec layer's name and version
    int jpegQuality = 75;                     // written files with JPEG compression
    int orientation = 1;                      // Orientation tag of written files, 1..8
};
