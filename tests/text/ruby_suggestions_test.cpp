#include "text/ruby_suggestions.h"

#include <gtest/gtest.h>

#include "sjis_lines.h"

namespace obrin {
namespace {

using test::Sj;

std::string Shown(const RubyTable& table) {
    std::string shown;
    for (const RubyReading& reading : table)
        shown += SjisToUtf8(reading.base) + "=" + SjisToUtf8(reading.reading()) + " ";
    return shown;
}

// The build installs MeCab's dictionary, so suggestions are there.
TEST(RubySuggestionsTest, KanjiWithoutAReadingGetOneInHiragana) {
    const auto suggester = RubySuggester::open();
    ASSERT_NE(suggester, nullptr);
    const RubyTable known{{.base = Sj("君"), .morae = {{Sj("く")}, {Sj("ん")}}}};
    const RubyTable suggested =
        suggester->suggest({Sj("明日は晴れ"), Sj("君と見た空"), Sj("明日も")}, known);
    EXPECT_EQ(Shown(suggested), "明日=あした 晴=は 見=み 空=そら ");
    ASSERT_FALSE(suggested.empty());
    EXPECT_EQ(suggested[0].morae.size(), 3u);
}

TEST(RubySuggestionsTest, NoDictionaryMeansNoSuggestionsAndNoError) {
    EXPECT_EQ(RubySuggester::open("-d /nonexistent/dictionary"), nullptr);
}

}  // namespace
}  // namespace obrin
