#include "base/qt/command_actions.h"

#include <QAbstractButton>
#include <QAction>
#include <QKeySequence>
#include <QList>

namespace obrin {

CommandActions::CommandActions(const CommandTable& table, QObject* parent)
    : QObject(parent), table_(table) {}

QAction* CommandActions::action(CommandId id) {
    for (const auto& [known, action] : actions_) {
        if (known == id) return action;
    }
    const Command& command = table_.at(id);
    auto* action = new QAction(QString::fromStdString(command.caption), this);
    action->setObjectName(QString::fromLatin1(id.objectName()));
    QList<QKeySequence> keys;
    for (const std::string& key : {command.shortcut, command.alternateShortcut}) {
        if (!key.empty())
            keys.append(QKeySequence(QString::fromStdString(key), QKeySequence::PortableText));
    }
    action->setShortcuts(keys);
    action->setCheckable(static_cast<bool>(command.checked));
    connect(action, &QAction::triggered, this, [this, id] {
        table_.at(id).run();
        // Qt has already flipped the mark; the command's state decides it.
        refreshCheckMarks();
    });
    actions_.emplace_back(id, action);
    refresh();
    return action;
}

void CommandActions::bindButton(QAbstractButton& button, CommandId id) {
    static_cast<void>(table_.at(id));  // a wiring fault shows now, not at the click
    connect(&button, &QAbstractButton::clicked, this, [this, id] { table_.at(id).run(); });
}

void CommandActions::refresh() {
    for (const auto& [id, action] : actions_) show(id, *action);
}

void CommandActions::refreshItem(CommandId id) {
    for (const auto& [known, action] : actions_) {
        if (known == id) show(id, *action);
    }
}

void CommandActions::show(CommandId id, QAction& action) {
    const Command& command = table_.at(id);
    action.setEnabled(table_.isEnabled(id));
    if (command.checked) action.setChecked(command.checked());
    if (command.currentCaption) action.setText(QString::fromStdString(command.currentCaption()));
}

void CommandActions::refreshCheckMarks() {
    for (const auto& [id, action] : actions_) {
        const Command& command = table_.at(id);
        if (command.checked) action->setChecked(command.checked());
    }
}

void CommandActions::enableAll() {
    for (const auto& [id, action] : actions_) action->setEnabled(true);
}

}  // namespace obrin
