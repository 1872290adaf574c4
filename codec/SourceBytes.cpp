#include "codec/SourceBytes.h"

namespace codec {

std::optional<std::vector<std::uint8_t>> ReadRemainingBytes(CCodecIO& io, std::uint64_t maxBytes)
{
    const std::uint64_t size = io.Size();
    const std::uint64_t position = io.Tell();
    if (position >= size || size - position > maxBytes) return std::nullopt;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size - position));
    if (!io.ReadExact(bytes.data(), bytes.size())) return std::nullopt;
    return bytes;
}

}  // namespace codec
