#include "document/line_drafts.h"

#include <algorithm>
#include <numeric>
#include <utility>

#include "base/time_text.h"
#include "document/karaoke_units.h"

namespace obrin {

bool HasRealTime(const LyricLine& line) {
    return TimeTextCentis(line.timeText) > 0;
}

bool HasDraft(const LyricList& lyrics) {
    return std::ranges::any_of(lyrics.lines(),
                               [](const LyricLine& line) { return !line.draft.empty(); });
}

int SetDrafts(Document& document, const std::vector<LineDraft>& proposals) {
    const UndoHistory::Step step = document.history.beginStep("タイミングの下書き");
    LyricList& lyrics = document.lyrics;
    int drafted = 0;
    for (int i = 0; i < lyrics.count(); ++i) {
        const LyricLine& line = lyrics.line(i);
        if (HasRealTime(line)) continue;
        LineDraft draft =
            static_cast<std::size_t>(i) < proposals.size() ? proposals[i] : LineDraft{};
        if (draft.start < 0) draft = {};
        // 00:00:00 reads as never marked: a line sung from the very start
        // is proposed a centisecond in, so accepting it gives it a time.
        if (draft.start == 0) draft.start = 1;
        if (draft.end != kNoUnitTime && draft.end <= draft.start) draft.end = kNoUnitTime;
        if (line.draft != draft) lyrics.setDraft(i, draft);
        if (!draft.empty()) ++drafted;
    }
    return drafted;
}

int AcceptDrafts(Document& document, const std::vector<int>& lines) {
    const UndoHistory::Step step = document.history.beginStep("下書きを確定");
    const RubyIndex ruby(document.ruby());
    LyricList& lyrics = document.lyrics;
    int accepted = 0;
    for (int i : lines) {
        if (i < 0 || i >= lyrics.count()) continue;
        const LineDraft draft = lyrics.line(i).draft;
        if (draft.empty()) continue;
        lyrics.setTimeText(i, FormatTimeText(draft.start * 10));
        ++accepted;
        const LyricLine& line = lyrics.line(i);
        if (draft.end == kNoUnitTime || line.units.timed()) continue;
        LineUnits units = UnitsOf(line, ruby);
        if (units.units.size() < 2) continue;
        SpreadUnits(units, draft.start, draft.end);
        units.end = draft.end;
        lyrics.setUnits(i, std::move(units));
    }
    return accepted;
}

int AcceptAllDrafts(Document& document) {
    std::vector<int> lines(static_cast<std::size_t>(document.lyrics.count()));
    std::iota(lines.begin(), lines.end(), 0);
    return AcceptDrafts(document, lines);
}

}  // namespace obrin
