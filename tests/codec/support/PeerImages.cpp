#include "tests/codec/support/PeerImages.h"

#include "codec/CodecErrors.h"
#include "codec/CodecThreadState.h"
#include "platform/GlobalMemory.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <stdexcept>

namespace codec_test {

namespace {

bool IsInstalled(const std::string& program)
{
    return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

}  // namespace

void PrintTo(const RgbImage& image, std::ostream* out)
{
    *out << image.width << "x" << image.height << ":" << std::hex;
    for (std::size_t i = 0; i < image.rgb.size(); ++i) *out << (i % 3 == 0 ? " " : "") << int{image.rgb[i]};
    *out << std::dec;
}

testing::AssertionResult PeersInstalled(std::initializer_list<const char*> programs)
{
    for (const char* program : programs)
        if (!IsInstalled(program)) return testing::AssertionFailure() << "peer program missing: " << program;
    return testing::AssertionSuccess();
}

Bytes RunCommand(const std::string& command)
{
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) throw std::runtime_error("cannot run: " + command);
    Bytes output;
    std::uint8_t chunk[65536];
    while (const std::size_t got = std::fread(chunk, 1, sizeof chunk, pipe)) output.insert(output.end(), chunk, chunk + got);
    if (pclose(pipe) != 0) throw std::runtime_error("command failed: " + command);
    return output;
}

Bytes RunPeer(const std::string& program, const std::string& arguments)
{
    if (!IsInstalled(program)) throw std::runtime_error("peer program '" + program + "' is not installed");
    return RunCommand(program + " " + arguments + " 2>/dev/null");
}

std::string RunPeerText(const std::string& program, const std::string& arguments)
{
    const Bytes output = RunPeer(program, arguments);
    return std::string(output.begin(), output.end());
}

std::string Quoted(const std::filesystem::path& path)
{
    std::string quoted = "'";
    for (const char c : path.string()) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

int MaxDifference(const Bytes& a, const Bytes& b)
{
    if (a.size() != b.size()) return 255;
    int largest = 0;
    for (std::size_t i = 0; i < a.size(); ++i) largest = std::max(largest, std::abs(int{a[i]} - int{b[i]}));
    return largest;
}

RgbImage ParseNetpbm(const Bytes& bytes)
{
    std::size_t at = 0;
    auto token = [&] {
        std::string text;
        while (at < bytes.size()) {
            const char c = static_cast<char>(bytes[at]);
            if (c == '#') {
                while (at < bytes.size() && bytes[at] != '\n') ++at;
            } else if (std::isspace(static_cast<unsigned char>(c))) {
                ++at;
                if (!text.empty()) return text;
            } else {
                text += c;
                ++at;
            }
        }
        return text;
    };
    const std::string magic = token();
    RgbImage image;
    image.width = std::stoi(token());
    image.height = std::stoi(token());
    const std::size_t pixels = std::size_t(image.width) * image.height;
    if (magic == "P4") {   // 1 bit a pixel, rows padded to bytes, a set bit is black
        const std::size_t rowBytes = (std::size_t(image.width) + 7) / 8;
        if (bytes.size() - at < rowBytes * image.height) throw std::runtime_error("short netpbm data");
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x) {
                const bool black = (bytes[at + y * rowBytes + x / 8] >> (7 - x % 8)) & 1;
                image.rgb.insert(image.rgb.end(), 3, black ? 0 : 255);
            }
        return image;
    }
    if (token() != "255" || (magic != "P6" && magic != "P5")) throw std::runtime_error("unexpected netpbm: " + magic);
    const std::size_t samples = magic == "P6" ? 3 : 1;
    if (bytes.size() - at < pixels * samples) throw std::runtime_error("short netpbm data");
    for (std::size_t i = 0; i < pixels; ++i)
        for (int c = 0; c < 3; ++c) image.rgb.push_back(bytes[at + i * samples + (samples == 3 ? c : 0)]);
    return image;
}

Bytes ToPpm(const RgbImage& image)
{
    std::ostringstream header;
    header << "P6\n" << image.width << ' ' << image.height << "\n255\n";
    Bytes bytes = BytesOf(header.str());
    bytes.insert(bytes.end(), image.rgb.begin(), image.rgb.end());
    return bytes;
}

RgbImage PeerDecode(const std::filesystem::path& file)
{
    return ParseNetpbm(RunCommand("convert " + Quoted(file) + " -depth 8 ppm:-"));
}

RgbImage DecodeWithPeer(const std::string& decoder, const std::filesystem::path& file)
{
    return ParseNetpbm(RunCommand(decoder + " " + Quoted(file) + " 2>/dev/null"));
}

RgbImage TestPicture(int width, int height)
{
    RgbImage image{width, height, {}};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.rgb.push_back(static_cast<std::uint8_t>(x * 37 + y * 11));
            image.rgb.push_back(static_cast<std::uint8_t>(y * 53 + x * 5 + 20));
            image.rgb.push_back(static_cast<std::uint8_t>((x + y) * 29 + 90));
        }
    }
    return image;
}

RgbImage ExpandIndices(const std::uint8_t* indices, int width, int height, const std::uint8_t* palette)
{
    RgbImage image{width, height, {}};
    for (int i = 0; i < width * height; ++i) {
        const std::uint8_t* entry = palette + 4 * indices[i];
        image.rgb.insert(image.rgb.end(), {entry[2], entry[1], entry[0]});
    }
    return image;
}

Bytes TakeBlock(std::uint8_t* block, std::size_t bytes)
{
    if (block == nullptr) return {};
    Bytes copy(block, block + bytes);
    platform::GlobalFree(block);
    return copy;
}

Decoded ReadWith(const ReaderCall& read, const Bytes& file, int bitsPerPixel)
{
    MemorySource source(file);
    Decoded result;
    std::uint8_t* block = read(source.Handle(), &result.width, &result.height, bitsPerPixel, result.palette.data());
    result.error = CodecGetLastError();
    result.pixels = TakeBlock(block, platform::GlobalSize(block));
    return result;
}

Bytes ShownRgb(const Decoded& decoded, int bitsPerPixel)
{
    if (bitsPerPixel == 24) return decoded.pixels;
    Bytes rgb;
    const std::size_t rowBytes = (std::size_t(decoded.width) * bitsPerPixel + 7) / 8;
    for (int y = 0; y < decoded.height; ++y)
        for (int x = 0; x < decoded.width; ++x) {
            const std::uint8_t* row = &decoded.pixels[y * rowBytes];
            const int index = bitsPerPixel == 1 ? (row[x / 8] >> (7 - x % 8)) & 1 : row[x];
            rgb.insert(rgb.end(), {decoded.palette[4 * index + 2], decoded.palette[4 * index + 1], decoded.palette[4 * index]});
        }
    return rgb;
}

PeerDecoder NetpbmDecoder(const std::string& program)
{
    return [program](const std::filesystem::path& file) { return DecodeWithPeer(program, file); };
}

PeerFile MakePeerFile(const std::string& command, const std::string& outputName, const PeerDecoder& decode)
{
    TempFile source("src.ppm");
    source.Write(ToPpm(TestPicture(13, 7)));
    RunCommand("cd " + Quoted(source.Path().parent_path()) + " && " + command);
    const std::filesystem::path output = source.Path().parent_path() / outputName;
    return {RunCommand("cat " + Quoted(output)), decode(output)};
}

PeerFolder::PeerFolder() : source_("src.ppm")
{
    source_.Write(ToPpm(TestPicture(13, 7)));
    Run("convert src.ppm src.png && convert src.ppm -alpha set -channel A -fx i/w +channel PNG32:alpha.png");
}

Bytes PeerFolder::Run(const std::string& command) const
{
    return RunCommand("cd " + Quoted(source_.Path().parent_path()) + " && " + command);
}

Bytes PeerFolder::Read(const std::string& name) const
{
    return RunCommand("cat " + Quoted(source_.Path().parent_path() / name));
}

void PrintTo(const PeerCase& row, std::ostream* out) { *out << row.name; }
void PrintTo(const BadFileCase& row, std::ostream* out) { *out << row.name; }
void PrintTo(const MadeBadFileCase& row, std::ostream* out) { *out << row.name; }

Bytes FirstHalf(Bytes file)
{
    file.resize(file.size() / 2);
    return file;
}

void ExpectDecodesAsPeer(const ReaderCall& read, const PeerFile& file, bool indexed)
{
    const Decoded rgb = ReadWith(read, file.bytes, 24);
    ASSERT_EQ(rgb.error, kCodecOk);
    EXPECT_EQ(rgb.Rgb(), file.want);
    if (!indexed) return;
    const Decoded indices = ReadWith(read, file.bytes, 8);
    ASSERT_EQ(indices.error, kCodecOk);
    EXPECT_EQ(ExpandIndices(indices.pixels.data(), indices.width, indices.height, indices.palette.data()), file.want);
}

void ExpectCloseToPeer(const Decoded& ours, const RgbImage& want, int tolerance)
{
    ASSERT_EQ(ours.error, kCodecOk);
    ASSERT_EQ(ours.width, want.width);
    ASSERT_EQ(ours.height, want.height);
    EXPECT_LE(MaxDifference(ours.pixels, want.rgb), tolerance);
}

void ExpectRefused(const ReaderCall& read, const BadFileCase& row)
{
    const Decoded decoded = ReadWith(read, row.file, row.bits);
    EXPECT_TRUE(decoded.pixels.empty());
    EXPECT_EQ(decoded.error, row.want);
}

void ExpectRefused(const ReaderCall& read, const MadeBadFileCase& row)
{
    ExpectRefused(read, BadFileCase{row.name, row.make(), 24, row.want});
}

}  // namespace codec_test
