// The SP250 export through the real marlet library: the ".snc" records it
// writes, the display warnings and the library's failures.
#include "export/sp250_export.h"

#include <gtest/gtest.h>

#include "export/export_messages.h"
#include "export_fixture.h"
#include "temp_folder.h"

namespace obrin {
namespace {

using test::FullWidth;
using test::LyricsOf;
using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

std::string Record(const std::string& digits, const std::string& text) {
    return "\xA2\xE2" + digits + "\xA2\xD0" + text + "\r\n";
}

TEST(Sp250Export, WritesEveryNonEmptyLineWithItsTimeTag) {
    TempFolder folder;
    const LyricList lyrics = LyricsOf({
        {"00:00:00", "never marked"},
        {"00:00:00", ""},
        {"01:23:45", "tenths only"},
        {"00:59:99", FullWidth(3)},
        {"12:3x:00", "unreadable time"},
        {"1:2", "short time"},
    });
    ASSERT_EQ(Sp250Export(lyrics, ProgramFolder(), (folder / "a.snc").string(), {}), "");
    EXPECT_EQ(ReadBytes(folder / "a.snc"),
              Record("00000000", "never marked") + Record("00012340", "tenths only") +
                  Record("00005990", FullWidth(3)) + Record("00000000", "unreadable time") +
                  Record("00010200", "short time"));
}

TEST(Sp250Export, OnlyEmptyLinesGiveAnEmptyFile) {
    TempFolder folder;
    ASSERT_EQ(Sp250Export(LyricsOf({{"00:01:00", ""}, {"00:02:00", ""}}), ProgramFolder(),
                          (folder / "a.snc").string(), {}),
              "");
    EXPECT_TRUE(std::filesystem::exists(folder / "a.snc"));
    EXPECT_EQ(ReadBytes(folder / "a.snc"), "");
}

struct WarningCase {
    const char* name;
    std::string longLine;
    Sp250Warnings warnings;
    std::string message;  // empty: written

    friend void PrintTo(const WarningCase& c, std::ostream* os) { *os << c.name; }
};

class Sp250Warning : public testing::TestWithParam<WarningCase> {};

TEST_P(Sp250Warning, StopsBeforeAnythingIsWritten) {
    const WarningCase& c = GetParam();
    TempFolder folder;
    WriteBytes(folder / "a.snc", "earlier");
    const LyricList lyrics =
        LyricsOf({{"00:01:00", "fits"}, {"00:00:00", ""}, {"00:02:00", c.longLine}});
    EXPECT_EQ(Sp250Export(lyrics, ProgramFolder(), (folder / "a.snc").string(), c.warnings),
              c.message);
    if (c.message.empty()) {
        EXPECT_EQ(ReadBytes(folder / "a.snc"),
                  Record("00000100", "fits") + Record("00000200", c.longLine));
    } else {
        // A warned export leaves the earlier file, not an empty one.
        EXPECT_EQ(ReadBytes(folder / "a.snc"), "earlier");
    }
}

const Sp250Warnings kRemoteOnly{.remoteDisplay = true, .bodyDisplay = false};
const Sp250Warnings kBodyOnly{.remoteDisplay = false, .bodyDisplay = true};
const Sp250Warnings kBoth{.remoteDisplay = true, .bodyDisplay = true};
const Sp250Warnings kNone{.remoteDisplay = false, .bodyDisplay = false};

INSTANTIATE_TEST_SUITE_P(
    Cases, Sp250Warning,
    testing::Values(
        WarningCase{"Fits32", FullWidth(16), kBoth, ""},
        WarningCase{"Remote33", FullWidth(16) + "x", kRemoteOnly,
                    "3行目がリモコンへ表示しきれません"},
        WarningCase{"Remote48", FullWidth(24), kBoth, "3行目がリモコンへ表示しきれません"},
        WarningCase{"Remote33WithoutTheWarning", FullWidth(16) + "x", kBodyOnly, ""},
        // Over 48 bytes does not fit the remote control either.
        WarningCase{"Body49WithRemoteWarningOnly", FullWidth(24) + "x", kRemoteOnly,
                    "3行目がリモコンへ表示しきれません"},
        WarningCase{"Body68WithRemoteWarningOnly", FullWidth(34), kRemoteOnly,
                    "3行目がリモコンへ表示しきれません"},
        WarningCase{"Body49", FullWidth(24) + "x", kBodyOnly, "3行目が本体へ表示しきれません"},
        WarningCase{"Body49Both", FullWidth(25), kBoth, "3行目が本体へ表示しきれません"},
        WarningCase{"NoWarnings", FullWidth(40), kNone, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Sp250Export, LibraryFailuresAreReportedAndWriteNothing) {
    TempFolder folder;
    const LyricList lyrics = LyricsOf({{"00:01:00", "abc"}});
    const test::ScratchProgramFolder empty;
    const test::ScratchProgramFolder foreign("tessary.so", "marlet.so");
    EXPECT_EQ(Sp250Export(lyrics, empty.path(), (folder / "a.snc").string(), {}),
              kMarletNotLoadedMessage);
    EXPECT_EQ(Sp250Export(lyrics, foreign.path(), (folder / "a.snc").string(), {}),
              kMarletInvalidMessage);
    EXPECT_EQ(Sp250Export(lyrics, ProgramFolder(), (folder / "no" / "a.snc").string(), {}),
              kSncNotCreatedMessage);
    EXPECT_TRUE(test::FolderNamesOf(folder.path()).empty());
}

}  // namespace
}  // namespace obrin
