#pragma once
// A progress callback for tests: while a ProgressRecorder lives, the calling thread's codec state calls
// it, and it records every call. It asks to cancel when rowsDone reaches cancelAt.

#include "codec/CodecThreadState.h"

#include <vector>

namespace codec_test {

class ProgressRecorder {
public:
    ProgressRecorder()
    {
        CodecThreadState* state = codec::CurrentThreadState();
        state->progressCallback = Record;
        state->progressUserValue = this;
    }
    ~ProgressRecorder()
    {
        CodecThreadState* state = codec::CurrentThreadState();
        state->progressCallback = nullptr;
        state->progressUserValue = nullptr;
    }
    ProgressRecorder(const ProgressRecorder&) = delete;
    ProgressRecorder& operator=(const ProgressRecorder&) = delete;

    std::vector<int> rowsDone;
    std::vector<int> rowsTotal;
    int cancelAt = -1;

private:
    static int Record(int rowsDone, int rowsTotal, void* userValue)
    {
        auto* recorder = static_cast<ProgressRecorder*>(userValue);
        recorder->rowsDone.push_back(rowsDone);
        recorder->rowsTotal.push_back(rowsTotal);
        return rowsDone != recorder->cancelAt;
    }
};

}  // namespace codec_test
