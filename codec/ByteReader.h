#pragma once
// Bounded, buffered reading of an untrusted source for the decoders.
//
// A ByteReader starts at the source's current position and never reads past its end: every read
// reports whether all requested bytes arrived, so a truncated file is a failed read, never a garbage
// value. Multi-byte fields are assembled byte by byte (LoadLe16, LoadBe32, ...) instead of overlaying
// structs, so alignment and host byte order do not matter. The reader buffers; while it is in use the
// decoder reads only through it. Sync() puts the source's position where the reader stands.

#include "codec/CodecIO.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace codec {

inline std::uint16_t LoadLe16(const std::uint8_t* bytes)
{
    return static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
}
inline std::uint16_t LoadBe16(const std::uint8_t* bytes)
{
    return static_cast<std::uint16_t>(bytes[0] << 8 | bytes[1]);
}
inline std::uint32_t LoadLe32(const std::uint8_t* bytes)
{
    return std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 | std::uint32_t{bytes[2]} << 16 |
           std::uint32_t{bytes[3]} << 24;
}
inline std::uint32_t LoadBe32(const std::uint8_t* bytes)
{
    return std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 | std::uint32_t{bytes[2]} << 8 |
           std::uint32_t{bytes[3]};
}
inline void StoreLe16(std::uint8_t* bytes, std::uint16_t value)
{
    bytes[0] = static_cast<std::uint8_t>(value);
    bytes[1] = static_cast<std::uint8_t>(value >> 8);
}
inline void StoreBe16(std::uint8_t* bytes, std::uint16_t value)
{
    bytes[0] = static_cast<std::uint8_t>(value >> 8);
    bytes[1] = static_cast<std::uint8_t>(value);
}
inline void StoreLe32(std::uint8_t* bytes, std::uint32_t value)
{
    StoreLe16(bytes, static_cast<std::uint16_t>(value));
    StoreLe16(bytes + 2, static_cast<std::uint16_t>(value >> 16));
}
inline void StoreBe32(std::uint8_t* bytes, std::uint32_t value)
{
    StoreBe16(bytes, static_cast<std::uint16_t>(value >> 16));
    StoreBe16(bytes + 2, static_cast<std::uint16_t>(value));
}

class ByteReader {
public:
    explicit ByteReader(CCodecIO& io);

    // True only when every byte of `destination` was filled.
    bool ReadExact(std::span<std::uint8_t> destination);
    bool ReadByte(std::uint8_t& value);
    bool ReadLe16(std::uint16_t& value);
    bool ReadBe16(std::uint16_t& value);
    bool ReadLe32(std::uint32_t& value);
    bool ReadBe32(std::uint32_t& value);
    // Moves forward; false (and the position unchanged) when fewer than `bytes` bytes remain.
    bool Skip(std::uint64_t bytes);
    // Moves to an absolute offset of the source; false when it lies beyond the end.
    bool Seek(std::uint64_t offset);

    std::uint64_t Position() const { return bufferStart_ + bufferPos_; }
    std::uint64_t Size() const { return size_; }
    std::uint64_t Remaining() const { return size_ - Position(); }
    // Leaves the source positioned where the reader stands.
    bool Sync();

private:
    bool Refill();

    CCodecIO& io_;
    std::uint64_t size_;
    std::uint64_t bufferStart_;       // source offset of buffer_[0]
    std::size_t bufferPos_ = 0;
    std::size_t bufferEnd_ = 0;
    std::array<std::uint8_t, 16384> buffer_{};
};

}  // namespace codec
