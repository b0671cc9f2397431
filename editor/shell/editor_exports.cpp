#include "shell/editor_exports.h"

#include "export/lyrics_exports.h"
#include "export/player_exports.h"
#include "shell/editor.h"

namespace obrin {

void AddEditorExports(ExportTable& exports, Editor& editor) {
    AddPlayerExports(exports, [&editor] {
        return Sp250Warnings{.remoteDisplay = editor.settings().warnRemoteDisplay,
                             .bodyDisplay = editor.settings().warnBodyDisplay};
    });
    AppSettings& settings = editor.settings();
    AddLyricsExports(exports, {.standardLrc = settings.standardLrc,
                               .assLeadInCs = settings.assLeadInCs,
                               .syltPerUnit = settings.syltPerUnit});
}

}  // namespace obrin
