#pragma once
// libjpeg's fatal errors, brought back into the Jpeg coder without C++ exceptions.
//
// libjpeg reports a fatal error by calling the error manager's error_exit, which must not return. A C++
// exception thrown from there would unwind through libjpeg's C frames, which is not safe, so error_exit
// records the message and longjmps back to RunJpegStep. RunJpegStep's own frame and the frames of every
// step function hold only trivially destructible locals, so the jump skips no destructor. The libjpeg
// object, the I/O manager and the pixel block belong to the caller of RunJpegStep and are released there.
// Warnings (corrupt data that can still be decoded) are counted by libjpeg and never stop a decode.
// Nothing is printed.

#include <csetjmp>
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

namespace codec {

struct JpegErrorManager {
    jpeg_error_mgr pub;                  // first, so libjpeg's err pointer is the manager's address
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];       // the last fatal error's text
};

// Prepares the manager: libjpeg's standard message table, with exits and output routed here.
jpeg_error_mgr* InitJpegErrors(JpegErrorManager& errors);

// Ends the current libjpeg call as a fatal error with our own message (a limit was reached).
[[noreturn]] void FailJpeg(j_common_ptr info, const char* message);

// One stretch of libjpeg calls. Returns kCodecOk or a codec error code of its own choosing.
using JpegStep = int (*)(void* context);

// Runs step(context) and returns its code, or failureCode when libjpeg reported a fatal error on the
// way (the message is then in errors.message).
int RunJpegStep(JpegErrorManager& errors, JpegStep step, void* context, int failureCode);

}  // namespace codec
