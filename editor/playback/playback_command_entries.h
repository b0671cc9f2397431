#pragma once

namespace obrin {

class CommandTable;
class PlaybackControl;

// Registers the player panel's buttons: play/pause and stop.
void RegisterPlaybackCommands(CommandTable& table, PlaybackControl& playback);

}  // namespace obrin
