#pragma once
// The save dialog's file types: the one preselected follows the source's format.

#include <string>

// "*" + the source extension ("*.tif"), or "*.jpg" when there is none or it is ".gif", ".heic", ".heif" or
// ".avif" (formats that are read but not written).
std::string DefaultSaveType(const std::string& sourceExtension);
// The filter string, the default type's entry first ("Portable Graphics (*.png)|*.png|..." ending in
// "|"); a type without its own entry comes first as "Last File Extension (*.tif)|*.tif|".
std::string SaveDialogFilter(const std::string& defaultType);
