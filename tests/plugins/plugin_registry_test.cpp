#include "playback/plugin_registry.h"

#include <gtest/gtest.h>

#include "logging_dialogs.h"
#include "temp_folder.h"
#include "wave_bytes.h"

namespace obrin {
namespace {

using Log = std::vector<std::string>;
using Entries = std::vector<std::pair<std::string, std::string>>;

Entries EntriesOf(const PluginTable& table) {
    Entries out;
    for (const auto& entry : table.entries()) out.emplace_back(entry.extension, entry.library);
    return out;
}

TEST(PluginRegistry, ReadsSectionTypeInFileOrder) {
    test::TempFolder folder;
    test::WriteBytes(folder / "filetype.ini",
                     "[other]\r\nwav=x.dll\r\n[type]\r\nwma=wendax.dll\r\nwav=vellin.dll\r\n"
                     "ogg=\r\nWMA=other.dll\r\n");
    EXPECT_EQ(EntriesOf(ReadPluginTable(folder.path())),
              (Entries{{"wma", "wendax.dll"}, {"wav", "vellin.dll"}}));
}

// A key written twice keeps its first value, even when that one is empty.
TEST(PluginRegistry, RepeatedKeyTakesTheFirstEntry) {
    test::TempFolder folder;
    test::WriteBytes(folder / "filetype.ini",
                     "[type]\r\nwav=vellin.dll\r\nmp3=\r\nWAV=\r\nMP3=wendax.dll\r\n");
    const PluginTable table = ReadPluginTable(folder.path());
    EXPECT_EQ(EntriesOf(table), (Entries{{"wav", "vellin.dll"}}));
    EXPECT_EQ(table.lookup("WAV"), "vellin.dll");
    EXPECT_EQ(table.lookup("mp3"), "");
}

TEST(PluginRegistry, ShippedRegistrySendsWaveFilesToVellin) {
    const PluginTable table = ReadPluginTable(OBRIN_OUTPUT_DIR);
    EXPECT_EQ(table.lookup("wav"), "vellin.dll");
    EXPECT_EQ(table.lookup("rmp"), "vellin.dll");
    EXPECT_EQ(table.lookup("mp3"), "wendax.dll");
    EXPECT_EQ(table.lookup("wma"), "wendax.dll");
}

TEST(PluginRegistry, MissingFileGivesEmptyTable) {
    test::TempFolder folder;
    EXPECT_TRUE(ReadPluginTable(folder.path()).entries().empty());
}

class CommandLineTest : public testing::Test {
  protected:
    StartUpAction run(const std::vector<std::string>& arguments) {
        return HandleCommandLine(
            arguments, folder.path(), dialogs,
            [this](const std::string& path) { log.push_back("open " + path); });
    }
    std::string registry() const { return test::ReadBytes(folder / "filetype.ini"); }

    test::TempFolder folder;
    Log log;
    test::LoggingDialogs dialogs{log};
};

TEST_F(CommandLineTest, InstallWritesTheKeyAndEnds) {
    EXPECT_EQ(run({"-install-dll", "wav", "vellin.dll"}), StartUpAction::Exit);
    EXPECT_EQ(log, Log{"info vellin.dll(wav)がインストールされました"});
    EXPECT_EQ(registry(), "[type]\r\nwav=vellin.dll\r\n");
    EXPECT_EQ(ReadPluginTable(folder.path()).lookup("wav"), "vellin.dll");
}

TEST_F(CommandLineTest, InstallAgainReplacesTheValueAndKeepsOthers) {
    test::WriteBytes(folder / "filetype.ini", "[type]\r\nwav=old.dll\r\nmp3=wendax.dll\r\n");
    EXPECT_EQ(run({"-install-dll", "WAV", "new.dll"}), StartUpAction::Exit);
    const PluginTable table = ReadPluginTable(folder.path());
    EXPECT_EQ(EntriesOf(table), (Entries{{"wav", "new.dll"}, {"mp3", "wendax.dll"}}));
}

TEST_F(CommandLineTest, InstallThatCannotWriteSaysSo) {
    std::filesystem::create_directory(folder / "filetype.ini");
    EXPECT_EQ(run({"-install-dll", "wav", "vellin.dll"}), StartUpAction::Exit);
    EXPECT_EQ(log, Log{std::string("error ") + kRegistryWriteFailedMessage});
}

struct ArgumentsCase {
    const char* what;
    std::vector<std::string> arguments;
    StartUpAction action;
    Log log;
};

void PrintTo(const ArgumentsCase& c, std::ostream* os) {
    *os << c.what;
}

class CommandLineArgumentsTest : public CommandLineTest,
                                 public testing::WithParamInterface<ArgumentsCase> {};

TEST_P(CommandLineArgumentsTest, ActsAndWritesNothing) {
    EXPECT_EQ(run(GetParam().arguments), GetParam().action);
    EXPECT_EQ(log, GetParam().log);
    EXPECT_FALSE(std::filesystem::exists(folder / "filetype.ini"));
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CommandLineArgumentsTest,
    testing::Values(ArgumentsCase{"none", {}, StartUpAction::Continue, {}},
                    ArgumentsCase{"install alone", {"-install-dll"}, StartUpAction::Continue, {}},
                    ArgumentsCase{"install with one more",
                                  {"-install-dll", "wav"},
                                  StartUpAction::Continue,
                                  {}},
                    ArgumentsCase{"uninstall",
                                  {"-uninstall-dll", "wav"},
                                  StartUpAction::Exit,
                                  {"info アンインストールはまだサポートされていません"}},
                    ArgumentsCase{"switch compared with case is a path",
                                  {"-Install-dll", "wav", "x.dll"},
                                  StartUpAction::Continue,
                                  {"open -Install-dll"}},
                    ArgumentsCase{"music file, further arguments ignored",
                                  {"/music/song.wav", "/music/other.wav"},
                                  StartUpAction::Continue,
                                  {"open /music/song.wav"}}));

}  // namespace
}  // namespace obrin
