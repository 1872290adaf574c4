#pragma once
// Writing a file without ever losing the one it replaces.
//
// A writer writes a temporary file beside the target (same folder, so the final rename stays on one
// file system) and the temporary replaces the target in one rename only once the whole write succeeded.
// Until then an existing target is untouched, and a failed write leaves nothing behind; neither does an
// interrupted one, once the program asked for that (RemoveTemporariesOnInterrupt).

#include <string>

namespace platform {

// Creates an empty temporary file in the target's folder and returns its path; empty when the folder
// cannot be written.
std::string CreateTemporaryBeside(const std::string& targetPath);

// Gives the temporary the permissions the target has (or a new file would get) and renames it over the
// target. False, with the temporary removed, when the rename fails.
bool ReplaceWithTemporary(const std::string& temporaryPath, const std::string& targetPath);

// Removes a temporary that will not be used.
void DiscardTemporary(const std::string& temporaryPath);

// From now on SIGINT and SIGTERM remove the temporaries of the writes under way and end the process
// with 128 + the signal's number (130, 143). Finished files and the targets they would replace stay.
void RemoveTemporariesOnInterrupt();

}  // namespace platform
