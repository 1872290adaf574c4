#pragma once
// A fresh folder under the system's temporary folder, removed with everything in it at the end of a test.

#include <filesystem>
#include <fstream>
#include <string>

class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "lumatrine-test-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
    }
    ~TempFolder()
    {
        std::error_code error;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, error);
        std::filesystem::remove_all(path_, error);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string Path() const { return path_.string(); }
    std::string File(const std::string& name) const { return (path_ / name).string(); }
    // Creates (or replaces) a file holding `bytes`; returns its path.
    std::string Write(const std::string& name, const std::string& bytes = {}) const
    {
        std::ofstream(File(name), std::ios::binary) << bytes;
        return File(name);
    }

private:
    std::filesystem::path path_;
};

// The whole content of a file, or empty when it cannot be read.
inline std::string ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
