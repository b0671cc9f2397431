#include "playback/position_line.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace obrin {

PositionLine::PositionLine(Clock clock) : clock_(clock) {
    store({0, 0, 0, 0});
}

// Each run goes on until the next splice; the position is the furthest any
// run has got to.
double PositionLine::Line::at(double now) const {
    double at = value + perSecond * std::max(0.0, std::min(now, splices[0].time) - time);
    for (std::size_t i = 0; i < kMaxSplices && now >= splices[i].time; ++i) {
        const double end = i + 1 < kMaxSplices ? splices[i + 1].time : kNever;
        const Splice& s = splices[i];
        at = std::max(at, s.value + s.perSecond * (std::min(now, end) - s.time));
    }
    return std::min(std::max(at, floor), limit);
}

// The writer's half of a sequence lock: the sequence turns odd before the
// clock is read (a full barrier, so the clock cannot be read earlier), and
// even again once the new line is in place.
void PositionLine::set(double since, double value, double perSecond, double limit) {
    sequence_.fetch_add(1);
    const double now = clock_();
    const double from = Line{since, value, perSecond, limit}.at(now);
    store({now, from, perSecond, std::max(limit, from)});
    sequence_.fetch_add(1, std::memory_order_release);
}

void PositionLine::advance(double since, double value, double perSecond, double limit) {
    sequence_.fetch_add(1);
    const double now = clock_();
    const Line old = load();
    const double from = std::max(Line{since, value, perSecond, limit}.at(now), old.at(now));
    store({now, from, perSecond, std::max(limit, from)});
    sequence_.fetch_add(1, std::memory_order_release);
}

void PositionLine::follow(double since, double value, double perSecond, double limit,
                          const Splices& splices) {
    sequence_.fetch_add(1);
    const double floor = load().at(clock_());
    store({since, value, perSecond, std::max(limit, floor), splices, floor});
    sequence_.fetch_add(1, std::memory_order_release);
}

double PositionLine::stop() {
    sequence_.fetch_add(1);
    const double at = load().at(clock_());
    store({0, at, 0, at});
    sequence_.fetch_add(1, std::memory_order_release);
    return at;
}

double PositionLine::read() const {
    for (;;) {
        const unsigned before = sequence_.load(std::memory_order_acquire);
        if (before % 2 == 1) {
            std::this_thread::yield();
            continue;
        }
        const Line line = load();
        const double now = clock_();
        std::atomic_thread_fence(std::memory_order_acquire);
        if (sequence_.load(std::memory_order_relaxed) == before) return line.at(now);
    }
}

void PositionLine::store(const Line& line) {
    time_.store(line.time, std::memory_order_relaxed);
    value_.store(line.value, std::memory_order_relaxed);
    perSecond_.store(line.perSecond, std::memory_order_relaxed);
    limit_.store(line.limit, std::memory_order_relaxed);
    for (std::size_t i = 0; i < kMaxSplices; ++i) {
        spliceTime_[i].store(line.splices[i].time, std::memory_order_relaxed);
        spliceValue_[i].store(line.splices[i].value, std::memory_order_relaxed);
        splicePerSecond_[i].store(line.splices[i].perSecond, std::memory_order_relaxed);
    }
    floor_.store(line.floor, std::memory_order_relaxed);
}

PositionLine::Line PositionLine::load() const {
    Line line{time_.load(std::memory_order_relaxed), value_.load(std::memory_order_relaxed),
              perSecond_.load(std::memory_order_relaxed), limit_.load(std::memory_order_relaxed)};
    for (std::size_t i = 0; i < kMaxSplices; ++i) {
        line.splices[i] = {spliceTime_[i].load(std::memory_order_relaxed),
                           spliceValue_[i].load(std::memory_order_relaxed),
                           splicePerSecond_[i].load(std::memory_order_relaxed)};
    }
    line.floor = floor_.load(std::memory_order_relaxed);
    return line;
}

double SteadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace obrin
