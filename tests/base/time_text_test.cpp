#include "base/time_text.h"

#include <gtest/gtest.h>

#include "base/conversion_error.h"

namespace obrin {
namespace {

struct FormatCase {
    std::int32_t ms;
    const char* text;
};

class FormatTimeTextTest : public testing::TestWithParam<FormatCase> {};

TEST_P(FormatTimeTextTest, Writes) { EXPECT_EQ(FormatTimeText(GetParam().ms), GetParam().text); }

INSTANTIATE_TEST_SUITE_P(Limits, FormatTimeTextTest,
                         testing::Values(FormatCase{-1, "00:00:00"}, FormatCase{INT32_MIN, "00:00:00"},
                                         FormatCase{0, "00:00:00"}, FormatCase{9, "00:00:00"},
                                         FormatCase{10, "00:00:01"}, FormatCase{1239, "00:01:23"},
                                         FormatCase{59999, "00:59:99"}, FormatCase{60000, "01:00:00"},
                                         FormatCase{83456, "01:23:45"},
                                         FormatCase{5999990, "99:59:99"},
                                         FormatCase{6000000, "100:00:00"},
                                         FormatCase{INT32_MAX, "35791:23:64"}));

struct ParseCase {
    const char* text;
    std::int32_t ms;
};

class ParseTimeTextTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseTimeTextTest, Reads) { EXPECT_EQ(ParseTimeText(GetParam().text), GetParam().ms); }

INSTANTIATE_TEST_SUITE_P(
    Positions, ParseTimeTextTest,
    testing::Values(ParseCase{"01:23:45", 83450}, ParseCase{"99:59:99", 5999990},
                    ParseCase{"00:00:00", 0},
                    // Separators and anything after position 8 are not examined.
                    ParseCase{"01x23y45", 83450}, ParseCase{"00:01:23trailing", 1230},
                    ParseCase{"00:99:99", 99990}));

class ParseTimeTextFailureTest : public testing::TestWithParam<const char*> {};

TEST_P(ParseTimeTextFailureTest, RaisesConversionError) {
    EXPECT_THROW((void)ParseTimeText(GetParam()), ConversionError);
}

INSTANTIATE_TEST_SUITE_P(Unreadable, ParseTimeTextFailureTest,
                         testing::Values("100:00:00", "", "00:00:0", "0a:00:00", "00:00: 1",
                                         "  :00:00"));

TEST(ParseTimeText, ErrorCarriesTheUsersMessage) {
    try {
        (void)ParseTimeText("100:00:00");
        FAIL();
    } catch (const ConversionError& e) {
        EXPECT_EQ(std::string(e.what()), "':0' は有効な整数値ではありません");
    }
}

TEST(TimeText, RoundTripKeepsHundredthsOnly) {
    EXPECT_EQ(ParseTimeText(FormatTimeText(1239)), 1230);
    EXPECT_EQ(ParseTimeText(FormatTimeText(83456)), 83450);
}

}  // namespace
}  // namespace obrin
