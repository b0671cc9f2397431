#include "base/command_table.h"

#include <algorithm>
#include <stdexcept>

namespace obrin {

void CommandTable::add(Command command) {
    const std::string name(command.id.objectName());
    if (!command.run) throw std::logic_error("command " + name + " has no action");
    if (contains(command.id)) throw std::logic_error("command " + name + " registered twice");
    commands_.push_back(std::move(command));
}

bool CommandTable::contains(CommandId id) const {
    return std::ranges::any_of(commands_, [id](const Command& c) { return c.id == id; });
}

const Command& CommandTable::at(CommandId id) const {
    const auto it = std::ranges::find_if(commands_, [id](const Command& c) { return c.id == id; });
    if (it == commands_.end())
        throw std::logic_error("no command " + std::string(id.objectName()) + " is registered");
    return *it;
}

bool CommandTable::isEnabled(CommandId id) const {
    const Command& command = at(id);
    return !command.enabled || command.enabled();
}

bool CommandTable::trigger(CommandId id) const {
    if (!isEnabled(id)) return false;
    at(id).run();
    ran(id);
    return true;
}

}  // namespace obrin
