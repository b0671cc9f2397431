#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "text/completed_text.h"

namespace obrin {

class CommandTable;
class Dialogs;
class ExportTable;
class Exporter;
struct Document;

// What the export commands take from the running editor at each run.
struct ExportContext {
    const Document& document;
    Dialogs& dialogs;
    std::filesystem::path programFolder;
    // The music file open in the editor; empty while none is.
    std::function<std::string()> song = [] { return std::string(); };
    // The completed text's options as the user's settings hold them now.
    std::function<CompletedTextOptions()> textOptions = [] { return CompletedTextOptions{}; };
    // Shows a short notice where it does not interrupt (the status bar).
    std::function<void(const std::string&)> showStatus = [](const std::string&) {};
};

// The command of one export: with lyrics in the list, lets the export ask its
// own choices, then asks for the source file (if the export reads one) and
// the output file (if it writes a chosen one); Cancel in any ends the
// command. The same path for both, or an output that is the open song, is
// refused before anything runs. Then runs
// the export and shows its error or done message, if any; a run that wrote
// its file names it through `showStatus` (ExportWrittenNotice).
void RunExport(Exporter& exporter, const ExportContext& context);

// Registers every export of `exports` as a command under its description's
// id. The exports must outlive the command table.
void RegisterExportCommands(CommandTable& commands, ExportTable& exports, ExportContext context);

inline constexpr const char* kSameExportFileMessage = "同じファイル名は指定できません";

[[nodiscard]] inline std::string ExportWrittenNotice(const std::string& file) {
    return "保存しました: " + file;
}

}  // namespace obrin
