#include "export/export_command.h"

#include "base/command_table.h"
#include "base/dialogs.h"
#include "base/shared_library.h"
#include "document/document.h"
#include "export/export_table.h"
#include "obrin_files/same_file.h"

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

void RunExport(Exporter& exporter, const ExportContext& context) {
    const Document& document = context.document;
    Dialogs& dialogs = context.dialogs;
    if (document.lyrics.count() == 0) return;
    const ExportDescription& description = exporter.description();
    ExportJob job{.document = document,
                  .programFolder = context.programFolder,
                  .song = context.song(),
                  .textOptions = context.textOptions()};
    if (description.target == ExportTarget::Song) {
        // The item is disabled without a song; a song closed meanwhile ends here.
        if (job.song.empty()) return;
        job.output = job.song;
    }
    if (!exporter.prepare(dialogs, job)) return;
    if (description.source) {
        const auto chosen = dialogs.openFile(RequestFor(*description.source));
        if (!chosen) return;
        job.source = *chosen;
    }
    if (description.target == ExportTarget::ChosenFile) {
        const auto output = dialogs.saveFile(RequestFor(description.output));
        if (!output) return;
        job.output = *output;
    }
    // Writing over the file being read would destroy it, under any of its
    // names; so would writing over the song open in the editor.
    const bool overSong = description.target == ExportTarget::ChosenFile && !job.song.empty() &&
                          IsSameFile(job.song, job.output);
    if (overSong || (description.source && IsSameFile(job.source, job.output))) {
        dialogs.showError(kSameExportFileMessage);
        return;
    }
    const ExportResult result = exporter.run(job);
    if (result.written) context.showStatus(ExportWrittenNotice(job.output));
    if (!result.errorMessage.empty()) dialogs.showError(result.errorMessage);
    if (!result.doneMessage.empty()) dialogs.showInformation(result.doneMessage);
}

void RegisterExportCommands(CommandTable& commands, ExportTable& exports, ExportContext context) {
    for (const auto& exporter : exports.exporters()) {
        const ExportDescription& description = exporter->description();
        Command command{.id = description.command, .caption = description.caption};
        if (description.offeredOnlyWithLibrary) {
            command.enabled = [library = description.library,
                               programFolder = context.programFolder] {
                return LibraryIsBesideProgram(library, programFolder);
            };
        } else if (description.target == ExportTarget::Song) {
            command.enabled = [song = context.song] { return !song().empty(); };
        }
        command.run = [&exporter = *exporter, context] { RunExport(exporter, context); };
        commands.add(std::move(command));
    }
}

}  // namespace obrin
