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
// changes, `write` runs once a burst of changes has gone quiet for
// kQuietMs, and at the latest every kPeriodMs while changes keep coming
// (marking along with a song never goes quiet). Once the changes are saved,
// `discard` runs: the work is safe in its file.
class Autosave {
  public:
    static constexpr int kQuietMs = 2000;
    static constexpr int kPeriodMs = 30000;

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
    std::unique_ptr<Timer> quiet_;
    std::unique_ptr<Timer> period_;
    bool pending_ = false;
    std::vector<Connection> connections_;
};

}  // namespace obrin
