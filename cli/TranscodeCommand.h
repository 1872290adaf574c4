#pragma once
// "lumatrine-cli transcode": loads a picture as the program does and saves it unchanged in the format
// of the output's extension.

#include <iosfwd>
#include <string>
#include <vector>

int RunTranscode(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
