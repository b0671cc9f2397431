#include "playback/playback_command_entries.h"

#include "base/command_ids.h"
#include "base/command_table.h"
#include "base/playback_control.h"

namespace obrin {

void RegisterPlaybackCommands(CommandTable& table, PlaybackControl& playback) {
    // Buttons show the captions their panel lays out (and play/pause changes
    // its own as playback starts and stops).
    table.add({.id = command::kPlayPause, .run = [&playback] { playback.playPause(); }});
    table.add({.id = command::kStop, .run = [&playback] { playback.stopPlayback(); }});
}

}  // namespace obrin
