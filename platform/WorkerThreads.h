#pragma once
// Splits the engine's row loops over worker threads. Each call starts its threads and joins them before
// it returns, so no thread outlives the work it was given and no state is shared between calls.

#include <functional>

namespace platform {

// The number of parts ParallelRanges may use: `count`, or with 0 (the default) one per processor.
void SetWorkerCount(int count);
int WorkerCount();

// Runs body(first, end) over contiguous half-open parts of 0..itemCount, at most WorkerCount() parts
// and none smaller than minPerPart items; the calling thread runs the first part itself. A part whose
// thread cannot be started runs on the calling thread. The body must not throw.
void ParallelRanges(int itemCount, int minPerPart, const std::function<void(int firstItem, int endItem)>& body);

}  // namespace platform
