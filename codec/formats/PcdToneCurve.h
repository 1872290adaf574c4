#pragma once
// The tone curves of Photo CD colour conversion: each maps a summed colour value from 0 to 350 onto an
// 8-bit output level. Image packs signed "PCDS" use the first curve, all others the second. Each curve
// is a monotonic cubic through fixed points every 25 input steps, flat at 255 from its saturation point.

#include <array>
#include <cstdint>

namespace codec {

inline constexpr int kPcdToneInputs = 351;
using PcdToneTable = std::array<std::uint8_t, kPcdToneInputs>;

// The curve for a pack whose signature is "PCDS" (true) or anything else (false). Built once, shared.
const PcdToneTable& PcdToneCurve(bool pcdsPack);

}  // namespace codec
