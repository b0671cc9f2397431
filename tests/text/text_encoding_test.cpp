#include "text/text_encoding.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "base/time_text.h"
#include "sjis_lines.h"
#include "temp_folder.h"
#include "text/completed_text.h"
#include "text/tagged_lyrics_reader.h"
#include "text/text_input.h"

namespace obrin {
namespace {

using test::Sj;
using test::TempFolder;
using testing::HasSubstr;

std::string Utf16(std::u16string_view text, bool bigEndian, bool bom) {
    std::string bytes;
    if (bom) bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

const ReplacementConsent kDecline = [](const std::vector<char32_t>&) { return false; };
const ReplacementConsent kAccept = [](const std::vector<char32_t>&) { return true; };

// "夜明けの街を\r\n" in EUC-JP; its bytes are not well-formed Shift-JIS.
const std::string kEucJp = "\xCC\xEB\xCC\xC0\xA4\xB1\xA4\xCE\xB3\xB9\xA4\xF2\r\n";

struct DetectionCase {
    const char* name;
    std::string file;
    TextEncoding detected;
    std::string sjis;  // what the document receives
};

class DetectionTest : public testing::TestWithParam<DetectionCase> {};

// Each rule with a file, read as the editor reads every text input.
TEST_P(DetectionTest, ReadsTheFileInTheEncodingTheRulesGive) {
    TempFolder folder;
    folder.write("in.txt", GetParam().file);
    EXPECT_EQ(DetectEncoding(GetParam().file), GetParam().detected);
    const TextRead read = ReadTextInput(folder / "in.txt", TextEncoding::Auto, kDecline);
    ASSERT_EQ(read.status, TextReadStatus::Read) << read.message;
    EXPECT_EQ(read.encoding, GetParam().detected);
    EXPECT_EQ(read.sjis, GetParam().sjis);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, DetectionTest,
    testing::Values(DetectionCase{"Utf8Bom", "\xEF\xBB\xBF" + std::string("[00:01.00]歌\n"),
                                  TextEncoding::Utf8, Sj("[00:01.00]歌\n")},
                    DetectionCase{"Utf16LeBom", Utf16(u"[00:01.00]歌\r\n", false, true),
                                  TextEncoding::Utf16, Sj("[00:01.00]歌\r\n")},
                    DetectionCase{"Utf16BeBom", Utf16(u"歌詞\n", true, true), TextEncoding::Utf16,
                                  Sj("歌詞\n")},
                    // A byte order mark decides even over text that reads as Shift-JIS.
                    DetectionCase{"BomBeforeAscii",
                                  "\xEF\xBB\xBF"
                                  "abc",
                                  TextEncoding::Utf8, "abc"},
                    DetectionCase{"Utf8WithoutBom", "[00:01.00]夜明け\n", TextEncoding::Utf8,
                                  Sj("[00:01.00]夜明け\n")},
                    DetectionCase{"ShiftJis", Sj("[00:01:00]夜明けの街を\r\n"),
                                  TextEncoding::ShiftJis, Sj("[00:01:00]夜明けの街を\r\n")},
                    DetectionCase{"AsciiIsShiftJis", "[00:01:00]la la\r\n", TextEncoding::ShiftJis,
                                  "[00:01:00]la la\r\n"},
                    DetectionCase{"EucJp", kEucJp, TextEncoding::EucJp, Sj("夜明けの街を\r\n")},
                    // Neither: a lead byte before a line break, a byte EUC-JP never has.
                    DetectionCase{"NeitherKeptAsShiftJis", "a\x81\r\n\x80", TextEncoding::ShiftJis,
                                  "a\x81\r\n\x80"},
                    DetectionCase{"NulKeptInShiftJis", std::string("ab\0cd", 5),
                                  TextEncoding::ShiftJis, std::string("ab\0cd", 5)},
                    // Without a byte order mark the NULs of every other byte tell UTF-16,
                    // even when most characters are Japanese ("一" puts its NUL on the
                    // other side).
                    DetectionCase{"Utf16LeWithoutBom", Utf16(u"[00:01.00]歌\r\n", false, false),
                                  TextEncoding::Utf16, Sj("[00:01.00]歌\r\n")},
                    DetectionCase{"Utf16BeWithoutBom",
                                  Utf16(u"[00:01.00]一人　歩く\n", true, false),
                                  TextEncoding::Utf16, Sj("[00:01.00]一人　歩く\n")},
                    DetectionCase{"StrayNulsKeptInShiftJis", std::string("[00:01:00]a\0b\0", 14),
                                  TextEncoding::ShiftJis, std::string("[00:01:00]a\0b\0", 14)}),
    [](const auto& info) { return info.param.name; });

struct ForcedCase {
    const char* name;
    std::string bytes;
    TextEncoding forced;
    std::string sjis;
};

class ForcedEncodingTest : public testing::TestWithParam<ForcedCase> {};

TEST_P(ForcedEncodingTest, Decodes) {
    const DecodedText decoded = DecodeText(GetParam().bytes, GetParam().forced);
    EXPECT_EQ(decoded.sjis, GetParam().sjis);
    EXPECT_TRUE(decoded.unmappable.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Choices, ForcedEncodingTest,
    testing::Values(
        ForcedCase{"ShiftJisKeepsUtf8Bytes", "\xE6\xAD\x8C", TextEncoding::ShiftJis,
                   "\xE6\xAD\x8C"},
        ForcedCase{"Utf16LeWithoutBom", Utf16(u"歌a", false, false), TextEncoding::Utf16,
                   Sj("歌a")},
        ForcedCase{"Utf16BeWithoutBom", Utf16(u"abc", true, false), TextEncoding::Utf16, "abc"},
        ForcedCase{"EucJpHalfWidth", "\x8E\xB1", TextEncoding::EucJp, "\xB1"},
        ForcedCase{"EucJpThatLooksLikeShiftJis", "\xB7\xAF\xA4\xC8\xCA\xE2\xA4\xB3\xA4\xA6",
                   TextEncoding::EucJp, Sj("君と歩こう")}),
    [](const auto& info) { return info.param.name; });

TEST(DecodeText, CharactersWithoutShiftJisFormAreNamedOnceAndReplaced) {
    const DecodedText decoded = DecodeText("é♡\xF0\x9F\x98\x80 é~", TextEncoding::Auto);  // é ♡ 😀 é
    EXPECT_EQ(decoded.sjis, Sj("・・・ ・~"));
    EXPECT_EQ(decoded.unmappable, (std::vector<char32_t>{0xE9, 0x2661, 0x1F600}));
    EXPECT_EQ(UnmappableMessage(decoded.unmappable),
              "「é」(U+00E9) ほか2文字はShift-JISで表せません");
    EXPECT_EQ(UnmappableMessage({0x2661}), "「♡」(U+2661)はShift-JISで表せません");
    EXPECT_THAT(ReplacementQuestion({0x2661}), HasSubstr("「・」に置き換えて続けますか?"));
    // A surrogate pair in UTF-16 is one character.
    const DecodedText utf16 = DecodeText(Utf16(u"a\U0001F600", false, true), TextEncoding::Auto);
    EXPECT_EQ(utf16.sjis, Sj("a・"));
    EXPECT_EQ(utf16.unmappable, std::vector<char32_t>{0x1F600});
}

TEST(DecodeText, ForcedEucJpMarksBytesItLacksWithoutEatingAscii) {
    const DecodedText decoded = DecodeText(
        "\xFF"
        "a\xA4",
        TextEncoding::EucJp);
    EXPECT_EQ(decoded.sjis, Sj("・a・"));
    EXPECT_EQ(decoded.unmappable, std::vector<char32_t>{0xFFFD});
}

TEST(DecodeText, ConsentDecidesBetweenReplacingAndStopping) {
    std::vector<std::vector<char32_t>> asked;
    const ReplacementConsent record = [&](const std::vector<char32_t>& chars) {
        asked.push_back(chars);
        return true;
    };
    const TextRead accepted = DecodeTextInput("a\xF0\x9F\x98\x80", TextEncoding::Auto, record);
    EXPECT_EQ(accepted.status, TextReadStatus::Read);
    EXPECT_EQ(accepted.sjis, Sj("a・"));
    EXPECT_EQ(asked, (std::vector<std::vector<char32_t>>{{0x1F600}}));
    EXPECT_EQ(DecodeTextInput("é", TextEncoding::Auto, kDecline).status, TextReadStatus::Declined);
    // Text without such characters asks nothing.
    EXPECT_EQ(DecodeTextInput("歌", TextEncoding::Auto, kDecline).status, TextReadStatus::Read);
}

struct BadInputCase {
    const char* name;
    std::string bytes;
    TextEncoding encoding;
    const char* message;
};

class BadInputTest : public testing::TestWithParam<BadInputCase> {};

TEST_P(BadInputTest, IsRejectedWithAMessage) {
    const TextRead read = DecodeTextInput(GetParam().bytes, GetParam().encoding, kAccept);
    EXPECT_EQ(read.status, TextReadStatus::Rejected);
    EXPECT_THAT(read.message, HasSubstr(GetParam().message));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BadInputTest,
    testing::Values(BadInputCase{"Utf16OddLength",
                                 std::string("\xFF\xFE"
                                             "a\0b",
                                             5),
                                 TextEncoding::Auto, "奇数"},
                    BadInputCase{"Utf16LoneSurrogate",
                                 Utf16(u"a", false, true) + std::string("\x00\xD8"
                                                                        "a\0",
                                                                        4),
                                 TextEncoding::Auto, "サロゲート"},
                    BadInputCase{"NulInUtf8", std::string("歌\0詞", 7), TextEncoding::Auto, "NUL"},
                    BadInputCase{"NulInUtf16", Utf16(std::u16string(u"a\0b", 3), false, true),
                                 TextEncoding::Auto, "NUL"},
                    BadInputCase{"ForcedUtf8NotUtf8", "\x82\xA0", TextEncoding::Utf8, "UTF-8"}),
    [](const auto& info) { return info.param.name; });

TEST(ReadTextInput, RefusesAFileTooLargeForLyricsWithoutReadingIt) {
    TempFolder folder;
    folder.write("big.txt", "");
    std::filesystem::resize_file(folder / "big.txt", 50 * 1024 * 1024);
    const TextRead read = ReadTextInput(folder / "big.txt", TextEncoding::Auto, kAccept);
    EXPECT_EQ(read.status, TextReadStatus::Rejected);
    EXPECT_THAT(read.message, HasSubstr("大きすぎます"));
}

TEST(ReadTextInput, MissingFileIsUnreadable) {
    TempFolder folder;
    const TextRead read = ReadTextInput(folder / "none.txt", TextEncoding::Auto, kAccept);
    EXPECT_EQ(read.status, TextReadStatus::Unreadable);
    EXPECT_THAT(read.message, HasSubstr("none.txt"));
}

TEST(EncodingNames, RoundTrip) {
    for (const auto encoding : {TextEncoding::Auto, TextEncoding::ShiftJis, TextEncoding::Utf8,
                                TextEncoding::Utf16, TextEncoding::EucJp})
        EXPECT_EQ(EncodingFromName(EncodingName(encoding)), encoding);
    EXPECT_EQ(EncodingFromName("latin-1"), std::nullopt);
}

// Files the editor writes, read (encoding detected) and saved again, come back
// byte for byte.
class EditorFileRoundTripTest : public testing::TestWithParam<std::vector<std::string>> {};

TEST_P(EditorFileRoundTripTest, SameBytes) {
    Document document;
    document.setTitle(Sj("夜明け"));
    document.setArtist(Sj("歌手～"));
    std::vector<LyricLine> lines;
    int ms = 1230;
    for (const auto& text : GetParam()) {
        lines.push_back({.lyricText = Sj(text), .timeText = FormatTimeText(ms)});
        ms += 4560;
    }
    document.lyrics.assignLines(std::move(lines));
    TempFolder folder;
    ASSERT_FALSE(WriteTextFile(folder / "a.txt", BuildCompletedText(document, {})));
    const std::string written = folder.read("a.txt");

    Document reread;
    ASSERT_TRUE(ReadTaggedLyrics(reread, folder / "a.txt", {.importInfo = false}, kDecline));
    ASSERT_FALSE(WriteTextFile(folder / "b.txt",
                               BuildCompletedText(reread, {.songInfo = SongInfoMode::None})));
    EXPECT_EQ(folder.read("b.txt"), written);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, EditorFileRoundTripTest,
    testing::Values(std::vector<std::string>{"夜明けの街を", "君と歩こう", "どこまでも", ""},
                    std::vector<std::string>{"ｶﾀｶﾅとカタカナ", "①②③ ～ ∥ －", "髙﨑"},
                    std::vector<std::string>{"la la la", "a <00:01.00> b"},
                    std::vector<std::string>{"漢字", "ソ表能"}));

}  // namespace
}  // namespace obrin
