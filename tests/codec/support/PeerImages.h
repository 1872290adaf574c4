#pragma once
// Peer programs as oracles for the codec tests: ImageMagick, netpbm and libtiff's tools write files at
// test time and decode ours, and their decode is compared with ours. A missing peer fails the test by
// name; it is never skipped. Also the read results every coder test compares: one reader call's size,
// code, pixels and palette.

#include "tests/codec/support/CodecTestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <functional>
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
// Runs `program arguments...` with its diagnostics discarded and returns its standard output. Throws
// std::runtime_error naming the program when it is missing or exits with a failure.
Bytes RunPeer(const std::string& program, const std::string& arguments);
// The same, for standard output as text.
std::string RunPeerText(const std::string& program, const std::string& arguments);
// A path quoted for the shell.
std::string Quoted(const std::filesystem::path& path);
// The largest difference between two byte strings of the same length (255 when the lengths differ).
int MaxDifference(const Bytes& a, const Bytes& b);
// A binary PPM (P6) or PGM (P5) with a maximum value of 255, or a PBM (P4), as red, green, blue.
RgbImage ParseNetpbm(const Bytes& bytes);
Bytes ToPpm(const RgbImage& image);
// ImageMagick's decode of a file.
RgbImage PeerDecode(const std::filesystem::path& file);
// A netpbm decoder's output for a file: DecodeWithPeer("tgatoppm", path).
RgbImage DecodeWithPeer(const std::string& decoder, const std::filesystem::path& file);
// A picture whose neighbouring pixels all differ, so a shifted row or a swapped channel shows.
RgbImage TestPicture(int width, int height);
// Indices looked up in a palette of blue, green, red, reserved entries.
RgbImage ExpandIndices(const std::uint8_t* indices, int width, int height, const std::uint8_t* palette);
// Takes over a block returned by a reader: its first `bytes` bytes, then frees it; empty for null.
Bytes TakeBlock(std::uint8_t* block, std::size_t bytes);

using Palette = std::array<std::uint8_t, 1024>;

// What one read left: the size, the thread's last error, the whole pixel block (empty on failure) and
// the palette.
struct Decoded {
    int width = 0;
    int height = 0;
    int error = 0;
    Bytes pixels;
    Palette palette{};

    RgbImage Rgb() const { return {width, height, pixels}; }
};

// One reader call: handle, width, height, bits per pixel, palette.
using ReaderCall = std::function<std::uint8_t*(CodecIOHandle*, int*, int*, int, std::uint8_t*)>;
Decoded ReadWith(const ReaderCall& read, const Bytes& file, int bitsPerPixel);
// Red, green, blue rows of what a read at 1, 8 or 24 bits shows: indices looked up in the palette.
Bytes ShownRgb(const Decoded& decoded, int bitsPerPixel);

// A file a peer program wrote at test time, with the peer's own decode of it.
struct PeerFile {
    Bytes bytes;
    RgbImage want;
};

// Runs `command` in a fresh folder that holds src.ppm (TestPicture(13, 7)); the command writes
// `outputName`, which `decode` (PeerDecode, or a netpbm decoder through DecodeWithPeer) decodes.
using PeerDecoder = std::function<RgbImage(const std::filesystem::path&)>;
PeerDecoder NetpbmDecoder(const std::string& program);
PeerFile MakePeerFile(const std::string& command, const std::string& outputName, const PeerDecoder& decode);

// A fresh folder holding src.png (TestPicture(13, 7)) and alpha.png (the same with its alpha rising from
// left to right), where the peers of a table row write and decode their files.
class PeerFolder {
public:
    PeerFolder();
    // Runs a shell command in the folder and returns its standard output; throws when it fails.
    Bytes Run(const std::string& command) const;
    Bytes Read(const std::string& name) const;

private:
    TempFile source_;
};

// A row of a peer-file table: how the peer writes out.<ext> from src.ppm, and whether the file is
// indexed, so that it is also read at 8 bits through its palette.
struct PeerCase {
    const char* name;
    const char* command;
    bool indexed;
};
void PrintTo(const PeerCase& row, std::ostream* out);

// A row of a malformed-file table: the bytes, the depth they are read at and the code the read must leave.
struct BadFileCase {
    const char* name;
    Bytes file;
    int bits;
    int want;
};
void PrintTo(const BadFileCase& row, std::ostream* out);

// The same for files the peers make when the test runs, read at 24 bits.
struct MadeBadFileCase {
    const char* name;
    std::function<Bytes()> make;
    int want;
};
void PrintTo(const MadeBadFileCase& row, std::ostream* out);
// The first half of a file.
Bytes FirstHalf(Bytes file);

// Our read at 24 bits, and at 8 bits for indexed files, equals the peer's decode.
void ExpectDecodesAsPeer(const ReaderCall& read, const PeerFile& file, bool indexed);
// A successful read of the peer's size whose samples are at most `tolerance` from the peer's.
void ExpectCloseToPeer(const Decoded& ours, const RgbImage& want, int tolerance);
// Our read of a malformed file leaves the row's code and no pixels.
void ExpectRefused(const ReaderCall& read, const BadFileCase& row);
void ExpectRefused(const ReaderCall& read, const MadeBadFileCase& row);

}  // namespace codec_test
