#include "codec/formats/JpegErrors.h"

#include <cstring>

namespace codec {

namespace {

JpegErrorManager& ManagerOf(j_common_ptr info)
{
    return *reinterpret_cast<JpegErrorManager*>(info->err);
}

[[noreturn]] void ExitWithMessage(j_common_ptr info)
{
    JpegErrorManager& errors = ManagerOf(info);
    errors.pub.format_message(info, errors.message);
    std::longjmp(errors.jump, 1);
}

// Warnings and trace texts: libjpeg keeps counting them, nothing is shown.
void DiscardMessage(j_common_ptr) {}

}  // namespace

jpeg_error_mgr* InitJpegErrors(JpegErrorManager& errors)
{
    jpeg_std_error(&errors.pub);
    errors.pub.error_exit = ExitWithMessage;
    errors.pub.output_message = DiscardMessage;
    errors.message[0] = '\0';
    return &errors.pub;
}

void FailJpeg(j_common_ptr info, const char* message)
{
    JpegErrorManager& errors = ManagerOf(info);
    std::strncpy(errors.message, message, sizeof errors.message - 1);
    errors.message[sizeof errors.message - 1] = '\0';
    std::longjmp(errors.jump, 1);
}

int RunJpegStep(JpegErrorManager& errors, JpegStep step, void* context, int failureCode)
{
    if (setjmp(errors.jump) != 0) return failureCode;
    return step(context);
}

}  // namespace codec
