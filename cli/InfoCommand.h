#pragma once
// "lumatrine-cli info": the detected type, the size and depth as loaded, and the size stored in the file.

#include <iosfwd>
#include <string>
#include <vector>

int RunInfo(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
