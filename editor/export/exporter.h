#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "base/command_id.h"

namespace obrin {

struct Document;

// One file dialog of an export. Filters are "説明|*.ext|..." pairs.
struct ExportFileDialog {
    std::string title{};  // empty for the platform's own caption
    std::string filter{};
    std::string defaultExt{};  // without the dot; empty for none
};

// What the editor needs to offer an export as a command.
struct ExportDescription {
    // The menu item under ファイル; command_ids.h names the items exports use.
    CommandId command;
    std::string caption{};  // the menu item's text, UTF-8, "&" before the mnemonic
    // The library the run loads, named as SharedLibrary::Open takes it
    // ("marlet.dll"); looked for beside the program first.
    std::string library{};
    // True: the item is disabled while the library is not beside the
    // program. False: the item is always enabled and the run reports a
    // missing library itself.
    bool offeredOnlyWithLibrary = false;
    // An existing file the export reads besides the document (the MP3 a
    // lyric MP3 is made from), asked for first; none for most exports.
    std::optional<ExportFileDialog> source{};
    // The file the export writes.
    ExportFileDialog output{};
};

// One run, after the user chose the files.
struct ExportJob {
    const Document& document;  // never empty: an empty list is not exported
    const std::filesystem::path& programFolder;
    std::string source{};  // empty when the export reads no file
    std::string output{};
};

struct ExportResult {
    // Shown to the user in the error box when not empty. A run that writes
    // nothing says why here; the command adds nothing of its own.
    std::string errorMessage{};
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
    [[nodiscard]] virtual ExportResult run(const ExportJob& job) = 0;
};

}  // namespace obrin
