#pragma once
// How a codec entry point is written. Read this before adding a coder.
//
// Every entry point (CodecReadPcx, CodecWriteTga, CodecUnsharpMask, ...) is a flat function whose whole
// body is one call of RunCodecEntry. The helper fetches the calling thread's CodecThreadState, checks
// the handle (null: kCodecErrInvalidArgument, not live: kCodecErrInvalidHandle), runs the body, turns
// exceptions into codes (std::bad_alloc: kCodecErrOutOfMemory) and stores the call's error, kCodecOk
// included, as the thread's last error. An entry point never throws and never sets the last error itself.
//
//   std::uint8_t* CodecReadPcx(CodecIOHandle* source, int* width, int* height, int bits,
//                              std::uint8_t* palette, int flags)
//   {
//       return codec::RunCodecEntry(source, [&](codec::CodecCall& call, codec::CCodecIO& io) -> std::uint8_t* {
//           if (width == nullptr || height == nullptr) return call.Fail(kCodecErrInvalidArgument);
//           codec::ByteReader in(io);                   // bounded reads: "codec/ByteReader.h"
//           PcxHeader header;
//           if (const int error = ReadPcxHeader(in, header); error != kCodecOk) return call.Fail(error);
//           codec::PixelBuffer pixels = codec::AllocPixelBuffer(header.width, header.height, bits);
//           if (!pixels) return call.Fail(kCodecErrOutOfMemory);   // over the pixel budget, or no memory
//           codec::CodecProgress progress(call.state);  // "codec/CodecProgress.h"
//           for (std::uint32_t row = 0; row < header.height; ++row) {
//               if (!DecodeRow(in, header, pixels.get() + ...)) return call.Fail(kCodecErrReadFailed);
//               if (!progress.Report(row + 1, header.height)) return call.Fail(kCodecErrCancelled);
//           }
//           *width = ...; *height = ...;
//           return pixels.release();                    // ownership passes to the caller only on success
//       });
//   }
//
// - call.Fail(code) records the code and converts to the empty result of any type (null, 0, false).
//   A result that comes with a warning sets call.error and returns the result.
// - Entry points without a handle (pixel utilities, option setters) use RunCodecEntry(body) with a body
//   taking only the CodecCall&.
// - Pixel buffers handed to the caller come from AllocPixelBuffer ("codec/PixelBuffer.h"), which checks
//   the pixel budget; on any failure the PixelBuffer frees itself, so no partial picture escapes.
// - Options: call.state.jpeg, call.state.png, call.state.tiff ("codec/CodecThreadState.h").
// - Library glue raises CCodecException(code, message) ("codec/CodecException.h"); other exceptions
//   that escape the body leave call.exceptionCode (kCodecErrReadFailed unless the body changed it:
//   writers set kCodecErrWriteFailed).
// - Diagnostic texts go to CodecTrace ("codec/CodecTrace.h"), which discards them.
// - Headers: codec/CodecErrors.h (codes), codec/CodecIO.h (handles, CCodecIO), codec/CodecLimits.h
//   (kMaxPixels, kMaxSide, kMaxBlockBytes). One public header per coder: codec/formats/<Name>Coder.h.
//   Sources under codec/, codec/formats/ and codec/pixels/ and tests under tests/codec/... named
//   *Test.cpp are picked up by the build without editing any CMakeLists.txt.

#include "codec/CodecErrors.h"
#include "codec/CodecException.h"
#include "codec/CodecIO.h"
#include "codec/CodecThreadState.h"
#include "codec/CodecTrace.h"

#include <new>
#include <stdexcept>
#include <type_traits>

namespace codec {

// Converts to the empty value of whatever an entry point returns.
struct CodecFailure {
    template <typename Result>
    operator Result() const { return Result{}; }
};

// One running entry point: the thread's state and the error the call will leave.
struct CodecCall {
    CodecThreadState& state;
    int error = kCodecOk;
    int exceptionCode = kCodecErrReadFailed;

    CodecFailure Fail(int code)
    {
        error = code;
        return {};
    }
};

template <typename Body>
std::invoke_result_t<Body&, CodecCall&> RunCodecEntry(Body&& body)
{
    using Result = std::invoke_result_t<Body&, CodecCall&>;
    CodecThreadState* state = CurrentThreadState();
    if (state == nullptr) return Result{};
    CodecCall call{*state};
    Result result{};
    try {
        result = body(call);
    } catch (const CCodecException& failure) {
        CodecTrace(kTraceError, "%s\n", failure.what());
        call.error = failure.Code();
    } catch (const std::bad_alloc&) {
        call.error = kCodecErrOutOfMemory;
    } catch (const std::length_error&) {   // a container asked for more than it can ever hold
        call.error = kCodecErrOutOfMemory;
    } catch (...) {
        call.error = call.exceptionCode;
    }
    state->lastError = call.error;
    return result;
}

template <typename Body>
std::invoke_result_t<Body&, CodecCall&, CCodecIO&> RunCodecEntry(CodecIOHandle* handle, Body&& body)
{
    using Result = std::invoke_result_t<Body&, CodecCall&, CCodecIO&>;
    return RunCodecEntry([&](CodecCall& call) -> Result {
        if (const int validity = ValidateHandle(handle); validity != kCodecOk) return call.Fail(validity);
        CCodecIO io(*handle);
        return body(call, io);
    });
}

}  // namespace codec
