#pragma once
// Shared pieces of the pixel-utility tests: byte vectors, and lines of pixels that a test runs once laid
// out as a row (n x 1) and once as a column (1 x n), so both passes of a separable operation are covered.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

namespace pixel_test {

using Bytes = std::vector<std::uint8_t>;

// A line of single-byte pixels resized to `size` pixels along its axis, and the result it must give.
struct LineCase {
    const char* name;
    Bytes line;
    int size;
    Bytes want;
};

// Names "<case>_row" and "<case>_column" for the parameters (case, laid out as a column).
template <typename Case>
std::string OrientedName(const testing::TestParamInfo<std::tuple<Case, bool>>& info)
{
    return std::string(std::get<0>(info.param).name) + (std::get<1>(info.param) ? "_column" : "_row");
}

}  // namespace pixel_test
