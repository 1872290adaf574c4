#pragma once
// Sources and sinks of the codec layer.
//
// A CodecIOHandle is a global memory block that an opener returns and the caller holds between calls,
// passing it to the queries, readers and writers, and finally to CodecCloseSource or CodecCloseSink,
// which free it. The caller never looks inside. A handle is accepted only while it is live (returned by
// an opener and not yet closed): the layer keeps a registry of live handles and consults it before it
// touches the block, so a closed, foreign or garbage pointer is refused with kCodecErrInvalidHandle
// instead of being read.
//
// Inside the layer, CCodecIO wraps a validated handle and dispatches read, write, seek, tell and size by
// the handle's kind. Writable memory blocks and counting sinks keep a high-water mark, the largest offset
// reached by a write or a seek, which is their size: a writer that seeks back to patch a header is still
// measured by how far it got.
//
// Coder authors: how an entry point takes a handle, reads and allocates is set out in codec/CodecEntry.h.

#include <cstddef>
#include <cstdint>
#include <cstdio>

enum class CodecIOKind : std::int32_t {
    kFile = 1,          // C stdio stream opened from a path
    kMemory = 2,        // a caller-owned memory block, read-only or writable
    kCallbacks = 3,     // caller-supplied functions: reserved, no opener
    kSystemFile = 4,    // operating-system file handle: reserved, no opener
    kCounting = 5,      // stores nothing, measures what is written
};

enum CodecSeekOrigin : int { kCodecSeekStart = 0, kCodecSeekCurrent = 1, kCodecSeekEnd = 2 };

// Counting sink flags: bit 0 lets reads succeed (they deliver nothing); without it every read fails.
inline constexpr int kCodecCountingReadsSucceed = 1;

inline constexpr std::uint32_t kCodecHandleStartMagic = 0x07475590;
inline constexpr std::uint32_t kCodecHandleEndMagic = 0x12345678;
inline constexpr std::size_t kCodecMaxPathBytes = 4096;  // the stored path, terminating zero included

struct CodecIOHandle {
    std::uint32_t startMagic;
    std::FILE* stream;                 // kFile
    CodecIOKind kind;
    std::uint8_t* memory;              // kMemory
    std::uint64_t memorySize;          // kMemory
    std::uint64_t position;            // kMemory, kCounting
    std::uint64_t highWater;           // kMemory (writable), kCounting
    char path[kCodecMaxPathBytes];     // kFile: the name it was opened with; format detection reads it
    std::uint8_t writable;
    std::uint8_t append;
    std::uint8_t lastWasWrite;         // kFile: stdio needs a seek between a write and a read
    std::int32_t countingFlags;        // kCounting
    std::uint32_t endMagic;
};

// Opens a file for reading ("rb"). Null with kCodecErrOpenFailed for an empty or unopenable path,
// kCodecErrOutOfMemory when the handle cannot be allocated.
CodecIOHandle* CodecOpenFileSource(const char* path);
// Opens a file for writing. append == 0 truncates ("wb+"); otherwise the file is created when missing
// and opened for update at its start ("rb+").
CodecIOHandle* CodecOpenFileSink(const char* path, int append);
// A read-only source over `size` caller-owned bytes, which must outlive the handle. Null data or zero
// size gives kCodecErrInvalidArgument.
CodecIOHandle* CodecOpenMemorySource(const void* data, std::uint64_t size);
// A writable sink over `capacity` caller-owned bytes. Writes that would pass the capacity fail; reads
// see what was written so far (up to the high-water mark).
CodecIOHandle* CodecOpenMemorySink(void* block, std::uint64_t capacity);
// A sink that stores nothing: every write succeeds and moves the position and the high-water mark.
CodecIOHandle* CodecOpenCountingSink(int flags);

// Moves the position (origin: kCodecSeekStart, kCodecSeekCurrent, kCodecSeekEnd). 1 on success; 0 with
// kCodecErrInvalidArgument for a position outside the source (memory: 0 to the block's size; counting
// sink: not negative; from the end: not forward) or an unknown origin.
int CodecSeek(CodecIOHandle* handle, std::int64_t offset, int origin);
// Closes the handle and frees it; returns the position at the moment of closing.
std::int64_t CodecCloseSource(CodecIOHandle* handle);
// Closes the handle and frees it; returns the final size: a file's length after flushing, a memory
// sink's or counting sink's high-water mark, a read-only memory block's size.
std::int64_t CodecCloseSink(CodecIOHandle* handle);

namespace codec {

// kCodecOk for a live handle with both magics, a kind from 1 to 5 and that kind's resource;
// kCodecErrInvalidArgument for null; kCodecErrInvalidHandle for anything else. Never dereferences a
// pointer that is not registered as live.
int ValidateHandle(const CodecIOHandle* handle);

// Dispatch over one validated handle for the duration of one entry point. Does not own the handle.
class CCodecIO {
public:
    explicit CCodecIO(CodecIOHandle& handle) : handle_(handle) {}

    // Copies up to `bytes` bytes; returns how many arrived (0 at the end or on failure).
    std::size_t Read(void* destination, std::size_t bytes);
    // True only when all `bytes` bytes arrived.
    bool ReadExact(void* destination, std::size_t bytes);
    // All bytes or failure. A failed write to a memory block writes nothing.
    bool Write(const void* source, std::size_t bytes);
    bool Seek(std::int64_t offset, int origin);
    std::uint64_t Tell() const;
    // The source's length, or how far a sink has been written (files are flushed first).
    std::uint64_t Size();

    CodecIOKind Kind() const { return handle_.kind; }
    bool Writable() const { return handle_.writable != 0; }
    // The path a file handle was opened with; null for other kinds.
    const char* Path() const;

private:
    std::uint64_t MemoryEnd() const;
    bool MoveTo(std::int64_t target, std::uint64_t limit);

    CodecIOHandle& handle_;
};

}  // namespace codec
