#pragma once
// The bytes of one fuzz input as a read-only memory source, closed when the target returns.
// An empty input has no source (memory sources refuse zero bytes): Handle() is then null, which the
// entry points must refuse with kCodecErrInvalidArgument like any null handle.

#include "codec/CodecIO.h"

#include <cstddef>
#include <cstdint>

class FuzzSource {
public:
    FuzzSource(const std::uint8_t* data, std::size_t size)
        : handle_(size != 0 ? CodecOpenMemorySource(data, size) : nullptr)
    {
    }
    ~FuzzSource() { CodecCloseSource(handle_); }
    FuzzSource(const FuzzSource&) = delete;
    FuzzSource& operator=(const FuzzSource&) = delete;

    CodecIOHandle* Handle() const { return handle_; }
    // Back at offset 0, for a reader after a dimension query.
    CodecIOHandle* Rewound() const
    {
        if (handle_ != nullptr) CodecSeek(handle_, 0, kCodecSeekStart);
        return handle_;
    }

private:
    CodecIOHandle* handle_;
};
