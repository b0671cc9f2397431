#include "export/player_exports.h"

#include <memory>

#include "base/command_ids.h"
#include "document/document.h"
#include "export/export_table.h"
#include "export/exporter.h"
#include "export/lyric_mp3_export.h"

namespace obrin {
namespace {

class Sp250Exporter final : public Exporter {
  public:
    explicit Sp250Exporter(std::function<Sp250Warnings()> warnings)
        : warnings_(std::move(warnings)) {}

    const ExportDescription& description() const override { return description_; }
    ExportResult run(const ExportJob& job) override {
        std::string message =
            Sp250Export(job.document.lyrics, job.programFolder, job.output, warnings_());
        const bool written = message.empty();
        return {.errorMessage = std::move(message), .written = written};
    }

  private:
    std::function<Sp250Warnings()> warnings_;
    const ExportDescription description_{
        .command = command::kSaveSp250,
        .caption = "MarletSP250フォーマット(&R)",
        .library = kMarletLibraryName,
        .offeredOnlyWithLibrary = true,
        .output = {.filter = "MarletSP250歌詞ファイル(*.snc)|*.snc|すべてのファイル(*.*)|*.*",
                   .defaultExt = "snc"}};
};

class LyricMp3Exporter final : public Exporter {
  public:
    const ExportDescription& description() const override { return description_; }
    // Tells of a missing library only; a song the library refused is not
    // reported, as the batch grades it by the code instead.
    ExportResult run(const ExportJob& job) override {
        LyricMp3Result result =
            LyricMp3Export(job.document.lyrics, job.programFolder, job.source, job.output);
        return {.errorMessage = std::move(result.errorMessage),
                .written = result.written,
                .code = result.code};
    }

  private:
    const ExportDescription description_{
        .command = command::kExportLyricMp3,
        .caption = "Tessary出力(&Y)",
        .library = kTessaryLibraryName,
        .source =
            ExportFileDialog{.title = "合成するMP3ファイル選択", .filter = "MP3(*.mp3)|*.mp3"},
        .output = {.title = "出力先", .filter = "Tessary(*.mp3)|*.mp3", .defaultExt = "mp3"}};
};

}  // namespace

void AddPlayerExports(ExportTable& exports, std::function<Sp250Warnings()> warnings) {
    exports.add(std::make_unique<Sp250Exporter>(std::move(warnings)));
    exports.add(std::make_unique<LyricMp3Exporter>());
}

}  // namespace obrin
