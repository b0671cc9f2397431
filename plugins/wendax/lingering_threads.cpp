#include "lingering_threads.h"

#include <dlfcn.h>

#include <algorithm>
#include <mutex>
#include <utility>
#include <vector>

namespace obrin::wendax {

namespace {

struct Lingering {
    std::thread thread;
    std::shared_ptr<const std::atomic<bool>> ended;
    void* library;  // the reference this thread holds
};

struct LingeringList {
    std::mutex lock;
    std::vector<Lingering> threads;
};

// Never destroyed: at the process's exit, a thread may still run, and
// destroying its std::thread would end the process with std::terminate.
LingeringList& List() {
    static auto* list = new LingeringList;
    return *list;
}

// A second reference on the library this code lives in.
void* ReferenceOwnLibrary() {
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&ReferenceOwnLibrary), &info) == 0 ||
        info.dli_fname == nullptr) {
        return nullptr;
    }
    return ::dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD);
}

}  // namespace

void KeepLoadedWhileRunning(std::thread thread, std::shared_ptr<const std::atomic<bool>> ended) {
    void* library = ReferenceOwnLibrary();
    LingeringList& list = List();
    const std::lock_guard lock(list.lock);
    list.threads.push_back({std::move(thread), std::move(ended), library});
}

void ReleaseEndedThreads() {
    LingeringList& list = List();
    std::vector<Lingering> ended;
    {
        const std::lock_guard lock(list.lock);
        const auto running = std::stable_partition(list.threads.begin(), list.threads.end(),
                                                   [](const Lingering& t) { return !*t.ended; });
        std::move(running, list.threads.end(), std::back_inserter(ended));
        list.threads.erase(running, list.threads.end());
    }
    for (Lingering& t : ended) {
        // The thread has done its work; joining waits only for its last
        // instructions, which are still the library's.
        t.thread.join();
        if (t.library != nullptr) ::dlclose(t.library);
    }
}

}  // namespace obrin::wendax
