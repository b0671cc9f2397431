#include "shell/qt/timing_parts.h"

#include <QCheckBox>
#include <QTabWidget>

#include "document/qt/karaoke_tab.h"
#include "document/timing_command_entries.h"
#include "document/undo_command_entries.h"
#include "playback/playback_command_entries.h"
#include "shell/editor.h"
#include "shell/qt/main_window.h"

namespace obrin {

TimingParts::TimingParts(MainWindow& window, Editor& editor, CommandTable& commands)
    : confirmDialog_(&window),
      waitForm_(&window),
      lock_(window),
      playback_(editor.player(), editor.timers(), editor.dialogs()),
      commands_(editor.document(), playback_, editor.dialogs()),
      confirm_(editor.document(), playback_, commands_, editor.dialogs(), editor.timers(),
               confirmDialog_, lock_),
      karaoke_(editor.document(), playback_, editor.dialogs(), commands_),
      progress_(waitForm_),
      panelBinding_(std::make_unique<PlayerPanelBinding>(*window.playerPanel(), playback_)),
      waveformBinding_(
          std::make_unique<WaveformBinding>(*window.waveformStrip(), playback_, commands_)),
      karaokeTab_(new KaraokeTab(editor.document(), karaoke_, window.pages())) {
    confirmDialog_.onCheck = [this] { commands_.checkSelected(); };
    confirmDialog_.onAbort = [this] { confirm_.abortConfirm(); };
    confirmDialog_.onClosed = [this] { confirm_.confirmDialogClosed(); };
    waitForm_.onForceQuit = [this] { progress_.forceQuit(); };
    commands_.setOnsetSnapping(
        {.enabled = [&settings = editor.settings()] { return settings.snapMarksToOnsets; },
         .onsetsMs =
             [&analysis = waveformBinding_->analysis()] {
                 return std::span<const std::int32_t>(analysis.onsetsMs());
             }});
    RegisterTimingCommands(commands, commands_, confirm_, karaoke_, editor.document().lyrics);
    addKaraokeTab(window, editor);
    RegisterUndoCommands(commands, editor.document().history, confirm_);
    RegisterPlaybackCommands(commands, playback_);
}

TimingParts::~TimingParts() = default;

void TimingParts::addKaraokeTab(MainWindow& window, Editor& editor) {
    QTabWidget* pages = window.pages();
    pages->addTab(karaokeTab_, QStringLiteral("カラオケ"));
    QObject::connect(pages, &QTabWidget::currentChanged, karaokeTab_,
                     [this, pages] { karaoke_.setOn(pages->currentWidget() == karaokeTab_); });
    // The option is read when the settings are, after the window is built.
    QObject::connect(&window, &MainWindow::settingsLoaded, karaokeTab_, [this, &editor] {
        karaokeTab_->keyUpBox()->setChecked(editor.settings().karaokeKeyUp);
    });
    QObject::connect(karaokeTab_->keyUpBox(), &QCheckBox::toggled, karaokeTab_, [&editor](bool on) {
        editor.settings().karaokeKeyUp = on;
        editor.saveChangedSettings();
    });
}

}  // namespace obrin
