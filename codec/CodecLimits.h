#pragma once
// The pixel budget every reader enforces before it allocates. Sizes taken from a file are untrusted:
// a header may claim any width and height, so each derived byte count is checked here, in 64-bit
// arithmetic, before memory is asked for.

#include "platform/GlobalMemory.h"

#include <cstdint>

namespace codec {

inline constexpr std::int64_t kMaxSide = 1'000'000;                         // pixels, width or height
inline constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 28;         // width x height, about 268 MP
inline constexpr std::uint64_t kMaxBlockBytes = platform::kMaxGlobalBlockBytes;  // any single block

}  // namespace codec
