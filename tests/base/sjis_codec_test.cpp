#include "base/sjis_codec.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace obrin {
namespace {

// ---- characters with a CP932 form: exact bytes, and back ----

struct RoundTripCase {
    const char* name;
    std::string utf8;
    std::string sjis;
};

class SjisRoundTripTest : public testing::TestWithParam<RoundTripCase> {};

TEST_P(SjisRoundTripTest, EncodesToTheExactBytesAndBack) {
    EXPECT_EQ(Utf8ToSjis(GetParam().utf8), GetParam().sjis);
    EXPECT_EQ(SjisToUtf8(GetParam().sjis), GetParam().utf8);
}

INSTANTIATE_TEST_SUITE_P(
    Characters, SjisRoundTripTest,
    testing::Values(
        // The characters whose Unicode form differs between JIS and Microsoft
        // tables; CP932 decodes to the Microsoft (full-width) forms.
        RoundTripCase{"FullwidthTilde", "～", "\x81\x60"},
        RoundTripCase{"ParallelTo", "∥", "\x81\x61"},
        RoundTripCase{"FullwidthHyphenMinus", "－", "\x81\x7C"},
        RoundTripCase{"FullwidthNotSign", "￢", "\x81\xCA"},
        RoundTripCase{"CircledOne", "①", "\x87\x40"},
        RoundTripCase{"ApproximatelyEqual", "≒", "\x81\xE0"},
        // NEC special characters (row 13).
        RoundTripCase{"RomanOne", "Ⅰ", "\x87\x54"}, RoundTripCase{"SquareMilli", "㍉", "\x87\x5F"},
        RoundTripCase{"SquareKiro", "㌔", "\x87\x60"}, RoundTripCase{"Numero", "№", "\x87\x82"},
        RoundTripCase{"ParenthesizedStock", "㈱", "\x87\x8A"},
        RoundTripCase{"ContourIntegral", "∮", "\x87\x93"},
        RoundTripCase{"RightTriangle", "⊿", "\x87\x99"},
        // IBM extensions (rows FA-FC), where NEC-selected IBM twins encode to.
        RoundTripCase{"SmallRomanOne", "ⅰ", "\xFA\x40"},
        RoundTripCase{"FullwidthBrokenBar", "￤", "\xFA\x55"},
        RoundTripCase{"FullwidthQuote", "＂", "\xFA\x57"},
        RoundTripCase{"IbmKanjiFA5C", "纊", "\xFA\x5C"},
        RoundTripCase{"IbmKanjiFC4B", "黑", "\xFC\x4B"},
        // Everyday text: ASCII keeps 5C and 7E, half-width katakana is one byte.
        RoundTripCase{"Ascii", "a\\~[]|", "a\\~[]|"},
        RoundTripCase{"HalfwidthKatakana", "ｱﾝ", "\xB1\xDD"},
        RoundTripCase{"Hiragana", "あ", "\x82\xA0"},
        RoundTripCase{"Kanji", "漢字", "\x8A\xBF\x8E\x9A"},
        RoundTripCase{"IdeographicSpace", "　", "\x81\x40"},
        RoundTripCase{"Nul", std::string("a\0b", 3), std::string("a\0b", 3)},
        RoundTripCase{"Empty", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- forms that CP932 folds onto the bytes above ----

struct FoldCase {
    const char* name;
    std::string utf8;
    std::string sjis;
};

class SjisFoldTest : public testing::TestWithParam<FoldCase> {};

TEST_P(SjisFoldTest, EncodesToTheSameBytes) {
    EXPECT_EQ(Utf8ToSjis(GetParam().utf8), GetParam().sjis);
}

INSTANTIATE_TEST_SUITE_P(JisForms, SjisFoldTest,
                         testing::Values(FoldCase{"WaveDash", "〜", "\x81\x60"},
                                         FoldCase{"DoubleVerticalLine", "‖", "\x81\x61"},
                                         FoldCase{"MinusSign", "−", "\x81\x7C"},
                                         FoldCase{"NotSign", "¬", "\x81\xCA"}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- duplicate codes: decode like their twin, encode to the twin's bytes ----

struct DuplicateCase {
    const char* name;
    std::string sjis;
    std::string utf8;
    std::string canonical;
};

class SjisDuplicateTest : public testing::TestWithParam<DuplicateCase> {};

TEST_P(SjisDuplicateTest, DecodesLikeItsTwin) {
    EXPECT_EQ(SjisToUtf8(GetParam().sjis), GetParam().utf8);
    EXPECT_EQ(Utf8ToSjis(GetParam().utf8), GetParam().canonical);
}

INSTANTIATE_TEST_SUITE_P(
    NecAndIbmRows, SjisDuplicateTest,
    testing::Values(DuplicateCase{"NecSelectedKanji", "\xED\x40", "纊", "\xFA\x5C"},
                    DuplicateCase{"NecSelectedSmallRoman", "\xEE\xEF", "ⅰ", "\xFA\x40"},
                    DuplicateCase{"NecSelectedNotSign", "\xEE\xF9", "￢", "\x81\xCA"},
                    DuplicateCase{"IbmNotSign", "\xFA\x54", "￢", "\x81\xCA"},
                    DuplicateCase{"IbmRomanOne", "\xFA\x4A", "Ⅰ", "\x87\x54"},
                    DuplicateCase{"IbmBecause", "\xFA\x5B", "∵", "\x81\xE6"},
                    DuplicateCase{"NecApproximatelyEqual", "\x87\x90", "≒", "\x81\xE0"},
                    DuplicateCase{"NecIdenticalTo", "\x87\x91", "≡", "\x81\xDF"},
                    DuplicateCase{"NecIntegral", "\x87\x92", "∫", "\x81\xE7"}),
    [](const auto& info) { return std::string(info.param.name); });

// Every two-byte code the table knows survives decode -> encode -> decode.
TEST(SjisCodec, EveryDecodableCodeEncodesBackToTheSameCharacter) {
    int decodable = 0;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            const std::string sjis{static_cast<char>(lead), static_cast<char>(trail)};
            const std::string utf8 = SjisToUtf8(sjis);
            if (utf8.find("\xEF\xBF\xBD") != std::string::npos) continue;
            ++decodable;
            std::string back;
            ASSERT_NO_THROW(back = Utf8ToSjis(utf8)) << std::hex << lead << ' ' << trail;
            EXPECT_EQ(SjisToUtf8(back), utf8) << std::hex << lead << ' ' << trail;
        }
    }
    // JIS X 0208 with the NEC and IBM rows and the user-defined area.
    EXPECT_GT(decodable, 9000);
}

// The byte classes are the table's own: a byte that decodes by itself never
// leads, every two-byte code the table knows starts with a lead byte, and
// the trail bytes are exactly those that end one.
TEST(SjisCodec, ByteClassesMatchTheTable) {
    const auto decodes = [](const std::string& sjis) {
        return SjisToUtf8(sjis).find("\xEF\xBF\xBD") == std::string::npos;
    };
    std::array<bool, 256> endsACode{};
    for (int lead = 0; lead < 256; ++lead) {
        if (decodes(std::string(1, static_cast<char>(lead)))) {
            EXPECT_FALSE(IsSjisLeadByte(lead)) << std::hex << lead;
            continue;
        }
        for (int trail = 0; trail < 256; ++trail) {
            if (!decodes({static_cast<char>(lead), static_cast<char>(trail)})) continue;
            EXPECT_TRUE(IsSjisLeadByte(lead)) << std::hex << lead << ' ' << trail;
            endsACode[trail] = true;
        }
    }
    for (int trail = 0; trail < 256; ++trail)
        EXPECT_EQ(IsSjisTrailByte(trail), endsACode[trail]) << std::hex << trail;
}

// ---- no CP932 form: an error that names the character ----

struct RejectCase {
    const char* name;
    std::string utf8;
    char32_t codePoint;
    std::string named;  // text the message must contain
};

class SjisRejectTest : public testing::TestWithParam<RejectCase> {};

TEST_P(SjisRejectTest, ThrowsNamingTheCharacter) {
    try {
        (void)Utf8ToSjis(GetParam().utf8);
        FAIL() << "no SjisError";
    } catch (const SjisError& e) {
        EXPECT_EQ(e.codePoint(), GetParam().codePoint);
        EXPECT_NE(std::string(e.what()).find(GetParam().named), std::string::npos) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    NoForm, SjisRejectTest,
    testing::Values(RejectCase{"Euro", "€", 0x20AC, "「€」(U+20AC)"},
                    RejectCase{"AccentedLetter", "café", 0xE9, "「é」(U+00E9)"},
                    RejectCase{"KanjiOutsideTheTable", "丂", 0x4E02, "「丂」(U+4E02)"},
                    RejectCase{"Emoji", "歌😀", 0x1F600, "(U+1F600)"},
                    RejectCase{"ReplacementCharacter", "\xEF\xBF\xBD", 0xFFFD, "(U+FFFD)"},
                    RejectCase{"AfterGoodText", "あいう①€", 0x20AC, "U+20AC"}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(NotUtf8, SjisRejectTest,
                         testing::Values(RejectCase{"StrayByte", "a\xFF", 0xFF, "0xFF"},
                                         RejectCase{"CutOffSequence", "a\xE3\x81", 0xE3, "0xE3"},
                                         RejectCase{"Overlong", "\xC0\xAF", 0xC0, "0xC0"},
                                         RejectCase{"Surrogate", "\xED\xA0\x80", 0xED, "0xED"},
                                         RejectCase{"ShiftJisBytes", "\x82\xA0", 0x82, "0x82"}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- bytes that are not CP932: U+FFFD, never an exception ----

struct InvalidCase {
    const char* name;
    std::string sjis;
    std::string utf8;
};

class SjisInvalidBytesTest : public testing::TestWithParam<InvalidCase> {};

TEST_P(SjisInvalidBytesTest, BecomeReplacementCharacters) {
    std::string utf8;
    ASSERT_NO_THROW(utf8 = SjisToUtf8(GetParam().sjis));
    EXPECT_EQ(utf8, GetParam().utf8);
}

#define FFFD "\xEF\xBF\xBD"
INSTANTIATE_TEST_SUITE_P(Bytes, SjisInvalidBytesTest,
                         testing::Values(InvalidCase{"Byte80", "\x80", FFFD},
                                         InvalidCase{"ByteA0", "\xA0", FFFD},
                                         InvalidCase{"BytesFDtoFF", "\xFD\xFE\xFF", FFFD FFFD FFFD},
                                         InvalidCase{"LoneLeadAtEnd", "a\x81", "a" FFFD},
                                         InvalidCase{"LeadOnlyInput", "\xE0", FFFD},
                                         InvalidCase{"LeadBeforeAscii",
                                                     "\x81"
                                                     "1",
                                                     FFFD "1"},
                                         InvalidCase{"LeadBeforeNul", std::string("\x81\0a", 3),
                                                     std::string(FFFD "\0a", 5)},
                                         InvalidCase{"LeadBeforeDelete", "\x81\x7F", FFFD "\x7F"},
                                         InvalidCase{"UnmappedPair",
                                                     "\x85\x40"
                                                     "b",
                                                     FFFD "b"},
                                         InvalidCase{"BadThenGood", "\xFF\x82\xA0", FFFD "あ"}),
                         [](const auto& info) { return std::string(info.param.name); });
// Long texts are converted in slices; characters and bad sequences that
// straddle a slice's end must come out as if there were no slices.
const std::string kLongPrefix(4095, 'a');
INSTANTIATE_TEST_SUITE_P(
    AcrossSlices, SjisInvalidBytesTest,
    testing::Values(InvalidCase{"WholeCharacter", kLongPrefix + "\x82\xA0", kLongPrefix + "あ"},
                    InvalidCase{"LeadBeforeAscii",
                                kLongPrefix + "\x81"
                                              "1",
                                kLongPrefix + FFFD "1"},
                    InvalidCase{"UnmappedPair", kLongPrefix + "\x85\x40", kLongPrefix + FFFD},
                    InvalidCase{"LoneLeadAtEnd", kLongPrefix + "\x81", kLongPrefix + FFFD}),
    [](const auto& info) { return std::string(info.param.name); });
#undef FFFD

TEST(SjisCodec, TenMegabytesRoundTrip) {
    const std::string unit = "あ～①ｱa\\" + std::string(1, '\0');
    const std::string sjisUnit = Utf8ToSjis(unit);
    std::string sjis;
    while (sjis.size() < 10 * 1024 * 1024) sjis += sjisUnit;
    const std::string utf8 = SjisToUtf8(sjis);
    EXPECT_EQ(utf8.size(), sjis.size() / sjisUnit.size() * unit.size());
    EXPECT_EQ(Utf8ToSjis(utf8), sjis);
}

TEST(SjisCodec, TenMegabytesOfBadBytesDecodeToValidUtf8) {
    std::string sjis;
    sjis.reserve(10 * 1024 * 1024);
    unsigned state = 12345;
    while (sjis.size() < 10 * 1024 * 1024) {
        state = state * 1103515245u + 12345u;
        sjis += static_cast<char>(state >> 16);
    }
    std::string utf8;
    ASSERT_NO_THROW(utf8 = SjisToUtf8(sjis));
    // Whatever came in, what goes out is text the other direction accepts,
    // except the replacement characters themselves.
    std::string withoutReplacements;
    for (std::size_t at = 0; at < utf8.size();) {
        if (utf8.compare(at, 3, "\xEF\xBF\xBD") == 0) {
            at += 3;
        } else {
            withoutReplacements += utf8[at++];
        }
    }
    EXPECT_NO_THROW((void)Utf8ToSjis(withoutReplacements));
}

}  // namespace
}  // namespace obrin
