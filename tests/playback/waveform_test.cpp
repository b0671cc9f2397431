// The waveform's core: the peaks of every zoom level, the onsets in the
// voice's band, the view's geometry, the line markers and the worker that
// makes the peaks and onsets.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <numbers>
#include <vector>

#include "document/lyric_list.h"
#include "playback/line_markers.h"
#include "playback/peak_pyramid.h"
#include "playback/vocal_onsets.h"
#include "playback/wav_reader.h"
#include "playback/waveform_analysis.h"
#include "playback/waveform_viewport.h"
#include "temp_folder.h"
#include "wav_builder.h"

using namespace obrin;
using namespace obrin::test;

namespace {

constexpr int kRate = 8000;  // 40 frames to a peak block
constexpr float kQuantum = 1.0f / 32767.0f;

// A 16-bit PCM WAV of the given frames, each {left, right}.
std::string StereoWav(const std::vector<std::pair<double, double>>& frames, int rate = kRate) {
    std::string data;
    for (const auto& [left, right] : frames) {
        PutSample(data, left, false, 16);
        PutSample(data, right, false, 16);
    }
    return RiffWave({{"fmt ", FmtBody(Tag::Pcm, 2, rate, 16)}, {"data", data}});
}

// Half a second of silence, then half a second with the left channel at 0.6
// and the right at 0.2 (their mix 0.4), then silence with one frame at -0.9
// on both channels, 1.5 s in all.
std::string KnownSignal() {
    std::vector<std::pair<double, double>> frames(12000, {0.0, 0.0});
    for (int f = 4000; f < 8000; ++f) frames[f] = {0.6, 0.2};
    frames[8020] = {-0.9, -0.9};
    return StereoWav(frames);
}

PeakPyramid BuildFrom(const std::filesystem::path& wav) {
    WavReader reader(wav);
    auto peaks = PeakPyramid::Build(reader);
    EXPECT_TRUE(peaks.has_value());
    return std::move(*peaks);
}

struct ColumnCase {
    const char* name;
    double firstFrame;
    double framesPerColumn;
    int columns;
    std::vector<PeakPair> expected;
};

class PeakColumnsTest : public ::testing::TestWithParam<ColumnCase> {};

TEST_P(PeakColumnsTest, ShowTheLowestAndHighestOfEachColumn) {
    TempFolder folder;
    folder.write("known.wav", KnownSignal());
    const PeakPyramid peaks = BuildFrom(folder / "known.wav");
    const ColumnCase& c = GetParam();
    const std::vector<PeakPair> got = peaks.columns(c.firstFrame, c.framesPerColumn, c.columns);
    ASSERT_EQ(got.size(), c.expected.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_NEAR(got[i].min, c.expected[i].min, kQuantum) << "column " << i;
        EXPECT_NEAR(got[i].max, c.expected[i].max, kQuantum) << "column " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    KnownSignal, PeakColumnsTest,
    ::testing::Values(
        // One block per column, around the step from silence to the mix.
        ColumnCase{"StepAtFinestZoom", 3960, 40, 3, {{0, 0}, {0.4f, 0.4f}, {0.4f, 0.4f}}},
        // A column straddling the step holds both.
        ColumnCase{"StraddlingColumn", 3980, 40, 1, {{0, 0.4f}}},
        // The lone spike is kept at every zoom.
        ColumnCase{"SpikeAtFinestZoom", 8000, 40, 1, {{-0.9f, 0}}},
        ColumnCase{"SpikeInTheOverview", 0, 4000, 3, {{0, 0}, {0.4f, 0.4f}, {-0.9f, 0}}},
        ColumnCase{"WholeSongInOneColumn", 0, 12000, 1, {{-0.9f, 0.4f}}},
        // Columns narrower than a block show the block they fall in.
        ColumnCase{"NarrowerThanABlock", 4000, 10, 2, {{0.4f, 0.4f}, {0.4f, 0.4f}}},
        // Columns past the end are left out.
        ColumnCase{"PastTheEnd", 11000, 4000, 3, {{0, 0}}},
        ColumnCase{"AllPastTheEnd", 12000, 40, 2, {}}),
    [](const auto& info) { return info.param.name; });

TEST(PeakPyramid, SineKeepsItsAmplitudeAtEveryLevel) {
    TempFolder folder;
    WriteSineWav(folder / "sine.wav", 10.0, 44100, 2, 441.0);
    const PeakPyramid peaks = BuildFrom(folder / "sine.wav");
    EXPECT_EQ(peaks.blockFrames(), 220u);
    EXPECT_EQ(peaks.frameCount(), 441000u);
    for (double perColumn : {220.0, 1000.0, 44100.0, 441000.0}) {
        for (const PeakPair& p : peaks.columns(0, perColumn, 10)) {
            EXPECT_NEAR(p.max, 0.5, 0.002) << perColumn;
            EXPECT_NEAR(p.min, -0.5, 0.002) << perColumn;
        }
    }
}

TEST(PeakPyramid, StopsWhenAsked) {
    TempFolder folder;
    WriteSineWav(folder / "sine.wav", 5.0);
    WavReader reader(folder / "sine.wav");
    std::stop_source stop;
    stop.request_stop();
    EXPECT_FALSE(PeakPyramid::Build(reader, stop.get_token()).has_value());
}

TEST(PeakPyramid, EmptySongHasNoColumns) {
    TempFolder folder;
    folder.write("empty.wav", StereoWav({}));
    EXPECT_TRUE(BuildFrom(folder / "empty.wav").columns(0, 40, 10).empty());
}

// Bursts of a 1 kHz tone, in the voice's band, over a low hum that is not.
// Each burst starts within 5 ms and fades out over 100 ms, as a sung syllable
// would rather than with a click.
TEST(VocalOnsets, FindTheStartOfEachBurst) {
    const int rate = 22050;
    const std::vector<double> starts = {0.5, 1.3, 2.2, 3.0};
    const double length = 0.25;
    std::vector<std::pair<double, double>> frames(static_cast<std::size_t>(rate * 4));
    for (std::size_t f = 0; f < frames.size(); ++f) {
        const double t = static_cast<double>(f) / rate;
        double v = 0.2 * std::min(t / 0.2, 1.0) * std::sin(2 * std::numbers::pi * 60 * t);
        for (double start : starts) {
            const double in = t - start;
            if (in < 0 || in >= length) continue;
            // Smooth edges: a kink in the envelope spreads the tone's
            // spectrum, which is an onset of its own.
            const double edge = std::min({in / 0.005, (length - in) / 0.1, 1.0});
            const double envelope = 0.5 - 0.5 * std::cos(std::numbers::pi * edge);
            v += 0.5 * envelope * std::sin(2 * std::numbers::pi * 1000 * in);
        }
        frames[f] = {v, v};
    }
    TempFolder folder;
    folder.write("bursts.wav", StereoWav(frames, rate));
    WavReader reader(folder / "bursts.wav");
    const auto onsets = DetectVocalOnsets(reader);
    ASSERT_TRUE(onsets.has_value());
    ASSERT_FALSE(onsets->empty());
    EXPECT_TRUE(std::is_sorted(onsets->begin(), onsets->end()));
    for (double start : starts) {
        const auto ms = static_cast<std::int32_t>(start * 1000);
        const auto nearest = *std::min_element(
            onsets->begin(), onsets->end(),
            [ms](std::int32_t a, std::int32_t b) { return std::abs(a - ms) < std::abs(b - ms); });
        EXPECT_LE(std::abs(nearest - ms), 30) << "burst at " << start << " s";
    }
    // Neither the hum nor the bursts' endings start anything.
    EXPECT_EQ(onsets->size(), starts.size());
}

TEST(WaveformViewport, ZoomKeepsTheTimeUnderTheMouse) {
    WaveformViewport view;
    view.setSong(100.0, 0.005);
    view.setWidth(1000);
    EXPECT_TRUE(view.isOverview());
    EXPECT_DOUBLE_EQ(view.secondsPerPixel(), 0.1);
    const double anchor = view.timeAt(300);
    view.zoomAt(300, 3);
    EXPECT_FALSE(view.isOverview());
    EXPECT_NEAR(view.timeAt(300), anchor, 1e-9);
    EXPECT_NEAR(view.secondsPerPixel(), 0.1 / std::pow(1.25, 3), 1e-12);
    // Never closer than one block, never further out than the whole song.
    view.zoomAt(300, 100);
    EXPECT_DOUBLE_EQ(view.secondsPerPixel(), 0.005);
    view.zoomAt(300, -100);
    EXPECT_DOUBLE_EQ(view.secondsPerPixel(), 0.1);
    EXPECT_TRUE(view.isOverview());
    EXPECT_DOUBLE_EQ(view.startSeconds(), 0.0);
}

TEST(WaveformViewport, FollowsThePlayHeadAndStaysInsideTheSong) {
    WaveformViewport view;
    view.setSong(100.0, 0.005);
    view.setWidth(1000);
    view.zoomAt(0, 10);  // from the start, about 9.3 s wide
    const double span = view.spanSeconds();
    view.follow(0.5 * span);
    EXPECT_DOUBLE_EQ(view.startSeconds(), 0.0);  // in view: nothing moves
    view.follow(0.95 * span);
    EXPECT_NEAR(view.startSeconds(), 0.85 * span, 1e-9);  // the head back at a tenth
    view.follow(2.0);
    EXPECT_NEAR(view.startSeconds(), 2.0 - 0.1 * span, 1e-9);  // a seek back
    view.follow(99.9);
    EXPECT_NEAR(view.startSeconds(), 100.0 - span, 1e-9);  // the end stays at the edge
    view.scrollBy(-1e9);
    EXPECT_DOUBLE_EQ(view.startSeconds(), 0.0);
    // A narrower strip keeps showing the whole song while it is the overview.
    WaveformViewport whole;
    whole.setSong(100.0, 0.005);
    whole.setWidth(500);
    EXPECT_DOUBLE_EQ(whole.spanSeconds(), 100.0);
}

TEST(LineMarkers, MarkTimedLinesAndTakeTheNearest) {
    LyricList lyrics;
    lyrics.assign({"a", "b", "c", "d"});
    lyrics.setTimeText(0, "00:01:00");
    lyrics.setTimeText(2, "00:01:05");
    lyrics.setTimeText(3, "123:00:00");  // cannot be read back
    const std::vector<LineMarker> markers = TimedLineMarkers(lyrics);
    ASSERT_EQ(markers.size(), 2u);
    EXPECT_EQ(markers[0].line, 0);
    EXPECT_EQ(markers[0].ms, 1000);
    EXPECT_EQ(markers[1].line, 2);
    EXPECT_EQ(markers[1].ms, 1050);

    WaveformViewport view;
    view.setSong(10.0, 0.005);
    view.setWidth(1000);  // 10 ms a pixel
    EXPECT_EQ(MarkerNear(markers, view, 100, 4), 0);
    EXPECT_EQ(MarkerNear(markers, view, 104, 4), 1);  // 4 px from b, 1 from c... nearest
    EXPECT_EQ(MarkerNear(markers, view, 103, 4), 1);
    EXPECT_EQ(MarkerNear(markers, view, 95.5, 4), -1);
}

TEST(LineMarkers, UntimedLinesWithADraftAreMarkedAsDrafts) {
    LyricList lyrics;
    lyrics.assign({"a", "b", "c"});
    lyrics.setTimeText(0, "00:01:00");
    lyrics.setDraft(1, {.start = 250, .end = 300});
    const std::vector<LineMarker> markers = TimedLineMarkers(lyrics);
    ASSERT_EQ(markers.size(), 2u);
    EXPECT_FALSE(markers[0].draft);
    EXPECT_EQ(markers[1].line, 1);
    EXPECT_EQ(markers[1].ms, 2500);
    EXPECT_TRUE(markers[1].draft);
    // A time of its own replaces the draft's marker.
    lyrics.setTimeText(1, "00:03:00");
    ASSERT_EQ(TimedLineMarkers(lyrics).size(), 2u);
    EXPECT_FALSE(TimedLineMarkers(lyrics)[1].draft);
    EXPECT_EQ(TimedLineMarkers(lyrics)[1].ms, 3000);
}

// Runs what the worker posts on this thread, as the event loop would.
class PostedTasks {
  public:
    WaveformAnalysis::Post post() {
        return [this](std::function<void()> task) {
            std::lock_guard lock(mutex_);
            tasks_.push_back(std::move(task));
            ready_.notify_all();
        };
    }
    // Runs the posted tasks until `done` holds; false after 10 s without.
    bool runUntil(const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!done()) {
            std::vector<std::function<void()>> tasks;
            {
                std::unique_lock lock(mutex_);
                if (!ready_.wait_until(lock, deadline, [this] { return !tasks_.empty(); }))
                    return false;
                tasks.swap(tasks_);
            }
            for (auto& task : tasks) task();
        }
        return true;
    }
    // Waits, running nothing, until `count` tasks are waiting; false after
    // 10 s without.
    bool waitForPosts(std::size_t count) {
        std::unique_lock lock(mutex_);
        return ready_.wait_for(lock, std::chrono::seconds(10),
                               [&] { return tasks_.size() >= count; });
    }
    void runAll() {
        std::vector<std::function<void()>> tasks;
        {
            std::lock_guard lock(mutex_);
            tasks.swap(tasks_);
        }
        for (auto& task : tasks) task();
    }

  private:
    std::mutex mutex_;
    std::condition_variable ready_;
    std::vector<std::function<void()>> tasks_;
};

TEST(WaveformAnalysis, DeliversPeaksThenOnsetsOnThePostingThread) {
    TempFolder folder;
    folder.write("known.wav", KnownSignal());
    PostedTasks posted;
    WaveformAnalysis analysis(posted.post());
    int changes = 0;
    const Connection c = analysis.changed.connect([&] { ++changes; });
    analysis.start(folder / "known.wav");
    EXPECT_EQ(analysis.peaks(), nullptr);  // nothing before the event loop runs
    ASSERT_TRUE(posted.runUntil([&] { return analysis.onsetsReady(); }));
    ASSERT_NE(analysis.peaks(), nullptr);
    EXPECT_EQ(analysis.peaks()->frameCount(), 12000u);
    EXPECT_EQ(changes, 2);
    EXPECT_TRUE(analysis.failure().empty());

    analysis.clear();
    EXPECT_EQ(analysis.peaks(), nullptr);
    EXPECT_FALSE(analysis.onsetsReady());
}

TEST(WaveformAnalysis, DropsTheResultsOfAClearedSong) {
    TempFolder folder;
    WriteSineWav(folder / "sine.wav", 2.0);
    PostedTasks posted;
    WaveformAnalysis analysis(posted.post());
    analysis.start(folder / "sine.wav");
    // The peaks and the onsets both posted, then cleared before they run.
    ASSERT_TRUE(posted.waitForPosts(2));
    analysis.clear();
    posted.runAll();
    EXPECT_EQ(analysis.peaks(), nullptr);
    EXPECT_FALSE(analysis.onsetsReady());
}

TEST(WaveformAnalysis, TellsWhyASongCannotBeRead) {
    TempFolder folder;
    PostedTasks posted;
    WaveformAnalysis analysis(posted.post());
    analysis.start(folder / "missing.wav");
    ASSERT_TRUE(posted.runUntil([&] { return !analysis.failure().empty(); }));
    EXPECT_NE(analysis.failure().find("missing.wav"), std::string::npos);
    EXPECT_EQ(analysis.peaks(), nullptr);
}

}  // namespace
