#pragma once
// The exception a library glue function raises when libjpeg, libpng or libtiff reports a fatal error.
// It carries the codec error code the entry point leaves and the library's message for the trace hook.
// It never leaves the codec layer: RunCodecEntry catches it.

#include <stdexcept>
#include <string>

namespace codec {

class CCodecException : public std::runtime_error {
public:
    CCodecException(int code, const std::string& message) : std::runtime_error(message), code_(code) {}
    int Code() const { return code_; }

private:
    int code_;
};

}  // namespace codec
