#include "playback/timing_draft.h"

#include <algorithm>
#include <cstdint>

#include "base/time_text.h"
#include "document/karaoke_units.h"
#include "playback/draft_alignment.h"
#include "playback/draft_voice.h"
#include "playback/wav_reader.h"
#include "text/ruby_suggestions.h"

namespace obrin {

namespace {

constexpr std::size_t kBlockFrames = 65536;
// The analysis is told as 0..95 %; the placement after it as this.
constexpr int kPlacingPercent = 97;

std::string LineList(const std::vector<std::size_t>& lines) {
    std::string list;
    for (const std::size_t i : lines) {
        if (!list.empty()) list += "、";
        list += std::to_string(i + 1);
    }
    return list;
}

// Lines with no morae (empty lines) are sung by nobody: they are left out of
// the placement and start where the line before them ends, which is where
// they clear the display.
DraftResult Place(const std::vector<float>& levels, const std::vector<DraftLine>& lines,
                  DraftMethod method, const DraftProgress& progress) {
    DraftResult result;
    result.startCs.assign(lines.size(), std::nullopt);
    result.endCs.assign(lines.size(), std::nullopt);
    const VoicePhrases phrases = FindPhrases(levels);
    const PhraseTrack& track = phrases.track;
    const int songEnd = static_cast<int>(levels.size());

    std::vector<std::size_t> sung;
    std::vector<DraftLine> sungLines;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].morae > 0 || lines[i].anchorCs) {
            sung.push_back(i);
            sungLines.push_back(lines[i]);
        }
    }
    std::vector<std::optional<int>> starts(sungLines.size());
    if (track.candidates.empty()) {
        result.problems.emplace_back(kNoVoiceMessage);
        for (std::size_t k = 0; k < sungLines.size(); ++k) starts[k] = sungLines[k].anchorCs;
    } else if (method == DraftMethod::Even) {
        const int first = track.candidates.front().cs;
        const int last = PhraseEnd(phrases.voiced, first, songEnd);
        const auto n = static_cast<long>(sungLines.size());
        for (long k = 0; k < n; ++k) {
            const auto& anchor = sungLines[static_cast<std::size_t>(k)].anchorCs;
            starts[static_cast<std::size_t>(k)] =
                anchor ? *anchor : first + static_cast<int>((last - first) * k / n);
        }
    } else {
        // The placement is the last 5 %; a stop is heard between its rows.
        auto aligned = AlignLinesToPhrases(
            track, sungLines, [&progress] { return !progress || progress(kPlacingPercent); });
        if (!aligned) return DraftResult{.stopped = true};
        starts = std::move(*aligned);
    }

    std::vector<std::size_t> unplaced;
    for (std::size_t k = 0; k < sung.size(); ++k) {
        if (!starts[k]) {
            if (!track.candidates.empty()) unplaced.push_back(sung[k]);
            continue;
        }
        result.startCs[sung[k]] = starts[k];
        int limit = songEnd;
        for (std::size_t next = k + 1; next < sung.size(); ++next) {
            if (starts[next] && *starts[next] > *starts[k]) {
                limit = *starts[next];
                break;
            }
        }
        const int end = PhraseEnd(phrases.voiced, *starts[k], limit);
        if (end > *starts[k]) result.endCs[sung[k]] = end;
    }
    std::optional<int> lastEnd;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (result.endCs[i])
            lastEnd = result.endCs[i];
        else if (result.startCs[i])
            lastEnd.reset();
        if (lines[i].morae <= 0 && !lines[i].anchorCs && lastEnd) {
            result.startCs[i] = lastEnd;
            lastEnd.reset();
        }
    }
    if (!unplaced.empty())
        result.problems.push_back("歌声の中に置けない行があります: " + LineList(unplaced) + "行目");
    return result;
}

// A result with only the anchors placed and the one problem.
DraftResult Refused(const std::vector<DraftLine>& lines, const char* problem) {
    DraftResult result;
    for (const DraftLine& line : lines) result.startCs.push_back(line.anchorCs);
    result.endCs.assign(lines.size(), std::nullopt);
    result.problems.emplace_back(problem);
    return result;
}

bool TooLong(std::uint64_t frames, int rate) {
    return rate > 0 && frames / static_cast<std::uint64_t>(rate) > kLongestDraftSeconds;
}

class Progress {
  public:
    Progress(const DraftProgress& progress, std::uint64_t total)
        : progress_(progress), total_(std::max<std::uint64_t>(1, total)) {}
    // False once the caller asked to stop.
    bool at(std::uint64_t done) {
        if (!progress_) return true;
        // The analysis is most of the work; the placement is the last 5 %.
        const auto percent = static_cast<int>(std::min<std::uint64_t>(done, total_) * 95 / total_);
        if (percent == last_) return true;
        last_ = percent;
        return progress_(percent);
    }

  private:
    const DraftProgress& progress_;
    std::uint64_t total_;
    int last_ = -1;
};

}  // namespace

DraftResult DraftTiming(const float* mono, std::size_t frames, int rate,
                        const std::vector<DraftLine>& lines, const DraftProgress& progress,
                        DraftMethod method) {
    if (TooLong(frames, rate)) return Refused(lines, kTooLongMessage);
    VoiceLevels voice(rate);
    Progress shown(progress, frames);
    for (std::size_t done = 0; done < frames; done += kBlockFrames) {
        if (!shown.at(done)) return DraftResult{.stopped = true};
        voice.add(mono + done, std::min(kBlockFrames, frames - done));
    }
    if (!shown.at(frames)) return DraftResult{.stopped = true};
    DraftResult result = Place(voice.finish(), lines, method, progress);
    if (result.stopped) return result;
    if (progress && !progress(100)) return DraftResult{.stopped = true};
    return result;
}

DraftResult DraftTimingOfWav(WavReader& reader, const std::vector<DraftLine>& lines,
                             const DraftProgress& progress, DraftMethod method) {
    const auto channels = static_cast<std::size_t>(reader.format().channels);
    if (TooLong(reader.frameCount(), reader.format().sampleRate))
        return Refused(lines, kTooLongMessage);
    VoiceLevels voice(reader.format().sampleRate);
    Progress shown(progress, reader.frameCount());
    std::vector<float> block(kBlockFrames * channels);
    std::vector<float> mono(kBlockFrames);
    reader.seek(0);
    for (;;) {
        if (!shown.at(reader.tell())) return DraftResult{.stopped = true};
        const std::size_t got = reader.read(block.data(), kBlockFrames);
        for (std::size_t f = 0; f < got; ++f) {
            float sum = 0.0f;
            for (std::size_t c = 0; c < channels; ++c) sum += block[f * channels + c];
            mono[f] = sum / static_cast<float>(channels);
        }
        voice.add(mono.data(), got);
        if (got < kBlockFrames) break;
    }
    DraftResult result = Place(voice.finish(), lines, method, progress);
    if (result.stopped) return result;
    if (progress && !progress(100)) return DraftResult{.stopped = true};
    return result;
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
        std::optional<int> start = result.startCs[static_cast<std::size_t>(i)];
        if (!start || *start < 0 || TimeTextCentis(lyrics.line(i).timeText) > 0) continue;
        // 00:00:00 reads as never marked: a line sung from the very start
        // takes a centisecond in.
        start = std::max(*start, 1);
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
