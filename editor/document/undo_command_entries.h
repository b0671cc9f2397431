#pragma once

#include <string>

namespace obrin {

class CommandTable;
class ConfirmRuns;
class UndoHistory;

// The Edit menu's captions: the item's name followed by the action it would
// take back or do again, "元に戻す: マーク(&U)"; the name alone when there is
// none.
[[nodiscard]] std::string UndoItemCaption(const UndoHistory& history);
[[nodiscard]] std::string RedoItemCaption(const UndoHistory& history);

// Registers undo (Ctrl+Z) and redo (Ctrl+Y, Ctrl+Shift+Z), each enabled when
// the history has a step for it. Both rest while a confirm run is in
// progress: the run owns the selection, and it edits nothing.
void RegisterUndoCommands(CommandTable& table, UndoHistory& history, const ConfirmRuns& confirm);

}  // namespace obrin
