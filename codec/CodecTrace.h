#pragma once
// Diagnostic texts of the coders ("Found TGA footer\n", a library's error message) go here. The hook
// discards them: nothing the codec layer traces reaches the user or a log.

namespace codec {

inline constexpr int kTraceError = 1;
inline constexpr int kTraceInfo = 2;

template <typename... Args>
void CodecTrace([[maybe_unused]] int level, [[maybe_unused]] const char* format, const Args&...)
{
}

}  // namespace codec
