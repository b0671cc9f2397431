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

class ConversionProgress;
class Editor;
class MainWindow;
class PlaybackControl;
class WaitView;

// Opening music files in the main window: `Open1` (Ctrl+O), files dropped on
// the window (the first one), the command line, `B2` (the music file in the
// desktop's own application) and `S1` (lyrics saved beside the music file).
// Owns the PluginTable and the open dialog's filter, read at start-up.
class MusicFileCommands final : public QObject, private MusicOpenView {
    Q_OBJECT
  public:
    MusicFileCommands(MainWindow& window, Editor& editor, PlaybackControl& playback,
                      ConversionProgress& progress, WaitView& wait);
    ~MusicFileCommands() override;

    // Start-up: reads "filetype.ini" and builds the filter.
    void loadPluginTable();
    // The last start-up step; Exit means end the program at once, without
    // the close sequence.
    [[nodiscard]] StartUpAction handleCommandLine(const std::vector<std::string>& arguments);

    bool openMusicFile(const std::string& path);

    const PluginTable& pluginTable() const { return table_; }
    const std::string& musicFilter() const { return filter_; }
    const std::string& musicFilePath() const { return opener_->musicFilePath(); }

    // Set by the lyrics side: reads a tagged lyrics file into the document
    // (reporting its own failure), and saves the completed text to a path.
    std::function<void(const std::string& path)> readLyrics;
    std::function<void(const std::string& path)> saveLyrics;
    // Set by the confirm runs: a running "すべて" run stops following the player.
    std::function<void()> stopFollowingPlayer;

    void openWithDesktop();  // B2
    void saveBesideMusic();  // S1

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void chooseAndOpen();  // Open1

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
    PluginTable table_;
    std::string filter_;
    std::unique_ptr<MusicFileOpener> opener_;
    bool cursorOverridden_ = false;
};

}  // namespace obrin
