#pragma once

#include <atomic>
#include <memory>
#include <thread>

namespace obrin::wendax {

// The host unloads the plug-in after each call, but a stop may leave one of
// its threads running (an open that FFmpeg cannot interrupt). Such a thread
// is handed over here: it holds a reference of its own on the plug-in's
// library, given back only after the thread has ended and was joined, so no
// code is unmapped under a thread that still runs it.
//
// `ended` is set by the thread as its last step.
void KeepLoadedWhileRunning(std::thread thread, std::shared_ptr<const std::atomic<bool>> ended);

// Joins the handed-over threads that have ended and gives back their
// references. Called at the start of each call, while the host holds the
// library, so giving back a reference never unloads it.
void ReleaseEndedThreads();

}  // namespace obrin::wendax
