#pragma once

#include <atomic>
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
    // `value` at `time`, at `perSecond`.
    struct Splice {
        double time;
        double value;
        double perSecond;
    };
    // Moves exactly as told, from `value` at `since` at `perSecond`, and from
    // `splice.time` on along the splice, up to `limit`; but never below where
    // the current line has got to, standing still there until the new line
    // passes it (a splice back repeats what was heard).
    void follow(double since, double value, double perSecond, double limit, Splice splice);
    // Where the position stands now.
    [[nodiscard]] double read() const;

  private:
    static constexpr double kNever = std::numeric_limits<double>::infinity();
    struct Line {
        double time;
        double value;
        double perSecond;
        double limit;
        Splice splice{kNever, 0, 0};
        double floor = -kNever;
        [[nodiscard]] double at(double now) const;
    };
    void store(const Line& line);
    Line load() const;

    Clock clock_;
    // Odd while the writer changes the line.
    std::atomic<unsigned> sequence_{0};
    std::atomic<double> time_{0}, value_{0}, perSecond_{0}, limit_{0};
    std::atomic<double> spliceTime_{kNever}, spliceValue_{0}, splicePerSecond_{0};
    std::atomic<double> floor_{-kNever};
};

// Seconds on the monotonic clock the player publishes its position on.
[[nodiscard]] double SteadySeconds();

}  // namespace obrin
