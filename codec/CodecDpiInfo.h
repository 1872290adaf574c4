#pragma once
// Resolution record: filled by dimension queries, passed to writers. Each format has its own unit codes
// (BMP reports pixels per centimetre with unit 1; JPEG, PNG and TIFF use their files' own codes).

#include <cstdint>

struct CodecDpiInfo {
    std::int32_t x;
    std::int32_t y;
    std::int32_t unit;
};
