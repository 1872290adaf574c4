#pragma once
// The command-line front end: "convert", "info" and "transcode". Exit status 0 when every input
// succeeded, 1 when at least one failed (one line on `err` per failure), 2 for a usage error.

#include <iosfwd>

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

int RunCli(int argc, char** argv, std::ostream& out, std::ostream& err);
