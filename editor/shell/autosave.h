#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "base/signal.h"

namespace obrin {

class Timer;
class TimerFactory;
class UnsavedChanges;

// When the recovery file is written. While the document holds unsaved
// changes, `write` runs kLatestMs after the first change the file does not
// hold yet, whether or not more changes follow: timing along with a song
// changes the document at every tap and never goes quiet, and a crash may
// cost at most the last two seconds of work. Once the changes are saved,
// `discard` runs: the work is safe in its file.
class Autosave {
  public:
    // Two seconds less the slack of a coarse timer on a busy machine and the
    // write itself.
    static constexpr int kLatestMs = 1500;

    Autosave(UnsavedChanges& changes, TimerFactory& timers, std::function<void()> write,
             std::function<void()> discard);
    ~Autosave();
    Autosave(const Autosave&) = delete;
    Autosave& operator=(const Autosave&) = delete;

    // Writes now if anything changed since the last write.
    void flush();

  private:
    void changed();
    void saved();

    std::function<void()> write_;
    std::function<void()> discard_;
    std::unique_ptr<Timer> due_;
    bool pending_ = false;
    std::vector<Connection> connections_;
};

}  // namespace obrin
