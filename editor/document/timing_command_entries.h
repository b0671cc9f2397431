#pragma once

namespace obrin {

class CommandTable;
class ConfirmRuns;
class KaraokeTapping;
class TimingCommands;
class LyricList;

// Registers the marking and timing commands: the control panel's buttons
// (Mark, the checks, the two confirm runs, the nudges) and the items of the
// lyric list's context menu, whose line items are enabled as the selection
// allows. While the karaoke tapping is on, Mark taps.
void RegisterTimingCommands(CommandTable& table, TimingCommands& commands, ConfirmRuns& confirm,
                            KaraokeTapping& tapping, const LyricList& lyrics);

}  // namespace obrin
