#pragma once

namespace obrin {

class CommandTable;
class Dialogs;
class Document;

// "行の時間から文字の時間を割り振る": the spread of SpreadUnitTimes over the
// selected lines, or every line when none is selected, as one step of the
// history. Lines that already have unit times or an end (LineUnits::timed)
// were timed by the user (taps, drags, a file), so they are not overwritten
// unasked: the user chooses between spreading them again (within their own
// end, where they have one) and leaving them as they are. When nothing can be
// spread the user is told why (no line with a time; only lines of one unit
// or with nothing to end at).
void SpreadLineTimes(Document& document, Dialogs& dialogs);

// Registers the command in the Edit menu's table, enabled with any lines.
void RegisterSpreadCommand(CommandTable& table, Document& document, Dialogs& dialogs);

// The messages of SpreadLineTimes.
inline constexpr const char* kSpreadNoTimedLines =
    "文字の時間を割り振れません\n時間のある行がありません。先に行をマークしてください。";
inline constexpr const char* kSpreadNothingToFill =
    "文字の時間を割り振れる行がありません\n"
    "文字が一つだけの行と、終わりの時間も次の行の時間もない行には割り振れません。";
inline constexpr const char* kSpreadAlreadyTimed = "文字の時間がある行があります";

}  // namespace obrin
