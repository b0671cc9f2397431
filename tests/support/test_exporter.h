#pragma once

#include <fstream>
#include <string>
#include <vector>

#include "base/shared_library.h"
#include "document/document.h"
#include "export/exporter.h"

namespace obrin::test {

// An export as the real ones are built: it loads its library by name from
// beside the program, writes "time<TAB>text" per line to the output, and
// releases the library. `ShellTestAnswer` is the export it needs; the tests
// copy base_test_library.so beside the program under the library's name.
class TestExporter final : public Exporter {
  public:
    explicit TestExporter(ExportDescription description) : description_(std::move(description)) {}

    const ExportDescription& description() const override { return description_; }

    ExportResult run(const ExportJob& job) override {
        jobs.push_back({job.source, job.output});
        std::string error;
        const auto library = SharedLibrary::Open(description_.library, job.programFolder, error);
        if (!library) return {description_.library + "が見つかりません"};
        using Answer = int (*)();
        const auto answer = reinterpret_cast<Answer>(library->symbol("ShellTestAnswer", error));
        if (answer == nullptr) return {description_.library + "が不正です"};
        std::ofstream out(job.output, std::ios::binary);
        for (int i = 0; i < job.document.lyrics.count(); ++i) {
            const LyricLine& line = job.document.lyrics.line(i);
            out << line.timeText << '\t' << line.lyricText << '\n';
        }
        if (!out) return {"ファイルが作成できません"};
        return {.written = true};
    }

    struct Job {
        std::string source;
        std::string output;
    };
    std::vector<Job> jobs;

  private:
    ExportDescription description_;
};

}  // namespace obrin::test
