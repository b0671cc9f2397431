#include "text/enhanced_lrc.h"

#include <gtest/gtest.h>

#include "base/sjis_codec.h"
#include "sjis_lines.h"
#include "text/karaoke_text.h"
#include "text/standard_lrc.h"
#include "text/tagged_lyrics_reader.h"

namespace obrin {
namespace {

using test::Sj;

// Units as "text@cs|...", the end as "|@cs"; texts in UTF-8.
std::string Describe(const LineUnits& units) {
    std::string out;
    for (const TimingUnit& unit : units.units) {
        if (!out.empty()) out += "|";
        out += SjisToUtf8(unit.text);
        if (unit.start != kNoUnitTime) out += "@" + std::to_string(unit.start);
    }
    if (units.end != kNoUnitTime) out += "|@" + std::to_string(units.end);
    return out;
}

struct WordTagsCase {
    const char* name;
    const char* rest;  // UTF-8, the text after the line's tag
    int lineCs;
    std::int64_t offsetMs;
    const char* text;
    const char* units;
    bool outOfOrder = false;
    bool endBeforeLastUnit = false;
};

class ReadWordTagsTest : public testing::TestWithParam<WordTagsCase> {};

TEST_P(ReadWordTagsTest, GivesTextAndUnits) {
    const WordTagsCase& c = GetParam();
    const WordTagsRead read = ReadWordTags(Sj(c.rest), c.lineCs, c.offsetMs);
    EXPECT_EQ(SjisToUtf8(read.text), c.text);
    EXPECT_EQ(Describe(read.units), c.units);
    EXPECT_EQ(read.outOfOrder, c.outOfOrder);
    EXPECT_EQ(read.endBeforeLastUnit, c.endBeforeLastUnit);
}

INSTANTIATE_TEST_SUITE_P(
    Variants, ReadWordTagsTest,
    testing::Values(WordTagsCase{"NoWordTags", "あい <b>", 1000, 0, "あい <b>", ""},
                    WordTagsCase{"LineTagEqualsFirstWordTag", "<00:10.00>あ<00:10.50>い<00:11.20>",
                                 1000, 0, "あい", "あ@1000|い@1050|@1120"},
                    WordTagsCase{"LineTagBeforeFirstWordTag", "<00:10.40>あ<00:10.50>い<00:11.20>",
                                 1000, 0, "あい", "あ@1040|い@1050|@1120"},
                    WordTagsCase{"TextBeforeFirstTagAtTheLinesTime", "あ<00:10.50>い", 1000, 0,
                                 "あい", "あ@1000|い@1050"},
                    WordTagsCase{"NoClosingTag", "<00:10.00>あ<00:10.50>い", 1000, 0, "あい",
                                 "あ@1000|い@1050"},
                    WordTagsCase{"MillisecondsAndWords", "<00:10.005>Hello <00:10.509>world", 1000,
                                 0, "Hello world", "Hello @1000|world@1050"},
                    WordTagsCase{"OffsetAppliedNeverBelowZero", "<00:00.20>あ<00:01.00>い", 0, -500,
                                 "あい", "あ@0|い@50"},
                    WordTagsCase{"NonTimeBracketsStayText", "<00:10.00>a<b>c<00:11.00>", 1000, 0,
                                 "a<b>c", "a<b>c@1000|@1100"},
                    WordTagsCase{"UnitOutOfOrderJoinsTheOneBefore",
                                 "<00:10.00>あ<00:09.00>い<00:11.00>う", 1000, 0, "あいう",
                                 "あい@1000|う@1100", true},
                    WordTagsCase{"EndBeforeLastUnitDropped", "<00:10.00>あ<00:11.00>い<00:10.50>",
                                 1000, 0, "あい", "あ@1000|い@1100", false, true},
                    WordTagsCase{"TagRightAfterTagKeepsTheLater", "<00:10.00><00:10.20>あ", 1000, 0,
                                 "あ", "あ@1020"}),
    [](const auto& info) { return info.param.name; });

// A unit without a time, or without text (a reading's further mora), is
// written with the one before it.
TEST(WordTaggedText, WritesTimedUnitsAndTheEndWithTheOffset) {
    const LineUnits units{
        .units = {{Sj("あ"), 1000}, {Sj("い"), kNoUnitTime}, {"", 1020}, {Sj("う"), 1050}},
        .end = 1120};
    EXPECT_EQ(SjisToUtf8(WordTaggedText(units, 0, false)), "<00:10.00>あい<00:10.50>う<00:11.20>");
    EXPECT_EQ(SjisToUtf8(WordTaggedText(units, -1000, true)),
              "<00:09.000>あい<00:09.500>う<00:10.200>");
    EXPECT_EQ(ReadWordTags(WordTaggedText(units, 0, false), 1000, 0).units,
              (LineUnits{.units = {{Sj("あい"), 1000}, {Sj("う"), 1050}}, .end = 1120}));
}

// What the writer makes of a document, the reader makes back into it: the
// lines' times and texts, and the units with their times and end.
TEST(EnhancedLrc, RoundTrip) {
    Document written;
    written.lyrics.assignLines({
        {.lyricText = Sj("こんにちは"),
         .timeText = "00:10:00",
         .units = {.units = {{Sj("こん"), 1000}, {Sj("にち"), 1035}, {Sj("は"), 1090}},
                   .end = 1120}},
        {.lyricText = Sj("line"), .timeText = "00:12:00"},
        {.lyricText = Sj("さよ なら"),
         .timeText = "01:02:03",
         .units = {.units = {{Sj("さよ "), 6203}, {Sj("なら"), 6250}}}},
    });
    for (const bool milliseconds : {false, true}) {
        Document read;
        const LyricsReadReport report = ReadTaggedLyricsText(
            read,
            FormatStandardLrc(written,
                              {.milliseconds = milliseconds, .shiftJis = true, .words = true}, ""),
            {});
        EXPECT_EQ(ReadReportMessage(report), "");
        ASSERT_EQ(read.lyrics.count(), written.lyrics.count());
        for (int i = 0; i < read.lyrics.count(); ++i) {
            EXPECT_EQ(read.lyrics.line(i).timeText, written.lyrics.line(i).timeText) << i;
            EXPECT_EQ(read.lyrics.line(i).lyricText, written.lyrics.line(i).lyricText) << i;
            EXPECT_EQ(read.lyrics.line(i).units, written.lyrics.line(i).units) << i;
        }
    }
}

TEST(EnhancedLrc, BadWordTagsAreNamedByLine) {
    Document read;
    const LyricsReadReport report = ReadTaggedLyricsText(
        read,
        Sj("[00:01.00]a\n[00:10.00]<00:10.00>あ<00:09.00>い\n[00:12.00]<00:12.50>う<00:12.00>\n"),
        {});
    EXPECT_EQ(report.warnings,
              (std::vector<std::string>{"2行目: 文字ごとのタイムタグが時刻の順に並んでいません",
                                        "3行目: 行末のタイムタグが最後の文字の時刻より前です"}));
    ASSERT_EQ(read.lyrics.count(), 3);
    EXPECT_EQ(read.lyrics.line(1).lyricText, Sj("あい"));
    EXPECT_EQ(read.lyrics.line(2).units, (LineUnits{.units = {{Sj("う"), 1250}}}));
}

// A line tag ahead of the first word: the line starts with its first word,
// so the time-tag form, which has no room for both, keeps every word's time.
TEST(EnhancedLrc, LineStartsWithItsFirstWord) {
    Document read;
    const LyricsReadReport report =
        ReadTaggedLyricsText(read, Sj("[00:10.00]<00:10.50>あ<00:11.00>い<00:11.50>\n"), {});
    EXPECT_EQ(ReadReportMessage(report), "");
    ASSERT_EQ(read.lyrics.count(), 1);
    EXPECT_EQ(read.lyrics.line(0).timeText, "00:10:50");
    EXPECT_EQ(FormatTaggedLine(read.lyrics.line(0)), Sj("[00:10:50]あ[00:11:00]い[00:11:50]"));
}

}  // namespace
}  // namespace obrin
