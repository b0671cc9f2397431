#include "shell/qt/editor_windows.h"

#include <QAction>
#include <QPushButton>
#include <QTemporaryDir>
#include <utility>

#include "base/command_ids.h"
#include "base/qt/centre_on.h"
#include "base/qt/command_actions.h"
#include "document/qt/karaoke_tab.h"
#include "document/qt/lyric_list_widget.h"
#include "document/spread_command.h"
#include "export/export_command.h"
#include "export/qt/batch_window.h"
#include "export/qt/folder_chooser.h"
#include "playback/click_track.h"
#include "base/qt/qt_fonts.h"
#include "playback/qt/audio_player.h"
#include "playback/qt/karaoke_preview.h"
#include "playback/qt/latency_calibration_dialog.h"
#include "shell/editor.h"
#include "shell/editor_exports.h"
#include "shell/key_assignment.h"
#include "shell/qt/assigned_keys.h"
#include "shell/qt/draft_commands.h"
#include "shell/qt/key_assignment_dialog.h"
#include "shell/qt/main_menu.h"
#include "shell/qt/timing_binding.h"
#include "shell/qt/undo_keys.h"
#include "shell/qt/virtual_keys.h"
#include "shell/shell_commands.h"
#include "shell/text_options.h"
#include "text/qt/ruby_dialog.h"
#include "text/ruby_suggestions.h"

namespace obrin {

EditorWindows::EditorWindows(Editor& editor, Clipboard& clipboard)
    : editor_(editor),
      window_(editor,
              [this] {
                  return editor_.close([this] { timing_.confirm().endRuns(); },
                                       [this] { return lyrics_.saveChanges(); });
              }),
      actions_(*new CommandActions(commands_, &window_)),
      timing_(window_, editor, commands_),
      lyrics_(window_, editor, clipboard, commands_, actions_),
      music_(window_, editor, timing_.playback(), timing_.progress(), timing_.waitDialog(), lyrics_,
             timing_.confirm(), commands_) {
    const ExportContext exportContext{
        .document = editor.document(),
        .dialogs = editor.dialogs(),
        .programFolder = editor.programFolder(),
        .song = [this] { return music_.musicFilePath(); },
        .textOptions = [this] { return CompletedTextOptionsFrom(editor_.settings()); },
        .showStatus = [this](const std::string& text) { window_.showStatus(text); }};
    AddEditorExports(exports_, editor);
    RegisterExportCommands(commands_, exports_, exportContext);
    RegisterShellCommands(commands_, editor);
    registerWindowCommands();
    RegisterSpreadCommand(commands_, editor.document(), editor.dialogs());
    RegisterRubyCommand(commands_, editor.document(), editor.dialogs(),
                        DictionaryReadingsOnDemand(), &window_);
    drafts_ = new DraftCommands(window_, editor, timing_.playback(), commands_);

    BuildMainMenu(*window_.menuBar(), actions_);
    // The karaoke tab's button is the Edit menu's item, enabled with it.
    QAction* editRuby = actions_.action(command::kEditRuby);
    QPushButton* rubyButton = timing_.karaokeTab().rubyButton();
    QObject::connect(rubyButton, &QPushButton::clicked, editRuby, &QAction::trigger);
    QObject::connect(editRuby, &QAction::changed, rubyButton,
                     [editRuby, rubyButton] { rubyButton->setEnabled(editRuby->isEnabled()); });
    rubyButton->setEnabled(editRuby->isEnabled());
    timingBinding_ = new TimingBinding(window_, actions_);
    new AssignedKeys(window_, editor, timing_.confirm(), timing_.karaoke(),
                     *new UndoKeys(window_, commands_), commands_);
    followCommandStates();
    // Options, keys and dialog choices are settings changed by commands.
    stateNotices_.push_back(
        commands_.ran.connect([this](CommandId) { editor_.saveChangedSettings(); }));
    music_.loadPluginTable();
    editor_.songPath = [this] { return music_.musicFilePath(); };
    editor_.typedText = [this] { return lyrics_.typedText(); };
    // Marks land early with the designed offset: a user about to mark a
    // first song is offered the measurement.
    music_.songOpened = [this] {
        if (editor_.offerCalibration()) calibrateTiming();
    };
}

EditorWindows::~EditorWindows() {
    editor_.songPath = nullptr;
    editor_.typedText = nullptr;
}

void EditorWindows::followCommandStates() {
    const auto refresh = [this](auto&&...) { actions_.refresh(); };
    Document& document = editor_.document();
    stateNotices_.push_back(document.history.changed.connect(refresh));
    stateNotices_.push_back(document.lyrics.currentLineChanged.connect(refresh));
    stateNotices_.push_back(document.lyrics.linesInserted.connect(refresh));
    stateNotices_.push_back(document.lyrics.linesRemoved.connect(refresh));
    stateNotices_.push_back(document.lyrics.wasReset.connect(refresh));
    stateNotices_.push_back(editor_.player().playStateChanged.connect(refresh));
    stateNotices_.push_back(timing_.playback().songLoaded.connect(refresh));
    stateNotices_.push_back(timing_.playback().songUnloaded.connect(refresh));
    QObject::connect(&window_, &MainWindow::settingsLoaded, &actions_, &CommandActions::refresh);
}

void EditorWindows::registerWindowCommands() {
    commands_.add(
        {.id = command::kExit, .caption = "終了(&X)", .run = [this] { window_.close(); }});
    commands_.add({.id = command::kChooseWorkFolder, .run = [this] {
                       if (editor_.chooseWorkFolder()) window_.showWorkFolder();
                   }});
    commands_.add({.id = command::kGridLines,
                   .caption = "グリッド線の表示",
                   .checked = [this] { return editor_.settings().gridLines; },
                   .run =
                       [this] {
                           AppSettings& settings = editor_.settings();
                           settings.gridLines = !settings.gridLines;
                           window_.lyricList()->setGridLinesVisible(settings.gridLines);
                       }});
    commands_.add({.id = command::kShowWaveform,
                   .caption = "波形を表示(&W)",
                   .checked = [this] { return editor_.settings().showWaveform; },
                   .run =
                       [this] {
                           AppSettings& settings = editor_.settings();
                           settings.showWaveform = !settings.showWaveform;
                           window_.setWaveformVisible(settings.showWaveform);
                       }});
    commands_.add({.id = command::kBatchLyricMp3,
                   .caption = "Marlet用歌詞一括変換(&R)",
                   .run = [this] { openBatchWindow(); }});
    commands_.add({.id = command::kAssignKeys, .caption = "キーボード(&K)", .run = [this] {
                       AppSettings& settings = editor_.settings();
                       KeyAssignmentDialog form(
                           {settings.keyMark, settings.keyPrevCheck, settings.keyPlayPause},
                           &window_);
                       form.exec();
                       const auto codes = form.codes();
                       settings.keyMark = codes[0];
                       settings.keyPrevCheck = codes[1];
                       settings.keyPlayPause = codes[2];
                   }});
    commands_.add({.id = command::kCalibrateTiming,
                   .caption = "タイミング調整(&T)...",
                   .run = [this] { calibrateTiming(); }});
    commands_.add({.id = command::kKaraokePreview,
                   .caption = "カラオケプレビュー(&K)",
                   .run = [this] { openKaraokePreview(); }});
}

void EditorWindows::openKaraokePreview() {
    AppSettings& settings = editor_.settings();
    if (karaokePreview_ == nullptr) {
        karaokePreview_ = new KaraokePreview(editor_.document(), editor_.player(), &window_);
        QObject::connect(karaokePreview_, &KaraokePreview::coloursChosen,
                         [this](const QColor& before, const QColor& after) {
                             editor_.settings().karaokeBeforeColour =
                                 static_cast<int>(before.rgb() & 0xFFFFFF);
                             editor_.settings().karaokeAfterColour =
                                 static_cast<int>(after.rgb() & 0xFFFFFF);
                             editor_.saveChangedSettings();
                         });
    }
    karaokePreview_->setLyricsFont(ToQFont(FontOf(editor_.fonts(), FontSlot::List)));
    karaokePreview_->setColours(QColor::fromRgb(static_cast<QRgb>(settings.karaokeBeforeColour)),
                                QColor::fromRgb(static_cast<QRgb>(settings.karaokeAfterColour)));
    karaokePreview_->show();
    karaokePreview_->raise();
    karaokePreview_->activateWindow();
}

void EditorWindows::calibrateTiming() {
    // The clicks must be the only sound while the user answers them.
    if (editor_.player().playState() == PlayState::Playing) timing_.playback().playPause();
    const QTemporaryDir folder;
    const std::filesystem::path clicks =
        std::filesystem::path(folder.path().toStdString()) / "obrin_clicks.wav";
    const ClickTrack track = CalibrationClicks();
    if (!folder.isValid() || WriteClickTrack(clicks, track)) {
        editor_.dialogs().showError("クリック音を用意できません");
        return;
    }
    AudioPlayer player;
    try {
        player.setFileName(clicks.string());
    } catch (const PlayerError& error) {
        editor_.dialogs().showError(std::string(PlaybackControl::kCannotPlayMessage) + "\n" +
                                    error.what());
        return;
    }
    const AppSettings& settings = editor_.settings();
    LatencyCalibrationDialog form(
        player, track,
        [&settings](const QKeyEvent& key) {
            return MatchAssignedKey(settings, VirtualKeyOf(key)) == command::kMark;
        },
        &window_);
    CentreOn(&form, &window_);
    if (form.exec() == QDialog::Accepted && !form.proposedOffset().empty()) {
        const UndoHistory::Step step = editor_.document().history.beginStep("タイミング調整");
        editor_.document().setMarkOffset(form.proposedOffset());
    }
}

void EditorWindows::openBatchWindow() {
    BatchWindow form(
        exports_,
        [this](Document& song, const std::filesystem::path& file) {
            return lyrics_.readLyricsInto(song, file.string());
        },
        editor_.dialogs(), editor_.programFolder(), SystemDrives(), &window_);
    AppSettings& settings = editor_.settings();
    form.startAt(settings.batchSourceFolder, settings.batchOutputFolder);
    CentreOn(&form, &window_);
    form.exec();
    settings.batchSourceFolder = form.source()->folder().string();
    settings.batchOutputFolder = form.destination()->folder().string();
}

StartUpAction EditorWindows::handleCommandLine(const std::vector<std::string>& arguments) {
    bool offered = false;
    const auto offerRecovery = [this, &offered] {
        if (std::exchange(offered, true)) return;
        editor_.startRecovery(
            [this](const std::string& song) { music_.reopenForRecovery(song); },
            [this](const std::string& typed) { lyrics_.restoreTypedText(typed); });
    };
    const StartUpAction action = music_.handleCommandLine(arguments, offerRecovery);
    if (action == StartUpAction::Continue) offerRecovery();
    return action;
}

}  // namespace obrin
