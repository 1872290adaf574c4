#pragma once
// Peer programs as oracles for the own coders' tests: ImageMagick and netpbm write files at test time
// and decode ours, and their decode is compared pixel for pixel with ours. A missing peer fails the
// test by name; it is never skipped.

#include "tests/codec/support/CodecTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace codec_test {

struct RgbImage {
    int width = 0;
    int height = 0;
    Bytes rgb;   // red, green, blue, top row first
    bool operator==(const RgbImage&) const = default;
};

// Width, height and the samples in hex, for failure messages.
void PrintTo(const RgbImage& image, std::ostream* out);

// Success when every named program is on the PATH; the failure names the missing one.
testing::AssertionResult PeersInstalled(std::initializer_list<const char*> programs);
// Runs a shell command and returns its standard output; throws, naming the command, when it fails.
Bytes RunCommand(const std::string& command);
// A binary PPM (P6) or PGM (P5) with a maximum value of 255, as red, green, blue.
RgbImage ParseNetpbm(const Bytes& bytes);
Bytes ToPpm(const RgbImage& image);
// ImageMagick's decode of a file.
RgbImage PeerDecode(const std::filesystem::path& file);
// A picture whose neighbouring pixels all differ, so a shifted row or a swapped channel shows.
RgbImage TestPicture(int width, int height);
// Indices looked up in a palette of blue, green, red, reserved entries.
RgbImage ExpandIndices(const std::uint8_t* indices, int width, int height, const std::uint8_t* palette);
// Takes over a block returned by a reader: its first `bytes` bytes, then frees it.
Bytes TakeBlock(std::uint8_t* block, std::size_t bytes);

}  // namespace codec_test
