#include "text/lyrics_expansion.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "sjis_lines.h"
#include "text/lyric_trim.h"
#include "text/sjis_text.h"
#include "text/text_lines.h"

namespace obrin {
namespace {

using test::Sj;
using test::SjLines;
using test::Utf8Lines;
using testing::ElementsAre;
using testing::ElementsAreArray;

struct CutCase {
    const char* name;
    std::string text;
    std::vector<std::string> lines;
};

class CutLinesTest : public testing::TestWithParam<CutCase> {};

TEST_P(CutLinesTest, Cuts) {
    EXPECT_EQ(CutLines(GetParam().text), GetParam().lines);
}

const auto kBreakCases =
    testing::Values(CutCase{"Empty", "", {}}, CutCase{"OneBreak", "\r\n", {""}},
                    CutCase{"NoFinalBreak", "a\r\nb", {"a", "b"}},
                    CutCase{"FinalBreakAddsNothing", "a\r\nb\r\n", {"a", "b"}},
                    CutCase{"LoneCr", "a\rb\r", {"a", "b"}}, CutCase{"LoneLf", "a\nb", {"a", "b"}},
                    CutCase{"LfCrIsTwoBreaks", "a\n\rb", {"a", "", "b"}},
                    CutCase{"Mixed", "a\r\r\nb\n\nc", {"a", "", "b", "", "c"}},
                    CutCase{"EndsAtNul", std::string("a\r\nb\0c\r\nd", 9), {"a", "b"}},
                    CutCase{"LeadingNul", std::string("\0abc", 4), {}});

INSTANTIATE_TEST_SUITE_P(Breaks, CutLinesTest, kBreakCases,
                         [](const auto& info) { return info.param.name; });

// Pieces of any size, read one after another and given back, cut into the
// lines of the whole text: no break is split, none is lost.
class TextPiecesTest : public testing::TestWithParam<CutCase> {};

TEST_P(TextPiecesTest, CutIntoTheLinesOfTheWholeText) {
    for (const std::size_t size : {1, 2, 3, 1000}) {
        TextPieces pieces(std::string(GetParam().text), size);
        std::vector<std::string> lines;
        for (std::size_t p = 0; p < pieces.count(); ++p) {
            for (LineCursor cursor(pieces.piece(p)); const auto line = cursor.next();)
                lines.emplace_back(*line);
            pieces.release(p);
            EXPECT_TRUE(pieces.piece(p).empty());
        }
        EXPECT_EQ(lines, GetParam().lines) << size;
    }
}

INSTANTIATE_TEST_SUITE_P(Breaks, TextPiecesTest, kBreakCases,
                         [](const auto& info) { return info.param.name; });

struct TrimCase {
    const char* name;
    std::string line;
    std::string trimmed;
};

class TrimLyricLineTest : public testing::TestWithParam<TrimCase> {};

TEST_P(TrimLyricLineTest, Trims) {
    EXPECT_EQ(TrimLyricLine(GetParam().line), GetParam().trimmed);
}

INSTANTIATE_TEST_SUITE_P(
    Blanks, TrimLyricLineTest,
    testing::Values(TrimCase{"ControlBytesBothEnds", "\t \x01 abc \x1F\x20", "abc"},
                    TrimCase{"InnerBlanksKept", " a b ", "a b"},
                    TrimCase{"LeadingIdeographicSpaces", Sj("　　どこまでも"), Sj("どこまでも")},
                    TrimCase{"TrailingIdeographicSpaceKept", Sj("どこ　"), Sj("どこ　")},
                    TrimCase{"OnlyIdeographicSpacesBecomeEmpty", Sj("　　　"), ""},
                    TrimCase{"TwoIdeographicSpacesBecomeEmpty", Sj("　　"), ""},
                    TrimCase{"LoneIdeographicSpaceStays", Sj("　"), Sj("　")},
                    TrimCase{"BlanksThenLoneIdeographicSpace", Sj(" 　 "), Sj("　")},
                    TrimCase{"IdeographicSpaceBeforeShortText", Sj("　a"), "a"},
                    // The check for "longer than two bytes" is made once, before removal.
                    TrimCase{"BlankAfterIdeographicSpaceStays", Sj("　 a"), " a"}),
    [](const auto& info) { return info.param.name; });

struct FindCase {
    const char* name;
    std::string text;
    std::string needle;
    std::size_t position;
};

class FindSjisTest : public testing::TestWithParam<FindCase> {};

TEST_P(FindSjisTest, FindsOnCharacterBoundaries) {
    EXPECT_EQ(FindSjis(GetParam().text, GetParam().needle), GetParam().position);
}

INSTANTIATE_TEST_SUITE_P(
    TwoByteAware, FindSjisTest,
    testing::Values(FindCase{"Kome", Sj("ラ※"), std::string(kMarkKome), 2},
                    // 81 81 A6: the ※ bytes 81 A6 start on the second byte of ＝ (81 81).
                    FindCase{"NotInsideCharacter", "\x81\x81\xA6", std::string(kMarkKome),
                             std::string::npos},
                    FindCase{"AfterHalfWidthKana", "\xB1\x81\xA6", std::string(kMarkKome), 1},
                    // 81 5B is ー: its second byte is a "[" that no search may see.
                    FindCase{"BracketInsideCharacter", "\x81[]", "]", 2},
                    FindCase{"LeadByteAtEnd", "a\x81", "\x81", 1},
                    FindCase{"Missing", "abc", "]", std::string::npos}),
    [](const auto& info) { return info.param.name; });

struct ExpandCase {
    const char* name;
    std::vector<std::string> input;
    ExpansionOptions options;
    std::vector<std::string> output;
};

class ExpandLyricsTest : public testing::TestWithParam<ExpandCase> {};

TEST_P(ExpandLyricsTest, Expands) {
    EXPECT_THAT(Utf8Lines(ExpandLyrics(GetParam().input, GetParam().options)),
                ElementsAreArray(Utf8Lines(GetParam().output)));
}

constexpr ExpansionOptions kDefaults{};
constexpr ExpansionOptions kNoStar{.star = false};
constexpr ExpansionOptions kNoLastLine{.lastLine = false};
constexpr ExpansionOptions kKeepBlanks{.nullLine = false, .lastLine = false};
constexpr ExpansionOptions kNoInfo{.lastLine = false, .info = false};

INSTANTIATE_TEST_SUITE_P(
    WorkedExampleAndEdges, ExpandLyricsTest,
    testing::Values(
        ExpandCase{"WorkedExample",
                   SjLines({"夜明けの街を", "※君と歩こう", "　どこまでも※", "", "", "@Title=夜明け",
                            "二番の歌詞", "※くり返し"}),
                   kDefaults,
                   SjLines({"夜明けの街を", "君と歩こう", "どこまでも", "", "二番の歌詞",
                            "君と歩こう", "どこまでも", ""})},
        ExpandCase{"IdeographicBlankLineJoinsBlankRule", SjLines({"a", "　　　", "", "b"}),
                   kNoLastLine, SjLines({"a", "", "b"})},
        ExpandCase{"LoneIdeographicSpaceIsText", SjLines({"a", "　", "", "b"}), kNoLastLine,
                   SjLines({"a", "　", "", "b"})},
        ExpandCase{"LeadingBlanksDroppedRunsJoined", SjLines({"", " ", "a", "", "", "", "b"}),
                   kNoLastLine, SjLines({"a", "", "b"})},
        ExpandCase{"BlanksKeptWhenRuleOff", SjLines({"", "a", "", "", "b"}), kKeepBlanks,
                   SjLines({"", "a", "", "", "b"})},
        ExpandCase{"InfoLineCountsAsPrevious", SjLines({"a", "", "@x", "", "b"}), kNoLastLine,
                   SjLines({"a", "", "", "b"})},
        ExpandCase{"InfoLineKeptWhenImportOff", SjLines({"a", "@x"}), kNoInfo,
                   SjLines({"a", "@x"})},
        ExpandCase{"TextBeforeOpenAndAfterCloseLost",
                   SjLines({"ラララ※君と", "歩こう※ルルル", "※"}), kNoLastLine,
                   SjLines({"君と", "歩こう", "君と", "歩こう"})},
        ExpandCase{"OpenAndCloseOnOneLineIsNoBlock", SjLines({"※ラララ※", "a", "※", "b"}),
                   kNoLastLine, SjLines({"ラララ※", "a", "", "a", "", "b"})},
        ExpandCase{"BothMarksOnOneLine", SjLines({"※サビ", "一※", "★Ｂ", "二★", "※★"}), kNoLastLine,
                   SjLines({"サビ", "一", "Ｂ", "二", "サビ", "一", "Ｂ", "二"})},
        ExpandCase{"WhiteStarAfterOthers", SjLines({"☆x", "y☆", "(☆)"}), kNoLastLine,
                   SjLines({"x", "y", "x", "y"})},
        ExpandCase{"SingleMarkRunsToLastLine", SjLines({"a", "※b", "c"}), kNoLastLine,
                   SjLines({"a", "b", "c"})},
        ExpandCase{"MarkLineWithOtherText", SjLines({"※a", "b※", "(※)", "※くり返し"}), kNoLastLine,
                   SjLines({"a", "b", "a", "b", "a", "b"})},
        ExpandCase{"BlockLinesTrimmedButNotFiltered",
                   SjLines({"※", "  @info  ", "", "", "x※", "※"}), kNoLastLine,
                   SjLines({"", "x", "", "@info", "", "", "x"})},
        ExpandCase{"MarksStayWhenStarOff", SjLines({"※a", "b※", "※"}), kNoStar,
                   SjLines({"※a", "b※", "※", ""})},
        ExpandCase{"MarkSecondByteNoMatch", {"\x81\x81\xA6x"}, kNoLastLine, {"\x81\x81\xA6x"}},
        ExpandCase{"LastLineAlreadyEmpty", SjLines({"a", ""}), ExpansionOptions{.nullLine = false},
                   SjLines({"a", ""})},
        ExpandCase{"EmptyResultStaysEmpty", SjLines({"", ""}), kDefaults, {}},
        ExpandCase{"EmptyInput", {}, kDefaults, {}}),
    [](const auto& info) { return info.param.name; });

TEST(ExpandLyricsDocument, EmptiesInfoLinesAndReplacesLyrics) {
    Document document;
    document.setInfoLines({"@old"});
    document.setHeaderLines({"head"});
    document.setLoadedFromFile(true);
    document.lyrics.assign({"previous"});
    document.lyrics.select(0);

    PasteWithExpansion(document, SjLines({"a", "@Title=x", "b"}), kDefaults);

    EXPECT_TRUE(document.infoLines().empty());
    EXPECT_THAT(document.headerLines(), ElementsAre("head"));
    EXPECT_FALSE(document.loadedFromFile());
    ASSERT_EQ(document.lyrics.count(), 3);
    EXPECT_EQ(document.lyrics.line(1).lyricText, "b");
    for (int i = 0; i < document.lyrics.count(); ++i) {
        EXPECT_EQ(document.lyrics.line(i).timeText, "00:00:00");
        EXPECT_FALSE(document.lyrics.line(i).checked());
        EXPECT_FALSE(document.lyrics.line(i).selected);
    }
}

TEST(ExpandLyricsBadInput, InvalidBytesAndHugeLinesPassThrough) {
    // A lead byte with nothing after it, bytes that are no Shift-JIS at all and
    // a 10 MB line: expanded like any text, byte for byte.
    const std::string huge(10 * 1024 * 1024, 'x');
    const std::string broken = "\xFF\xFD\x80x\x81";
    const auto output = ExpandLyrics(CutLines(broken + "\r" + huge), kNoLastLine);
    ASSERT_EQ(output.size(), 2U);
    EXPECT_EQ(output[0], broken);
    EXPECT_EQ(output[1].size(), huge.size());
}

}  // namespace
}  // namespace obrin
