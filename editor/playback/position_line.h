#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <limits>

namespace obrin {

// A position that moves along a straight line: from `value` at `time`, at
// `perSecond`, but never past `limit`. One thread publishes it, any number of
// threads read it at once without locks, and a read changes nothing, so one
// reader never alters what another sees.
//
// The writer takes the time of a new line itself, after readers can see that
// a change is under way; a reader that got the old line therefore read the
// clock before the new line began. Together with lines that start no lower
// than the old one stood (see `advance`), no reader sees the position step
// back while it moves forward.
//
// Only one thread may write at a time; handing the writer's role to another
// thread needs some other synchronisation (the player hands it over inside
// blocking calls). Times are seconds of the clock given to the constructor.
class PositionLine {
  public:
    static constexpr double kNever = std::numeric_limits<double>::infinity();
    using Clock = double (*)();
    explicit PositionLine(Clock clock);

    // Moves from `value` at `since` as told, wherever the last line was.
    void set(double since, double value, double perSecond, double limit);
    // Stands still at `value`.
    void hold(double value) { set(0, value, 0, value); }
    // Stands still where the line has got to, and returns that.
    double stop();
    // Moves on from `value`, which was where the position stood at `since`, at
    // `perSecond`, up to `limit`. It starts from where the current line has
    // got to instead when that is further: readers may already have seen it.
    void advance(double since, double value, double perSecond, double limit);

    // Where a position that plays a source in runs goes on at a splice: from
    // `value` at `time`, at `perSecond`. One that never comes is at kNever.
    struct Splice {
        double time = kNever;
        double value = 0;
        double perSecond = 0;
    };
    // The splices a line can take, in time order: as many as the audio feed
    // finds ahead of the listener while its thread may be held up.
    static constexpr std::size_t kMaxSplices = 3;
    using Splices = std::array<Splice, kMaxSplices>;
    // Moves exactly as told, from `value` at `since` at `perSecond`, and from
    // each splice's time on along that splice, up to `limit`; but never below
    // where it got to already, standing still there until a run passes it (a
    // splice back repeats what was heard), nor below where the current line
    // has got to.
    void follow(double since, double value, double perSecond, double limit, const Splices& splices);
    // Where the position stands now.
    [[nodiscard]] double read() const;

  private:
    struct Line {
        double time;
        double value;
        double perSecond;
        double limit;
        Splices splices{};
        double floor = -kNever;
        [[nodiscard]] double at(double now) const;
    };
    void store(const Line& line);
    Line load() const;

    Clock clock_;
    // Odd while the writer changes the line.
    std::atomic<unsigned> sequence_{0};
    std::atomic<double> time_{0}, value_{0}, perSecond_{0}, limit_{0};
    std::array<std::atomic<double>, kMaxSplices> spliceTime_, spliceValue_, splicePerSecond_;
    std::atomic<double> floor_{-kNever};
};

// Seconds on the monotonic clock the player publishes its position on.
[[nodiscard]] double SteadySeconds();

}  // namespace obrin
