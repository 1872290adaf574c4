#pragma once
// The name proposed for a converted picture: the source's name without folder and extension, with
// "_16x9" or "_4x3" for the direction, so a conversion never proposes to overwrite its source.

#include <string>

struct ProposedName {
    std::string name;             // without folder and without extension
    std::string sourceExtension;  // from the last dot, lower case (".jpg"); empty when the name has none
};

// From the document's path name, or its title ("Untitled") when nothing was opened. `toFourThree` is
// the direction "16:9 to 4:3".
ProposedName ProposeOutputName(const std::string& pathName, const std::string& title, bool toFourThree);

// The extensions whose format has a writer the save dialog and the command line offer.
bool HasWriterForExtension(const std::string& lowerCaseExtension);

// Where a converted file goes when no name is asked for: in `folder` (the input's own when empty) under
// the proposed name, with the input's extension when it has a writer, else ".jpg". The extension is the
// one the save dialog would preselect, except for formats it could not write.
std::string ProposedOutputPath(const std::string& input, const std::string& folder, bool toFourThree);
