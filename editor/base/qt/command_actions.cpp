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
    connect(action, &QAction::triggered, this, [this, id] { trigger(id); });
    actions_.emplace_back(id, action);
    show(id, *action);
    return action;
}

void CommandActions::bindButton(QAbstractButton& button, CommandId id) {
    static_cast<void>(table_.at(id));  // a wiring fault shows now, not at the click
    connect(&button, &QAbstractButton::clicked, this, [this, id] { trigger(id); });
    buttons_.emplace_back(id, &button);
    button.setEnabled(table_.isEnabled(id));
}

bool CommandActions::trigger(CommandId id) {
    const bool ran = table_.trigger(id);
    // Qt has already flipped a check mark; the command's state decides it.
    refresh();
    return ran;
}

void CommandActions::refresh() {
    for (const auto& [id, action] : actions_) show(id, *action);
    for (const auto& [id, button] : buttons_) {
        if (button) button->setEnabled(table_.isEnabled(id));
    }
}

void CommandActions::show(CommandId id, QAction& action) {
    const Command& command = table_.at(id);
    action.setEnabled(table_.isEnabled(id));
    if (command.checked) action.setChecked(command.checked());
    if (command.currentCaption) action.setText(QString::fromStdString(command.currentCaption()));
}

}  // namespace obrin
