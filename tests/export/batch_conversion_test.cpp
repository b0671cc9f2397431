// The batch conversion over real folders, with the real tessary library and
// the editor's lyrics reader: what it lists, what it writes and deletes, and
// what it refuses.
#include "export/batch_conversion.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "base/command_ids.h"
#include "document/document.h"
#include "export/export_messages.h"
#include "export/export_table.h"
#include "export/player_exports.h"
#include "export_fixture.h"
#include "recording_dialogs.h"
#include "temp_folder.h"
#include "test_exporter.h"
#include "text/tagged_lyrics_reader.h"

namespace obrin {
namespace {

using test::FolderNamesOf;
using test::FullWidth;
using test::kAudio;
using test::ReadBytes;
using test::RecordingDialogs;
using test::TempFolder;
using test::WriteBytes;

class RecordingBatchView final : public BatchView {
  public:
    void showStatus(Status status, const std::string& text) override {
        statuses.push_back({status, text});
    }
    void clearResults() override { results.clear(); }
    void addResult(const std::string& line) override { results.push_back(line); }
    void setRunning(bool isRunning) override { running.push_back(isRunning); }

    std::vector<std::pair<Status, std::string>> statuses;
    std::vector<std::string> results;
    std::vector<bool> running;
};

// A tagged lyrics file with one line per text, a second apart.
std::string LyricsFile(const std::vector<std::string>& texts) {
    std::string bytes;
    int second = 1;
    for (const std::string& text : texts) {
        bytes += "[00:0" + std::to_string(second++) + ":00]" + text + "\r\n";
    }
    return bytes;
}

class BatchConversionTest : public testing::Test {
  protected:
    BatchConversionTest() {
        std::filesystem::create_directory(source());
        std::filesystem::create_directory(destination());
    }

    std::filesystem::path source() const { return root_ / "from"; }
    std::filesystem::path destination() const { return root_ / "to"; }
    void song(const std::string& name, const std::string& lyricsExtension,
              const std::vector<std::string>& texts) {
        WriteBytes(source() / (name + ".mp3"), kAudio + name);
        WriteBytes(source() / (name + lyricsExtension), LyricsFile(texts));
    }

    // Runs a batch to its end; false when it was refused.
    bool run(BatchOptions options = {},
             const std::filesystem::path& programFolder = ProgramFolder()) {
        return runBetween(source(), destination(), options, programFolder);
    }
    bool runBetween(const std::filesystem::path& from, const std::filesystem::path& to,
                    BatchOptions options = {},
                    const std::filesystem::path& programFolder = ProgramFolder()) {
        BatchConversion batch(exports_, reader_, dialogs_, programFolder, view_);
        if (!batch.start(from, to, options)) return false;
        int steps = 0;
        while (batch.step()) ++steps;
        EXPECT_LT(steps, 1000);
        EXPECT_FALSE(batch.running());
        return true;
    }
    std::string line(const char* mark, const std::string& name) const {
        return mark + (source() / (name + ".mp3")).string();
    }
    std::string lyricsOf(const std::string& outputName) const {
        const std::string bytes = ReadBytes(destination() / outputName);
        return bytes.substr(0, bytes.size() - kAudio.size() - 1);
    }

    TempFolder root_;
    ExportTable exports_ = [] {
        ExportTable table;
        AddPlayerExports(table, [] { return Sp250Warnings{}; });
        return table;
    }();
    RecordingDialogs dialogs_;
    RecordingBatchView view_;
    BatchConversion::LyricsReader reader_ = [this](Document& song,
                                                   const std::filesystem::path& file) {
        // Each song's document is a new one, whatever the song before held.
        EXPECT_EQ(song.lyrics.count(), 0);
        const bool read = static_cast<bool>(
            ReadTaggedLyrics(song, file, {}, [](const std::vector<char32_t>&) { return false; }));
        if (!read) dialogs_.showError("unreadable");
        return read;
    };
};

TEST_F(BatchConversionTest, ListsEveryLyricsFileOfEverySongAndEnds) {
    song("a", ".txt", {"from the txt"});
    WriteBytes(source() / "a.lrc", LyricsFile({"from the lrc", "second"}));
    WriteBytes(source() / "b.mp3", kAudio);                   // no lyrics: not listed
    WriteBytes(source() / "notes.txt", LyricsFile({"x"}));    // no song: not listed
    std::filesystem::create_directory(source() / "sub.mp3");  // a folder: skipped
    song("c", ".lrc", {"c"});

    ASSERT_TRUE(run());
    EXPECT_EQ(view_.results, (std::vector<std::string>{line("○ ", "a"), line("○ ", "a"),
                                                       line("○ ", "c"), kBatchEndLine}));
    EXPECT_EQ(FolderNamesOf(destination()), (std::vector<std::string>{"a.mp3", "c.mp3"}));
    // The ".lrc" came last and is the one kept.
    const std::string a = ReadBytes(destination() / "a.mp3");
    EXPECT_NE(a.find("from the lrc"), std::string::npos);
    EXPECT_EQ(a.find("from the txt"), std::string::npos);
    EXPECT_EQ(a.substr(a.size() - kAudio.size() - 1), kAudio + "a");

    using Status = BatchView::Status;
    EXPECT_EQ(view_.statuses.front(), std::pair(Status::Scanning, std::string("ファイル検索中")));
    EXPECT_EQ(std::vector(view_.statuses.end() - 4, view_.statuses.end()),
              (std::vector<std::pair<Status, std::string>>{{Status::Working, "1/3"},
                                                           {Status::Working, "2/3"},
                                                           {Status::Working, "3/3"},
                                                           {Status::Ended, "3/3"}}));
    EXPECT_EQ(view_.running, (std::vector<bool>{true, false}));
    EXPECT_TRUE(dialogs_.errors().empty());
}

TEST_F(BatchConversionTest, AFolderWithoutLyricsListsOnlyTheEnd) {
    WriteBytes(source() / "b.mp3", kAudio);
    ASSERT_TRUE(run());
    EXPECT_EQ(view_.results, std::vector<std::string>{kBatchEndLine});
    EXPECT_EQ(view_.statuses.back(), std::pair(BatchView::Status::Ended, std::string("0/0")));
    EXPECT_TRUE(FolderNamesOf(destination()).empty());
}

struct GradeCase {
    const char* name;
    BatchOptions options;
    std::vector<std::string> kept;

    friend void PrintTo(const GradeCase& c, std::ostream* os) { *os << c.name; }
};

class BatchGrades : public BatchConversionTest, public testing::WithParamInterface<GradeCase> {};

TEST_P(BatchGrades, OverlongSongsAreGradedAndDeletedAsTheBoxesSay) {
    song("fits", ".txt", {FullWidth(16), "short"});
    song("remote", ".txt", {"short", FullWidth(20)});
    song("body", ".lrc", {FullWidth(24) + "x"});
    ASSERT_TRUE(run(GetParam().options));
    EXPECT_EQ(view_.results, (std::vector<std::string>{line("▲(49) ", "body"), line("○ ", "fits"),
                                                       line("△(40) ", "remote"), kBatchEndLine}));
    EXPECT_EQ(FolderNamesOf(destination()), GetParam().kept);
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, BatchGrades,
    testing::Values(GradeCase{"NoneChecked", {}, {"body.mp3", "fits.mp3", "remote.mp3"}},
                    GradeCase{"SkipRemote", {.skipOverRemote = true}, {"body.mp3", "fits.mp3"}},
                    GradeCase{"SkipBody", {.skipOverBody = true}, {"fits.mp3", "remote.mp3"}},
                    GradeCase{"SkipBoth", {true, true}, {"fits.mp3"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BatchConversionTest, FailedSongsAreCrossedAndLeaveEarlierOutputAlone) {
    song("empty", ".txt", {});                       // no lines: 3
    song("huge", ".txt", {std::string(2042, 'x')});  // beyond the format: 4
    song("ok", ".txt", {"fine"});
    WriteBytes(destination() / "huge.mp3", "earlier");
    ASSERT_TRUE(run());
    EXPECT_EQ(view_.results,
              (std::vector<std::string>{line("×(3) ", "empty"), line("×(4) ", "huge"),
                                        line("○ ", "ok"), kBatchEndLine}));
    EXPECT_EQ(ReadBytes(destination() / "huge.mp3"), "earlier");
    EXPECT_EQ(FolderNamesOf(destination()), (std::vector<std::string>{"huge.mp3", "ok.mp3"}));
}

// A named pipe would hold the run forever at its open, so the songs after it
// would never be converted.
TEST_F(BatchConversionTest, NamedPipesAreCrossedAndTheRunGoesOn) {
    ASSERT_EQ(::mkfifo((source() / "a.mp3").c_str(), 0600), 0);
    WriteBytes(source() / "a.txt", LyricsFile({"a"}));
    WriteBytes(source() / "b.mp3", kAudio);
    ASSERT_EQ(::mkfifo((source() / "b.txt").c_str(), 0600), 0);
    song("c", ".txt", {"c"});
    ASSERT_TRUE(run());
    const std::string notPlain = std::string(" ") + kBatchNotPlainFile;
    EXPECT_EQ(view_.results,
              (std::vector<std::string>{line("×(0) ", "a") + notPlain,
                                        line("×(0) ", "b") + notPlain, line("○ ", "c"),
                                        kBatchEndLine}));
    EXPECT_EQ(FolderNamesOf(destination()), (std::vector<std::string>{"c.mp3"}));
}

TEST_F(BatchConversionTest, ATextFileNamedMp3IsCrossedAndNothingWritten) {
    WriteBytes(source() / "a.mp3", "[00:01:00]not audio\r\n");
    WriteBytes(source() / "a.txt", LyricsFile({"a"}));
    song("b", ".txt", {"b"});
    ASSERT_TRUE(run());
    EXPECT_EQ(view_.results,
              (std::vector<std::string>{line("×(1) ", "a"), line("○ ", "b"), kBatchEndLine}));
    EXPECT_EQ(FolderNamesOf(destination()), (std::vector<std::string>{"b.mp3"}));
    EXPECT_EQ(dialogs_.errors(),
              (std::vector<std::string>{(source() / "a.mp3").string() + " はMP3ファイルではありません"}));
}

TEST_F(BatchConversionTest, AMissingLibraryIsCrossedForEverySong) {
    song("a", ".txt", {"a"});
    song("b", ".txt", {"b"});
    const test::ScratchProgramFolder empty;
    ASSERT_TRUE(run({}, empty.path()));
    EXPECT_EQ(view_.results,
              (std::vector<std::string>{line("×(0) ", "a"), line("×(0) ", "b"), kBatchEndLine}));
    EXPECT_EQ(dialogs_.errors(),
              (std::vector<std::string>{kTessaryMissingMessage, kTessaryMissingMessage}));
    EXPECT_TRUE(FolderNamesOf(destination()).empty());
}

TEST_F(BatchConversionTest, UnreadableLyricsAreNotExportedWithTheEarlierSongsLines) {
    song("a", ".txt", {"a"});
    song("b", ".txt", {"b"});
    BatchConversion batch(exports_, reader_, dialogs_, ProgramFolder(), view_);
    ASSERT_TRUE(batch.start(source(), destination(), {}));
    while (view_.results.empty()) ASSERT_TRUE(batch.step());
    // Gone between the scan and its turn.
    std::filesystem::remove(source() / "b.txt");
    while (batch.step()) {
    }
    EXPECT_EQ(view_.results,
              (std::vector<std::string>{line("○ ", "a"), line("×(0) ", "b"), kBatchEndLine}));
    EXPECT_EQ(dialogs_.errors(), std::vector<std::string>{"unreadable"});
    EXPECT_EQ(FolderNamesOf(destination()), std::vector<std::string>{"a.mp3"});
}

// The songs go through the table's lyric MP3 export, whatever it is, as its
// menu item does.
TEST_F(BatchConversionTest, RunsTheTablesLyricMp3Export) {
    song("a", ".txt", {"a"});
    song("b", ".lrc", {"b"});
    ExportTable exports;
    auto owned = std::make_unique<test::TestExporter>(
        ExportDescription{.command = command::kExportLyricMp3, .library = "testexport.dll"});
    test::TestExporter& exporter = *owned;
    exports.add(std::move(owned));
    const test::ScratchProgramFolder program("base_test_library.so", "testexport.so");
    BatchConversion batch(exports, reader_, dialogs_, program.path(), view_);
    ASSERT_TRUE(batch.start(source(), destination(), {}));
    while (batch.step()) {
    }
    ASSERT_EQ(exporter.jobs.size(), 2u);
    EXPECT_EQ(exporter.jobs[1].source, (source() / "b.mp3").string());
    EXPECT_EQ(exporter.jobs[1].output, (destination() / "b.mp3").string());
    EXPECT_EQ(ReadBytes(destination() / "b.mp3"), "00:01:00\tb\n");
    EXPECT_EQ(view_.results,
              (std::vector<std::string>{line("○ ", "a"), line("○ ", "b"), kBatchEndLine}));

    EXPECT_THROW(BatchConversion(ExportTable(), reader_, dialogs_, program.path(), view_),
                 std::logic_error);
}

TEST_F(BatchConversionTest, TheSameFolderIsRefusedHoweverItIsWritten) {
    song("a", ".txt", {"a"});
    std::filesystem::create_directory_symlink(source(), root_ / "link");
    for (const auto& other :
         {source(), source() / "", source() / ".." / "from", root_ / "link", root_ / "link" / ""}) {
        dialogs_.calls.clear();
        EXPECT_FALSE(runBetween(source(), other)) << other;
        EXPECT_EQ(dialogs_.errors(), std::vector<std::string>{kSameFolderMessage}) << other;
    }
    EXPECT_TRUE(view_.results.empty());
    EXPECT_TRUE(view_.statuses.empty());
    EXPECT_EQ(FolderNamesOf(source()), (std::vector<std::string>{"a.mp3", "a.txt"}));
    EXPECT_EQ(ReadBytes(source() / "a.mp3"), kAudio + "a");
}

TEST_F(BatchConversionTest, StopEndsTheRunWithTheSongsDoneSoFar) {
    song("a", ".txt", {"a"});
    song("b", ".txt", {"b"});
    BatchConversion batch(exports_, reader_, dialogs_, ProgramFolder(), view_);
    ASSERT_TRUE(batch.start(source(), destination(), {}));
    while (view_.results.empty()) ASSERT_TRUE(batch.step());
    batch.stop();
    EXPECT_FALSE(batch.step());
    EXPECT_EQ(view_.results, (std::vector<std::string>{line("○ ", "a"), kBatchStoppedLine}));
    EXPECT_EQ(view_.statuses.back(), std::pair(BatchView::Status::Ended, std::string("1/2")));
    EXPECT_EQ(FolderNamesOf(destination()), std::vector<std::string>{"a.mp3"});
    // The window may start another run.
    EXPECT_TRUE(batch.start(source(), destination(), {}));
}

}  // namespace
}  // namespace obrin
