#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "base/command_id.h"
#include "text/completed_text.h"

namespace obrin {

class Dialogs;
struct Document;

// One file dialog of an export. Filters are "説明|*.ext|..." pairs.
struct ExportFileDialog {
    std::string title{};  // empty for the platform's own caption
    std::string filter{};
    std::string defaultExt{};  // without the dot; empty for none
};

// Where an export writes.
enum class ExportTarget {
    ChosenFile,  // a file the output dialog asks for
    // The song open in the editor, in place: no file dialog, and the item is
    // enabled only while a song is open.
    Song,
};

// What the editor needs to offer an export as a command.
struct ExportDescription {
    // The menu item under ファイル; command_ids.h names the items exports use.
    CommandId command;
    std::string caption{};  // the menu item's text, UTF-8, "&" before the mnemonic
    // The library the run loads, named as SharedLibrary::Open takes it
    // ("marlet.dll"); looked for beside the program first. Empty for an
    // export that needs none.
    std::string library{};
    // True: the item is disabled while the library is not beside the
    // program. False: the item is always enabled and the run reports a
    // missing library itself.
    bool offeredOnlyWithLibrary = false;
    // An existing file the export reads besides the document (the MP3 a
    // lyric MP3 is made from), asked for first; none for most exports.
    std::optional<ExportFileDialog> source{};
    ExportTarget target = ExportTarget::ChosenFile;
    // The file the export writes (ExportTarget::ChosenFile).
    ExportFileDialog output{};
};

// One run, after the user chose the files.
struct ExportJob {
    // The command never runs with an empty list; the batch may (a lyrics
    // file without lines), and the export says what it made of it.
    const Document& document;
    const std::filesystem::path& programFolder;
    std::string source{};  // empty when the export reads no file
    std::string output{};  // ExportTarget::Song: the song
    // The music file open in the editor; empty while none is.
    std::string song{};
    // The completed text's options: who the author is and whether the
    // editor's own file names them.
    CompletedTextOptions textOptions{};
};

struct ExportResult {
    // Shown to the user in the error box when not empty. A run that writes
    // nothing says why here; the command adds nothing of its own.
    std::string errorMessage{};
    // Shown in an information box when not empty: what a run that changes
    // nothing the user sees has done.
    std::string doneMessage{};
    // True only when the run made its output.
    bool written = false;
    // The library's own answer where it grades the output (the lyric MP3's
    // LyricMp3Result::code, which the batch marks); 0 for other exports.
    int code = 0;
};

// An export of the document to a file through a library of its own. The
// command around it (export_command.h) asks for the files; the run loads the
// library, writes, and releases the library before it returns, on every
// path, so each run starts from the library's fresh state. Runs on the
// user-interface thread.
class Exporter {
  public:
    virtual ~Exporter() = default;

    virtual const ExportDescription& description() const = 0;
    // Asked before any file dialog: the export's own choices, or a question
    // about the job (its song and settings are set, its files not yet).
    // False ends the command, as Cancel. Most exports ask nothing.
    [[nodiscard]] virtual bool prepare(Dialogs& /*dialogs*/, const ExportJob& /*job*/) {
        return true;
    }
    [[nodiscard]] virtual ExportResult run(const ExportJob& job) = 0;
};

}  // namespace obrin
