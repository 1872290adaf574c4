#pragma once
// Small Windows and enhanced metafiles built record by record, for the metafile reader's tests.

#include "tests/codec/support/CodecTestSupport.h"

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace codec_test {

// Parameters of a Windows metafile record: 16-bit words, negative values allowed.
using Words = std::vector<int>;
// The two words of a 32-bit value (colour, raster operation), low word first.
Words Dword(std::uint32_t value);
Words operator+(Words first, const Words& second);

class WmfBuilder {
public:
    // One record: the function, its parameter words, then raw bytes (a bitmap or a text, padded to
    // an even length).
    WmfBuilder& Record(std::uint16_t function, const Words& words, const Bytes& tail = {});
    // The records after a plain header, then the end record.
    Bytes Plain(std::uint16_t objects = 8) const;
    // The same after a 22-byte placeable header with its checksum.
    Bytes Placeable(int left, int top, int right, int bottom, int unitsPerInch, std::uint16_t objects = 8) const;

private:
    Bytes records_;
    std::uint32_t largest_ = 0;
};

class EmfBuilder {
public:
    // One record: the type, its 32-bit parameters, then raw bytes (padded to a multiple of four).
    EmfBuilder& Record(std::uint32_t type, const std::vector<std::int32_t>& values, const Bytes& tail = {});
    // Header record (frame in hundredths of a millimetre, a 1024 x 768 reference device of 271 x 203
    // millimetres), the records, then the end record.
    Bytes Build(int frameLeft, int frameTop, int frameRight, int frameBottom, std::uint16_t handles = 8) const;

private:
    Bytes records_;
    std::uint32_t count_ = 0;
};

// The bits of a 32-bit float, as enhanced metafiles store scales and transforms.
std::int32_t FloatBits(float value);
// Text as enhanced metafiles store it: UTF-16 code units, low byte first.
Bytes Utf16(const std::u16string& text);
// Points as 16-bit (x, y) pairs.
Bytes Points16(const std::vector<std::pair<int, int>>& points);
// A 40-byte header and the rows of a bottom-up 24-bit bitmap whose pixel (x, y), top row 0, is
// colour(x, y) as 0xRRGGBB.
Bytes Dib24(int width, int height, const std::function<std::uint32_t(int, int)>& colour);

}  // namespace codec_test
