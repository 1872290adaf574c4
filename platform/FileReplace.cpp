#include "platform/FileReplace.h"

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {
namespace {

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The mode a new file gets: everything the process umask allows of rw-rw-rw-.
mode_t NewFileMode()
{
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

}  // namespace

std::string CreateTemporaryBeside(const std::string& targetPath)
{
    // A hidden name in the target's folder: ".photo_16x9.jpg.XXXXXX".
    const std::string pattern = FolderOf(targetPath) + "/." + NameOf(targetPath) + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data());
    if (fd < 0) return {};
    close(fd);
    return name.data();
}

bool ReplaceWithTemporary(const std::string& temporaryPath, const std::string& targetPath)
{
    struct stat existing {};
    const mode_t mode = stat(targetPath.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : NewFileMode();
    chmod(temporaryPath.c_str(), mode);
    if (std::rename(temporaryPath.c_str(), targetPath.c_str()) != 0) {
        DiscardTemporary(temporaryPath);
        return false;
    }
    return true;
}

void DiscardTemporary(const std::string& temporaryPath)
{
    if (!temporaryPath.empty()) std::remove(temporaryPath.c_str());
}

}  // namespace platform
