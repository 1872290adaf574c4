#include "codec/pixels/ColorMatch.h"

#include "codec/CodecEntry.h"

#include <algorithm>

namespace {

// Above the largest possible distance, 3 x 255 x 255, so the first entry always becomes the best.
constexpr int kBeyondAnyDistance = 0x30000;

int Component(int color, int shift)
{
    return (color >> shift) & 0xFF;
}

}  // namespace

int CodecColorsMatch(int colorA, int colorB, unsigned toleranceSquared)
{
    return codec::RunCodecEntry([&](codec::CodecCall&) -> int {
        if (colorA == colorB) return 1;
        if (toleranceSquared == 0) return 0;
        unsigned distance = 0;
        for (const int shift : {0, 8, 16}) {
            const int difference = Component(colorA, shift) - Component(colorB, shift);
            distance += static_cast<unsigned>(difference * difference);
        }
        return distance <= toleranceSquared ? 1 : 0;
    });
}

namespace codec {

CCodecColorMatch::CCodecColorMatch()
{
    for (int difference = -255; difference <= 255; ++difference) squares_[255 + difference] = difference * difference;
}

void CCodecColorMatch::SetPalette(const std::uint8_t* palette, int count)
{
    paletteCount_ = std::clamp(count, 0, 256);
    std::copy_n(palette, 4 * paletteCount_, palette_.begin());
    hasPalette_ = true;
    cache_.clear();
    cache_.reserve(256);
}

int CCodecColorMatch::Match(int red, int green, int blue)
{
    if (!hasPalette_) return 0;
    red = std::clamp(red, 0, 255);       // the squares table covers differences of 8-bit components only
    green = std::clamp(green, 0, 255);
    blue = std::clamp(blue, 0, 255);
    const int key = red + green * 256 + blue * 65536;
    for (const auto& [cachedKey, cachedIndex] : cache_)
        if (cachedKey == key) return cachedIndex;

    int best = 0;
    int bestDistance = kBeyondAnyDistance;
    for (int index = 0; index < paletteCount_ && bestDistance != 0; ++index) {
        const std::uint8_t* entry = &palette_[4 * index];
        const int distance = squares_[255 + entry[2] - red] + squares_[255 + entry[1] - green] +
                             squares_[255 + entry[0] - blue];
        if (distance < bestDistance) {
            bestDistance = distance;
            best = index;
        }
    }
    if (cache_.size() >= kMaxCachedColors) cache_.clear();
    cache_.emplace_back(key, best);
    return best;
}

}  // namespace codec
