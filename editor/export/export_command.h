#pragma once

#include <filesystem>

namespace obrin {

class CommandTable;
class Dialogs;
class ExportTable;
class Exporter;
struct Document;

// The command of one export: with lyrics in the list, asks for the source
// file (if the export reads one) and then the output file; Cancel in either
// ends the command. The same path for both is refused before anything runs.
// Then runs the export and shows its error message, if any.
void RunExport(Exporter& exporter, const Document& document, Dialogs& dialogs,
               const std::filesystem::path& programFolder);

// Registers every export of `exports` as a command under its description's
// id. The exports must outlive the command table.
void RegisterExportCommands(CommandTable& commands, ExportTable& exports, const Document& document,
                            Dialogs& dialogs, const std::filesystem::path& programFolder);

inline constexpr const char* kSameExportFileMessage = "同じファイル名は指定できません";

}  // namespace obrin
