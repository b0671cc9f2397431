#include "document/undo_command_entries.h"

#include "base/command_ids.h"
#include "base/command_table.h"
#include "document/confirm_runs.h"
#include "document/undo_history.h"

namespace obrin {

namespace {

std::string ItemCaption(const char* name, const std::string& step, const char* mnemonic) {
    return step.empty() ? std::string(name) + mnemonic : std::string(name) + ": " + step + mnemonic;
}

}  // namespace

std::string UndoItemCaption(const UndoHistory& history) {
    return ItemCaption("元に戻す", history.undoCaption(), "(&U)");
}

std::string RedoItemCaption(const UndoHistory& history) {
    return ItemCaption("やり直し", history.redoCaption(), "(&R)");
}

void RegisterUndoCommands(CommandTable& table, UndoHistory& history, const ConfirmRuns& confirm) {
    table.add(
        {.id = command::kUndo,
         .caption = "元に戻す(&U)",
         .shortcut = "Ctrl+Z",
         .enabled = [&history, &confirm] { return history.canUndo() && !confirm.isRunning(); },
         .currentCaption = [&history] { return UndoItemCaption(history); },
         .run = [&history] { history.undo(); }});
    table.add(
        {.id = command::kRedo,
         .caption = "やり直し(&R)",
         .shortcut = "Ctrl+Y",
         .alternateShortcut = "Ctrl+Shift+Z",
         .enabled = [&history, &confirm] { return history.canRedo() && !confirm.isRunning(); },
         .currentCaption = [&history] { return RedoItemCaption(history); },
         .run = [&history] { history.redo(); }});
}

}  // namespace obrin
