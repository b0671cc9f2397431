// Opening a lyrics file with 「通常歌詞ファイル」: tagged lyrics are read, plain
// lyrics are offered for the automatic expansion instead of emptying the list.
#include "text/lyrics_file_open.h"

#include <gtest/gtest.h>

#include "recording_dialogs.h"
#include "sjis_lines.h"
#include "temp_folder.h"

namespace obrin {
namespace {

using test::Sj;

struct OpenCase {
    const char* name;
    std::string file;           // Shift-JIS; the file is missing when empty
    std::vector<bool> answers;  // to the questions asked
    LyricsOpen outcome;
    std::vector<std::string> lyrics;  // the list afterwards, Shift-JIS
    bool asked;
};

class LyricsFileOpenTest : public testing::TestWithParam<OpenCase> {};

TEST_P(LyricsFileOpenTest, PlainLyricsAreOfferedForThePaste) {
    const OpenCase& c = GetParam();
    test::TempFolder folder;
    if (!c.file.empty()) folder.write("in.txt", c.file);
    test::RecordingDialogs dialogs;
    dialogs.confirmAnswers.assign(c.answers.begin(), c.answers.end());
    Document document;
    document.lyrics.assign({"earlier"});
    document.lyrics.setTimeText(0, "00:01:00");

    const LyricsOpenResult opened = OpenLyricsFile(document, folder / "in.txt", {}, {}, dialogs,
                                                   [](const auto&) { return false; });

    EXPECT_EQ(opened.outcome, c.outcome);
    EXPECT_EQ(dialogs.questions(), c.asked ? std::vector<std::string>{kUntimedLyricsQuestion}
                                           : std::vector<std::string>{});
    std::vector<std::string> lyrics;
    for (int i = 0; i < document.lyrics.count(); ++i)
        lyrics.push_back(document.lyrics.line(i).lyricText);
    EXPECT_EQ(lyrics, c.lyrics);
}

const std::string kPlain = Sj("※ひかる\r\nうたう※\r\n\r\n※\r\n");

INSTANTIATE_TEST_SUITE_P(
    Files, LyricsFileOpenTest,
    testing::Values(
        OpenCase{"PlainPastedWithTheExpansion",
                 kPlain,
                 {true},
                 LyricsOpen::Pasted,
                 {Sj("ひかる"), Sj("うたう"), "", Sj("ひかる"), Sj("うたう"), ""},
                 true},
        OpenCase{"PlainDeclinedChangesNothing",
                 kPlain,
                 {false},
                 LyricsOpen::Unchanged,
                 {"earlier"},
                 true},
        OpenCase{"TaggedIsRead", "[00:02:00]a\r\nplain\r\n", {}, LyricsOpen::Read, {"a"}, false},
        // Nothing to paste: the read reports that no lyric line was found.
        OpenCase{"OnlyBlanks", " \r\n\x81\x40\r\n", {}, LyricsOpen::Read, {}, false},
        OpenCase{"Missing", "", {}, LyricsOpen::Read, {"earlier"}, false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace obrin
