#pragma once
// A whole encoded picture in memory, for the coders whose libraries decode from one block (WebP, HEIF).

#include "codec/CodecIO.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace codec {

// The largest encoded file these coders take into memory: far above any picture within the pixel
// budget, and small enough that a huge or endless source is refused before it is read.
inline constexpr std::uint64_t kMaxEncodedBytes = std::uint64_t{1} << 30;

// The bytes from the source's position to its end; nullopt when there are none, more than maxBytes,
// or a read fails.
std::optional<std::vector<std::uint8_t>> ReadRemainingBytes(CCodecIO& io, std::uint64_t maxBytes = kMaxEncodedBytes);

}  // namespace codec
