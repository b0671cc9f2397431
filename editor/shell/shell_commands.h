#pragma once

namespace obrin {

class CommandTable;
class Editor;

// Registers the shell's commands that need no window: the option items that
// are settings (check marks and radio groups), the four font items and the
// help.
void RegisterShellCommands(CommandTable& table, Editor& editor);

}  // namespace obrin
