#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "playback/music_file_opener.h"
#include "playback/plugin_registry.h"
#include "playback/plugin_table.h"

namespace obrin {

class CommandTable;
class ConfirmRuns;
class ConversionProgress;
class Editor;
class LyricsCommands;
class MainWindow;
class PlaybackControl;
class WaitView;

// Opening music files in the main window: the open command (Ctrl+O), files
// dropped on the window (the first one), the command line, opening the music
// file in the desktop's own application and saving the lyrics beside it.
// Owns the PluginTable and the open dialog's filter, read at start-up. A
// lyrics file found beside the music file is read through the lyrics
// commands; opening a song ends a following "すべて" run.
class MusicFileCommands final : public QObject, private MusicOpenView {
    Q_OBJECT
  public:
    MusicFileCommands(MainWindow& window, Editor& editor, PlaybackControl& playback,
                      ConversionProgress& progress, WaitView& wait, LyricsCommands& lyrics,
                      ConfirmRuns& confirm, CommandTable& commands);
    ~MusicFileCommands() override;

    // Start-up: reads "filetype.ini" and builds the filter.
    void loadPluginTable();
    // The last start-up step; Exit means end the program at once, without
    // the close sequence. `beforeOpening` runs before a file argument opens.
    [[nodiscard]] StartUpAction handleCommandLine(const std::vector<std::string>& arguments,
                                                  const std::function<void()>& beforeOpening);

    // Asks first when the document holds unsaved changes (Cancel, or a save
    // that did not happen, opens nothing). Once the song is open (and its
    // lyrics offered), calls `songOpened`.
    bool openMusicFile(const std::string& path);
    std::function<void()> songOpened;
    // Opens the song of recovered work, which brings its own lyrics: the
    // lyrics file beside the song is not offered.
    bool reopenForRecovery(const std::string& path);
    // A second start of the program: brings the window to the front and,
    // if it could take a drop now (enabled, no dialog waiting), opens `path`
    // as a dropped file. An empty path only raises the window.
    void takeHandedOverFile(const std::string& path);

    const PluginTable& pluginTable() const { return table_; }
    const std::string& musicFilter() const { return filter_; }
    const std::string& musicFilePath() const { return opener_->musicFilePath(); }

    void openWithDesktop();
    void saveBesideMusic();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void chooseAndOpen();
    // Opens once the caller has returned, as a drop does.
    void openLater(const std::string& path);

    void setMainCaption(const std::string& caption) override;
    void setMainEnabled(bool enabled) override;
    void setBusyCursor(bool busy) override;
    void bringMainToFront() override;
    void showWait() override;
    void setWaitText(const std::string& text) override;
    void closeWait() override;
    void processPendingEvents() override;

    MainWindow& window_;
    Editor& editor_;
    PlaybackControl& playback_;
    WaitView& wait_;
    LyricsCommands& lyrics_;
    PluginTable table_;
    std::string filter_;
    std::unique_ptr<MusicFileOpener> opener_;
    bool cursorOverridden_ = false;
    bool recovering_ = false;
};

}  // namespace obrin
