// Runs the built obrin and obrin-cli with --version and --help, as a user's
// shell would, with no display to open a window on and an editor already
// holding the single-instance lock: the answer has to come before either
// would be reached.
#include "shell/command_line_info.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "obrin_version.h"
#include "shell/instance_lock.h"
#include "temp_folder.h"

namespace obrin {
namespace {

using test::TempFolder;
using testing::HasSubstr;

std::string Quote(const std::string& arg) {
    std::string quoted = "'";
    for (const char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

struct ProgramRun {
    int status = -1;
    std::string out;
    std::string err;
};

// `output` is where standard output goes, relative to `folder`.
ProgramRun RunProgram(const TempFolder& folder, const std::string& program,
                      const std::vector<std::string>& args, const std::string& output = "stdout") {
    std::string command = "cd " + Quote(folder.path().string()) + " && env -i PATH=/usr/bin:/bin" +
                          " HOME=" + Quote(folder.path().string()) +
                          " XDG_RUNTIME_DIR=" + Quote(folder.path().string()) + " " +
                          Quote(program);
    for (const auto& arg : args) command += " " + Quote(arg);
    command += " >" + output + " 2>stderr </dev/null";
    const int raw = std::system(command.c_str());
    ProgramRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    if (output == "stdout") run.out = folder.read("stdout");
    run.err = folder.read("stderr");
    return run;
}

struct InfoCase {
    const char* name;
    const char* program;
    std::vector<std::string> args;
    std::vector<std::string> shown;  // each a part of standard output
};

void PrintTo(const InfoCase& info, std::ostream* os) {
    *os << info.name;
}

class ProgramInfoTest : public testing::TestWithParam<InfoCase> {};

TEST_P(ProgramInfoTest, PrintsAndEndsWithoutStarting) {
    TempFolder folder;
    const auto running = InstanceLock::Acquire(folder.path());
    ASSERT_TRUE(running && running->holdsLock());

    const ProgramRun run = RunProgram(folder, GetParam().program, GetParam().args);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    for (const std::string& part : GetParam().shown) EXPECT_THAT(run.out, HasSubstr(part));
}

const std::vector<std::string> kEditorHelp = {"usage: obrin [FILE]",
                                              "FILE ",
                                              "a music file to open",
                                              "A second start",
                                              "hands FILE to the obrin already running",
                                              "--version"};

INSTANTIATE_TEST_SUITE_P(
    Programs, ProgramInfoTest,
    testing::Values(
        InfoCase{"EditorVersion", OBRIN_PATH, {"--version"}, {"obrin " OBRIN_VERSION "\n"}},
        InfoCase{"EditorHelp", OBRIN_PATH, {"--help"}, kEditorHelp},
        InfoCase{"EditorShortHelp", OBRIN_PATH, {"-h"}, kEditorHelp},
        InfoCase{"CliVersion", OBRIN_CLI_PATH, {"--version"}, {"obrin-cli " OBRIN_VERSION "\n"}},
        InfoCase{"CliHelp", OBRIN_CLI_PATH, {"--help"}, {"obrin-cli --help | --version"}}),
    [](const auto& info) { return info.param.name; });

TEST(ProgramInfo, VersionIsExactlyOneLine) {
    TempFolder folder;
    EXPECT_EQ(RunProgram(folder, OBRIN_PATH, {"--version"}).out, "obrin " OBRIN_VERSION "\n");
    EXPECT_EQ(RunProgram(folder, OBRIN_CLI_PATH, {"--version"}).out,
              "obrin-cli " OBRIN_VERSION "\n");
}

TEST(ProgramInfo, UnwritableOutputFails) {
    TempFolder folder;
    for (const char* program : {OBRIN_PATH, OBRIN_CLI_PATH}) {
        const ProgramRun run = RunProgram(folder, program, {"--version"}, "/dev/full");
        EXPECT_EQ(run.status, 1) << program;
        EXPECT_THAT(run.err, HasSubstr("標準出力に書けません")) << program;
    }
}

TEST(ProgramInfo, OnlyTheFirstArgumentAsks) {
    EXPECT_EQ(CommandLineInformation({}), std::nullopt);
    EXPECT_EQ(CommandLineInformation({"song.mp3", "--version"}), std::nullopt);
    EXPECT_EQ(CommandLineInformation({"-install-dll", "--help", "x.so"}), std::nullopt);
    EXPECT_EQ(CommandLineInformation({"--versions"}), std::nullopt);
    EXPECT_EQ(CommandLineInformation({"--help"}), CommandLineInformation({"-h"}));
}

}  // namespace
}  // namespace obrin
