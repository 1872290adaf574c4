#pragma once
// Bounds-checked little-endian reads from one metafile record.
//
// Metafile records are untrusted: every field read goes through a RecordBytes, which answers zero for
// a field that lies outside the record, and Has() lets a player refuse a record that is too short for
// what it claims before it draws anything.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace platform::metafile {

class RecordBytes {
public:
    explicit RecordBytes(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::size_t Size() const { return bytes_.size(); }
    // True when `count` bytes starting at `offset` lie inside the record, compared without overflow.
    bool Has(std::uint64_t offset, std::uint64_t count) const
    {
        return offset <= bytes_.size() && count <= bytes_.size() - offset;
    }
    std::span<const std::uint8_t> Slice(std::uint64_t offset, std::uint64_t count) const
    {
        return Has(offset, count) ? bytes_.subspan(offset, count) : std::span<const std::uint8_t>{};
    }

    // Everything from `offset` to the end of the record; empty when the offset lies beyond it.
    std::span<const std::uint8_t> From(std::uint64_t offset) const
    {
        return offset <= bytes_.size() ? bytes_.subspan(offset) : std::span<const std::uint8_t>{};
    }

    std::uint8_t U8(std::uint64_t offset) const { return Has(offset, 1) ? bytes_[offset] : 0; }
    std::uint16_t U16(std::uint64_t offset) const
    {
        return Has(offset, 2) ? static_cast<std::uint16_t>(bytes_[offset] | bytes_[offset + 1] << 8) : 0;
    }
    std::int16_t I16(std::uint64_t offset) const { return static_cast<std::int16_t>(U16(offset)); }
    std::uint32_t U32(std::uint64_t offset) const
    {
        return std::uint32_t{U16(offset)} | std::uint32_t{U16(offset + 2)} << 16;
    }
    std::int32_t I32(std::uint64_t offset) const { return static_cast<std::int32_t>(U32(offset)); }
    float F32(std::uint64_t offset) const
    {
        const std::uint32_t raw = U32(offset);
        float value;
        std::memcpy(&value, &raw, sizeof value);
        return value;
    }

private:
    std::span<const std::uint8_t> bytes_;
};

}  // namespace platform::metafile
