#include "platform/FileReplace.h"

#include <atomic>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The mode a new file gets: everything the process umask allows of rw-rw-rw-.
mode_t NewFileMode()
{
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// The temporaries under way, where the interrupt handler finds them. A handler may neither allocate nor
// lock, so they sit in fixed slots, each claimed and released through its state. A slot is only ever
// `kFilling` on a thread whose interrupts are blocked meanwhile, so the handler, running on another
// thread, can wait for it to become `kInUse` or `kFree`.
enum SlotState : int { kFree, kFilling, kInUse };
struct TemporarySlot {
    std::atomic<int> state{kFree};
    char path[PATH_MAX]{};
};
constexpr std::size_t kSlots = 64;   // more writes at once than this go untracked
constinit TemporarySlot slots[kSlots];

// Interrupts held back on this thread while a slot is being filled or emptied.
class InterruptsBlocked {
public:
    InterruptsBlocked()
    {
        sigset_t interrupts;
        sigemptyset(&interrupts);
        sigaddset(&interrupts, SIGINT);
        sigaddset(&interrupts, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &interrupts, &previous_);
    }
    ~InterruptsBlocked() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    InterruptsBlocked(const InterruptsBlocked&) = delete;
    InterruptsBlocked& operator=(const InterruptsBlocked&) = delete;

private:
    sigset_t previous_;
};

TemporarySlot* ClaimSlot()
{
    for (TemporarySlot& slot : slots) {
        int expected = kFree;
        if (slot.state.compare_exchange_strong(expected, kFilling)) return &slot;
    }
    return nullptr;
}

void ReleaseSlot(const std::string& temporaryPath)
{
    for (TemporarySlot& slot : slots) {
        int expected = kInUse;
        if (slot.state.load() != kInUse || std::strcmp(slot.path, temporaryPath.c_str()) != 0 ||
            !slot.state.compare_exchange_strong(expected, kFilling))
            continue;
        slot.path[0] = '\0';
        slot.state = kFree;
        return;
    }
}

void RemoveTemporariesAndExit(int signal)
{
    for (TemporarySlot& slot : slots) {
        // A slot being filled is on another thread, which finishes it within a few instructions.
        for (int spin = 0; spin < 1000000 && slot.state.load() == kFilling; ++spin) sched_yield();
        if (slot.state.load() == kInUse) unlink(slot.path);
    }
    _exit(128 + signal);
}

}  // namespace

std::string CreateTemporaryBeside(const std::string& targetPath)
{
    // A hidden name in the target's folder: ".photo_16x9.jpg.XXXXXX".
    const std::string pattern = FolderOf(targetPath) + "/." + NameOf(targetPath) + ".XXXXXX";
    if (pattern.size() >= PATH_MAX) return {};
    const InterruptsBlocked blocked;
    TemporarySlot fallback;
    TemporarySlot* slot = ClaimSlot();
    char* name = (slot != nullptr ? slot : &fallback)->path;
    std::memcpy(name, pattern.c_str(), pattern.size() + 1);
    const int fd = mkstemp(name);
    if (fd >= 0) close(fd);
    const std::string path = fd >= 0 ? std::string(name) : std::string();
    if (slot != nullptr) slot->state = fd >= 0 ? kInUse : kFree;
    return path;
}

bool ReplaceWithTemporary(const std::string& temporaryPath, const std::string& targetPath)
{
    struct stat existing {};
    const mode_t mode = stat(targetPath.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : NewFileMode();
    chmod(temporaryPath.c_str(), mode);
    const InterruptsBlocked blocked;
    if (std::rename(temporaryPath.c_str(), targetPath.c_str()) != 0) {
        DiscardTemporary(temporaryPath);
        return false;
    }
    ReleaseSlot(temporaryPath);
    return true;
}

void DiscardTemporary(const std::string& temporaryPath)
{
    if (temporaryPath.empty()) return;
    const InterruptsBlocked blocked;
    std::remove(temporaryPath.c_str());
    ReleaseSlot(temporaryPath);
}

void RemoveTemporariesOnInterrupt()
{
    struct sigaction action {};
    action.sa_handler = RemoveTemporariesAndExit;
    sigemptyset(&action.sa_mask);
    // One handler at a time: a second signal waits until the first has ended the process.
    sigaddset(&action.sa_mask, SIGINT);
    sigaddset(&action.sa_mask, SIGTERM);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

}  // namespace platform
