#include "platform/WorkerThreads.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

namespace platform {
namespace {

std::atomic<int> chosenWorkers{0};

}  // namespace

void SetWorkerCount(int count)
{
    chosenWorkers = std::max(count, 0);
}

int WorkerCount()
{
    const int chosen = chosenWorkers;
    if (chosen > 0) return chosen;
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

void ParallelRanges(int itemCount, int minPerPart, const std::function<void(int, int)>& body)
{
    if (itemCount <= 0) return;
    const int parts = std::clamp(itemCount / std::max(minPerPart, 1), 1, WorkerCount());
    const auto partStart = [&](int part) { return static_cast<int>(std::int64_t{itemCount} * part / parts); };
    std::vector<std::thread> threads;
    threads.reserve(static_cast<std::size_t>(parts));
    for (int part = 1; part < parts; ++part) {
        try {
            threads.emplace_back(body, partStart(part), partStart(part + 1));
        } catch (const std::system_error&) {
            body(partStart(part), partStart(part + 1));
        }
    }
    body(0, partStart(1));
    for (std::thread& thread : threads) thread.join();
}

}  // namespace platform
