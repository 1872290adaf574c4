#pragma once
// CodecDpiInfo: the resolution record that dimension queries fill and writers take. Each format keeps
// its own unit codes: JPEG 0 none, 1 per inch, 2 per centimetre; PNG 0 unknown, 1 per metre; TIFF 1 none,
// 2 inch, 3 centimetre; BMP reports pixels per centimetre with unit 1.

#include <cstdint>

struct CodecDpiInfo {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t unit = 0;
};
