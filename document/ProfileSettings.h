#pragma once
// The settings the program keeps in the user's profile: sections, entry names and defaults. The
// conversion settings are never kept: every start begins with their defaults.

#include <string>

class CProfileStore;

namespace profile {
inline constexpr const char* kSettings = "Settings";
inline constexpr const char* kDocument = "Document";
inline constexpr const char* kRecentFiles = "Recent File List";
inline constexpr const char* kFrame = "Frame";
inline constexpr const char* kSaveType = "savetype";        // 1: every save dialog starts in savePath
inline constexpr const char* kSavePath = "savepath";
inline constexpr const char* kJpegTarget = "jpegtarget";    // "Suggest Quality" target, kilobytes
inline constexpr const char* kKeepMetadata = "keepmetadata";  // 1: saved pictures keep the source's metadata
inline constexpr const char* kPreviewPages = "PreviewPages";
inline constexpr const char* kOpenFolder = "Path";          // File Open's start folder
inline constexpr const char* kOutFolder = "outPath";        // the save dialog's start folder
inline constexpr int kRecentFileCount = 4;                  // "File1" to "File4"
inline constexpr int kDefaultJpegTargetKb = 250;
}  // namespace profile

// The application-wide save settings, read at start-up and written back at exit.
struct SaveSettings {
    int saveType = 0;
    std::string savePath;

    static SaveSettings Read(const CProfileStore& store);
    void Write(CProfileStore& store) const;
    // The fixed start folder is used only with save type 1 and a folder to use.
    bool UsesFixedFolder() const { return saveType == 1 && !savePath.empty(); }
};
