#include "document/spread_command.h"

#include <numeric>
#include <string>
#include <vector>

#include "base/command_ids.h"
#include "base/command_table.h"
#include "base/dialogs.h"
#include "document/document.h"
#include "document/karaoke_units.h"

namespace obrin {

void SpreadLineTimes(Document& document, Dialogs& dialogs) {
    const LyricList& lyrics = document.lyrics;
    std::vector<int> lines = lyrics.selectedLines();
    if (lines.empty()) {
        lines.resize(static_cast<std::size_t>(lyrics.count()));
        std::iota(lines.begin(), lines.end(), 0);
    }
    int timed = 0;
    int withUnitTimes = 0;
    for (const int i : lines) {
        const LyricLine& line = lyrics.line(i);
        if (TimeTextCentis(line.timeText) <= 0) continue;
        ++timed;
        if (line.units.timed()) ++withUnitTimes;
    }
    if (timed == 0) {
        dialogs.showInformation(kSpreadNoTimedLines);
        return;
    }
    bool replace = false;
    if (withUnitTimes > 0) {
        const auto answer =
            dialogs.choose(std::string(kSpreadAlreadyTimed) + "(" + std::to_string(withUnitTimes) +
                               "行)\nその行の文字の時間も割り振り直しますか?",
                           {"割り振り直す", "時間のない行だけ"});
        if (!answer) return;
        replace = *answer == 0;
        if (!replace && withUnitTimes == timed) return;
    }
    if (SpreadUnitTimes(document, lines, replace) == 0)
        dialogs.showInformation(kSpreadNothingToFill);
}

void RegisterSpreadCommand(CommandTable& table, Document& document, Dialogs& dialogs) {
    table.add({.id = command::kSpreadUnitTimes,
               .caption = "行の時間から文字の時間を割り振る(&D)",
               .enabled = [&document] { return document.lyrics.count() > 0; },
               .run = [&document, &dialogs] { SpreadLineTimes(document, dialogs); }});
}

}  // namespace obrin
