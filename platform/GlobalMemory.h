#pragma once
// Global memory blocks: the allocator behind every buffer the codec layer hands out.
//
// A block is zero-initialised and remembers its own size. The caller that receives one owns it and
// releases it with GlobalFree, never with delete or free. Requests above kMaxGlobalBlockBytes are
// refused without asking the system for memory, so a size taken from a hostile file cannot reach the
// allocator.

#include <cstddef>
#include <cstdint>

namespace platform {

inline constexpr std::uint64_t kMaxGlobalBlockBytes = 2'147'348'478;

// A zero-filled block of `bytes` bytes, or null when the request is too large or memory is short.
void* GlobalAlloc(std::uint64_t bytes);

// Releases a block from GlobalAlloc; null is ignored.
void GlobalFree(void* block);

// The size the block was allocated with; 0 for null.
std::uint64_t GlobalSize(const void* block);

}  // namespace platform
