#pragma once
// The pictures of a folder that "Load Next Image" and "Load Previous Image" step through.

#include <string>
#include <vector>

// The folder's files with a picture extension (".jpg" ".bmp" ".png" ".pcd" ".tga" ".tif" ".pcx" ".psd",
// any case) that are not outputs of this program (no "_16x9" or "_4x3" in the name), but always
// including the current file; as full paths, sorted byte-wise, case-sensitive ("B.jpg" before "a.jpg").
std::vector<std::string> ListNeighbourFiles(const std::string& currentPath);
// The same choice for a whole folder, without a current file: what "Convert Folder..." converts.
std::vector<std::string> ListFolderPictures(const std::string& folder);

enum class NeighbourStep { Found, AlreadyLast, AlreadyFirst, NotListed };

struct NeighbourResult {
    NeighbourStep step = NeighbourStep::NotListed;
    std::string path;  // the file to load when Found
};

// The entry after (forward) or before the current file, matched case-insensitively.
NeighbourResult FindNeighbour(const std::vector<std::string>& files, const std::string& currentPath, bool forward);
