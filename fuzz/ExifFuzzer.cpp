// Fuzz target of the Exif block code on arbitrary bytes: the summary, the entries, the rewrite for a
// written picture and the rebuild from entries. Beyond surviving: the readers agree on what is malformed,
// a rewritten block is well formed, upright, no larger, keeps what the summary read and is rewritten to
// itself, and a rebuilt block reads back to the same entries.

#include "codec/ExifBlock.h"

#include <cstdint>

namespace {

void CheckRewrite(const std::uint8_t* data, std::size_t size, const codec::ExifSummary& summary)
{
    // Sizes from the input, SHORT-sized or not.
    const auto width = static_cast<std::uint32_t>(1 + size * 2654435761u % 100'000);
    const auto height = static_cast<std::uint32_t>(1 + size % 70'000);
    const std::vector<std::uint8_t> rewritten = codec::ExifForWrittenPicture(data, size, width, height);
    if (rewritten.empty() || rewritten.size() > size) __builtin_trap();
    const auto again = codec::ReadExifSummary(rewritten.data(), rewritten.size());
    if (!again || (again->orientation != 0 && again->orientation != 1)) __builtin_trap();
    if (again->make != summary.make || again->model != summary.model || again->dateTimeOriginal != summary.dateTimeOriginal)
        __builtin_trap();
    if (codec::ExifForWrittenPicture(rewritten.data(), rewritten.size(), width, height) != rewritten) __builtin_trap();
}

void CheckRebuild(const codec::ExifContent& content)
{
    const std::vector<std::uint8_t> block = codec::BuildExifBlock(content);
    if (block.empty()) return;
    const auto back = codec::ReadExifContent(block.data(), block.size());
    if (!back) __builtin_trap();
    const std::vector<std::uint8_t> again = codec::BuildExifBlock(*back);
    const auto backAgain = codec::ReadExifContent(again.data(), again.size());
    if (!backAgain || *backAgain != *back) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto summary = codec::ReadExifSummary(data, size);
    const auto content = codec::ReadExifContent(data, size);
    if (content && !summary) __builtin_trap();   // only the copy budget may refuse what the summary reads
    if (summary) CheckRewrite(data, size, *summary);
    else if (!codec::ExifForWrittenPicture(data, size, 1, 1).empty()) __builtin_trap();
    if (content) CheckRebuild(*content);
    return 0;
}
