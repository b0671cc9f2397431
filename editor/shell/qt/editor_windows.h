#pragma once

#include <string>
#include <vector>

#include "base/command_table.h"
#include "base/signal.h"
#include "export/export_table.h"
#include "playback/music_file_opener.h"
#include "shell/qt/lyrics_commands.h"
#include "shell/qt/main_window.h"
#include "shell/qt/music_file_commands.h"
#include "shell/qt/timing_parts.h"

namespace obrin {

class Clipboard;
class CommandActions;
class DraftCommands;
class Editor;
class KaraokePreview;
class TimingBinding;

// The running editor's windows and their commands, wired in one place: the
// main window, playback and timing with the confirm and wait dialogs, the
// lyrics and music-file commands, the exports, the menu bar, the list's
// context menu and the assigned keys. Every part registers its commands in
// one CommandTable; the window has one item per command (CommandActions),
// which the menus place once all are in, and whose enabled states follow the
// document's, the selection's and the player's notices. The exports are one
// ExportTable (AddEditorExports), whose items the menu shows and whose lyric
// MP3 export the batch runs. The program and the window tests build the
// editor this way.
class EditorWindows {
  public:
    EditorWindows(Editor& editor, Clipboard& clipboard);
    ~EditorWindows();
    EditorWindows(const EditorWindows&) = delete;
    EditorWindows& operator=(const EditorWindows&) = delete;

    MainWindow& mainWindow() { return window_; }
    TimingParts& timing() { return timing_; }
    LyricsCommands& lyrics() { return lyrics_; }
    MusicFileCommands& music() { return music_; }
    const CommandTable& commands() const { return commands_; }
    const ExportTable& exports() const { return exports_; }
    CommandActions& actions() { return actions_; }
    TimingBinding& timingBinding() { return *timingBinding_; }
    DraftCommands& drafts() { return *drafts_; }

    // The last start-up steps: the command line's switches, the offer of the
    // work a previous run left (Editor::startRecovery), then the command
    // line's file. Exit means end the program at once, without the close
    // sequence.
    [[nodiscard]] StartUpAction handleCommandLine(const std::vector<std::string>& arguments);

  private:
    void registerWindowCommands();
    // The batch window "Tessary一斉出力", modal; the document holds the last
    // song's lyrics after a run.
    void openBatchWindow();
    // Measures the user's lag on a click track and offers it as the mark
    // offset.
    void calibrateTiming();
    // The karaoke preview, made at its first opening and kept until the
    // main window goes; it takes the lyrics font and the colours at each.
    void openKaraokePreview();
    // Shows the commands' states again on every notice that may change them.
    void followCommandStates();

    Editor& editor_;
    CommandTable commands_;
    ExportTable exports_;
    MainWindow window_;
    CommandActions& actions_;
    TimingParts timing_;
    LyricsCommands lyrics_;
    MusicFileCommands music_;
    TimingBinding* timingBinding_ = nullptr;
    KaraokePreview* karaokePreview_ = nullptr;
    DraftCommands* drafts_ = nullptr;
    // Last, so they end first: the states they show read the parts above.
    std::vector<Connection> stateNotices_;
};

}  // namespace obrin
