#pragma once

namespace obrin {

class CommandTable;
class Editor;

// Registers the shell's commands that need no window: the option items that
// are settings (check marks and radio groups), the four font items and the
// help. Then, for the SP250 and lyric-MP3 items, whatever export has not
// registered under their ids yet: the menu has always shown them; until
// their exports exist they do nothing (the SP250 item enabled only with its
// library beside the program).
void RegisterShellCommands(CommandTable& table, Editor& editor);

}  // namespace obrin
