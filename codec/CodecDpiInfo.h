#pragma once
// Resolution record: filled by dimension queries and passed to writers. Each format keeps its own unit
// codes in `unit` (its coder's header says which); x and y are whole pixels per that unit.

#include <cstdint>

struct CodecDpiInfo {
    std::int32_t x;
    std::int32_t y;
    std::int32_t unit;
};
