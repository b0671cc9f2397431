#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "base/timer.h"

namespace obrin::test {

class FakeTimerFactory;

// A timer that fires only when its factory's virtual clock passes its due
// time, or when a test fires it by hand.
class FakeTimer final : public Timer {
  public:
    explicit FakeTimer(FakeTimerFactory& factory) : factory_(&factory) {}
    ~FakeTimer() override;

    void start(int intervalMs) override;
    void stop() override { active_ = false; }
    bool isActive() const override { return active_; }

    int interval() const { return interval_; }
    std::int64_t dueAt() const { return dueAt_; }
    // Fires once now, as if it had timed out.
    void fire() {
        if (onTimeout) onTimeout();
    }

  private:
    friend class FakeTimerFactory;

    FakeTimerFactory* factory_;
    bool active_ = false;
    int interval_ = 0;
    std::int64_t dueAt_ = 0;
    // Restarts count as a new start, which orders timers due together.
    std::int64_t startedOrder_ = 0;
};

// Hands out FakeTimers that share one virtual clock in milliseconds.
// advance(ms) moves the clock and fires every due timer in order of due time
// (then of starting), re-arming each for its next interval, exactly as a
// repeating timer on an event loop would.
class FakeTimerFactory final : public TimerFactory {
  public:
    std::unique_ptr<Timer> createTimer() override {
        auto timer = std::make_unique<FakeTimer>(*this);
        timers_.push_back(timer.get());
        return timer;
    }

    std::int64_t now() const { return now_; }

    // Told how far the clock moved before each batch of firing, so a fake
    // player can move its position with it.
    std::function<void(int elapsedMs)> onClockAdvanced;

    void advance(std::int64_t ms) {
        const std::int64_t target = now_ + ms;
        while (FakeTimer* next = nextDue(target)) {
            moveClockTo(next->dueAt_);
            // Whoever watched the clock move may have stopped the timer.
            if (!next->active_) continue;
            next->dueAt_ += std::max(next->interval_, 1);
            next->fire();
        }
        moveClockTo(target);
    }

    std::vector<FakeTimer*> activeTimers() const {
        std::vector<FakeTimer*> active;
        for (FakeTimer* timer : timers_) {
            if (timer->active_) active.push_back(timer);
        }
        return active;
    }

  private:
    friend class FakeTimer;

    FakeTimer* nextDue(std::int64_t limit) const {
        FakeTimer* best = nullptr;
        for (FakeTimer* timer : timers_) {
            if (!timer->active_ || timer->dueAt_ > limit) continue;
            if (!best || timer->dueAt_ < best->dueAt_ ||
                (timer->dueAt_ == best->dueAt_ && timer->startedOrder_ < best->startedOrder_)) {
                best = timer;
            }
        }
        return best;
    }

    void moveClockTo(std::int64_t time) {
        if (time == now_) return;
        const std::int64_t elapsed = time - now_;
        now_ = time;
        if (onClockAdvanced) onClockAdvanced(static_cast<int>(elapsed));
    }

    void forget(FakeTimer* timer) { std::erase(timers_, timer); }

    std::vector<FakeTimer*> timers_;
    std::int64_t now_ = 0;
    std::int64_t nextStartOrder_ = 0;
};

inline FakeTimer::~FakeTimer() {
    factory_->forget(this);
}

inline void FakeTimer::start(int intervalMs) {
    active_ = true;
    interval_ = intervalMs;
    dueAt_ = factory_->now_ + intervalMs;
    startedOrder_ = factory_->nextStartOrder_++;
}

}  // namespace obrin::test
