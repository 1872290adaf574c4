#pragma once
// "lumatrine-cli convert": converts each input as the desktop program would and saves it under the
// proposed name, on several worker threads at once.

#include <iosfwd>
#include <string>
#include <vector>

int RunConvert(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
