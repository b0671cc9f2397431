// Exports offered as commands: the dialogs, the checks before a run, the
// library gate and the user's message, through a test export built the way
// the real ones are.
#include "export/export_command.h"

#include <gtest/gtest.h>

#include "base/command_table.h"
#include "document/document.h"
#include "export/export_table.h"
#include "recording_dialogs.h"
#include "temp_folder.h"
#include "test_exporter.h"

namespace obrin {
namespace {

using Kind = test::RecordingDialogs::Kind;

constexpr CommandId kOneFile{"TestExport1"};
constexpr CommandId kTwoFiles{"TestExport2"};

ExportDescription OneFileExport() {
    return {.command = kOneFile,
            .caption = "テスト出力(&E)",
            .library = "testexport.dll",
            .offeredOnlyWithLibrary = true,
            .output = {.filter = "テスト(*.tst)|*.tst", .defaultExt = "tst"}};
}

ExportDescription TwoFileExport() {
    return {.command = kTwoFiles,
            .caption = "合成出力(&G)",
            .library = "testexport.dll",
            .source = ExportFileDialog{.title = "元", .filter = "MP3(*.mp3)|*.mp3"},
            .output = {.title = "出力先", .filter = "出力(*.mp3)|*.mp3", .defaultExt = "mp3"}};
}

class ExportCommandTest : public ::testing::Test {
  protected:
    ExportCommandTest() {
        exports.add(std::make_unique<test::TestExporter>(OneFileExport()));
        exports.add(std::make_unique<test::TestExporter>(TwoFileExport()));
        RegisterExportCommands(
            commands, exports,
            {.document = document,
             .dialogs = dialogs,
             .programFolder = folder.path(),
             .song = [this] { return song; },
             .showStatus = [this](const std::string& text) { notices.push_back(text); }});
        document.lyrics.assign({"one", "two"});
    }
    void putLibraryBesideProgram() {
        // The tests run in the output folder, where the test library is built.
        std::filesystem::copy_file("base_test_library.so", folder / "testexport.so");
    }
    test::TestExporter& exporter(int index) {
        return static_cast<test::TestExporter&>(*exports.exporters()[index]);
    }
    std::string read(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    test::TempFolder folder;
    std::string song;  // the song open in the editor
    std::vector<std::string> notices;  // the status bar's
    test::RecordingDialogs dialogs;
    Document document;
    ExportTable exports;
    CommandTable commands;
};

TEST_F(ExportCommandTest, EachExportIsACommandWithItsCaption) {
    EXPECT_EQ(commands.at(kOneFile).caption, "テスト出力(&E)");
    EXPECT_EQ(commands.at(kTwoFiles).caption, "合成出力(&G)");
    EXPECT_EQ(commands.commands().size(), 2u);
}

TEST_F(ExportCommandTest, GatedExportIsOfferedOnlyWithItsLibraryBesideTheProgram) {
    EXPECT_FALSE(commands.isEnabled(kOneFile));
    EXPECT_FALSE(commands.trigger(kOneFile));
    EXPECT_TRUE(dialogs.calls.empty());
    EXPECT_TRUE(commands.isEnabled(kTwoFiles));  // reports a missing library itself
    putLibraryBesideProgram();
    EXPECT_TRUE(commands.isEnabled(kOneFile));
}

TEST_F(ExportCommandTest, OneFileExportAsksForTheOutputAndWrites) {
    putLibraryBesideProgram();
    const auto output = folder / "out.tst";
    dialogs.fileAnswers = {output.string()};
    EXPECT_TRUE(commands.trigger(kOneFile));
    ASSERT_EQ(dialogs.calls.size(), 1u);
    EXPECT_EQ(dialogs.calls[0].kind, Kind::SaveFile);
    EXPECT_EQ(dialogs.calls[0].request.filter, "テスト(*.tst)|*.tst");
    EXPECT_EQ(dialogs.calls[0].request.defaultExt, "tst");
    EXPECT_EQ(read(output), "00:00:00\tone\n00:00:00\ttwo\n");
    ASSERT_EQ(exporter(0).jobs.size(), 1u);
    EXPECT_EQ(exporter(0).jobs[0].source, "");
    EXPECT_EQ(notices, std::vector<std::string>{ExportWrittenNotice(output.string())});
}

TEST_F(ExportCommandTest, TwoFileExportAsksForTheSourceFirst) {
    putLibraryBesideProgram();
    const auto source = folder / "song.mp3";
    const auto output = folder / "out.mp3";
    dialogs.fileAnswers = {source.string(), output.string()};
    commands.trigger(kTwoFiles);
    ASSERT_EQ(dialogs.calls.size(), 2u);
    EXPECT_EQ(dialogs.calls[0].kind, Kind::OpenFile);
    EXPECT_EQ(dialogs.calls[0].text, "元");
    EXPECT_EQ(dialogs.calls[1].kind, Kind::SaveFile);
    EXPECT_EQ(dialogs.calls[1].text, "出力先");
    ASSERT_EQ(exporter(1).jobs.size(), 1u);
    EXPECT_EQ(exporter(1).jobs[0].source, source.string());
    EXPECT_EQ(exporter(1).jobs[0].output, output.string());
    EXPECT_TRUE(dialogs.errors().empty());
}

struct NoRunCase {
    const char* name;
    bool emptyList;
    std::deque<std::optional<std::string>> answers;
    size_t dialogsShown;
    std::vector<std::string> errors;
};

class ExportWithoutRunTest : public ExportCommandTest,
                             public ::testing::WithParamInterface<NoRunCase> {};

TEST_P(ExportWithoutRunTest, NothingRuns) {
    const NoRunCase& c = GetParam();
    if (c.emptyList) document.lyrics.assign({});
    dialogs.fileAnswers = c.answers;
    commands.trigger(kTwoFiles);
    EXPECT_EQ(dialogs.calls.size() - dialogs.errors().size(), c.dialogsShown);
    EXPECT_EQ(dialogs.errors(), c.errors);
    EXPECT_TRUE(exporter(1).jobs.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Export, ExportWithoutRunTest,
    ::testing::Values(
        NoRunCase{"EmptyList", true, {"/a.mp3", "/b.mp3"}, 0, {}},
        NoRunCase{"SourceCancelled", false, {std::nullopt}, 1, {}},
        NoRunCase{"OutputCancelled", false, {"/a.mp3", std::nullopt}, 2, {}},
        NoRunCase{"SamePath", false, {"/a.mp3", "/a.mp3"}, 2, {"同じファイル名は指定できません"}},
        NoRunCase{"SameFileOtherName",
                  false,
                  {"/a.mp3", "/tmp/../a.mp3"},
                  2,
                  {"同じファイル名は指定できません"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ExportCommandTest, TheSourceIsRefusedAsOutputThroughALink) {
    const auto source = folder / "song.mp3";
    std::ofstream(source) << "audio";
    std::filesystem::create_symlink(source, folder / "link.mp3");
    dialogs.fileAnswers = {source.string(), (folder / "." / "link.mp3").string()};
    commands.trigger(kTwoFiles);
    EXPECT_EQ(dialogs.errors(), std::vector<std::string>{"同じファイル名は指定できません"});
    EXPECT_TRUE(exporter(1).jobs.empty());
}

// An export written over the open song, under any of its names, would
// replace the song with lyrics.
TEST_F(ExportCommandTest, TheOpenSongIsRefusedAsOutput) {
    putLibraryBesideProgram();
    song = (folder / "song.mp3").string();
    std::ofstream(song) << "audio";
    std::filesystem::create_symlink(song, folder / "link.mp3");
    const struct {
        CommandId command;
        std::deque<std::optional<std::string>> answers;
        int index;
    } cases[] = {{kOneFile, {(folder / "." / "song.mp3").string()}, 0},
                 {kTwoFiles, {(folder / "other.mp3").string(), (folder / "link.mp3").string()}, 1}};
    for (const auto& c : cases) {
        dialogs.calls.clear();
        dialogs.fileAnswers = c.answers;
        commands.trigger(c.command);
        EXPECT_EQ(dialogs.errors(), std::vector<std::string>{"同じファイル名は指定できません"});
        EXPECT_TRUE(exporter(c.index).jobs.empty());
    }
    EXPECT_EQ(read(song), "audio");
}

TEST_F(ExportCommandTest, RunsMessageIsShown) {
    // Not gated: the run finds no library and says so.
    dialogs.fileAnswers = {(folder / "song.mp3").string(), (folder / "out.mp3").string()};
    commands.trigger(kTwoFiles);
    EXPECT_EQ(dialogs.errors(), std::vector<std::string>{"testexport.dllが見つかりません"});
    EXPECT_FALSE(std::filesystem::exists(folder / "out.mp3"));
    EXPECT_TRUE(notices.empty());
}

TEST_F(ExportCommandTest, AnExportIsAddedOnce) {
    EXPECT_THROW(exports.add(std::make_unique<test::TestExporter>(OneFileExport())),
                 std::logic_error);
}

}  // namespace
}  // namespace obrin
