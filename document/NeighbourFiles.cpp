#include "document/NeighbourFiles.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>

namespace {

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

bool HasPictureExtension(const std::string& path)
{
    static constexpr std::array<const char*, 12> kExtensions = {".jpg", ".bmp", ".png",  ".pcd",  ".tga",  ".tif",
                                                                ".pcx", ".psd", ".webp", ".heic", ".heif", ".avif"};
    const std::size_t dot = path.find_last_of("./");
    if (dot == std::string::npos || path[dot] != '.') return false;
    const std::string tail = Lower(path.substr(dot));
    return std::any_of(kExtensions.begin(), kExtensions.end(), [&](const char* extension) { return tail == extension; });
}

bool IsConversionOutput(const std::string& name)
{
    return name.find("_16x9") != std::string::npos || name.find("_4x3") != std::string::npos;
}

// The folder's pictures that are not outputs of this program, plus `keptPath` (lower case) when listed.
std::vector<std::string> ListPictures(const std::string& folder, const std::string& keptKey)
{
    std::vector<std::string> files;
    DIR* directory = opendir(folder.empty() ? "/" : folder.c_str());
    if (directory == nullptr) return files;
    while (const dirent* entry = readdir(directory)) {
        const std::string name = entry->d_name;
        if (name.empty() || name == "." || name == "..") continue;
        const std::string fullPath = folder + "/" + name;
        struct stat status {};
        if (stat(fullPath.c_str(), &status) != 0 || S_ISDIR(status.st_mode)) continue;
        if (!HasPictureExtension(fullPath)) continue;
        if (IsConversionOutput(name) && Lower(fullPath) != keptKey) continue;
        files.push_back(fullPath);
    }
    closedir(directory);
    // Byte-wise and stable: upper-case letters before lower-case ones, equal paths keep their order.
    std::stable_sort(files.begin(), files.end(),
                     [](const std::string& a, const std::string& b) { return std::strcmp(a.c_str(), b.c_str()) < 0; });
    return files;
}

}  // namespace

std::vector<std::string> ListNeighbourFiles(const std::string& currentPath)
{
    if (currentPath.empty()) return {};
    const std::size_t slash = currentPath.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string() : currentPath.substr(0, slash);
    return ListPictures(folder, Lower(currentPath));
}

std::vector<std::string> ListFolderPictures(const std::string& folder)
{
    // A trailing slash would double in the paths; the root stays "/" through the empty folder.
    std::string trimmed = folder;
    while (!trimmed.empty() && trimmed.back() == '/') trimmed.pop_back();
    return ListPictures(trimmed, {});
}

NeighbourResult FindNeighbour(const std::vector<std::string>& files, const std::string& currentPath, bool forward)
{
    const std::string currentKey = Lower(currentPath);
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (Lower(files[i]) != currentKey) continue;
        if (forward) {
            if (i + 1 == files.size()) return {NeighbourStep::AlreadyLast, {}};
            return {NeighbourStep::Found, files[i + 1]};
        }
        if (i == 0) return {NeighbourStep::AlreadyFirst, {}};
        return {NeighbourStep::Found, files[i - 1]};
    }
    return {NeighbourStep::NotListed, {}};
}
