#include "shell/qt/music_file_commands.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

#include "base/command_ids.h"
#include "base/command_table.h"
#include "base/playback_control.h"
#include "document/confirm_runs.h"
#include "document/unsaved_changes.h"
#include "playback/conversion_progress.h"
#include "playback/music_file_names.h"
#include "playback/wait_view.h"
#include "shell/editor.h"
#include "shell/qt/lyrics_commands.h"
#include "shell/qt/main_window.h"
#include "text/song_lyrics_tags.h"
#include "text/text_input.h"

namespace obrin {

namespace {

std::string ToLocalPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}
QString FromLocalPath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

// The first dropped item that is a local file, or empty.
QString FirstDroppedFile(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls() || data->urls().isEmpty()) return {};
    const QUrl first = data->urls().front();
    return first.isLocalFile() ? first.toLocalFile() : QString();
}

// With none of the three items checked nothing is read.
ExistingLyrics ExistingLyricsOption(const AppSettings& settings) {
    return settings.existingLyrics.value_or(ExistingLyrics::DoNothing);
}

}  // namespace

MusicFileCommands::MusicFileCommands(MainWindow& window, Editor& editor, PlaybackControl& playback,
                                     ConversionProgress& progress, WaitView& wait,
                                     LyricsCommands& lyrics, ConfirmRuns& confirm,
                                     CommandTable& commands)
    : QObject(&window),
      window_(window),
      editor_(editor),
      playback_(playback),
      wait_(wait),
      lyrics_(lyrics) {
    MusicOpenHooks hooks;
    hooks.unloadPlayer = [this] { playback_.unloadPlayer(); };
    hooks.loadIntoPlayer = [this](const std::string& wav) { playback_.loadIntoPlayer(wav); };
    hooks.clearConversionAbort = [&progress] { progress.clearAbort(); };
    hooks.reportProgress = [&progress](std::int32_t total, std::int32_t done) {
        return progress.reportProgress(total, done);
    };
    hooks.readLyrics = [this](const std::string& path) { lyrics_.readLyricsFile(path); };
    hooks.readTagLyrics = [this](const std::string& text) { lyrics_.readTagLyrics(text); };
    hooks.songOpened = [this](const std::string& song) {
        // The recovered document brings its own fields and typing back.
        if (recovering_) return;
        // The unsaved changes were settled before the open; text typed for
        // the song before is no question about this one.
        lyrics_.forgetTyping();
        TakeSongNames(editor_.document(), editor_.changes(), song,
                      AskBeforeReplacing(editor_.dialogs()));
    };
    hooks.stopFollowingPlayer = [&confirm] { confirm.musicFileOpened(); };
    MusicOpenView& view = *this;
    opener_ = std::make_unique<MusicFileOpener>(table_, editor_.programFolder(), editor_.dialogs(),
                                                view, std::move(hooks));
    opener_->temporaryWavPath = [this] {
        editor_.prepareWorkFolder();
        return editor_.temporaryWavPath();
    };
    opener_->existingLyrics = [this] {
        return recovering_ ? ExistingLyrics::DoNothing : ExistingLyricsOption(editor_.settings());
    };

    commands.add({.id = command::kOpenMusicFile,
                  .caption = "音楽ファイルを開く(&O)",
                  .shortcut = "Ctrl+O",
                  .run = [this] { chooseAndOpen(); }});
    commands.add({.id = command::kOpenMusicWithDesktop,
                  .caption = "処理中のファイルを開く(&B)",
                  .shortcut = "Ctrl+P",
                  .run = [this] { openWithDesktop(); }});
    commands.add({.id = command::kSaveLyricsBesideMusic,
                  .caption = "音楽ファイルと同じ場所(&S)",
                  .run = [this] { saveBesideMusic(); }});
    window_.setAcceptDrops(true);
    window_.installEventFilter(this);
    filter_ = BuildMusicFilter(table_);
}

MusicFileCommands::~MusicFileCommands() {
    window_.removeEventFilter(this);
}

void MusicFileCommands::loadPluginTable() {
    table_ = ReadPluginTable(editor_.programFolder());
    filter_ = BuildMusicFilter(table_);
}

StartUpAction MusicFileCommands::handleCommandLine(const std::vector<std::string>& arguments,
                                                   const std::function<void()>& beforeOpening) {
    return HandleCommandLine(arguments, editor_.programFolder(), editor_.dialogs(),
                             [this, &beforeOpening](const std::string& path) {
                                 beforeOpening();
                                 openMusicFile(path);
                             });
}

bool MusicFileCommands::openMusicFile(const std::string& path) {
    if (!SettleUnsavedChanges(editor_.changes(), editor_.dialogs(),
                              [this] { return lyrics_.saveChanges(); }))
        return false;
    if (!opener_->open(path)) return false;
    if (songOpened) songOpened();
    return true;
}

bool MusicFileCommands::reopenForRecovery(const std::string& path) {
    recovering_ = true;
    const bool opened = opener_->open(path);
    recovering_ = false;
    return opened;
}

void MusicFileCommands::takeHandedOverFile(const std::string& path) {
    window_.setWindowState(window_.windowState() & ~Qt::WindowMinimized);
    window_.show();
    window_.raise();
    window_.activateWindow();
    if (path.empty() || !window_.isEnabled() || QApplication::activeModalWidget() != nullptr) {
        return;
    }
    openLater(path);
}

void MusicFileCommands::openLater(const std::string& path) {
    QTimer::singleShot(0, this, [this, path] { openMusicFile(path); });
}

void MusicFileCommands::chooseAndOpen() {
    FileDialogRequest request;
    request.filter = filter_;
    if (const auto chosen = editor_.dialogs().openFile(request)) openMusicFile(*chosen);
}

void MusicFileCommands::openWithDesktop() {
    if (!playback_.isLoaded()) return;
    // Whether a program started is not reported, as the shell's open never was.
    QDesktopServices::openUrl(QUrl::fromLocalFile(FromLocalPath(musicFilePath())));
}

void MusicFileCommands::saveBesideMusic() {
    if (!playback_.isLoaded()) return;
    lyrics_.saveLyricsFile(ReplaceExtension(musicFilePath(), ".txt"));
}

bool MusicFileCommands::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &window_) return false;
    switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (FirstDroppedFile(drag->mimeData()).isEmpty()) return false;
            drag->acceptProposedAction();
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            const QString file = FirstDroppedFile(drop->mimeData());
            if (file.isEmpty()) return false;
            drop->acceptProposedAction();
            // Opened once the drop has returned, so the program the file was
            // dragged from is not held for the whole conversion.
            openLater(ToLocalPath(file));
            return true;
        }
        default:
            return false;
    }
}

void MusicFileCommands::setMainCaption(const std::string& caption) {
    wait_.setMainCaption(caption);
}

void MusicFileCommands::setMainEnabled(bool enabled) {
    window_.setEnabled(enabled);
}

void MusicFileCommands::setBusyCursor(bool busy) {
    if (busy && !cursorOverridden_) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (!busy && cursorOverridden_) {
        QApplication::restoreOverrideCursor();
    }
    cursorOverridden_ = busy;
}

void MusicFileCommands::bringMainToFront() {
    window_.setEnabled(true);
    window_.raise();
    window_.activateWindow();
}

void MusicFileCommands::showWait() {
    wait_.showWait();
}
void MusicFileCommands::setWaitText(const std::string& text) {
    wait_.setWaitText(text);
}
void MusicFileCommands::closeWait() {
    wait_.closeWait();
}
void MusicFileCommands::processPendingEvents() {
    wait_.processPendingEvents();
}

}  // namespace obrin
