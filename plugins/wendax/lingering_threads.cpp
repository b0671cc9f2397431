#include "lingering_threads.h"

#include <dlfcn.h>

#include <mutex>
#include <new>
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

    // Destroyed when the library is unloaded, which its threads' references
    // keep from happening while one is listed, or at the process's exit,
    // where a thread may still run: it is let go, since destroying a
    // joinable std::thread would end the process with std::terminate.
    ~LingeringList() {
        for (Lingering& lingering : threads)
            if (lingering.thread.joinable()) lingering.thread.detach();
    }
};

LingeringList& List() {
    static LingeringList list;
    return list;
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
    Lingering lingering{std::move(thread), std::move(ended), ReferenceOwnLibrary()};
    try {
        LingeringList& list = List();
        const std::lock_guard lock(list.lock);
        list.threads.push_back(std::move(lingering));
    } catch (const std::bad_alloc&) {
        // Not noted, the thread runs on by itself and its reference is
        // never given back: the library stays for good, which is safe.
        lingering.thread.detach();
    }
}

void ReleaseEndedThreads() {
    LingeringList& list = List();
    const std::lock_guard lock(list.lock);
    for (auto t = list.threads.begin(); t != list.threads.end();) {
        if (!*t->ended) {
            ++t;
            continue;
        }
        // The thread has done its work; joining waits only for its last
        // instructions, which are still the library's.
        t->thread.join();
        if (t->library != nullptr) ::dlclose(t->library);
        t = list.threads.erase(t);
    }
}

}  // namespace obrin::wendax
