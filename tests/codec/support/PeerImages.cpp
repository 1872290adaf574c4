#include "tests/codec/support/PeerImages.h"

#include "platform/GlobalMemory.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <stdexcept>

namespace codec_test {

void PrintTo(const RgbImage& image, std::ostream* out)
{
    *out << image.width << "x" << image.height << ":" << std::hex;
    for (std::size_t i = 0; i < image.rgb.size(); ++i) *out << (i % 3 == 0 ? " " : "") << int{image.rgb[i]};
    *out << std::dec;
}

testing::AssertionResult PeersInstalled(std::initializer_list<const char*> programs)
{
    for (const char* program : programs) {
        const std::string probe = std::string("command -v ") + program + " >/dev/null 2>&1";
        if (std::system(probe.c_str()) != 0) return testing::AssertionFailure() << "peer program missing: " << program;
    }
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
    if (token() != "255" || (magic != "P6" && magic != "P5")) throw std::runtime_error("unexpected netpbm: " + magic);
    const std::size_t samples = magic == "P6" ? 3 : 1;
    const std::size_t pixels = std::size_t(image.width) * image.height;
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
    return ParseNetpbm(RunCommand("convert '" + file.string() + "' -depth 8 ppm:-"));
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

}  // namespace codec_test
