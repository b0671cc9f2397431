#pragma once

#include <functional>
#include <memory>

namespace obrin {

// A repeating timer on the user-interface thread. The GUI gives the core Qt
// timers; tests give it fake timers they fire by hand.
class Timer {
public:
    virtual ~Timer() = default;
    virtual void start(int intervalMs) = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
    // Called on every timeout, on the user-interface thread.
    std::function<void()> onTimeout;
};

class TimerFactory {
public:
    virtual ~TimerFactory() = default;
    virtual std::unique_ptr<Timer> createTimer() = 0;
};

}  // namespace obrin
