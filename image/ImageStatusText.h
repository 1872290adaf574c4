#pragma once
// Words for a failed load or save, for the messages that name a file and the reason.

#include <string>

// The reason loading `path` failed, from the image status (5 there means an unknown file type, unless
// the file cannot even be opened).
std::string LoadFailureText(int status, const std::string& path);
// The reason a save failed (5 there means an extension without a writer).
std::string SaveFailureText(int status);
