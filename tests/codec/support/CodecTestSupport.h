#pragma once
// Shared helpers of the codec tests: bytes as a memory source, scratch files, whole-file reads.

#include "codec/CodecIO.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace codec_test {

using Bytes = std::vector<std::uint8_t>;

// Bytes from a text, without its terminating zero: BytesOf("BM").
Bytes BytesOf(const std::string& text);

// A read-only memory source over its own copy of the bytes, closed on destruction.
class MemorySource {
public:
    explicit MemorySource(Bytes bytes);
    ~MemorySource();
    MemorySource(const MemorySource&) = delete;
    MemorySource& operator=(const MemorySource&) = delete;

    CodecIOHandle* Handle() const { return handle_; }
    // Seeks back to offset 0 and returns the handle, for a second query or read.
    CodecIOHandle* Rewound() const;

private:
    Bytes bytes_;
    CodecIOHandle* handle_;
};

// A file name in a fresh private directory, removed with the directory on destruction.
class TempFile {
public:
    explicit TempFile(const std::string& fileName = "file.bin");
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    const char* CPath() const { return pathText_.c_str(); }
    void Write(const Bytes& bytes) const;
    Bytes Read() const;

private:
    std::filesystem::path directory_;
    std::filesystem::path path_;
    std::string pathText_;
};

}  // namespace codec_test
