#include "playback/playback_feed.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <ostream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "playback/playback_stream.h"
#include "temp_folder.h"
#include "wav_builder.h"

namespace obrin {
namespace {

constexpr int kRate = 44100;
constexpr int kChannels = 2;
constexpr std::size_t kBytesPerFrame = kChannels * sizeof(float);
constexpr double kSongSeconds = 20.0;
// Where the output starts playing after its first write: an idle sound server
// takes a while to start a new stream.
constexpr double kStartDelay = 0.2;

// The clock of the lines and the feed: a number the test moves.
double gNow = 0;
double FakeNow() {
    return gNow;
}

// Something to stretch: two tones that swell and fade, so the stretcher
// finds different splice points all along.
std::string SongWave() {
    std::string data;
    const int frames = static_cast<int>(kSongSeconds * kRate);
    for (int f = 0; f < frames; ++f) {
        const double t = static_cast<double>(f) / kRate;
        const double swell = 0.5 + 0.5 * std::sin(2 * std::numbers::pi * 0.7 * t);
        const double v = 0.4 * swell *
                         (std::sin(2 * std::numbers::pi * 220 * t) +
                          std::sin(2 * std::numbers::pi * 331 * t * (1 + 0.1 * swell)));
        test::PutSample(data, v, false, 16);
    }
    return test::RiffWave({{"fmt ", test::FmtBody(test::Tag::Pcm, 1, kRate, 16)}, {"data", data}});
}

// The sound server's report is off by `errorMs` from `age` seconds into the
// stream on, until the next one.
struct ReportError {
    double age;
    double errorMs;
};

// The furthest (ms) a heard position may be from the sample heard once the
// server has settled its timing.
constexpr double kBoundMs = 1.0;

// How PulseAudio times a new stream on a null sink: it refreshes its timing
// at doubling intervals from 10 ms up to 1.28 s; the first refreshes are off
// by several milliseconds, and the one 2.55 s in settles it.
const std::vector<ReportError> kNewStreamErrors = {{0.0, 1.0}, {0.7, -7.0}, {2.5, 0.0}};
constexpr double kSettledAt = 2.55;

// An audio output on a sound server, played by the test's clock. It holds
// kBufferMs of audio, starts playing kStartDelay after the first write, and
// plays `drift` faster than nominal while it has audio; run dry, it stands
// still until more comes. The server learns how far the output has played
// every `period` seconds, wrong by the `errors` of the stream's age, and
// carries that forward at the nominal rate in between; while the output has
// run dry, and as it starts again, the server knows where it stands.
class FakeOutput final : public AudioOutput {
  public:
    FakeOutput(double drift, double period, std::vector<ReportError> errors)
        : drift_(drift), period_(period), errors_(std::move(errors)) {}

    std::size_t bytesFree() const override {
        const double held = static_cast<double>(written_) - played_;
        return static_cast<std::size_t>(std::max(0.0, kCapacity - held)) * kBytesPerFrame;
    }
    std::size_t write(const unsigned char*, std::size_t size) override {
        if (throwOnWrite) throw std::runtime_error("the device went away");
        const std::size_t frames = std::min(size, bytesFree()) / kBytesPerFrame;
        if (written_ == 0 && frames > 0) startsAt_ = gNow + kStartDelay;
        written_ += frames;
        return frames * kBytesPerFrame;
    }
    std::int64_t processedMicroseconds() const override {
        if (!started_) return 0;
        const double since = gNow - learnedAt_;
        const double frames = std::min(learned_ + since * kRate, static_cast<double>(written_));
        return static_cast<std::int64_t>(std::max(0.0, frames) * 1e6 / kRate);
    }
    bool broken() const override { return broken_; }

    // Plays up to time `now`.
    void advanceTo(double now) {
        if (written_ > 0 && now > startsAt_) {
            const double from = std::max(last_, startsAt_);
            const auto held = static_cast<double>(written_);
            const bool resumed = dry_ && held > played_;
            played_ = std::min(held, played_ + (now - from) * kRate * (1 + drift_));
            if (!started_ || now >= nextLearn_) {
                learn(now);
            } else if (dry_ || resumed) {
                learned_ = played_;
                learnedAt_ = now;
            }
            started_ = true;
            dry_ = played_ >= held;
        }
        last_ = now;
    }
    // Output frames the listener has heard by now.
    [[nodiscard]] double played() const { return played_; }

    bool throwOnWrite = false;
    bool broken_ = false;

  private:
    static constexpr double kCapacity = kRate * PlaybackFeed::kBufferMs / 1000.0;

    void learn(double now) {
        const double age = started_ ? now - startsAt_ : 0;
        double errorMs = 0;
        for (const ReportError& e : errors_) {
            if (age >= e.age) errorMs = e.errorMs;
        }
        learned_ = played_ + errorMs / 1000 * kRate;
        learnedAt_ = now;
        interval_ = std::min(period_, interval_ * 2);
        nextLearn_ = now + interval_;
    }

    double drift_;
    double period_;
    std::vector<ReportError> errors_;
    std::uint64_t written_ = 0;
    double played_ = 0;
    double startsAt_ = 0;
    double last_ = 0;
    bool started_ = false;
    bool dry_ = false;
    double learned_ = 0;
    double learnedAt_ = 0;
    double nextLearn_ = 0;
    // The server learns a new stream's timing at doubling intervals.
    double interval_ = 0.005;
};

// The source frame heard at each output frame, as the stream maps it, never
// going back (where the stretcher repeats a moment, the listener has heard it
// already): what the heard position must name.
class HeardTruth {
  public:
    explicit HeardTruth(const PlaybackStream& stream) : stream_(stream) {}

    // How far (seconds) `value` is from the source frame heard after
    // `played` output frames: in the source's time, or in time until or
    // since it is heard, whichever is less. Where the stretcher repeats a
    // moment the latest frame heard stands still, and a value a little ahead
    // of it is heard only once the repeat is over; where it skips ahead the
    // value jumps, and a value a moment early is far off.
    double distance(double value, double played) {
        extend();
        const auto now = static_cast<std::size_t>(played);
        const double apart = now < latest_.size() ? std::abs(value - latest_[now]) : 0;
        return std::min(apart / stream_.format().sampleRate, timeApart(value, played));
    }

  private:
    double timeApart(double value, double played) {
        constexpr double kSame = 1e-6;
        const auto lo = std::lower_bound(latest_.begin(), latest_.end(), value - kSame);
        const auto hi = std::upper_bound(latest_.begin(), latest_.end(), value + kSame);
        // The frames from `first` to `last` play it, or it lies between them.
        const auto first = static_cast<double>(std::min(lo, hi) - latest_.begin()) - 1;
        const auto last = static_cast<double>(std::max(lo, hi) - latest_.begin());
        const double frames = played < first ? first - played : std::max(0.0, played - last);
        return frames / kRate;
    }

    void extend() {
        const auto rendered = static_cast<std::size_t>(stream_.renderedFrames());
        while (latest_.size() < rendered) {
            const double at = stream_.sourceFrameAt(static_cast<double>(latest_.size()));
            latest_.push_back(latest_.empty() ? at : std::max(latest_.back(), at));
        }
    }

    const PlaybackStream& stream_;
    std::vector<double> latest_;
};

// A run of the feed on the fake output, ticked every kTickMs but where a
// stall holds the feed thread up, and the heard position read every quarter
// millisecond.
struct Stall {
    double at;
    double seconds;
};

struct FeedCase {
    const char* name;
    double rate;
    std::vector<Stall> stalls = {};
    // Seconds into the run when the rate changes to `laterRate`.
    double changeAt = 0;
    double laterRate = 0;
    // A null sink: its frame clock runs some 400 ppm fast, and the server
    // refreshes its timing every 1.28 s.
    double drift = 400e-6;
    double period = 1.28;
    std::vector<ReportError> errors = kNewStreamErrors;
};

struct FeedRun {
    // The largest distance (ms) of a heard position from the sample heard
    // then, once the server has settled and before.
    double settledMs = 0;
    double earlyMs = 0;
    bool backwards = false;
    std::vector<PlaybackFeed::Event> events;
};

class FeedRig {
  public:
    FeedRig() {
        test::WriteFile(folder_ / "song.wav", SongWave());
        stream_ = std::make_unique<PlaybackStream>(folder_ / "song.wav");
        stream_->setOutput({kRate, kChannels});
        gNow = 100.0;
    }

    FeedRun play(FakeOutput& output, const FeedCase& c, double seconds) {
        FeedRun run;
        HeardTruth truth(*stream_);
        const double begin = gNow;
        const double tick = PlaybackFeed::kTickMs / 1000.0;
        const double step = 0.00025;
        double nextTick = begin + tick;
        double previous = 0;
        note(run, feed_.start(output, {stream_.get(), SampleType::Float, 0, c.rate, 1.0f}));
        for (double t = begin; t < begin + seconds; t += step) {
            gNow = t;
            output.advanceTo(t);
            if (c.changeAt > 0 && t - begin >= c.changeAt && t - begin < c.changeAt + step) {
                feed_.setRate(c.laterRate);
            }
            if (t >= nextTick) {
                nextTick += tick;
                const bool stalled = std::any_of(c.stalls.begin(), c.stalls.end(), [&](Stall s) {
                    return t - begin >= s.at && t - begin < s.at + s.seconds;
                });
                if (!stalled) note(run, feed_.tick());
            }
            const double value = heard_.read();
            if (value < previous) run.backwards = true;
            previous = value;
            if (output.played() <= 0) continue;
            const double ms = truth.distance(value, output.played()) * 1000;
            const bool settled = t - begin >= kStartDelay + kSettledAt + kSettling;
            double& worst = settled ? run.settledMs : run.earlyMs;
            worst = std::max(worst, ms);
        }
        return run;
    }

    PlaybackStream& stream() { return *stream_; }
    PlaybackFeed& feed() { return feed_; }

  private:
    // How long the clock takes to steer onto the server's settled count.
    static constexpr double kSettling = 0.5;

    static void note(FeedRun& run, PlaybackFeed::Event event) {
        if (event != PlaybackFeed::Event::None) run.events.push_back(event);
    }

    test::TempFolder folder_;
    std::unique_ptr<PlaybackStream> stream_;
    PositionLine position_{FakeNow};
    PositionLine heard_{FakeNow};
    PositionLine deviceClock_{FakeNow};
    PlaybackFeed feed_{position_, heard_, deviceClock_, FakeNow};
};

void PrintTo(const FeedCase& c, std::ostream* os) {
    *os << c.name;
}

class HeardPositionFeedTest : public testing::TestWithParam<FeedCase> {};

// Every heard position the feed publishes names the sample the listener hears
// at the moment it is read, within kBoundMs, at every rate, across the
// stretcher's splices and cross-fades, between ticks and while the feed
// thread is held up; before the server has settled its timing of the new
// stream, within 1 ms of what the server's own report is off by.
TEST_P(HeardPositionFeedTest, NamesTheSampleBeingHeard) {
    const FeedCase& c = GetParam();
    FeedRig rig;
    FakeOutput output(c.drift, c.period, c.errors);
    const FeedRun run = rig.play(output, c, 8.0);
    double serverMs = 0;
    for (const ReportError& e : c.errors) serverMs = std::max(serverMs, std::abs(e.errorMs));
    std::printf("[ figures  ] %s: heard position off by at most %.3f ms settled, %.3f ms before\n",
                c.name, run.settledMs, run.earlyMs);
    EXPECT_LE(run.settledMs, kBoundMs);
    EXPECT_LE(run.earlyMs, serverMs + 1.0);
    EXPECT_FALSE(run.backwards);
    EXPECT_TRUE(run.events.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, HeardPositionFeedTest,
    testing::Values(
        FeedCase{.name = "HalfSpeed", .rate = 0.5}, FeedCase{.name = "NormalSpeed", .rate = 1.0},
        FeedCase{.name = "DoubleSpeed", .rate = 2.0},
        // The feed thread held up for less than the buffer lasts,
        // and for longer, so that the output runs dry and starts
        // again where it stopped.
        FeedCase{.name = "LateTicksHalfSpeed", .rate = 0.5, .stalls = {{4.0, 0.03}}},
        FeedCase{.name = "LateTicksDoubleSpeed", .rate = 2.0, .stalls = {{4.0, 0.03}}},
        FeedCase{.name = "UnderrunNormalSpeed", .rate = 1.0, .stalls = {{4.0, 0.12}}},
        FeedCase{.name = "UnderrunsDoubleSpeed", .rate = 2.0, .stalls = {{4.0, 0.12}, {5.5, 0.3}}},
        FeedCase{.name = "FromNormalToDoubleSpeed", .rate = 1.0, .changeAt = 4.0, .laterRate = 2.0},
        FeedCase{.name = "FromDoubleToHalfSpeed", .rate = 2.0, .changeAt = 4.0, .laterRate = 0.5}),
    [](const auto& info) { return std::string(info.param.name); });

// The end of the file is told once, after the output has played it, and the
// position stands where the file ends.
TEST(PlaybackFeedTest, TellsTheEndOnceTheOutputHasPlayedIt) {
    FeedRig rig;
    FakeOutput output(0, 1.28, {});
    const double start = (kSongSeconds - 1.0) * kRate;
    gNow = 200.0;
    std::vector<PlaybackFeed::Event> events;
    EXPECT_EQ(rig.feed().start(output, {&rig.stream(), SampleType::Float, start, 1.0, 1}),
              PlaybackFeed::Event::None);
    for (int i = 1; i <= 400; ++i) {
        gNow = 200.0 + i * 0.005;
        output.advanceTo(gNow);
        if (const auto e = rig.feed().tick(); e != PlaybackFeed::Event::None) {
            events.push_back(e);
            EXPECT_GE(output.played(), kRate * 1.0 - 1) << "told before the last frame was heard";
        }
    }
    EXPECT_EQ(events, std::vector{PlaybackFeed::Event::EndReached});
    EXPECT_NEAR(rig.feed().close() / kRate, kSongSeconds, 0.001);
}

// Whatever fails while the output is fed ends the run with the reason, once,
// rather than escaping from the feed thread; and a broken output ends it too.
TEST(PlaybackFeedTest, AFailureEndsTheRunWithItsReason) {
    FeedRig rig;
    FakeOutput output(0, 1.28, {});
    gNow = 300.0;
    EXPECT_EQ(rig.feed().start(output, {&rig.stream(), SampleType::Float, 0, 1.0, 1}),
              PlaybackFeed::Event::None);
    output.throwOnWrite = true;
    gNow += 0.3;
    output.advanceTo(gNow);
    EXPECT_EQ(rig.feed().tick(), PlaybackFeed::Event::Failed);
    EXPECT_EQ(rig.feed().failure(), "the device went away");
    gNow += 0.005;
    EXPECT_EQ(rig.feed().tick(), PlaybackFeed::Event::None);

    FakeOutput broken(0, 1.28, {});
    EXPECT_EQ(rig.feed().start(broken, {&rig.stream(), SampleType::Float, 0, 1.0, 1}),
              PlaybackFeed::Event::None);
    broken.broken_ = true;
    EXPECT_EQ(rig.feed().tick(), PlaybackFeed::Event::Failed);
    EXPECT_EQ(rig.feed().failure(), "the audio output stopped");
}

// An output played by the real clock, as far as it has been fed.
class SteadyOutput final : public AudioOutput {
  public:
    std::size_t bytesFree() const override {
        const double held = static_cast<double>(written_) - played();
        return static_cast<std::size_t>(std::max(0.0, kRate * 0.05 - held)) * kBytesPerFrame;
    }
    std::size_t write(const unsigned char*, std::size_t size) override {
        if (written_ == 0) start_ = SteadySeconds();
        const std::size_t frames = std::min(size, bytesFree()) / kBytesPerFrame;
        written_ += frames;
        return frames * kBytesPerFrame;
    }
    std::int64_t processedMicroseconds() const override {
        return static_cast<std::int64_t>(played() * 1e6 / kRate);
    }
    bool broken() const override { return false; }

  private:
    double played() const {
        if (written_ == 0) return 0;
        return std::min((SteadySeconds() - start_) * kRate, static_cast<double>(written_));
    }
    std::uint64_t written_ = 0;
    double start_ = 0;
};

// The feed thread writes the lines while other threads read them: no reader
// sees a position go back, and (under ThreadSanitizer) nothing races.
TEST(PlaybackFeedTest, ReadersOnOtherThreadsSeeThePositionsOnlyMoveOn) {
    test::TempFolder folder;
    test::WriteFile(folder / "song.wav", SongWave());
    PlaybackStream stream(folder / "song.wav");
    stream.setOutput({kRate, kChannels});
    PositionLine position{SteadySeconds};
    PositionLine heard{SteadySeconds};
    PositionLine deviceClock{SteadySeconds};
    std::atomic<bool> done{false};
    std::atomic<int> backwards{0};
    std::atomic<int> reads{0};
    PlaybackFeed feed(position, heard, deviceClock, SteadySeconds);
    SteadyOutput output;
    std::vector<std::thread> readers;
    for (PositionLine* line : {&position, &heard, &deviceClock}) {
        readers.emplace_back([&, line] {
            double previous = line->read();
            while (!done.load()) {
                const double now = line->read();
                if (now < previous && line != &deviceClock) ++backwards;
                previous = now;
                ++reads;
                std::this_thread::yield();
            }
        });
    }
    std::thread feeder([&] {
        (void)feed.start(output, {&stream, SampleType::Float, 0, 1.5, 1});
        for (int i = 0; i < 400 || reads.load() < 300; ++i) {
            (void)feed.tick();
            std::this_thread::yield();
        }
        done = true;
    });
    feeder.join();
    for (std::thread& r : readers) r.join();
    (void)feed.close();
    EXPECT_EQ(backwards.load(), 0);
}

}  // namespace
}  // namespace obrin
