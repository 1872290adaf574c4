#pragma once
// A small, well-formed ICC profile for the metadata tests: a display RGB header and one copyright text
// tag, so peers embed and extract it without complaint and a changed byte shows.

#include "tests/codec/support/CodecTestSupport.h"

#include <string>

namespace codec_test {

// The profile's bytes, with `copyright` as its copyright text.
Bytes TestIccProfile(const std::string& copyright = "Lumatrine test profile");

}  // namespace codec_test
