#include "platform/GlobalMemory.h"

#include <cstdlib>

namespace platform {
namespace {

// Each block starts with a header holding its size; the caller sees the bytes after it. The header is
// 16 bytes so the caller's bytes keep the alignment the system allocator gives.
struct BlockHeader {
    std::uint64_t bytes;
    std::uint64_t reserved;
};
static_assert(sizeof(BlockHeader) == 16);

BlockHeader* HeaderOf(const void* block)
{
    return reinterpret_cast<BlockHeader*>(static_cast<std::uint8_t*>(const_cast<void*>(block)) - sizeof(BlockHeader));
}

}  // namespace

void* GlobalAlloc(std::uint64_t bytes)
{
    if (bytes > kMaxGlobalBlockBytes) return nullptr;
    // calloc hands large requests fresh zero pages from the kernel without touching them.
    auto* header = static_cast<BlockHeader*>(std::calloc(1, sizeof(BlockHeader) + bytes));
    if (header == nullptr) return nullptr;
    header->bytes = bytes;
    return header + 1;
}

void GlobalFree(void* block)
{
    if (block != nullptr) std::free(HeaderOf(block));
}

std::uint64_t GlobalSize(const void* block)
{
    return block == nullptr ? 0 : HeaderOf(block)->bytes;
}

}  // namespace platform
