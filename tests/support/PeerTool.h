#pragma once
// Peer programs (ImageMagick, netpbm, libtiff tools) write real files for the tests and read ours back.

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>

// Runs a shell command and returns its standard output; the test fails, naming the command, when the
// command is missing or exits with an error.
inline std::string RunPeer(const std::string& command)
{
    std::string output;
    std::FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) {
        ADD_FAILURE() << "cannot run: " << command;
        return output;
    }
    std::array<char, 4096> buffer;
    while (const std::size_t count = std::fread(buffer.data(), 1, buffer.size(), pipe)) output.append(buffer.data(), count);
    if (pclose(pipe) != 0) ADD_FAILURE() << "peer command failed: " << command << "\n" << output;
    return output;
}
