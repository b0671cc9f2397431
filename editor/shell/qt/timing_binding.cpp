#include "shell/qt/timing_binding.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <optional>

#include "base/command_ids.h"
#include "base/qt/command_actions.h"
#include "document/nudge_buttons.h"
#include "document/qt/control_panel.h"
#include "document/qt/lyric_list_widget.h"
#include "playback/qt/player_panel.h"
#include "playback/qt/waveform_strip.h"
#include "shell/qt/main_window.h"

namespace obrin {

namespace {

using namespace command;

// The context menu's layout; an empty entry is a separator.
const std::optional<CommandId> kContextMenu[] = {
    kPlayFromLine, kPlayBeforeLine, kRemarkFromLine, std::nullopt, kCheckLine,
    std::nullopt,  kEditLine,       kDeleteLines,    kInsertLine,  kMergeWithNext,
    kAppendLine,   kShiftTimes,     std::nullopt,    kSelectAll,   kClearChecks,
    std::nullopt,  kAcceptSelectedDrafts, kAcceptAllDrafts,
};

}  // namespace

TimingBinding::TimingBinding(MainWindow& window, CommandActions& actions)
    : QObject(&window), window_(window), actions_(actions), menu_(new QMenu(window.lyricList())) {
    bindButtons();
    buildContextMenu();
    focusMarkAfterSeeking();
}

void TimingBinding::bindButtons() {
    ControlPanel& panel = *window_.controlPanel();
    for (CommandId id : {kMark, kCheckPrevious, kCheckSelected, kConfirmAround, kConfirmAll})
        actions_.bindButton(*panel.button(id), id);
    for (const NudgeButton& nudge : kNudgeButtons)
        actions_.bindButton(*panel.button(nudge.command), nudge.command);
    actions_.bindButton(*window_.playerPanel()->playButton(), kPlayPause);
    actions_.bindButton(*window_.playerPanel()->stopButton(), kStop);
}

void TimingBinding::focusMarkAfterSeeking() {
    // These start the song where the user goes on marking, often from the
    // list, where the assigned keys rest; the Mark button is where they act.
    QPushButton* mark = window_.controlPanel()->markButton();
    const auto focusMark = [mark] { mark->setFocus(); };
    for (CommandId id : {kPlayBeforeLine, kRemarkFromLine})
        connect(actions_.action(id), &QAction::triggered, mark, focusMark);
    connect(window_.waveformStrip(), &WaveformStrip::seekRequested, mark, focusMark);
}

void TimingBinding::buildContextMenu() {
    LyricListWidget* list = window_.lyricList();
    menu_->setObjectName(QStringLiteral("PopupMenu1"));
    for (const std::optional<CommandId>& id : kContextMenu) {
        if (!id) {
            menu_->addSeparator();
            continue;
        }
        QAction* action = actions_.action(*id);
        menu_->addAction(action);
        if (!action->shortcut().isEmpty()) {
            // Keys like Del and Ins belong to the list only: in the title
            // field or the in-place editor they keep their usual meaning.
            action->setShortcutContext(Qt::WidgetShortcut);
            list->addAction(action);
        }
    }

    list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list, &QWidget::customContextMenuRequested, this,
            [this, list](const QPoint& at) { menu_->popup(list->viewport()->mapToGlobal(at)); });
}

}  // namespace obrin
