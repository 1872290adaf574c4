#include "tests/codec/support/CodecTestSupport.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace codec_test {

Bytes BytesOf(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

MemorySource::MemorySource(Bytes bytes) : bytes_(std::move(bytes)), handle_(CodecOpenMemorySource(bytes_.data(), bytes_.size()))
{
    if (handle_ == nullptr) throw std::runtime_error("memory source could not be opened");
}

MemorySource::~MemorySource()
{
    CodecCloseSource(handle_);
}

CodecIOHandle* MemorySource::Rewound() const
{
    CodecSeek(handle_, 0, kCodecSeekStart);
    return handle_;
}

TempFile::TempFile(const std::string& fileName)
{
    std::string pattern = (std::filesystem::temp_directory_path() / "lumatrine-codec-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no temporary directory");
    directory_ = pattern;
    path_ = directory_ / fileName;
    pathText_ = path_.string();
}

TempFile::~TempFile()
{
    std::error_code ignored;
    std::filesystem::remove_all(directory_, ignored);
}

void TempFile::Write(const Bytes& bytes) const
{
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + pathText_);
}

Bytes TempFile::Read() const
{
    std::ifstream in(path_, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace codec_test
