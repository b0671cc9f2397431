#include "text/karaoke_text.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "shown_units.h"
#include "sjis_lines.h"
#include "text/completed_text.h"
#include "text/tagged_lyrics_reader.h"
#include "text/text_lines.h"

namespace obrin {
namespace {

using test::ShownUnits;
using test::Sj;
using test::SjLines;
using testing::ElementsAre;
using testing::HasSubstr;
using testing::IsEmpty;

std::string Read(Document& document, const std::vector<std::string>& lines,
                 LyricsReadReport* report = nullptr) {
    const LyricsReadReport read = ReadTaggedLyricsText(document, JoinLinesCrLf(lines), {});
    if (report) *report = read;
    return JoinLinesCrLf(BuildCompletedText(document, {}));
}

struct InlineCase {
    const char* line;
    const char* text;
    const char* units;
    const char* warning;       // what the report names, or ""
    const char* written = "";  // the line written back, when not `line`
};

TEST(KaraokeTextTest, InlineTagsReadIntoUnitsAndBackByteForByte) {
    const InlineCase cases[] = {
        {"[00:10:00]あ[00:10:30]い[00:11:20]", "あい", "あ@1000|い@1030/1120", ""},
        {"[00:10:00]あ[00:10:30]い", "あい", "あ@1000|い@1030", ""},
        {"[00:10:00]あ[00:11:20]", "あ", "あ@1000/1120", ""},
        {"[00:05:67]を [00:06:97]さ", "を さ", "を @567|さ@697", ""},
        {"[00:10:00][00:20:00]サビ", "サビ", "", "", "[00:10:00]サビ"},
        {"[00:10:00]あい", "あい", "", ""},
        {"[00:10:00]あ[00:10:30]い[00:12:00][00:13:00]", "あい", "あ@1000|い@1030/1200", "",
         "[00:10:00]あ[00:10:30]い[00:12:00]"},
        {"[00:10:00]あ[00:09:00]い", "あい", "あ@1000|い@900", "時刻の順"},
        {"[00:10:00]あ[00:10:30]い[00:10:10]", "あい", "あ@1000|い@1030/1010", "行末"},
    };
    for (const InlineCase& c : cases) {
        Document document;
        LyricsReadReport report;
        const std::vector<std::string> file = SjLines({c.line, "", "@TimeRatio=1"});
        const std::string written = Read(document, file, &report);
        ASSERT_EQ(document.lyrics.count(), 1) << c.line;
        EXPECT_EQ(SjisToUtf8(document.lyrics.line(0).lyricText), c.text) << c.line;
        EXPECT_EQ(ShownUnits(document.lyrics.line(0).units), c.units) << c.line;
        if (*c.warning) {
            ASSERT_EQ(report.warnings.size(), 1u) << c.line;
            EXPECT_THAT(report.warnings[0], HasSubstr("1行目: "));
            EXPECT_THAT(ReadReportMessage(report), HasSubstr(c.warning)) << c.line;
        } else {
            EXPECT_THAT(report.warnings, IsEmpty()) << c.line;
        }
        EXPECT_EQ(CutLines(written).front(), Sj(*c.written ? c.written : c.line)) << c.line;
    }
}

TEST(KaraokeTextTest, RubyLinesRoundTrip) {
    const std::vector<std::string> file = SjLines({
        "[00:00:92]あ[00:01:47]し[00:02:46]た[00:03:01]浜[00:04:43]辺[00:05:67]を "
        "[00:06:97]さ[00:10:02]",
        "[00:12:23]昔[00:14:13]の[00:20:44]",
        "[00:21:00]昔[00:22:00]も",
        "",
        "@Ruby1=浜,は[00:00:94]ま,,[00:20:44]",
        "@Ruby2=辺,べ",
        "@Ruby3=昔,む[00:00:48]か[00:01:43]し,,[00:20:44]",
        "@Ruby4=昔,むかし,[00:20:44]",
        "@Ruby5=為替,,[02:00:00]",
        "@TimeRatio=1",
    });
    Document document;
    LyricsReadReport report;
    EXPECT_EQ(Read(document, file, &report), JoinLinesCrLf(file));
    EXPECT_THAT(report.warnings, ElementsAre(HasSubstr("9行目: ")));  // 為替 is nowhere
    EXPECT_EQ(ShownUnits(document.lyrics.line(0).units),
              "あ@92|し@147|た@246|浜@301|+@395|辺@443|を @567|さ@697/1002");
    EXPECT_EQ(ShownUnits(document.lyrics.line(1).units), "昔@1223|+@1271|+@1366|の@1413/2044");
    EXPECT_EQ(ShownUnits(document.lyrics.line(2).units), "昔@2100|+|+|も@2200");
    ASSERT_EQ(document.ruby().size(), 5u);
    EXPECT_EQ(SjisToUtf8(document.ruby()[3].reading()), "むかし");
    EXPECT_EQ(document.ruby()[3].from, 2044);
}

// One reading whose occurrences are timed differently is written once per
// run of equal timings, each limited to its lines, and reads back the same.
TEST(KaraokeTextTest, DifferentlyTimedOccurrencesSplitTheirReading) {
    Document document;
    Read(document, SjLines({"[00:01:00]君[00:02:00]", "[00:03:00]君[00:04:00]", "",
                            "@Ruby1=君,き[00:00:50]み"}));
    LyricLine second = document.lyrics.line(1);
    second.units.units[1].start = 330;
    document.lyrics.assignLines({document.lyrics.line(0), second});
    const std::string written = JoinLinesCrLf(BuildCompletedText(document, {}));
    EXPECT_THAT(written, HasSubstr(Sj("@Ruby1=君,き[00:00:50]み,,[00:03:00]\r\n"
                                      "@Ruby2=君,き[00:00:30]み,[00:03:00]\r\n")));
    Document again;
    EXPECT_EQ(Read(again, CutLines(written)), written);
    EXPECT_EQ(again.lyrics.line(1).units, second.units);
}

TEST(KaraokeTextTest, BadInputReadsInPartWithAWarningNamingTheLine) {
    Document document;
    LyricsReadReport report;
    const std::vector<std::string> file = SjLines({
        "[00:10:00]あ[00:30:00]い",
        "[00:20:00]う[00::00]え",
        "",
        "@Ruby1=空,そら",
        "@Ruby2=う,あい[00:00:10]う[00:00:20]",
        "@TimeRatio=1",
    });
    const std::string written = Read(document, file, &report);
    EXPECT_THAT(report.warnings, ElementsAre(HasSubstr("1行目: "), HasSubstr("2行目: "),
                                             HasSubstr("4行目: "), HasSubstr("5行目: ")));
    EXPECT_EQ(SjisToUtf8(document.lyrics.line(1).lyricText), "うえ");
    EXPECT_EQ(CutLines(written)[0], file[0]);
    EXPECT_EQ(CutLines(written)[3], file[3]);
}

// A line of 100,000 tagged units and 10,000 ruby lines read and write in
// time linear in their size; a quadratic reader would not finish here.
TEST(KaraokeTextTest, EnormousInput) {
    std::string line = "[00:00:00]";
    for (int i = 0; i < 100000; ++i)
        line += "[" + std::string(i % 2 ? "01" : "02") + ":00:00]" + Sj("あ");
    std::vector<std::string> file{line, ""};
    for (int i = 0; i < 10000; ++i)
        file.push_back("@Ruby" + std::to_string(i + 1) + "=" + Sj("漢") + "," + Sj("かん"));
    Document document;
    LyricsReadReport report;
    const std::string written = Read(document, file, &report);
    EXPECT_EQ(document.lyrics.line(0).units.units.size(), 100000u);
    EXPECT_EQ(document.ruby().size(), 10000u);
    EXPECT_EQ(CutLines(written).size(), file.size() + 1);
}

}  // namespace
}  // namespace obrin
