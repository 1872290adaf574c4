#pragma once
// Peer programs (ImageMagick, libtiff's tools) as oracles for the codec tests: they write the real files
// our readers must decode, and read back the files our writers produce. A peer that is not installed
// fails the test that needs it, naming the program.

#include "tests/codec/support/CodecTestSupport.h"

#include <string>

namespace codec_test {

// Runs `program arguments...` through the shell and returns what it wrote to standard output. Throws
// std::runtime_error naming the program when it is missing or exits with a failure.
Bytes RunPeer(const std::string& program, const std::string& arguments);
// The same, for standard output as text.
std::string RunPeerText(const std::string& program, const std::string& arguments);
// Copies a pixel block a reader returned and frees it; empty for null (defined with PeerImages).
Bytes TakeBlock(std::uint8_t* block, std::size_t bytes);
// The largest difference between two byte strings of the same length (255 when the lengths differ).
int MaxDifference(const Bytes& a, const Bytes& b);
// A path quoted for the shell.
std::string Quoted(const std::filesystem::path& path);

}  // namespace codec_test
