#include "tests/codec/support/MetafileBuilder.h"

#include <bit>

namespace codec_test {

namespace {

void Put16(Bytes& out, std::uint32_t value)
{
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(Bytes& out, std::uint32_t value)
{
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

}  // namespace

Words Dword(std::uint32_t value)
{
    return {static_cast<int>(value & 0xFFFF), static_cast<int>(value >> 16)};
}

Words operator+(Words first, const Words& second)
{
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

WmfBuilder& WmfBuilder::Record(std::uint16_t function, const Words& words, const Bytes& tail)
{
    const std::uint32_t tailWords = static_cast<std::uint32_t>((tail.size() + 1) / 2);
    const std::uint32_t size = 3 + static_cast<std::uint32_t>(words.size()) + tailWords;
    Put32(records_, size);
    Put16(records_, function);
    for (const int word : words) Put16(records_, static_cast<std::uint16_t>(word));
    records_.insert(records_.end(), tail.begin(), tail.end());
    if (tail.size() % 2 != 0) records_.push_back(0);
    largest_ = std::max(largest_, size);
    return *this;
}

Bytes WmfBuilder::Plain(std::uint16_t objects) const
{
    Bytes out;
    Put16(out, 1);
    Put16(out, 9);
    Put16(out, 0x0300);
    Put32(out, static_cast<std::uint32_t>(9 + records_.size() / 2 + 3));
    Put16(out, objects);
    Put32(out, largest_);
    Put16(out, 0);
    out.insert(out.end(), records_.begin(), records_.end());
    Put32(out, 3);   // end record
    Put16(out, 0);
    return out;
}

Bytes WmfBuilder::Placeable(int left, int top, int right, int bottom, int unitsPerInch, std::uint16_t objects) const
{
    const std::uint16_t words[10] = {0xCDD7, 0x9AC6, 0, static_cast<std::uint16_t>(left), static_cast<std::uint16_t>(top),
                                     static_cast<std::uint16_t>(right), static_cast<std::uint16_t>(bottom),
                                     static_cast<std::uint16_t>(unitsPerInch), 0, 0};
    Bytes out;
    std::uint16_t checksum = 0;
    for (const std::uint16_t word : words) {
        Put16(out, word);
        checksum ^= word;
    }
    Put16(out, checksum);
    const Bytes plain = Plain(objects);
    out.insert(out.end(), plain.begin(), plain.end());
    return out;
}

EmfBuilder& EmfBuilder::Record(std::uint32_t type, const std::vector<std::int32_t>& values, const Bytes& tail)
{
    const std::uint32_t size = static_cast<std::uint32_t>(8 + 4 * values.size() + (tail.size() + 3) / 4 * 4);
    Put32(records_, type);
    Put32(records_, size);
    for (const std::int32_t value : values) Put32(records_, static_cast<std::uint32_t>(value));
    records_.insert(records_.end(), tail.begin(), tail.end());
    while (records_.size() % 4 != 0) records_.push_back(0);
    ++count_;
    return *this;
}

Bytes EmfBuilder::Build(int frameLeft, int frameTop, int frameRight, int frameBottom, std::uint16_t handles) const
{
    constexpr std::uint32_t kHeaderBytes = 88, kEofBytes = 20;
    Bytes out;
    Put32(out, 1);
    Put32(out, kHeaderBytes);
    for (int i = 0; i < 4; ++i) Put32(out, 0);   // bounds
    for (const int value : {frameLeft, frameTop, frameRight, frameBottom}) Put32(out, static_cast<std::uint32_t>(value));
    Put32(out, 0x464D4520);
    Put32(out, 0x00010000);
    Put32(out, static_cast<std::uint32_t>(kHeaderBytes + records_.size() + kEofBytes));
    Put32(out, count_ + 2);
    Put16(out, handles);
    Put16(out, 0);
    for (int i = 0; i < 3; ++i) Put32(out, 0);   // description and palette
    for (const std::uint32_t value : {1024u, 768u, 271u, 203u}) Put32(out, value);
    out.insert(out.end(), records_.begin(), records_.end());
    for (const std::uint32_t value : {14u, kEofBytes, 0u, 16u, kEofBytes}) Put32(out, value);
    return out;
}

std::int32_t FloatBits(float value)
{
    return std::bit_cast<std::int32_t>(value);
}

Bytes Utf16(const std::u16string& text)
{
    Bytes out;
    for (const char16_t unit : text) {
        out.push_back(static_cast<std::uint8_t>(unit));
        out.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    return out;
}

Bytes Points16(const std::vector<std::pair<int, int>>& points)
{
    Bytes out;
    for (const auto& [x, y] : points) {
        Put16(out, static_cast<std::uint16_t>(x));
        Put16(out, static_cast<std::uint16_t>(y));
    }
    return out;
}

Bytes Dib24(int width, int height, const std::function<std::uint32_t(int, int)>& colour)
{
    const std::uint32_t rowBytes = (static_cast<std::uint32_t>(width) * 3 + 3) / 4 * 4;
    Bytes out;
    for (const std::uint32_t value : {40u, static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height)})
        Put32(out, value);
    Put16(out, 1);
    Put16(out, 24);
    Put32(out, 0);
    Put32(out, rowBytes * static_cast<std::uint32_t>(height));
    for (int i = 0; i < 4; ++i) Put32(out, 0);
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const std::uint32_t rgb = colour(x, y);
            out.push_back(static_cast<std::uint8_t>(rgb));
            out.push_back(static_cast<std::uint8_t>(rgb >> 8));
            out.push_back(static_cast<std::uint8_t>(rgb >> 16));
        }
        out.resize(out.size() + (rowBytes - static_cast<std::uint32_t>(width) * 3), 0);
    }
    return out;
}

}  // namespace codec_test
