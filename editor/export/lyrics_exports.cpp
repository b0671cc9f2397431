#include "export/lyrics_exports.h"

#include <memory>
#include <vector>

#include "base/command_ids.h"
#include "base/dialogs.h"
#include "export/export_table.h"
#include "export/exporter.h"
#include "obrin_files/file_replacement.h"
#include "text/song_lyrics_tags.h"
#include "text/text_messages.h"

namespace obrin {
namespace {

std::string Author(const ExportJob& job) {
    return LrcAuthor(job.document, job.textOptions.taggingBy, job.textOptions.author);
}

// Each choice of the dialog is one of the options, off as the first item.
std::vector<DialogChoice> StandardLrcChoices(const StandardLrcOptions& options) {
    const auto pick = [](bool on) { return on ? 1 : 0; };
    return {{.label = "文字コード(&E):",
             .items = {"UTF-8 (BOMなし)", "Shift-JIS"},
             .selected = pick(options.shiftJis)},
            {.label = "時刻(&T):",
             .items = {"[mm:ss.xx]", "[mm:ss.xxx]"},
             .selected = pick(options.milliseconds)},
            {.label = "時刻のない行(&U):",
             .items = {"省く", "残す"},
             .selected = pick(options.keepUntimed)},
            {.label = "改行(&N):", .items = {"LF", "CR LF"}, .selected = pick(options.crlf)}};
}

class StandardLrcExporter final : public Exporter {
  public:
    explicit StandardLrcExporter(StandardLrcOptions& remembered) : remembered_(remembered) {}

    const ExportDescription& description() const override { return description_; }

    bool prepare(Dialogs& dialogs, const ExportJob&) override {
        const auto picked =
            dialogs.chooseOptions(kStandardLrcCaption, StandardLrcChoices(remembered_));
        if (!picked || picked->size() != 4) return false;
        const auto on = [&](std::size_t i) { return (*picked)[i] == 1; };
        remembered_ = {
            .milliseconds = on(1), .shiftJis = on(0), .crlf = on(3), .keepUntimed = on(2)};
        return true;
    }

    ExportResult run(const ExportJob& job) override {
        const std::string bytes = FormatStandardLrc(job.document, remembered_, Author(job));
        if (const std::error_code error = WriteFileAtomically(job.output, bytes))
            return {FileWriteErrorMessage(job.output, error)};
        return {.written = true};
    }

  private:
    StandardLrcOptions& remembered_;
    const ExportDescription description_{
        .command = command::kSaveStandardLrc,
        .caption = "標準LRC形式で保存(&L)...",
        .output = {.filter = "標準LRCファイル(*.lrc)|*.lrc|全てのファイル(*.*)|*.*",
                   .defaultExt = "lrc"}};
};

class SongTagsExporter final : public Exporter {
  public:
    const ExportDescription& description() const override { return description_; }

    bool prepare(Dialogs& dialogs, const ExportJob& job) override {
        return dialogs.confirm(SongTagsQuestion(job.song));
    }

    ExportResult run(const ExportJob& job) override {
        const SongTagResult result =
            WriteSongLyrics(job.output, SongLyricsFrom(job.document, Author(job)), true);
        if (!result) return {.errorMessage = result.message};
        return {.doneMessage = kSongTagsWrittenMessage, .written = true};
    }

  private:
    const ExportDescription description_{.command = command::kWriteSongTags,
                                         .caption = "曲のタグに歌詞を書き込む(&G)...",
                                         .target = ExportTarget::Song};
};

}  // namespace

std::string SongTagsQuestion(const std::string& song) {
    return "曲のタグに歌詞を書き込みますか?\n" + song;
}

void AddLyricsExports(ExportTable& exports, StandardLrcOptions& remembered) {
    exports.add(std::make_unique<StandardLrcExporter>(remembered));
    exports.add(std::make_unique<SongTagsExporter>());
}

}  // namespace obrin
