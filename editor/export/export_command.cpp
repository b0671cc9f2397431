#include "export/export_command.h"

#include "base/command_table.h"
#include "base/dialogs.h"
#include "base/shared_library.h"
#include "document/document.h"
#include "export/export_table.h"
#include "export/file_identity.h"

namespace obrin {
namespace {

FileDialogRequest RequestFor(const ExportFileDialog& dialog) {
    FileDialogRequest request;
    request.title = dialog.title;
    request.filter = dialog.filter;
    request.defaultExt = dialog.defaultExt;
    return request;
}

}  // namespace

void RunExport(Exporter& exporter, const Document& document, Dialogs& dialogs,
               const std::filesystem::path& programFolder) {
    if (document.lyrics.count() == 0) return;
    const ExportDescription& description = exporter.description();
    std::string source;
    if (description.source) {
        const auto chosen = dialogs.openFile(RequestFor(*description.source));
        if (!chosen) return;
        source = *chosen;
    }
    const auto output = dialogs.saveFile(RequestFor(description.output));
    if (!output) return;
    // Writing over the file being read would destroy it, under any of its
    // names.
    if (description.source && SameFile(source, *output)) {
        dialogs.showError(kSameExportFileMessage);
        return;
    }
    const ExportResult result = exporter.run({.document = document,
                                              .programFolder = programFolder,
                                              .source = source,
                                              .output = *output});
    if (!result.errorMessage.empty()) dialogs.showError(result.errorMessage);
}

void RegisterExportCommands(CommandTable& commands, ExportTable& exports, const Document& document,
                            Dialogs& dialogs, const std::filesystem::path& programFolder) {
    for (const auto& exporter : exports.exporters()) {
        const ExportDescription& description = exporter->description();
        Command command{.id = description.command, .caption = description.caption};
        if (description.offeredOnlyWithLibrary) {
            command.enabled = [library = description.library, programFolder] {
                return LibraryIsBesideProgram(library, programFolder);
            };
        }
        command.run = [&exporter = *exporter, &document, &dialogs, programFolder] {
            RunExport(exporter, document, dialogs, programFolder);
        };
        commands.add(std::move(command));
    }
}

}  // namespace obrin
