#include "platform/GlobalMemory.h"

#include <cstdint>
#include <cstdlib>

#include <sys/mman.h>

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

// A decoded photograph of several megabytes would take a page fault per 4 KiB as it is first written.
// The kernel is asked to back such blocks with 2 MiB pages instead: the whole huge pages inside the
// block are marked, the ragged ends keep small pages. A kernel that says no changes nothing.
constexpr std::uint64_t kHugePageBytes = 2u << 20;
constexpr std::uint64_t kHugePagesFrom = 4 * kHugePageBytes;

void AskForHugePages(void* block, std::uint64_t bytes)
{
    if (bytes < kHugePagesFrom) return;
    const auto start = reinterpret_cast<std::uintptr_t>(block);
    const std::uintptr_t first = (start + kHugePageBytes - 1) & ~(kHugePageBytes - 1);
    const std::uintptr_t end = (start + bytes) & ~(kHugePageBytes - 1);
    if (end > first) madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
}

}  // namespace

void* GlobalAlloc(std::uint64_t bytes)
{
    if (bytes > kMaxGlobalBlockBytes) return nullptr;
    // calloc hands large requests fresh zero pages from the kernel without touching them.
    auto* header = static_cast<BlockHeader*>(std::calloc(1, sizeof(BlockHeader) + bytes));
    if (header == nullptr) return nullptr;
    header->bytes = bytes;
    AskForHugePages(header, sizeof(BlockHeader) + bytes);
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
