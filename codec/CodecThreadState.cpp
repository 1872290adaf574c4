#include "codec/CodecThreadState.h"

#include "codec/CodecErrors.h"

#include <memory>
#include <new>

int CodecGetLastError()
{
    const CodecThreadState* state = codec::CurrentThreadState();
    return state != nullptr ? state->lastError : kCodecErrNoThreadState;
}

namespace codec {

CodecThreadState* CurrentThreadState()
{
    thread_local std::unique_ptr<CodecThreadState> state;
    if (!state) {
        try {
            state.reset(new CodecThreadState);
        } catch (...) {
            return nullptr;   // out of memory, or an option's constructor failed: the caller reports it
        }
    }
    return state.get();
}

}  // namespace codec
