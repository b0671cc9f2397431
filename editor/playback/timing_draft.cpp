#include "playback/timing_draft.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "base/time_text.h"
#include "document/karaoke_units.h"
#include "playback/wav_reader.h"
#include "text/ruby_suggestions.h"

namespace obrin {

namespace {

constexpr std::size_t kBlockFrames = 65536;

// The loudness of every 10 ms of the song, the coarsest view the baseline
// needs.
class LevelTrack {
  public:
    explicit LevelTrack(int rate) : hop_(static_cast<std::size_t>(std::max(1, rate / 100))) {}
    void add(const float* mono, std::size_t frames) {
        for (std::size_t i = 0; i < frames; ++i) {
            sum_ += static_cast<double>(mono[i]) * mono[i];
            if (++filled_ == hop_) {
                levels_.push_back(static_cast<float>(sum_ / static_cast<double>(hop_)));
                sum_ = 0.0;
                filled_ = 0;
            }
        }
    }
    const std::vector<float>& levels() const { return levels_; }

  private:
    std::size_t hop_;
    std::size_t filled_ = 0;
    double sum_ = 0.0;
    std::vector<float> levels_;
};

DraftResult Place(const std::vector<float>& levels, const std::vector<DraftLine>& lines) {
    DraftResult result;
    result.startCs.assign(lines.size(), std::nullopt);
    result.endCs.assign(lines.size(), std::nullopt);
    constexpr float kQuiet = 1e-4f;
    const auto loud = [&](float level) { return level > kQuiet; };
    const auto first = std::find_if(levels.begin(), levels.end(), loud);
    if (first == levels.end()) {
        result.problems.emplace_back(kNoVoiceMessage);
        return result;
    }
    const auto last = std::find_if(levels.rbegin(), levels.rend(), loud).base();
    const int from = static_cast<int>(first - levels.begin());
    const int to = static_cast<int>(last - levels.begin());
    const auto n = static_cast<int>(lines.size());
    for (int i = 0; i < n; ++i) {
        result.startCs[i] = lines[i].anchorCs ? *lines[i].anchorCs : from + (to - from) * i / n;
        result.endCs[i] = from + (to - from) * (i + 1) / n;
    }
    return result;
}

}  // namespace

DraftResult DraftTiming(const float* mono, std::size_t frames, int rate,
                        const std::vector<DraftLine>& lines, const DraftProgress& progress,
                        DraftMethod) {
    LevelTrack track(rate);
    track.add(mono, frames);
    if (progress && !progress(100)) return DraftResult{.stopped = true};
    return Place(track.levels(), lines);
}

DraftResult DraftTimingOfWav(WavReader& reader, const std::vector<DraftLine>& lines,
                             const DraftProgress& progress, DraftMethod) {
    const auto channels = static_cast<std::size_t>(reader.format().channels);
    LevelTrack track(reader.format().sampleRate);
    std::vector<float> block(kBlockFrames * channels);
    std::vector<float> mono(kBlockFrames);
    reader.seek(0);
    const std::uint64_t total = std::max<std::uint64_t>(1, reader.frameCount());
    for (;;) {
        const std::size_t got = reader.read(block.data(), kBlockFrames);
        for (std::size_t f = 0; f < got; ++f) {
            float sum = 0.0f;
            for (std::size_t c = 0; c < channels; ++c) sum += block[f * channels + c];
            mono[f] = sum / static_cast<float>(channels);
        }
        track.add(mono.data(), got);
        if (progress && !progress(static_cast<int>(reader.tell() * 100 / total)))
            return DraftResult{.stopped = true};
        if (got < kBlockFrames) break;
    }
    return Place(track.levels(), lines);
}

std::vector<DraftLine> DraftLinesOf(const Document& document, const RubySuggester* readings) {
    RubyTable ruby = document.ruby();
    if (readings) {
        std::vector<std::string> texts;
        for (const LyricLine& line : document.lyrics.lines()) texts.push_back(line.lyricText);
        const RubyTable suggested = readings->suggest(texts, ruby);
        ruby.insert(ruby.end(), suggested.begin(), suggested.end());
    }
    const RubyIndex index(ruby);
    std::vector<DraftLine> lines;
    for (const LyricLine& line : document.lyrics.lines()) {
        DraftLine draft{.morae = 0};
        for (const TimingUnit& unit : UnitsOf(line, index).units) draft.morae += UnitMorae(unit);
        const int time = TimeTextCentis(line.timeText);
        if (time > 0) draft.anchorCs = time;
        lines.push_back(draft);
    }
    return lines;
}

int ApplyDraft(Document& document, const DraftResult& result, const std::vector<int>& indices) {
    const UndoHistory::Step step = document.history.beginStep("タイミングの下書き");
    const RubyIndex ruby(document.ruby());
    LyricList& lyrics = document.lyrics;
    int timed = 0;
    for (const int i : indices) {
        if (i < 0 || i >= lyrics.count() || static_cast<std::size_t>(i) >= result.startCs.size())
            continue;
        const std::optional<int> start = result.startCs[static_cast<std::size_t>(i)];
        if (!start || TimeTextCentis(lyrics.line(i).timeText) > 0) continue;
        lyrics.setTimeText(i, FormatTimeText(*start * 10));
        const std::optional<int> end = result.endCs[static_cast<std::size_t>(i)];
        LineUnits units = UnitsOf(lyrics.line(i), ruby);
        if (end && *end > *start && units.units.size() > 1) {
            SpreadUnits(units, *start, *end);
            units.end = *end;
            lyrics.setUnits(i, std::move(units));
        }
        ++timed;
    }
    return timed;
}

int ApplyDraft(Document& document, const DraftResult& result) {
    std::vector<int> all(static_cast<std::size_t>(document.lyrics.count()));
    for (std::size_t i = 0; i < all.size(); ++i) all[i] = static_cast<int>(i);
    return ApplyDraft(document, result, all);
}

}  // namespace obrin
