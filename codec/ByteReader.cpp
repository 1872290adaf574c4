#include "codec/ByteReader.h"

#include <algorithm>
#include <cstring>

namespace codec {

ByteReader::ByteReader(CCodecIO& io) : io_(io), size_(io.Size()), bufferStart_(io.Tell())
{
    // A source positioned past its end (a file after a seek) has nothing left to read.
    size_ = std::max(size_, bufferStart_);
}

bool ByteReader::Refill()
{
    bufferStart_ += bufferEnd_;
    bufferPos_ = bufferEnd_ = 0;
    const std::uint64_t wanted = std::min<std::uint64_t>(buffer_.size(), Remaining());
    if (wanted == 0) return false;
    bufferEnd_ = io_.Read(buffer_.data(), static_cast<std::size_t>(wanted));
    // A source that delivers less than it claimed has ended there.
    if (bufferEnd_ < wanted) size_ = bufferStart_ + bufferEnd_;
    return bufferEnd_ != 0;
}

bool ByteReader::ReadExact(std::span<std::uint8_t> destination)
{
    if (destination.size() > Remaining()) return false;
    std::size_t done = 0;
    while (done < destination.size()) {
        if (bufferPos_ == bufferEnd_ && !Refill()) return false;
        const std::size_t chunk = std::min(destination.size() - done, bufferEnd_ - bufferPos_);
        std::memcpy(destination.data() + done, buffer_.data() + bufferPos_, chunk);
        bufferPos_ += chunk;
        done += chunk;
    }
    return true;
}

bool ByteReader::ReadByte(std::uint8_t& value)
{
    if (bufferPos_ == bufferEnd_ && !Refill()) return false;
    value = buffer_[bufferPos_++];
    return true;
}

namespace {

template <std::size_t Width, typename Value, typename Load>
bool ReadField(ByteReader& reader, Value& value, Load load)
{
    std::array<std::uint8_t, Width> raw;
    if (!reader.ReadExact(raw)) return false;
    value = load(raw.data());
    return true;
}

}  // namespace

bool ByteReader::ReadLe16(std::uint16_t& value) { return ReadField<2>(*this, value, LoadLe16); }
bool ByteReader::ReadBe16(std::uint16_t& value) { return ReadField<2>(*this, value, LoadBe16); }
bool ByteReader::ReadLe32(std::uint32_t& value) { return ReadField<4>(*this, value, LoadLe32); }
bool ByteReader::ReadBe32(std::uint32_t& value) { return ReadField<4>(*this, value, LoadBe32); }

bool ByteReader::Skip(std::uint64_t bytes)
{
    if (bytes > Remaining()) return false;
    return Seek(Position() + bytes);
}

bool ByteReader::Seek(std::uint64_t offset)
{
    if (offset > size_) return false;
    if (offset >= bufferStart_ && offset <= bufferStart_ + bufferEnd_) {
        bufferPos_ = static_cast<std::size_t>(offset - bufferStart_);
        return true;
    }
    if (!io_.Seek(static_cast<std::int64_t>(offset), kCodecSeekStart)) return false;
    bufferStart_ = offset;
    bufferPos_ = bufferEnd_ = 0;
    return true;
}

bool ByteReader::Sync()
{
    const std::uint64_t position = Position();
    if (!io_.Seek(static_cast<std::int64_t>(position), kCodecSeekStart)) return false;
    bufferStart_ = position;
    bufferPos_ = bufferEnd_ = 0;
    return true;
}

}  // namespace codec
