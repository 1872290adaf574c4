// Format detection over arbitrary bytes: the result is one of the format codes, a failure is a read
// failure that names no format, and looking again from the start gives the same answer.

#include "codec/CodecErrors.h"
#include "codec/FormatDetection.h"
#include "fuzz/FuzzSource.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const FuzzSource source(data, size);
    const CodecFormat format = CodecGuessFormat(source.Handle());
    const int error = CodecGetLastError();
    if (static_cast<int>(format) < static_cast<int>(CodecFormat::kUnknown) ||
        static_cast<int>(format) > static_cast<int>(CodecFormat::kOleCompound))
        __builtin_trap();
    const int expectedFailure = size == 0 ? kCodecErrInvalidArgument : kCodecErrReadFailed;
    if (error != kCodecOk && (error != expectedFailure || format != CodecFormat::kUnknown)) __builtin_trap();
    if (CodecGuessFormat(source.Rewound()) != format) __builtin_trap();
    return 0;
}
