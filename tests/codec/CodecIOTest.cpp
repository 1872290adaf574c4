#include "codec/CodecEntry.h"
#include "codec/CodecErrors.h"
#include "codec/CodecIO.h"
#include "platform/GlobalMemory.h"
#include "tests/codec/support/CodecTestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <ostream>
#include <thread>
#include <vector>

namespace {

using codec::CCodecIO;
using codec_test::Bytes;
using codec_test::MemorySource;
using codec_test::TempFile;

// Runs `body` on a CCodecIO over a live handle, as an entry point would.
template <typename Body>
void WithIO(CodecIOHandle* handle, Body body)
{
    ASSERT_EQ(codec::ValidateHandle(handle), kCodecOk);
    CCodecIO io(*handle);
    body(io);
}

Bytes Pattern(std::size_t size)
{
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 1);
    return bytes;
}

// Writes a header placeholder, the body, then seeks back and patches the header: what a TIFF writer does.
void WritePatchedFile(CCodecIO& io, const Bytes& body)
{
    const std::array<std::uint8_t, 8> placeholder{};
    ASSERT_TRUE(io.Write(placeholder.data(), placeholder.size()));
    ASSERT_TRUE(io.Write(body.data(), body.size()));
    ASSERT_TRUE(io.Seek(0, kCodecSeekStart));
    const std::array<std::uint8_t, 4> header{'I', 'I', 42, 0};
    ASSERT_TRUE(io.Write(header.data(), header.size()));
}

// --- Handle validation -------------------------------------------------------------------------------

struct BogusHandle {
    const char* name;
    CodecIOHandle* (*make)(std::vector<std::uint8_t*>& cleanup);
    int want;
};

CodecIOHandle* ClosedHandle(std::vector<std::uint8_t*>&)
{
    static const std::uint8_t bytes[4] = {1, 2, 3, 4};
    CodecIOHandle* handle = CodecOpenMemorySource(bytes, sizeof bytes);
    CodecCloseSource(handle);
    return handle;   // dangling: validation must refuse it without reading it
}

// A block laid out exactly like a handle, magics and all, that no opener returned.
CodecIOHandle* ForgedHandle(std::vector<std::uint8_t*>& cleanup)
{
    auto* block = static_cast<std::uint8_t*>(platform::GlobalAlloc(sizeof(CodecIOHandle)));
    cleanup.push_back(block);
    auto* handle = reinterpret_cast<CodecIOHandle*>(block);
    handle->startMagic = kCodecHandleStartMagic;
    handle->endMagic = kCodecHandleEndMagic;
    handle->kind = CodecIOKind::kCounting;
    return handle;
}

CodecIOHandle* SmallBlock(std::vector<std::uint8_t*>& cleanup)
{
    auto* block = static_cast<std::uint8_t*>(platform::GlobalAlloc(16));
    cleanup.push_back(block);
    return reinterpret_cast<CodecIOHandle*>(block);
}

CodecIOHandle* WildPointer(std::vector<std::uint8_t*>&)
{
    return reinterpret_cast<CodecIOHandle*>(std::uintptr_t{0x10});
}

const BogusHandle kBogusHandles[] = {
    {"null", [](std::vector<std::uint8_t*>&) -> CodecIOHandle* { return nullptr; }, kCodecErrInvalidArgument},
    {"closed", ClosedHandle, kCodecErrInvalidHandle},
    {"forged", ForgedHandle, kCodecErrInvalidHandle},
    {"small_block", SmallBlock, kCodecErrInvalidHandle},
    {"wild_pointer", WildPointer, kCodecErrInvalidHandle},
};

void PrintTo(const BogusHandle& row, std::ostream* out) { *out << row.name; }

class InvalidHandle : public testing::TestWithParam<BogusHandle> {};

TEST_P(InvalidHandle, IsRefusedWithoutBeingTouched)
{
    std::vector<std::uint8_t*> cleanup;
    CodecIOHandle* handle = GetParam().make(cleanup);
    EXPECT_EQ(codec::ValidateHandle(handle), GetParam().want);
    EXPECT_EQ(CodecSeek(handle, 0, kCodecSeekStart), 0);
    EXPECT_EQ(CodecGetLastError(), GetParam().want);
    EXPECT_EQ(CodecCloseSink(handle), 0);
    EXPECT_EQ(CodecGetLastError(), GetParam().want);
    EXPECT_EQ(CodecCloseSource(handle), 0);
    EXPECT_EQ(CodecGetLastError(), GetParam().want);
    for (std::uint8_t* block : cleanup) platform::GlobalFree(block);
}

INSTANTIATE_TEST_SUITE_P(CodecIO, InvalidHandle, testing::ValuesIn(kBogusHandles),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CodecIO, SuccessfulCallClearsTheLastError)
{
    CodecSeek(nullptr, 0, kCodecSeekStart);
    ASSERT_EQ(CodecGetLastError(), kCodecErrInvalidArgument);
    const MemorySource source(Pattern(10));
    EXPECT_EQ(CodecSeek(source.Handle(), 3, kCodecSeekStart), 1);
    EXPECT_EQ(CodecGetLastError(), kCodecOk);
}

TEST(CodecIO, LastErrorBelongsToTheCallingThread)
{
    const MemorySource source(Pattern(10));
    ASSERT_EQ(CodecSeek(source.Handle(), 0, kCodecSeekStart), 1);
    int otherThreadError = -1;
    std::thread([&] {
        CodecSeek(nullptr, 0, kCodecSeekStart);
        otherThreadError = CodecGetLastError();
    }).join();
    EXPECT_EQ(otherThreadError, kCodecErrInvalidArgument);
    EXPECT_EQ(CodecGetLastError(), kCodecOk);

    std::thread([] { EXPECT_EQ(CodecGetLastError(), kCodecOk); }).join();   // a new thread starts clean
    CodecSeek(nullptr, 0, kCodecSeekStart);
    std::thread([&] {
        CodecSeek(source.Handle(), 1, kCodecSeekStart);
        otherThreadError = CodecGetLastError();
    }).join();
    EXPECT_EQ(otherThreadError, kCodecOk);
    EXPECT_EQ(CodecGetLastError(), kCodecErrInvalidArgument);
}

// --- Openers ---------------------------------------------------------------------------------------------

TEST(CodecIO, FileOpenersFailWithOpenFailed)
{
    const TempFile missing("missing.bin");
    const TempFile directory("no-such-folder/x.bin");
    const std::string tooLong(kCodecMaxPathBytes, 'a');   // no room for the terminating zero
    for (const char* path : {"", missing.CPath(), tooLong.c_str()}) {
        EXPECT_EQ(CodecOpenFileSource(path), nullptr) << path;
        EXPECT_EQ(CodecGetLastError(), kCodecErrOpenFailed) << path;
    }
    EXPECT_EQ(CodecOpenFileSource(nullptr), nullptr);
    EXPECT_EQ(CodecGetLastError(), kCodecErrOpenFailed);
    EXPECT_EQ(CodecOpenFileSink(directory.CPath(), 0), nullptr);
    EXPECT_EQ(CodecGetLastError(), kCodecErrOpenFailed);
    EXPECT_EQ(CodecOpenFileSink(directory.CPath(), 1), nullptr);
    EXPECT_EQ(CodecGetLastError(), kCodecErrOpenFailed);
}

TEST(CodecIO, MemoryOpenersRefuseEmptyBlocks)
{
    std::uint8_t byte = 0;
    EXPECT_EQ(CodecOpenMemorySource(nullptr, 10), nullptr);
    EXPECT_EQ(CodecGetLastError(), kCodecErrInvalidArgument);
    EXPECT_EQ(CodecOpenMemorySource(&byte, 0), nullptr);
    EXPECT_EQ(CodecGetLastError(), kCodecErrInvalidArgument);
    EXPECT_EQ(CodecOpenMemorySink(&byte, 0), nullptr);
    EXPECT_EQ(CodecGetLastError(), kCodecErrInvalidArgument);
}

TEST(CodecIO, FileSourceReadsAndRemembersItsPath)
{
    const TempFile file("picture.TGA");
    file.Write(Pattern(300));
    CodecIOHandle* handle = CodecOpenFileSource(file.CPath());
    ASSERT_NE(handle, nullptr);
    WithIO(handle, [&](CCodecIO& io) {
        EXPECT_STREQ(io.Path(), file.CPath());
        EXPECT_EQ(io.Size(), 300u);
        Bytes bytes(200);
        EXPECT_TRUE(io.ReadExact(bytes.data(), 200));
        EXPECT_EQ(io.Read(bytes.data(), 200), 100u);   // only what is left
        EXPECT_FALSE(io.Write(bytes.data(), 1));         // opened for reading
    });
    EXPECT_EQ(CodecSeek(handle, -10, kCodecSeekEnd), 1);
    EXPECT_EQ(CodecCloseSource(handle), 290);
}

TEST(CodecIO, FileSinkTruncatesAndAppendSinkKeeps)
{
    const TempFile file;
    file.Write(Pattern(50));
    CodecIOHandle* appendSink = CodecOpenFileSink(file.CPath(), 1);
    ASSERT_NE(appendSink, nullptr);
    EXPECT_EQ(CodecCloseSink(appendSink), 50);
    EXPECT_EQ(file.Read(), Pattern(50));

    CodecIOHandle* sink = CodecOpenFileSink(file.CPath(), 0);
    ASSERT_NE(sink, nullptr);
    EXPECT_EQ(CodecCloseSink(sink), 0);
    EXPECT_TRUE(file.Read().empty());
}

TEST(CodecIO, FileSinkReadsBackWhatItWrote)
{
    const TempFile file;
    CodecIOHandle* sink = CodecOpenFileSink(file.CPath(), 0);
    ASSERT_NE(sink, nullptr);
    WithIO(sink, [](CCodecIO& io) {
        std::array<char, 4> readBack{};
        EXPECT_TRUE(io.Write("abcdef", 6));
        EXPECT_EQ(io.Read(readBack.data(), readBack.size()), 0u);   // at the end of what was written
        EXPECT_TRUE(io.Seek(-4, kCodecSeekCurrent));
        EXPECT_TRUE(io.ReadExact(readBack.data(), readBack.size()));
        EXPECT_EQ(std::memcmp(readBack.data(), "cdef", 4), 0);
        EXPECT_TRUE(io.Write("gh", 2));
        EXPECT_EQ(io.Size(), 8u);
    });
    EXPECT_EQ(CodecCloseSink(sink), 8);
    EXPECT_EQ(file.Read(), codec_test::BytesOf("abcdefgh"));
}

TEST(CodecIO, AppendSinkCreatesAMissingFile)
{
    const TempFile file;
    CodecIOHandle* sink = CodecOpenFileSink(file.CPath(), 1);
    ASSERT_NE(sink, nullptr);
    WithIO(sink, [](CCodecIO& io) { EXPECT_TRUE(io.Write("abc", 3)); });
    EXPECT_EQ(CodecCloseSink(sink), 3);
    EXPECT_EQ(file.Read(), codec_test::BytesOf("abc"));
}

// --- Sizes and the high-water mark ------------------------------------------------------------------------

TEST(CodecIO, CountingSinkMeasuresWhatAFileReceives)
{
    const Bytes body = Pattern(5000);
    const TempFile file;
    CodecIOHandle* fileSink = CodecOpenFileSink(file.CPath(), 0);
    CodecIOHandle* countingSink = CodecOpenCountingSink(0);
    ASSERT_NE(fileSink, nullptr);
    ASSERT_NE(countingSink, nullptr);
    WithIO(fileSink, [&](CCodecIO& io) { WritePatchedFile(io, body); });
    WithIO(countingSink, [&](CCodecIO& io) { WritePatchedFile(io, body); });
    const std::int64_t fileSize = CodecCloseSink(fileSink);
    EXPECT_EQ(fileSize, 5008);
    EXPECT_EQ(CodecCloseSink(countingSink), fileSize);
    EXPECT_EQ(file.Read().size(), 5008u);
}

TEST(CodecIO, MemorySinkHoldsExactlyItsCapacity)
{
    Bytes block(8);
    CodecIOHandle* sink = CodecOpenMemorySink(block.data(), block.size());
    ASSERT_NE(sink, nullptr);
    WithIO(sink, [&](CCodecIO& io) {
        EXPECT_TRUE(io.Write("abcdef", 6));
        EXPECT_FALSE(io.Write("xyz", 3));   // would pass the end: nothing is written
        EXPECT_EQ(io.Tell(), 6u);
        EXPECT_TRUE(io.Write("gh", 2));     // fills the block exactly
        EXPECT_TRUE(io.Seek(2, kCodecSeekStart));
        EXPECT_TRUE(io.Write("CD", 2));     // patching inside does not move the mark
        EXPECT_TRUE(io.Seek(0, kCodecSeekStart));
        std::array<char, 10> readBack{};
        EXPECT_EQ(io.Read(readBack.data(), readBack.size()), 8u);
        EXPECT_EQ(std::memcmp(readBack.data(), "abCDefgh", 8), 0);
    });
    EXPECT_EQ(CodecCloseSink(sink), 8);
}

TEST(CodecIO, MemorySinkReadsStopAtTheHighWaterMark)
{
    Bytes block(100, 0xEE);
    CodecIOHandle* sink = CodecOpenMemorySink(block.data(), block.size());
    ASSERT_NE(sink, nullptr);
    WithIO(sink, [](CCodecIO& io) {
        EXPECT_TRUE(io.Write("abc", 3));
        EXPECT_TRUE(io.Seek(0, kCodecSeekStart));
        std::array<std::uint8_t, 10> readBack{};
        EXPECT_EQ(io.Read(readBack.data(), readBack.size()), 3u);
        EXPECT_EQ(io.Size(), 3u);
    });
    EXPECT_EQ(CodecCloseSink(sink), 3);
}

TEST(CodecIO, CountingSinkReadsFailUnlessAllowed)
{
    std::array<std::uint8_t, 4> buffer{};
    for (const int flags : {0, kCodecCountingReadsSucceed}) {
        CodecIOHandle* sink = CodecOpenCountingSink(flags);
        ASSERT_NE(sink, nullptr);
        WithIO(sink, [&](CCodecIO& io) { EXPECT_EQ(io.ReadExact(buffer.data(), buffer.size()), flags != 0); });
        CodecCloseSink(sink);
    }
}

// --- Seek rules -------------------------------------------------------------------------------------------

enum class SinkKind { kReadOnlyMemory, kWritableMemory, kCounting };

struct SeekCase {
    const char* name;
    SinkKind kind;
    std::int64_t offset;
    int origin;
    bool succeeds;
    std::uint64_t position;    // after the seek (unchanged on failure)
    std::int64_t closedSize;   // what CodecCloseSink reports afterwards
};

// Every handle starts with 1000 bytes: a 1000-byte source, or 1000 bytes written into a 4000-byte
// block or a counting sink, with the position at 1000.
constexpr SeekCase kSeekCases[] = {
    {"source_start", SinkKind::kReadOnlyMemory, 0, kCodecSeekStart, true, 0, 1000},
    {"source_to_end", SinkKind::kReadOnlyMemory, 1000, kCodecSeekStart, true, 1000, 1000},
    {"source_past_end", SinkKind::kReadOnlyMemory, 1001, kCodecSeekStart, false, 1000, 1000},
    {"source_negative", SinkKind::kReadOnlyMemory, -1, kCodecSeekStart, false, 1000, 1000},
    {"source_back_from_current", SinkKind::kReadOnlyMemory, -400, kCodecSeekCurrent, true, 600, 1000},
    {"source_before_start_from_current", SinkKind::kReadOnlyMemory, -1001, kCodecSeekCurrent, false, 1000, 1000},
    {"source_from_end", SinkKind::kReadOnlyMemory, -18, kCodecSeekEnd, true, 982, 1000},
    {"source_past_end_from_end", SinkKind::kReadOnlyMemory, 1, kCodecSeekEnd, false, 1000, 1000},
    {"source_before_start_from_end", SinkKind::kReadOnlyMemory, -1001, kCodecSeekEnd, false, 1000, 1000},
    {"source_bad_origin", SinkKind::kReadOnlyMemory, 0, 3, false, 1000, 1000},
    {"block_end_is_high_water", SinkKind::kWritableMemory, -10, kCodecSeekEnd, true, 990, 1000},
    {"block_forward_raises_mark", SinkKind::kWritableMemory, 3000, kCodecSeekStart, true, 3000, 3000},
    {"block_to_capacity", SinkKind::kWritableMemory, 3000, kCodecSeekCurrent, true, 4000, 4000},
    {"block_past_capacity", SinkKind::kWritableMemory, 4001, kCodecSeekStart, false, 1000, 1000},
    {"block_back_keeps_mark", SinkKind::kWritableMemory, 10, kCodecSeekStart, true, 10, 1000},
    {"counting_end", SinkKind::kCounting, 0, kCodecSeekEnd, true, 1000, 1000},
    {"counting_back_from_end", SinkKind::kCounting, -1000, kCodecSeekEnd, true, 0, 1000},
    {"counting_past_end_from_end", SinkKind::kCounting, 1, kCodecSeekEnd, false, 1000, 1000},
    {"counting_far_forward", SinkKind::kCounting, 1'000'000, kCodecSeekStart, true, 1'000'000, 1'000'000},
    {"counting_forward_from_current", SinkKind::kCounting, 24, kCodecSeekCurrent, true, 1024, 1024},
    {"counting_negative", SinkKind::kCounting, -1, kCodecSeekStart, false, 1000, 1000},
    {"counting_before_start_from_current", SinkKind::kCounting, -1001, kCodecSeekCurrent, false, 1000, 1000},
};

void PrintTo(const SeekCase& row, std::ostream* out) { *out << row.name; }

class SeekRules : public testing::TestWithParam<SeekCase> {};

TEST_P(SeekRules, MovePositionAndHighWaterMark)
{
    const SeekCase& seek = GetParam();
    const Bytes data = Pattern(1000);
    Bytes block(4000);
    CodecIOHandle* handle = nullptr;
    switch (seek.kind) {
    case SinkKind::kReadOnlyMemory:
        handle = CodecOpenMemorySource(data.data(), data.size());
        ASSERT_EQ(CodecSeek(handle, 1000, kCodecSeekStart), 1);
        break;
    case SinkKind::kWritableMemory:
        handle = CodecOpenMemorySink(block.data(), block.size());
        break;
    case SinkKind::kCounting:
        handle = CodecOpenCountingSink(0);
        break;
    }
    ASSERT_NE(handle, nullptr);
    WithIO(handle, [&](CCodecIO& io) {
        if (io.Writable()) {
            ASSERT_TRUE(io.Write(data.data(), data.size()));
        }
    });
    EXPECT_EQ(CodecSeek(handle, seek.offset, seek.origin), seek.succeeds ? 1 : 0);
    EXPECT_EQ(CodecGetLastError(), seek.succeeds ? kCodecOk : kCodecErrInvalidArgument);
    WithIO(handle, [&](CCodecIO& io) { EXPECT_EQ(io.Tell(), seek.position); });
    EXPECT_EQ(CodecCloseSink(handle), seek.closedSize);
}

INSTANTIATE_TEST_SUITE_P(CodecIO, SeekRules, testing::ValuesIn(kSeekCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
