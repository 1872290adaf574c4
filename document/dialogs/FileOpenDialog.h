#pragma once
// File Open (57601): the "Load image file" dialog with its preview panel.

#include <optional>
#include <string>

class CProfileStore;
class QWidget;

// Runs the dialog from the profile's "Document"/"Path" folder; after OK writes the chosen file's folder
// back there and returns the path. Nothing when cancelled.
std::optional<std::string> RunFileOpenDialog(QWidget* parent, CProfileStore& profile);
