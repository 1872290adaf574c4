#pragma once
// Colour comparison and nearest-palette-colour matching.

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

// Compares two colours held in bits 0-7, 8-15 and 16-23 of an int (the three components are treated
// alike, so their order does not matter). 1 when they are equal; otherwise, with a zero tolerance, 0;
// otherwise 1 when the sum of the squared component differences is at most toleranceSquared.
// Leaves kCodecOk as the last error.
int CodecColorsMatch(int colorA, int colorB, unsigned toleranceSquared);

namespace codec {

// Finds the palette entry nearest to a colour (least sum of squared component differences; the first
// of equally near entries wins). Answers are cached per colour, since resized pictures repeat their
// colours; the cache holds at most 255 colours and is emptied when it is full. One matcher serves one
// call on one thread: it owns a copy of the palette and shares nothing.
class CCodecColorMatch {
public:
    static constexpr int kMaxCachedColors = 255;

    CCodecColorMatch();
    virtual ~CCodecColorMatch() = default;

    // Copies the first `count` (clamped to 0..256) entries of a palette of blue, green, red, reserved
    // entries and forgets every cached answer.
    void SetPalette(const std::uint8_t* palette, int count);
    // The index of the entry nearest to the colour (components 0..255); 0 while no palette is set.
    int Match(int red, int green, int blue);
    int CachedColorCount() const { return static_cast<int>(cache_.size()); }

private:
    std::array<std::uint8_t, 256 * 4> palette_{};
    int paletteCount_ = 0;
    bool hasPalette_ = false;
    std::array<int, 511> squares_{};                 // squares_[255 + d] = d * d for d = -255..255
    std::vector<std::pair<int, int>> cache_;         // (red + green * 256 + blue * 65536, entry index)
};

}  // namespace codec
