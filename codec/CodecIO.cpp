#include "codec/CodecIO.h"

#include "codec/CodecEntry.h"
#include "platform/GlobalMemory.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>
#include <unordered_set>

namespace {

using codec::CodecCall;
using codec::CCodecIO;

// Positions of memory blocks and counting sinks stay within what a signed seek offset can name.
constexpr std::uint64_t kMaxPosition = std::numeric_limits<std::int64_t>::max();

// The handles returned by openers and not yet closed. Validation looks a pointer up here before it
// reads a byte of the block, so a closed or foreign pointer is refused without being dereferenced.
class LiveHandles {
public:
    static LiveHandles& Instance()
    {
        static LiveHandles registry;
        return registry;
    }
    void Add(const CodecIOHandle* handle)
    {
        std::lock_guard lock(mutex_);
        handles_.insert(handle);
    }
    void Remove(const CodecIOHandle* handle)
    {
        std::lock_guard lock(mutex_);
        handles_.erase(handle);
    }
    bool Contains(const CodecIOHandle* handle)
    {
        std::lock_guard lock(mutex_);
        return handles_.contains(handle);
    }

private:
    std::mutex mutex_;
    std::unordered_set<const CodecIOHandle*> handles_;
};

// Owns a handle block until it is registered, and again while it is being closed: closes the stream of
// a file handle and frees the block.
struct HandleDeleter {
    void operator()(CodecIOHandle* handle) const
    {
        if (handle->kind == CodecIOKind::kFile && handle->stream != nullptr) std::fclose(handle->stream);
        platform::GlobalFree(handle);
    }
};
using OwnedHandle = std::unique_ptr<CodecIOHandle, HandleDeleter>;

OwnedHandle NewHandle(CodecIOKind kind)
{
    // The block is zero-filled: no stream, no memory, position and high-water mark 0, empty path.
    OwnedHandle handle(static_cast<CodecIOHandle*>(platform::GlobalAlloc(sizeof(CodecIOHandle))));
    if (handle) {
        handle->startMagic = kCodecHandleStartMagic;
        handle->endMagic = kCodecHandleEndMagic;
        handle->kind = kind;
    }
    return handle;
}

CodecIOHandle* Register(OwnedHandle handle)
{
    LiveHandles::Instance().Add(handle.get());   // may throw std::bad_alloc: the handle is still owned
    return handle.release();
}

CodecIOHandle* OpenFile(CodecCall& call, const char* path, const char* mode, bool writable)
{
    if (path == nullptr || path[0] == '\0' || std::strlen(path) >= kCodecMaxPathBytes)
        return call.Fail(kCodecErrOpenFailed);
    OwnedHandle handle = NewHandle(CodecIOKind::kFile);
    if (!handle) return call.Fail(kCodecErrOutOfMemory);
    handle->stream = std::fopen(path, mode);
    if (handle->stream == nullptr) return call.Fail(kCodecErrOpenFailed);
    std::strcpy(handle->path, path);
    handle->writable = writable;
    return Register(std::move(handle));
}

CodecIOHandle* OpenMemory(CodecCall& call, std::uint8_t* block, std::uint64_t size, bool writable)
{
    if (block == nullptr || size == 0 || size > kMaxPosition) return call.Fail(kCodecErrInvalidArgument);
    OwnedHandle handle = NewHandle(CodecIOKind::kMemory);
    if (!handle) return call.Fail(kCodecErrOutOfMemory);
    handle->memory = block;
    handle->memorySize = size;
    handle->writable = writable;
    return Register(std::move(handle));
}

// Closes a live handle: flushes a written file, frees the block. A file whose buffered bytes cannot
// be written out fails with kCodecErrWriteFailed, since the file does not hold what was written.
std::int64_t CloseHandle(CodecIOHandle* handle, bool reportSize)
{
    return codec::RunCodecEntry(handle, [&](CodecCall& call, CCodecIO& io) -> std::int64_t {
        bool flushed = true;
        if (io.Kind() == CodecIOKind::kFile && io.Writable()) flushed = std::fflush(handle->stream) == 0;
        const std::uint64_t result = reportSize ? io.Size() : io.Tell();
        LiveHandles::Instance().Remove(handle);
        const bool closed = io.Kind() != CodecIOKind::kFile || std::fclose(handle->stream) == 0;
        handle->stream = nullptr;
        HandleDeleter{}(handle);
        if (!flushed || !closed) return call.Fail(kCodecErrWriteFailed);
        return static_cast<std::int64_t>(result);
    });
}

}  // namespace

CodecIOHandle* CodecOpenFileSource(const char* path)
{
    return codec::RunCodecEntry([&](CodecCall& call) { return OpenFile(call, path, "rb", false); });
}

CodecIOHandle* CodecOpenFileSink(const char* path, int append)
{
    return codec::RunCodecEntry([&](CodecCall& call) -> CodecIOHandle* {
        if (append == 0) return OpenFile(call, path, "wb+", true);
        // Update mode needs an existing file: create it empty when it is missing, keep it otherwise.
        if (path != nullptr && path[0] != '\0') {
            if (std::FILE* created = std::fopen(path, "ab")) std::fclose(created);
        }
        CodecIOHandle* handle = OpenFile(call, path, "rb+", true);
        if (handle != nullptr) handle->append = 1;
        return handle;
    });
}

CodecIOHandle* CodecOpenMemorySource(const void* data, std::uint64_t size)
{
    return codec::RunCodecEntry([&](CodecCall& call) {
        // The block is never written through a read-only handle.
        return OpenMemory(call, static_cast<std::uint8_t*>(const_cast<void*>(data)), size, false);
    });
}

CodecIOHandle* CodecOpenMemorySink(void* block, std::uint64_t capacity)
{
    return codec::RunCodecEntry(
        [&](CodecCall& call) { return OpenMemory(call, static_cast<std::uint8_t*>(block), capacity, true); });
}

CodecIOHandle* CodecOpenCountingSink(int flags)
{
    return codec::RunCodecEntry([&](CodecCall& call) -> CodecIOHandle* {
        OwnedHandle handle = NewHandle(CodecIOKind::kCounting);
        if (!handle) return call.Fail(kCodecErrOutOfMemory);
        handle->countingFlags = flags;
        handle->writable = 1;
        return Register(std::move(handle));
    });
}

int CodecSeek(CodecIOHandle* handle, std::int64_t offset, int origin)
{
    return codec::RunCodecEntry(handle, [&](CodecCall& call, CCodecIO& io) -> int {
        if (!io.Seek(offset, origin)) return call.Fail(kCodecErrInvalidArgument);
        return 1;
    });
}

std::int64_t CodecCloseSource(CodecIOHandle* handle)
{
    return CloseHandle(handle, false);
}

std::int64_t CodecCloseSink(CodecIOHandle* handle)
{
    return CloseHandle(handle, true);
}

namespace codec {

int ValidateHandle(const CodecIOHandle* handle)
{
    if (handle == nullptr) return kCodecErrInvalidArgument;
    if (!LiveHandles::Instance().Contains(handle)) return kCodecErrInvalidHandle;
    if (platform::GlobalSize(handle) < sizeof(CodecIOHandle) || handle->startMagic != kCodecHandleStartMagic ||
        handle->endMagic != kCodecHandleEndMagic)
        return kCodecErrInvalidHandle;
    switch (handle->kind) {
    case CodecIOKind::kFile:
        return handle->stream != nullptr ? kCodecOk : kCodecErrInvalidHandle;
    case CodecIOKind::kMemory:
        return handle->memory != nullptr && handle->memorySize != 0 ? kCodecOk : kCodecErrInvalidHandle;
    case CodecIOKind::kCounting:
        return kCodecOk;
    default:   // callbacks and system file handles have no opener, so no live handle can be one
        return kCodecErrInvalidHandle;
    }
}

std::uint64_t CCodecIO::MemoryEnd() const
{
    return handle_.writable ? handle_.highWater : handle_.memorySize;
}

std::size_t CCodecIO::Read(void* destination, std::size_t bytes)
{
    // Reading nothing (an empty directory, an empty block) needs no buffer: an empty one may be null.
    if (bytes == 0) return 0;
    switch (handle_.kind) {
    case CodecIOKind::kFile:
        // A stream that was just written must be repositioned before it can be read.
        if (handle_.lastWasWrite && fseeko(handle_.stream, 0, SEEK_CUR) != 0) return 0;
        handle_.lastWasWrite = 0;
        return std::fread(destination, 1, bytes, handle_.stream);
    case CodecIOKind::kMemory: {
        const std::uint64_t end = MemoryEnd();
        if (handle_.position >= end) return 0;
        const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(bytes, end - handle_.position));
        std::memcpy(destination, handle_.memory + handle_.position, count);
        handle_.position += count;
        return count;
    }
    case CodecIOKind::kCounting:
        // A counting sink stores nothing; with the flag set its reads succeed and deliver zeros.
        if ((handle_.countingFlags & kCodecCountingReadsSucceed) == 0) return 0;
        std::memset(destination, 0, bytes);
        return bytes;
    default:
        return 0;
    }
}

bool CCodecIO::ReadExact(void* destination, std::size_t bytes)
{
    return Read(destination, bytes) == bytes;
}

bool CCodecIO::Write(const void* source, std::size_t bytes)
{
    // Writing nothing (an empty resource section) needs no buffer either, and changes nothing.
    if (bytes == 0) return Writable();
    switch (handle_.kind) {
    case CodecIOKind::kFile:
        handle_.lastWasWrite = 1;
        return handle_.writable && std::fwrite(source, 1, bytes, handle_.stream) == bytes;
    case CodecIOKind::kMemory:
        if (!handle_.writable || bytes > handle_.memorySize - handle_.position) return false;
        std::memcpy(handle_.memory + handle_.position, source, bytes);
        handle_.position += bytes;
        break;
    case CodecIOKind::kCounting:
        if (bytes > kMaxPosition - handle_.position) return false;
        handle_.position += bytes;
        break;
    default:
        return false;
    }
    handle_.highWater = std::max(handle_.highWater, handle_.position);
    return true;
}

bool CCodecIO::MoveTo(std::int64_t target, std::uint64_t limit)
{
    if (target < 0 || static_cast<std::uint64_t>(target) > limit) return false;
    handle_.position = static_cast<std::uint64_t>(target);
    // A writer that seeks past what it wrote (to leave room for a table, say) has reached that far.
    if (handle_.writable) handle_.highWater = std::max(handle_.highWater, handle_.position);
    return true;
}

bool CCodecIO::Seek(std::int64_t offset, int origin)
{
    if (handle_.kind == CodecIOKind::kFile) {
        if (origin < kCodecSeekStart || origin > kCodecSeekEnd ||
            fseeko(handle_.stream, static_cast<off_t>(offset), origin) != 0)
            return false;
        handle_.lastWasWrite = 0;
        return true;
    }
    if (handle_.kind != CodecIOKind::kMemory && handle_.kind != CodecIOKind::kCounting) return false;
    const std::uint64_t limit = handle_.kind == CodecIOKind::kMemory ? handle_.memorySize : kMaxPosition;
    // Offsets are added only after checking they stay in range, so no sum can overflow.
    const auto position = static_cast<std::int64_t>(handle_.position);
    const auto end = static_cast<std::int64_t>(handle_.kind == CodecIOKind::kMemory ? MemoryEnd() : handle_.highWater);
    switch (origin) {
    case kCodecSeekStart:
        return MoveTo(offset, limit);
    case kCodecSeekCurrent:
        if (offset < -position || offset > static_cast<std::int64_t>(limit) - position) return false;
        return MoveTo(position + offset, limit);
    case kCodecSeekEnd:
        return offset <= 0 && offset >= -end && MoveTo(end + offset, limit);
    default:
        return false;
    }
}

std::uint64_t CCodecIO::Tell() const
{
    if (handle_.kind == CodecIOKind::kFile) {
        const off_t position = ftello(handle_.stream);
        return position < 0 ? 0 : static_cast<std::uint64_t>(position);
    }
    return handle_.position;
}

std::uint64_t CCodecIO::Size()
{
    switch (handle_.kind) {
    case CodecIOKind::kFile: {
        if (handle_.writable) std::fflush(handle_.stream);
        struct stat status {};
        if (fstat(fileno(handle_.stream), &status) != 0 || status.st_size < 0) return 0;
        return static_cast<std::uint64_t>(status.st_size);
    }
    case CodecIOKind::kMemory:
        return MemoryEnd();
    default:
        return handle_.highWater;
    }
}

const char* CCodecIO::Path() const
{
    return handle_.kind == CodecIOKind::kFile ? handle_.path : nullptr;
}

}  // namespace codec
