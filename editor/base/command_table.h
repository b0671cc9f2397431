#pragma once

#include <functional>
#include <string>
#include <vector>

#include "base/command_id.h"
#include "base/signal.h"

namespace obrin {

// One user command: a menu item, a context-menu item, a button or an
// assigned key all run it through its entry.
struct Command {
    CommandId id;
    // The menu item's text, UTF-8, "&" before the mnemonic. A command that is
    // only a button shows the caption its panel lays out and leaves this empty.
    std::string caption{};
    // Portable key text such as "Ctrl+O", "F4", "Del"; empty for none.
    std::string shortcut{};
    // A second key for the same command; the menu shows only the first.
    std::string alternateShortcut{};
    // Empty: always enabled.
    std::function<bool()> enabled{};
    // Set for a menu item with a check mark: whether it shows the mark now.
    std::function<bool()> checked{};
    // Set for an item whose text tells what it would do now; it then shows
    // this instead of `caption`.
    std::function<std::string()> currentCaption{};
    std::function<void()> run{};
};

// The commands of the main window, registered by the subsystem that owns
// each. The windows build their menus, context menu and key dispatch from
// it and look entries up by id; an id nobody registered is a wiring fault
// and throws, so it shows the first time a window is built, never as a click
// that does nothing.
class CommandTable {
  public:
    // Throws std::logic_error for an entry without an action or with an id
    // that is already taken.
    void add(Command command);

    [[nodiscard]] bool contains(CommandId id) const;
    // Throws std::logic_error for an id nobody registered.
    [[nodiscard]] const Command& at(CommandId id) const;

    [[nodiscard]] bool isEnabled(CommandId id) const;
    // Runs the command if it is enabled now; true when it ran.
    bool trigger(CommandId id) const;
    // After each command that ran, whatever way it came in: what a command
    // may have changed (a setting) is looked at here once.
    Signal<CommandId> ran;

    const std::vector<Command>& commands() const { return commands_; }

  private:
    std::vector<Command> commands_;
};

}  // namespace obrin
