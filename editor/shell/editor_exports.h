#pragma once

namespace obrin {

class Editor;
class ExportTable;

// Adds every export the editor offers: the player exports (SP250 lyrics with
// the display warnings of the options menu, the lyric MP3) and the editor's
// own lyrics exports (standard LRC with the remembered choices, the song's
// tags). Their menu items and the batch both run these. The editor must
// outlive the table.
void AddEditorExports(ExportTable& exports, Editor& editor);

}  // namespace obrin
