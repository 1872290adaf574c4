#include "tests/codec/support/PeerProgram.h"

#include "platform/GlobalMemory.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace codec_test {

namespace {

bool IsInstalled(const std::string& program)
{
    return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

}  // namespace

Bytes RunPeer(const std::string& program, const std::string& arguments)
{
    if (!IsInstalled(program)) throw std::runtime_error("peer program '" + program + "' is not installed");
    const std::string command = program + " " + arguments + " 2>/dev/null";
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) throw std::runtime_error("cannot run " + command);
    Bytes output;
    std::uint8_t chunk[65536];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) output.insert(output.end(), chunk, chunk + got);
    if (pclose(pipe) != 0) throw std::runtime_error("peer command failed: " + command);
    return output;
}

std::string RunPeerText(const std::string& program, const std::string& arguments)
{
    const Bytes output = RunPeer(program, arguments);
    return std::string(output.begin(), output.end());
}

int MaxDifference(const Bytes& a, const Bytes& b)
{
    if (a.size() != b.size()) return 255;
    int largest = 0;
    for (std::size_t i = 0; i < a.size(); ++i) largest = std::max(largest, std::abs(int{a[i]} - int{b[i]}));
    return largest;
}

std::string Quoted(const std::filesystem::path& path)
{
    std::string quoted = "'";
    for (const char c : path.string()) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

}  // namespace codec_test
