#pragma once
// Palettes handed to and from the own coders: 256 entries of four bytes, blue, green, red, reserved.
// Readers write the file's own entries first and most of them fill the rest with copies of entry 0, so
// an index the file never defined shows entry 0's colour.

#include <cstdint>
#include <cstring>

namespace codec {

inline constexpr int kPaletteEntries = 256;
inline constexpr int kPaletteEntryBytes = 4;

inline void SetPaletteEntry(std::uint8_t* palette, int index, std::uint8_t red, std::uint8_t green,
                            std::uint8_t blue, std::uint8_t reserved)
{
    std::uint8_t* entry = palette + index * kPaletteEntryBytes;
    entry[0] = blue;
    entry[1] = green;
    entry[2] = red;
    entry[3] = reserved;
}

// Entries from `firstCopy` up to 256 become copies of entry 0.
inline void PadPaletteWithEntryZero(std::uint8_t* palette, int firstCopy)
{
    for (int index = firstCopy < 1 ? 1 : firstCopy; index < kPaletteEntries; ++index)
        std::memcpy(palette + index * kPaletteEntryBytes, palette, kPaletteEntryBytes);
}

}  // namespace codec
