#include "document/timing_command_entries.h"

#include "base/command_ids.h"
#include "base/command_table.h"
#include "document/confirm_runs.h"
#include "document/karaoke_tapping.h"
#include "document/nudge_buttons.h"
#include "document/timing_commands.h"

namespace obrin {

void RegisterTimingCommands(CommandTable& table, TimingCommands& commands, ConfirmRuns& confirm,
                            KaraokeTapping& tapping, const LyricList& lyrics) {
    // Buttons show the captions their panel lays out.
    table.add({.id = command::kMark, .run = [&commands, &tapping] {
                   if (tapping.isOn()) {
                       tapping.tap();
                   } else {
                       commands.mark();
                   }
               }});
    table.add({.id = command::kCheckPrevious, .run = [&commands] { commands.checkPrevious(); }});
    table.add({.id = command::kCheckSelected, .run = [&commands] { commands.checkSelected(); }});
    table.add({.id = command::kConfirmAround, .run = [&confirm] { confirm.confirmAround(); }});
    table.add({.id = command::kConfirmAll, .run = [&confirm] { confirm.confirmAll(); }});
    for (const NudgeButton& nudge : kNudgeButtons) {
        table.add({.id = nudge.command,
                   .run = [&commands, step = nudge.stepMs] { commands.moveBy(step); }});
    }

    const auto lineItem = [&lyrics] { return DecideLineMenuEnabling(lyrics).lineItems; };
    table.add({.id = command::kPlayFromLine,
               .caption = "この位置から再生(&P)",
               .shortcut = "Ctrl+K",
               .enabled = lineItem,
               .run = [&commands] { commands.playFromLine(0); }});
    table.add({.id = command::kPlayBeforeLine,
               .caption = "5秒前から再生(&5)",
               .shortcut = "Ctrl+L",
               .enabled = lineItem,
               .run = [&commands] { commands.playFromLine(TimingCommands::kPlayBeforeLineMs); }});
    table.add({.id = command::kCheckLine,
               .caption = "チェック(&Q)",
               .shortcut = "Ctrl+F",
               .enabled = lineItem,
               .run = [&commands] { commands.checkSelected(); }});
    table.add({.id = command::kEditLine,
               .caption = "行を編集(&E)",
               .shortcut = "F4",
               .enabled = lineItem,
               .run = [&commands] { commands.editLine(); }});
    table.add({.id = command::kDeleteLines,
               .caption = "行を削除(&L)",
               .shortcut = "Del",
               .enabled = lineItem,
               .run = [&commands] { commands.deleteLines(); }});
    table.add({.id = command::kInsertLine,
               .caption = "行を追加(&A)",
               .shortcut = "Ins",
               .enabled = lineItem,
               .run = [&commands] { commands.insertLine(); }});
    table.add({.id = command::kMergeWithNext,
               .caption = "次の行と併合(&O)",
               .enabled = [&lyrics] { return DecideLineMenuEnabling(lyrics).merge; },
               .run = [&commands] { commands.mergeWithNext(); }});
    table.add({.id = command::kShiftTimes,
               .caption = "時間をずらす(&M)...",
               .enabled = [&lyrics] { return lyrics.count() > 0; },
               .run = [&commands] { commands.shiftTimes(); }});
    table.add({.id = command::kRemarkFromLine,
               .caption = "ここから再マーク(&R)",
               .enabled = lineItem,
               .run = [&commands] { commands.remarkFromLine(); }});
    table.add({.id = command::kAppendLine, .caption = "最終行へ追加(&T)", .run = [&commands] {
                   commands.appendLine();
               }});
    table.add({.id = command::kSelectAll, .caption = "すべて選択(&S)", .run = [&commands] {
                   commands.selectAll();
               }});
    table.add({.id = command::kClearChecks,
               .caption = "すべてのチェックをはずす(&C)",
               .run = [&commands] { commands.clearChecks(); }});
}

}  // namespace obrin
