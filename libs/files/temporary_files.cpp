#include "obrin_files/temporary_files.h"

#include <signal.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstring>

namespace obrin {

struct TemporarySlot {
    std::atomic<int> state;
    char path[4096];
};

// One C name, so a program can export the table to the libraries it loads and
// theirs bind to it (temporary_files.list).
extern "C" {
__attribute__((visibility("default"))) TemporarySlot obrin_temporary_files[16];
}

namespace {

enum SlotState : int { kFree = 0, kFilling = 1, kHeld = 2 };

constexpr int kSlots = 16;

static_assert(std::atomic<int>::is_always_lock_free, "read from a signal handler");

void RemoveAndReraise(int signal) {
    for (TemporarySlot& slot : obrin_temporary_files)
        if (slot.state.load() == kHeld) ::unlink(slot.path);
    // SA_RESETHAND put the default action back; the signal is blocked until
    // this handler returns, and then ends the process.
    ::raise(signal);
}

}  // namespace

int RegisterTemporaryFile(const std::filesystem::path& path) {
    const std::string& text = path.native();
    if (text.size() >= sizeof(TemporarySlot::path)) return -1;
    for (int i = 0; i < kSlots; ++i) {
        TemporarySlot& slot = obrin_temporary_files[i];
        int expected = kFree;
        if (!slot.state.compare_exchange_strong(expected, kFilling)) continue;
        std::memcpy(slot.path, text.c_str(), text.size() + 1);
        slot.state.store(kHeld);
        return i;
    }
    return -1;
}

void UnregisterTemporaryFile(int slot) {
    if (slot >= 0 && slot < kSlots) obrin_temporary_files[slot].state.store(kFree);
}

void RemoveTemporaryFilesOnSignals() {
    struct sigaction action {};
    action.sa_handler = RemoveAndReraise;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        // Whoever started us with the signal ignored (nohup, a shell's
        // background job) wants the run to outlive it.
        struct sigaction current {};
        if (sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) continue;
        sigaction(signal, &action, nullptr);
    }
}

}  // namespace obrin
