#include "base/iconv_converter.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <system_error>

namespace obrin {
namespace {

struct ConvertCase {
    const char* name;
    std::string in;
    int error;
    std::string converted;  // what `out` holds on return
    std::string rest;       // what is left of `in`
};

class IconvConverterTest : public testing::TestWithParam<ConvertCase> {};

// The output starts without room, so every conversion has to grow it.
TEST_P(IconvConverterTest, ConvertsUpToWhatStopsIt) {
    IconvConverter cd("UTF-8", "CP932");
    std::string_view in = GetParam().in;
    std::string out;
    std::size_t used = 0;
    EXPECT_EQ(cd.convert(in, out, used), GetParam().error);
    EXPECT_EQ(out.substr(0, used), GetParam().converted);
    EXPECT_EQ(in, GetParam().rest);
}

const std::string kLongText(100000, 'a');
INSTANTIATE_TEST_SUITE_P(
    Inputs, IconvConverterTest,
    testing::Values(ConvertCase{"Empty", "", 0, "", ""},
                    ConvertCase{"Whole", "a\x82\xA0", 0, "aあ", ""},
                    ConvertCase{"Long", kLongText + "\x82\xA0", 0, kLongText + "あ", ""},
                    ConvertCase{"StopsAtAPairTheTableLacks", "a\x85\x40z", EILSEQ, "a",
                                "\x85\x40z"},
                    ConvertCase{"StopsAtACutOffCharacter", "a\x82", EINVAL, "a", "\x82"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IconvConverter, GoesOnAfterAStop) {
    IconvConverter cd("UTF-8", "CP932");
    std::string_view in = "\xFF\x82\xA0";
    std::string out;
    std::size_t used = 0;
    ASSERT_EQ(cd.convert(in, out, used), EILSEQ);
    in.remove_prefix(1);
    EXPECT_EQ(cd.convert(in, out, used), 0);
    EXPECT_EQ(out.substr(0, used), "あ");
}

TEST(IconvConverter, UnknownEncodingThrows) {
    EXPECT_THROW(IconvConverter("UTF-8", "NO-SUCH-ENCODING"), std::system_error);
}

}  // namespace
}  // namespace obrin
