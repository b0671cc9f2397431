#pragma once

namespace obrin {

class CommandTable;
class ConfirmRuns;
class TimingCommands;
class LyricList;

// Registers the marking and timing commands: the control panel's buttons
// (Mark, the checks, the two confirm runs, the nudges) and the items of the
// lyric list's context menu, whose line items are enabled as the selection
// allows.
void RegisterTimingCommands(CommandTable& table, TimingCommands& commands, ConfirmRuns& confirm,
                            const LyricList& lyrics);

}  // namespace obrin
