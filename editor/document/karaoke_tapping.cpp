#include "document/karaoke_tapping.h"

#include <algorithm>
#include <utility>

#include "base/time_text.h"
#include "document/karaoke_units.h"
#include "document/mark_time.h"

namespace obrin {

namespace {

constexpr const char* kTapCaption = "カラオケのタップ";

}  // namespace

KaraokeTapping::KaraokeTapping(Document& document, PlaybackControl& playback, Dialogs& dialogs,
                               const TimingCommands& marks)
    : document_(document), playback_(playback), dialogs_(dialogs), marks_(marks) {
    const LyricList& lyrics = document_.lyrics;
    const int line = lyrics.hasSelection() ? lyrics.currentLine() : lyrics.topVisibleLine();
    place_ = {std::max(line, 0), 0};
    currentLineConnection_ =
        document_.lyrics.currentLineChanged.connect([this](int line) { followCurrentLine(line); });
    lineChangeConnection_ = document_.lyrics.linesChanged.connect(
        [this](int first, int last, LinePart part) {
            // A check mark changes neither times nor text: the line goes on
            // where it was.
            if (part != LinePart::Check) followLineChange(first, last);
        });
}

KaraokeTapping::Place KaraokeTapping::current() const {
    const int count = document_.lyrics.count();
    if (place_.line >= count) return {count, 0};
    const int units = static_cast<int>(unitsOf(place_.line).units.size());
    return {place_.line, std::clamp(place_.unit, 0, units)};
}

void KaraokeTapping::setCurrent(int line, int unit) {
    const int count = document_.lyrics.count();
    if (count == 0) return;
    line = std::clamp(line, 0, count - 1);
    const int units = static_cast<int>(unitsOf(line).units.size());
    moveTo({line, std::clamp(unit, 0, units)});
}

void KaraokeTapping::tap() {
    const LyricList& lyrics = document_.lyrics;
    if (lyrics.count() == 0) return;
    if (current().line >= lyrics.count()) {
        noted(kAllDoneNote);
        return;
    }
    if (!playback_.isLoaded()) {
        dialogs_.showError(PlaybackControl::kNoMusicFileMessage);
        return;
    }
    if (!playback_.isPlaying()) {
        noted(kNotPlayingNote);
        return;
    }
    const std::optional<std::int32_t> ms =
        MarkTimeNow(document_, playback_, dialogs_, marks_.onsetSnapping(), notBeforeMs());
    if (ms) stamp(*ms);
}

void KaraokeTapping::release() {
    if (!releaseTimed_ || taps_.empty() || !playback_.isPlaying()) return;
    const Place place = current();
    if (place.line >= document_.lyrics.count()) return;
    const int units = static_cast<int>(unitsOf(place.line).units.size());
    // Only the release of the key that started the line's last unit.
    if (units == 0 || place.unit != units || taps_.back().place != Place{place.line, units - 1})
        return;
    const std::optional<std::int32_t> ms =
        MarkTimeNow(document_, playback_, dialogs_, marks_.onsetSnapping(), notBeforeMs());
    if (ms) stamp(*ms);
}

void KaraokeTapping::stamp(std::int32_t ms) {
    LyricList& lyrics = document_.lyrics;
    const Place place = current();
    const int line = place.line;
    Tap tap{.place = place,
            .timeTextBefore = lyrics.line(line).timeText,
            .unitsBefore = lyrics.line(line).units,
            .draftBefore = lyrics.line(line).draft};
    const UndoHistory::Step step = document_.history.beginTyping(kTapCaption, burst(line));
    busy_ = true;
    LineUnits units = unitsOf(line);
    const int centis = ms / 10;
    const int count = static_cast<int>(units.units.size());
    Place next{line + 1, 0};
    if (count == 0) {
        lyrics.setTimeText(line, FormatTimeText(ms));
    } else if (place.unit < count) {
        int start = centis;
        if (place.unit > 0) start = std::max(start, units.units[place.unit - 1].start);
        units.units[place.unit].start = start;
        for (int i = place.unit + 1; i < count; ++i) units.units[i].start = kNoUnitTime;
        units.end = kNoUnitTime;
        if (place.unit == 0) lyrics.setTimeText(line, FormatTimeText(ms));
        lyrics.setUnits(line, std::move(units));
        next = {line, place.unit + 1};
    } else {
        units.end = std::max(centis, units.units.back().start);
        lyrics.setUnits(line, std::move(units));
    }
    busy_ = false;
    tap.timeTextAfter = lyrics.line(line).timeText;
    tap.unitsAfter = lyrics.line(line).units;
    taps_.push_back(std::move(tap));
    noted(count == 0 ? kEmptyLineNote : "");
    moveTo(next);
}

void KaraokeTapping::takeBack() {
    LyricList& lyrics = document_.lyrics;
    if (taps_.empty()) {
        noted(kNothingToTakeBackNote);
        return;
    }
    const Tap tap = std::move(taps_.back());
    taps_.pop_back();
    const int line = tap.place.line;
    // Anything else that changed the line since (an edit, an undo) makes the
    // remembered taps stale: taking one back would undo that change too.
    if (line >= lyrics.count() || lyrics.line(line).timeText != tap.timeTextAfter ||
        lyrics.line(line).units != tap.unitsAfter) {
        taps_.clear();
        noted(kNothingToTakeBackNote);
        changed();
        return;
    }
    const UndoHistory::Step step = document_.history.beginTyping(kTapCaption, burst(line));
    busy_ = true;
    lyrics.setTimeText(line, tap.timeTextBefore);
    lyrics.setUnits(line, tap.unitsBefore);
    lyrics.setDraft(line, tap.draftBefore);
    busy_ = false;
    noted("");
    moveTo(tap.place);
}

void KaraokeTapping::restartLine() {
    const LyricList& lyrics = document_.lyrics;
    if (lyrics.count() == 0) return;
    const int line = std::min(current().line, lyrics.count() - 1);
    if (!playback_.isLoaded()) {
        dialogs_.showError(PlaybackControl::kNoMusicFileMessage);
        return;
    }
    const int centis = TimeTextCentis(lyrics.line(line).timeText);
    const std::int64_t lineMs = centis == kNoUnitTime ? 0 : std::int64_t{centis} * 10;
    if (static_cast<double>(lineMs) >= playback_.durationSeconds() * 1000.0) {
        noted(kPastSongEndNote);
        return;
    }
    // A new try at the line is a step of its own.
    document_.history.endTyping();
    moveTo({line, 0});
    noted("");
    playback_.stopPlayback();
    try {
        playback_.seekMs(
            static_cast<double>(std::max<std::int64_t>(lineMs - kRestartBeforeLineMs, 0)));
    } catch (const PlayerError&) {
        dialogs_.showError(PlaybackControl::kNoMusicFileMessage);
        return;
    }
    playback_.playPause();
}

void KaraokeTapping::moveTo(Place place) {
    LyricList& lyrics = document_.lyrics;
    if (place.line != lyrics.currentLine()) {
        busy_ = true;
        lyrics.clearSelection();
        if (place.line < lyrics.count()) {
            lyrics.select(place.line);
            lyrics.makeVisible(place.line);
        }
        busy_ = false;
    }
    place_ = place;
    changed();
}

void KaraokeTapping::followCurrentLine(int line) {
    if (busy_ || line == place_.line) return;
    if (line == LyricList::kNone) {
        // The line timed may be gone (deleted, another file): nothing
        // half-tapped carries over to whatever takes its place.
        place_.unit = 0;
    } else {
        place_ = {line, 0};
    }
    changed();
}

void KaraokeTapping::followLineChange(int first, int last) {
    if (busy_ || place_.line < first || place_.line > last) return;
    place_.unit = 0;
    changed();
}

LineUnits KaraokeTapping::unitsOf(int line) const {
    return UnitsOf(document_.lyrics.line(line), RubyIndex(document_.ruby()));
}

std::optional<std::int32_t> KaraokeTapping::notBeforeMs() const {
    const LyricList& lyrics = document_.lyrics;
    const Place place = current();
    int centis = kNoUnitTime;
    if (place.unit > 0) {
        const LineUnits units = unitsOf(place.line);
        for (int i = place.unit - 1; i >= 0 && centis == kNoUnitTime; --i)
            centis = units.units[i].start;
    } else if (place.line > 0) {
        centis = TimeTextCentis(lyrics.line(place.line - 1).timeText);
    }
    if (centis == kNoUnitTime) return std::nullopt;
    return centis * 10;
}

std::string KaraokeTapping::burst(int line) const {
    return "karaoke:" + std::to_string(line);
}

}  // namespace obrin
