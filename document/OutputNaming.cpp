#include "document/OutputNaming.h"

#include <algorithm>
#include <array>
#include <cctype>

ProposedName ProposeOutputName(const std::string& pathName, const std::string& title, bool toFourThree)
{
    std::string name = pathName;
    if (name.empty()) {
        // A title may hold characters that cannot start a file name's tail: cut before the first one.
        name = title.substr(0, title.find_first_of(" #%;/\\"));
        name += ".jpg";
    }
    const std::size_t folderEnd = name.find_last_of("/\\");
    if (folderEnd != std::string::npos) name.erase(0, folderEnd + 1);

    ProposedName proposed;
    const std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos) {
        proposed.sourceExtension = name.substr(dot);
        std::transform(proposed.sourceExtension.begin(), proposed.sourceExtension.end(),
                       proposed.sourceExtension.begin(), [](unsigned char c) { return std::tolower(c); });
        name.erase(dot);
        name += toFourThree ? "_4x3" : "_16x9";
    }
    proposed.name = name;
    return proposed;
}

bool HasWriterForExtension(const std::string& lowerCaseExtension)
{
    static constexpr std::array<const char*, 10> kWritable = {".jpg", ".jpeg", ".png", ".bmp", ".tif",
                                                              ".tiff", ".tga", ".psd", ".pcx", ".webp"};
    return std::any_of(kWritable.begin(), kWritable.end(),
                       [&](const char* extension) { return lowerCaseExtension == extension; });
}

std::string ProposedOutputPath(const std::string& input, const std::string& folder, bool toFourThree)
{
    const ProposedName proposed = ProposeOutputName(input, "", toFourThree);
    const std::string extension = HasWriterForExtension(proposed.sourceExtension) ? proposed.sourceExtension : ".jpg";
    std::string directory = folder;
    if (directory.empty()) {
        const std::size_t slash = input.find_last_of('/');
        if (slash != std::string::npos) directory = input.substr(0, slash == 0 ? 1 : slash);
    }
    if (!directory.empty() && directory.back() != '/') directory += '/';
    return directory + proposed.name + extension;
}
