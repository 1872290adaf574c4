#pragma once
// Progress reporting and cancellation for long operations.
//
// A CodecProgress lives for the duration of one operation and counts it in the thread's nesting depth,
// so an operation that calls another (a reader that resizes, say) reports only once: the callback is
// called by the outermost operation alone. Report returns false when the callback asked to cancel;
// the operation then stops and fails with kCodecErrCancelled.

#include "codec/CodecThreadState.h"

namespace codec {

class CodecProgress {
public:
    explicit CodecProgress(CodecThreadState& state) : state_(state) { ++state_.progressDepth; }
    ~CodecProgress() { --state_.progressDepth; }
    CodecProgress(const CodecProgress&) = delete;
    CodecProgress& operator=(const CodecProgress&) = delete;

    // Whether Report reaches a callback: an operation that is not watched may run its rows in any order.
    bool Watched() const { return state_.progressDepth == 1 && state_.progressCallback != nullptr; }

    // False when the operation must stop; true when there is no callback or this is a nested operation.
    bool Report(int rowsDone, int rowsTotal) const
    {
        if (state_.progressDepth != 1 || state_.progressCallback == nullptr) return true;
        return state_.progressCallback(rowsDone, rowsTotal, state_.progressUserValue) != 0;
    }

private:
    CodecThreadState& state_;
};

}  // namespace codec
