#pragma once
// Runs the command line in the test's own process, as main does, and keeps what it printed.

#include "cli/CliMain.h"

#include <sstream>
#include <string>
#include <vector>

struct CliRun {
    int exitCode;
    std::string out;
    std::string err;
};

inline CliRun RunCommand(std::vector<std::string> args)
{
    args.insert(args.begin(), "lumatrine-cli");
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    std::ostringstream out, err;
    const int exitCode = RunCli(static_cast<int>(argv.size()), argv.data(), out, err);
    return {exitCode, out.str(), err.str()};
}
