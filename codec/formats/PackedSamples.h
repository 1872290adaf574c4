#pragma once
// Samples of 1, 2, 4 or 8 bits packed into bytes, the leftmost pixel in the most significant bits, as
// BMP and PCX rows store palette indices.

#include <cstdint>

namespace codec {

inline std::uint8_t PackedSampleAt(const std::uint8_t* row, std::uint32_t x, unsigned bits)
{
    const std::uint64_t bit = std::uint64_t{x} * bits;
    const unsigned shift = 8 - bits - static_cast<unsigned>(bit & 7);
    return static_cast<std::uint8_t>((row[bit >> 3] >> shift) & ((1u << bits) - 1));
}

}  // namespace codec
