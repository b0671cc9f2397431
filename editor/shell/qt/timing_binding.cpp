#include "shell/qt/timing_binding.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <functional>

#include "document/confirm_runs.h"
#include "document/nudge_buttons.h"
#include "document/qt/lyric_list_widget.h"
#include "document/timing_commands.h"
#include "shell/editor.h"
#include "shell/qt/main_window.h"

namespace obrin {

namespace {

struct MenuItem {
    const char* name;  // empty for a separator
    const char* caption;
    QKeySequence shortcut;
};

// Items that need a CurrentLine; O1 needs a line after it as well.
constexpr const char* kLineItems[] = {"P3", "N551", "Q1", "Edit1", "L1", "A1"};

}  // namespace

TimingBinding::TimingBinding(MainWindow& window, TimingCommands& commands, ConfirmRuns& confirm)
    : window_(window), commands_(commands), confirm_(confirm) {
    connectButtons();
    buildContextMenu();
}

void TimingBinding::connectButtons() {
    const auto onClick = [this](const char* name, std::function<void()> command) {
        connect(window_.widget<QPushButton>(name), &QPushButton::clicked, this,
                [command = std::move(command)] { command(); });
    };
    onClick("Button2", [this] { commands_.mark(); });
    onClick("Button1", [this] { commands_.checkPrevious(); });
    onClick("Button3", [this] { commands_.checkSelected(); });
    onClick("Button4", [this] { confirm_.confirmAround(); });
    onClick("Button5", [this] { confirm_.confirmAll(); });
    for (const NudgeButton& nudge : kNudgeButtons) {
        onClick(nudge.name, [this, step = nudge.stepMs] { commands_.moveBy(step); });
    }
}

void TimingBinding::buildContextMenu() {
    LyricListWidget* list = window_.lyricList();
    menu_ = new QMenu(list);
    menu_->setObjectName(QStringLiteral("PopupMenu1"));

    const std::pair<MenuItem, std::function<void()>> items[] = {
        {{"P3", "この位置から再生(&P)", QKeySequence(Qt::CTRL | Qt::Key_K)},
         [this] { commands_.playFromLine(0); }},
        {{"N551", "5秒前から再生(&5)", QKeySequence(Qt::CTRL | Qt::Key_L)},
         [this] { commands_.playFromLine(TimingCommands::kPlayBeforeLineMs); }},
        {{"", "", {}}, {}},
        {{"Q1", "チェック(&Q)", QKeySequence(Qt::CTRL | Qt::Key_F)},
         [this] { commands_.checkSelected(); }},
        {{"", "", {}}, {}},
        {{"Edit1", "行を編集(&E)", QKeySequence(Qt::Key_F4)}, [this] { commands_.editLine(); }},
        {{"L1", "行を削除(&L)", QKeySequence(Qt::Key_Delete)}, [this] { commands_.deleteLines(); }},
        {{"A1", "行を追加(&A)", QKeySequence(Qt::Key_Insert)}, [this] { commands_.insertLine(); }},
        {{"O1", "次の行と併合(&O)", {}}, [this] { commands_.mergeWithNext(); }},
        {{"T2", "最終行へ追加(&T)", {}}, [this] { commands_.appendLine(); }},
        {{"", "", {}}, {}},
        {{"S2", "すべて選択(&S)", {}}, [this] { commands_.selectAll(); }},
        {{"N10", "すべてのチェックをはずす(&C)", {}}, [this] { commands_.clearChecks(); }},
    };
    for (const auto& [item, command] : items) {
        if (*item.name == '\0') {
            menu_->addSeparator();
            continue;
        }
        QAction* action = menu_->addAction(QString::fromUtf8(item.caption));
        action->setObjectName(QString::fromLatin1(item.name));
        if (!item.shortcut.isEmpty()) {
            action->setShortcut(item.shortcut);
            // Keys like Del and Ins belong to the list only: in the title
            // field or the in-place editor they keep their usual meaning.
            action->setShortcutContext(Qt::WidgetShortcut);
            list->addAction(action);
        }
        connect(action, &QAction::triggered, this, command);
    }

    list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list, &QWidget::customContextMenuRequested, this,
            [this, list](const QPoint& at) { menu_->popup(list->viewport()->mapToGlobal(at)); });
    connect(menu_, &QMenu::aboutToShow, this, &TimingBinding::decideMenuEnabling);
    // The enabling is the menu's only: every command checks for its line
    // itself, so the shortcuts stay live after the menu closes.
    connect(menu_, &QMenu::aboutToHide, this, [this] {
        for (QAction* action : menu_->actions()) action->setEnabled(true);
    });
}

void TimingBinding::decideMenuEnabling() {
    const LineMenuEnabling enabling = DecideLineMenuEnabling(window_.editor().document().lyrics);
    for (const char* name : kLineItems) {
        menu_->findChild<QAction*>(QString::fromLatin1(name))->setEnabled(enabling.lineItems);
    }
    menu_->findChild<QAction*>(QStringLiteral("O1"))->setEnabled(enabling.merge);
}

}  // namespace obrin
