#include "export/lyrics_exports.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "base/command_ids.h"
#include "base/dialogs.h"
#include "export/ass_karaoke.h"
#include "export/export_table.h"
#include "export/exporter.h"
#include "obrin_files/file_replacement.h"
#include "text/enhanced_lrc.h"
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
            {.label = "改行(&N):", .items = {"LF", "CR LF"}, .selected = pick(options.crlf)},
            {.label = "文字ごとの時刻(&W):",
             .items = {"書かない", "<mm:ss.xx> で書く"},
             .selected = pick(options.words)}};
}

class StandardLrcExporter final : public Exporter {
  public:
    explicit StandardLrcExporter(StandardLrcOptions& remembered) : remembered_(remembered) {}

    const ExportDescription& description() const override { return description_; }

    bool prepare(Dialogs& dialogs, const ExportJob&) override {
        const auto picked =
            dialogs.chooseOptions(kStandardLrcCaption, StandardLrcChoices(remembered_));
        if (!picked || picked->size() != 5) return false;
        const auto on = [&](std::size_t i) { return (*picked)[i] == 1; };
        remembered_ = {.milliseconds = on(1),
                       .shiftJis = on(0),
                       .crlf = on(3),
                       .keepUntimed = on(2),
                       .words = on(4)};
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

constexpr int kDesignedLeadInCs = AssOptions{}.leadInCs;

class AssKaraokeExporter final : public Exporter {
  public:
    explicit AssKaraokeExporter(int& rememberedLeadInCs) : remembered_(rememberedLeadInCs) {}

    const ExportDescription& description() const override { return description_; }

    // A remembered lead-in the list lacks (a hand-edited file) shows the
    // designed one.
    bool prepare(Dialogs& dialogs, const ExportJob&) override {
        DialogChoice leadIn{.label = "行の前に表示(&L):", .items = {}};
        const auto* const shown = std::find(std::begin(kAssLeadInsCs), std::end(kAssLeadInsCs),
                                            remembered_) != std::end(kAssLeadInsCs)
                                      ? &remembered_
                                      : &kDesignedLeadInCs;
        for (const int cs : kAssLeadInsCs) {
            leadIn.items.push_back(std::to_string(cs / 100) + "." + (cs % 100 < 10 ? "0" : "") +
                                   std::to_string(cs % 100) + " 秒");
            if (cs == *shown) leadIn.selected = static_cast<int>(leadIn.items.size()) - 1;
        }
        const auto picked = dialogs.chooseOptions(kAssKaraokeCaption, {leadIn});
        if (!picked || picked->size() != 1 || picked->front() < 0 ||
            picked->front() >= static_cast<int>(std::size(kAssLeadInsCs)))
            return false;
        remembered_ = options_.leadInCs = kAssLeadInsCs[picked->front()];
        return true;
    }

    ExportResult run(const ExportJob& job) override {
        if (const std::error_code error =
                WriteFileAtomically(job.output, FormatAssKaraoke(job.document, options_)))
            return {FileWriteErrorMessage(job.output, error)};
        return {.written = true};
    }

  private:
    int& remembered_;
    AssOptions options_;
    const ExportDescription description_{
        .command = command::kSaveAssKaraoke,
        .caption = "ASSカラオケ形式で保存(&K)...",
        .output = {.filter = "ASS字幕ファイル(*.ass)|*.ass|全てのファイル(*.*)|*.*",
                   .defaultExt = "ass"}};
};

class SongTagsExporter final : public Exporter {
  public:
    explicit SongTagsExporter(const bool& syltPerUnit) : syltPerUnit_(syltPerUnit) {}

    const ExportDescription& description() const override { return description_; }

    // A document without unit times goes per line as it always has.
    bool prepare(Dialogs& dialogs, const ExportJob& job) override {
        if (!dialogs.confirm(SongTagsQuestion(job.song))) return false;
        const auto& lines = job.document.lyrics.lines();
        syllables_ = syltPerUnit_ &&
                     std::any_of(lines.begin(), lines.end(),
                                 [](const LyricLine& line) { return HasUnitTimes(line.units); });
        return true;
    }

    ExportResult run(const ExportJob& job) override {
        const SongTagResult result = WriteSongLyrics(
            job.output, SongLyricsFrom(job.document, Author(job), syllables_), true);
        if (!result) return {.errorMessage = result.message};
        return {.doneMessage = kSongTagsWrittenMessage, .written = true};
    }

  private:
    const bool& syltPerUnit_;
    bool syllables_ = false;
    const ExportDescription description_{.command = command::kWriteSongTags,
                                         .caption = "曲のタグに歌詞を書き込む(&G)...",
                                         .target = ExportTarget::Song};
};

}  // namespace

std::string SongTagsQuestion(const std::string& song) {
    return "曲のタグに歌詞を書き込みますか?\n" + song;
}

void AddLyricsExports(ExportTable& exports, const LyricsExportChoices& choices) {
    exports.add(std::make_unique<StandardLrcExporter>(choices.standardLrc));
    exports.add(std::make_unique<AssKaraokeExporter>(choices.assLeadInCs));
    exports.add(std::make_unique<SongTagsExporter>(choices.syltPerUnit));
}

}  // namespace obrin
