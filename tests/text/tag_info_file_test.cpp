#include "text/tag_info_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/conversion_error.h"
#include "sjis_lines.h"
#include "temp_folder.h"
#include "text/comma_text.h"
#include "text/text_messages.h"

namespace obrin {
namespace {

using test::TempFolder;

using testing::ElementsAre;
using testing::ElementsAreArray;
using testing::IsEmpty;
using test::Sj;

struct CommaCase {
    const char* name;
    std::vector<std::string> lines;
    std::string value;
};

class WriteCommaTextTest : public testing::TestWithParam<CommaCase> {};

TEST_P(WriteCommaTextTest, Writes) {
    EXPECT_EQ(WriteCommaText(GetParam().lines), GetParam().value);
}

TEST_P(WriteCommaTextTest, ReadsBack) {
    EXPECT_THAT(ReadCommaText(GetParam().value), ElementsAreArray(GetParam().lines));
}

INSTANTIATE_TEST_SUITE_P(
    BothWays, WriteCommaTextTest,
    testing::Values(CommaCase{"NoLines", {}, ""}, CommaCase{"OneEmptyLine", {""}, "\"\""},
                    CommaCase{"Bare", {"@a=1", "b"}, "@a=1,b"},
                    CommaCase{"Space", {"@EditedBy=John Smith"}, "\"@EditedBy=John Smith\""},
                    CommaCase{"Quote", {"say \"hi\""}, "\"say \"\"hi\"\"\""},
                    CommaCase{"Comma", {"a,b", "c"}, "\"a,b\",c"},
                    CommaCase{"ControlByte", {"a\tb"}, "\"a\tb\""},
                    CommaCase{"EmptyInside", {"a", "", "b"}, "a,,b"},
                    CommaCase{"EmptyFirst", {"", "a"}, ",a"},
                    CommaCase{"EmptyLast", {"a", ""}, "a,"},
                    CommaCase{"ShiftJis", {Sj("＠情報 です")}, "\"" + Sj("＠情報 です") + "\""}),
    [](const auto& info) { return info.param.name; });

struct ReadCommaCase {
    const char* name;
    std::string value;
    std::vector<std::string> lines;
};

class ReadCommaTextTest : public testing::TestWithParam<ReadCommaCase> {};

TEST_P(ReadCommaTextTest, Reads) {
    EXPECT_THAT(ReadCommaText(GetParam().value), ElementsAreArray(GetParam().lines));
}

INSTANTIATE_TEST_SUITE_P(
    Lenient, ReadCommaTextTest,
    testing::Values(ReadCommaCase{"BareItemEndsAtBlank", "a b", {"a", "b"}},
                    ReadCommaCase{"BlanksAroundCommas", "  a , b\t", {"a", "b"}},
                    ReadCommaCase{"Unclosed", "\"open, end", {"open, end"}},
                    ReadCommaCase{"TextAfterQuote", "\"a\"b,c", {"a", "b", "c"}},
                    ReadCommaCase{"DoubledQuote", "\"x\"\"y\"", {"x\"y"}},
                    ReadCommaCase{"OnlyBlanks", " \t ", {}},
                    ReadCommaCase{"EmbeddedNul", std::string("a,b\0,c", 6), {"a", "b"}}),
    [](const auto& info) { return info.param.name; });

TEST(TextChecksum, SumsBytes) {
    EXPECT_EQ(TextChecksum(""), 0);
    EXPECT_EQ(TextChecksum("abc"), 294);
    EXPECT_EQ(TextChecksum(Sj("あ")), 0x82 + 0xA0);
    // Past 2^31 the sum wraps like the 32-bit integer it is kept in.
    EXPECT_EQ(TextChecksum(std::string(8421505, '\xFF')), -2147483521);
}

// A document of the given (time, text) lines.
struct TimedDocument : Document {
    TimedDocument(std::initializer_list<std::pair<std::string, std::string>> lines) {
        for (const auto& [time, text] : lines) {
            const int index = this->lyrics.add();
            this->lyrics.setLyricText(index, text);
            this->lyrics.setTimeText(index, time);
        }
    }
};

TEST(FormatTagInfoFile, Bytes) {
    TimedDocument document{{"00:01:00", "a"}, {"00:02:50", Sj("あ")}};
    document.setInfoLines({"@EditedBy=ed", "two words"});
    EXPECT_EQ(FormatTagInfoFile(document, {.star = true, .nullLine = false, .lastLine = true}),
              "[Setting]\r\nExtract=1\r\nNullLine=0\r\nEndLine=1\r\n\r\n"
              "[TimeTag]\r\n1000=97\r\n2500=290\r\n\r\n"
              "[Info]\r\nOther=@EditedBy=ed,\"two words\"\r\n");
}

TEST(FormatTagInfoFile, EqualTimesShareTheFirstPosition) {
    const TimedDocument document{
        {"00:00:00", "a"}, {"00:00:00", "b"}, {"00:00:00", "c"}, {"00:01:00", "d"}};
    EXPECT_THAT(FormatTagInfoFile(document, {}),
                testing::HasSubstr("[TimeTag]\r\n0=99\r\n1000=100\r\n\r\n"));
}

TEST(SaveTagInfoFile, ReplacesAnExistingFile) {
    TempFolder folder;
    const auto path = folder.path() / "song.obt";
    ASSERT_FALSE(SaveTagInfoFile(path, TimedDocument{{"00:01:00", "a"}, {"00:02:00", "b"}}, {}));
    ASSERT_FALSE(SaveTagInfoFile(path, TimedDocument{{"00:03:00", "c"}}, {}));
    std::error_code error;
    const auto info = ReadTagInfoFile(path, error);
    ASSERT_TRUE(info);
    EXPECT_THAT(info->timeTags, ElementsAre(std::pair<std::string, std::string>("3000", "99")));
}

TEST(SaveTagInfoFile, UnreadableTimeWritesNothing) {
    TempFolder folder;
    folder.write("song.obt", "old");
    EXPECT_THROW((void)SaveTagInfoFile(folder.path() / "song.obt",
                                       TimedDocument{{"00:01:00", "a"}, {"100:00:00", "b"}}, {}),
                 ConversionError);
    EXPECT_EQ(folder.read("song.obt"), "old");
}

struct FlagCase {
    const char* name;
    std::string setting;
    bool extract;
    bool nullLine;
    bool endLine;
};

class TagInfoFlagsTest : public testing::TestWithParam<FlagCase> {};

TEST_P(TagInfoFlagsTest, Reads) {
    const TagInfo info = ParseTagInfo("[Setting]\r\n" + GetParam().setting);
    EXPECT_EQ(info.extract, GetParam().extract);
    EXPECT_EQ(info.nullLine, GetParam().nullLine);
    EXPECT_EQ(info.endLine, GetParam().endLine);
}

INSTANTIATE_TEST_SUITE_P(
    Booleans, TagInfoFlagsTest,
    testing::Values(
        FlagCase{"Missing", "", true, true, true},
        FlagCase{"Zero", "Extract=0\r\nNullLine=0\r\nEndLine=0", false, false, false},
        FlagCase{"OtherIntegers", "Extract=2\r\nNullLine=-1\r\nEndLine= 7", true, true, true},
        FlagCase{"NotANumber", "Extract=no\r\nNullLine=\r\nEndLine=0", true, true, false},
        FlagCase{"KeysIgnoreCase", "extract=0\r\nNULLLINE=0", false, false, true}),
    [](const auto& info) { return info.param.name; });

// The editor's questions and clipboard, answered from the test.
class ScriptedHost : public CombineHost {
  public:
    void offerPaste(const ExpansionOptions& options) override {
        pastedWith = options;
        if (pasteLines) PasteWithExpansion(*document, *pasteLines, options);
    }
    bool acceptMismatch(int index) override {
        asked.push_back(index);
        return acceptAnswer;
    }
    void showError(const std::string& message) override { errors.push_back(message); }

    Document* document = nullptr;
    std::optional<std::vector<std::string>> pasteLines;
    bool acceptAnswer = true;
    std::optional<ExpansionOptions> pastedWith;
    std::vector<int> asked;
    std::vector<std::string> errors;
};

std::vector<std::string> Times(const Document& document) {
    std::vector<std::string> times;
    for (int i = 0; i < document.lyrics.count(); ++i)
        times.push_back(document.lyrics.line(i).timeText);
    return times;
}

TEST(CombineTagInfo, RestoresTimesByPosition) {
    const TimedDocument saved{{"00:01:00", "a"}, {"00:02:00", "b"}, {"00:03:00", ""}};
    Document document;
    document.setInfoLines({"replaced"});
    ScriptedHost host;
    host.document = &document;
    host.pasteLines = std::vector<std::string>{"a", "b"};
    const TagInfo info = ParseTagInfo(FormatTagInfoFile(saved, {.nullLine = false}));

    EXPECT_EQ(CombineTagInfo(document, info, {.info = false}, host), CombineOutcome::Combined);

    ASSERT_TRUE(host.pastedWith);
    EXPECT_FALSE(host.pastedWith->nullLine);
    EXPECT_FALSE(host.pastedWith->info) << "the current @ rule applies";
    // The paste adds the closing empty line, whose checksum 0 matches the third entry.
    EXPECT_THAT(Times(document), ElementsAre("00:01:00", "00:02:00", "00:03:00"));
    EXPECT_THAT(host.asked, IsEmpty());
    EXPECT_THAT(document.infoLines(), IsEmpty());
}

TEST(CombineTagInfo, MismatchAskedOnceWhenAccepted) {
    TimedDocument document{{"00:00:00", "x"}, {"00:00:00", "y"}, {"00:00:00", "c"}};
    ScriptedHost host;
    const TagInfo info =
        ParseTagInfo("[TimeTag]\n1000=97\n2000=98\n3000=99\n[Info]\nOther=\"a b\",c");
    EXPECT_EQ(CombineTagInfo(document, info, {}, host), CombineOutcome::Combined);
    EXPECT_THAT(host.asked, ElementsAre(0));
    EXPECT_THAT(Times(document), ElementsAre("00:01:00", "00:02:00", "00:03:00"));
    EXPECT_THAT(document.infoLines(), ElementsAre("a b", "c"));
}

TEST(CombineTagInfo, DeclinedMismatchKeepsLaterTimes) {
    TimedDocument document{{"00:00:00", "a"}, {"00:09:00", "x"}, {"00:09:00", "c"}};
    ScriptedHost host;
    host.acceptAnswer = false;
    const TagInfo info = ParseTagInfo("[TimeTag]\n1000=97\n2000=98\n3000=99\n");
    EXPECT_EQ(CombineTagInfo(document, info, {}, host), CombineOutcome::Stopped);
    EXPECT_THAT(host.asked, ElementsAre(1));
    EXPECT_THAT(Times(document), ElementsAre("00:01:00", "00:09:00", "00:09:00"));
}

TEST(CombineTagInfo, NonNumericKeyFailsButInfoLinesAreStillReplaced) {
    TimedDocument document{{"00:00:00", "a"}, {"00:09:00", "b"}};
    document.setInfoLines({"old"});
    ScriptedHost host;
    const TagInfo info = ParseTagInfo("[TimeTag]\n1000=97\nabc=98\n[Info]\nOther=new");
    EXPECT_EQ(CombineTagInfo(document, info, {}, host), CombineOutcome::Failed);
    EXPECT_THAT(host.errors, ElementsAre(kCombineFailedMessage));
    EXPECT_THAT(Times(document), ElementsAre("00:01:00", "00:09:00"));
    EXPECT_THAT(document.infoLines(), ElementsAre("new"));
}

TEST(CombineTagInfo, NonNumericValueFails) {
    TimedDocument document{{"00:00:00", "a"}};
    ScriptedHost host;
    EXPECT_EQ(CombineTagInfo(document, ParseTagInfo("[TimeTag]\n1000=sum\n"), {}, host),
              CombineOutcome::Failed);
    EXPECT_THAT(Times(document), ElementsAre("00:00:00"));
}

TEST(CombineTagInfo, EntriesPastTheLastLineAreIgnored) {
    TimedDocument document{{"00:00:00", "a"}};
    ScriptedHost host;
    EXPECT_EQ(CombineTagInfo(document, ParseTagInfo("[TimeTag]\n1000=97\nbad=bad\n"), {}, host),
              CombineOutcome::Combined);
    EXPECT_THAT(host.errors, IsEmpty());
    EXPECT_THAT(Times(document), ElementsAre("00:01:00"));
}

TEST(CombineTagInfo, DuplicateKeyTakesTheFirstValue) {
    TimedDocument document{{"00:00:00", "a"}, {"00:00:00", "b"}};
    ScriptedHost host;
    host.acceptAnswer = false;
    const TagInfo info = ParseTagInfo("[TimeTag]\n1000=97\n1000=98\n");
    EXPECT_EQ(CombineTagInfo(document, info, {}, host), CombineOutcome::Stopped);
    EXPECT_THAT(host.asked, ElementsAre(1));
}

TEST(CombineTagInfo, UnmarkedHeadLinesShiftThePairing) {
    const TimedDocument saved{
        {"00:00:00", "a"}, {"00:00:00", "b"}, {"00:00:00", "c"}, {"00:05:00", "d"}};
    TimedDocument document{
        {"00:00:00", "a"}, {"00:00:00", "b"}, {"00:00:00", "c"}, {"00:00:00", "d"}};
    ScriptedHost host;
    const TagInfo info = ParseTagInfo(FormatTagInfoFile(saved, {}));
    ASSERT_EQ(info.timeTags.size(), 2U);
    EXPECT_EQ(CombineTagInfo(document, info, {}, host), CombineOutcome::Combined);
    EXPECT_THAT(host.asked, ElementsAre(0));
    EXPECT_THAT(Times(document), ElementsAre("00:00:00", "00:05:00", "00:00:00", "00:00:00"));
}

TEST(CombineTagInfo, EmptyListStillReplacesInfoLines) {
    Document document;
    document.setInfoLines({"old"});
    ScriptedHost host;
    EXPECT_EQ(CombineTagInfo(document, ParseTagInfo("[TimeTag]\n1000=97\n[Info]\n"), {}, host),
              CombineOutcome::Combined);
    EXPECT_THAT(document.infoLines(), IsEmpty());
}

TEST(ReadTagInfoFile, MissingFileReportsTheCause) {
    TempFolder folder;
    std::error_code error;
    EXPECT_FALSE(ReadTagInfoFile(folder.path() / "none.obt", error));
    EXPECT_TRUE(error);
}

}  // namespace
}  // namespace obrin
