#include "export/ass_karaoke.h"

#include <gtest/gtest.h>

#include "sjis_lines.h"

namespace obrin {
namespace {

using test::Sj;

// The script's Dialogue lines, without the "Dialogue: 0," in front.
std::vector<std::string> Dialogues(const std::string& script) {
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while ((pos = script.find("\nDialogue: 0,", pos)) != std::string::npos) {
        pos += 13;
        lines.push_back(script.substr(pos, script.find('\n', pos) - pos));
    }
    return lines;
}

struct AssCase {
    const char* name;
    std::vector<LyricLine> lines;
    int leadInCs;
    std::vector<std::string> dialogues;
};

class AssKaraokeTest : public testing::TestWithParam<AssCase> {};

TEST_P(AssKaraokeTest, WritesOneDialoguePerTimedLine) {
    Document document;
    document.lyrics.assignLines(std::vector<LyricLine>(GetParam().lines));
    EXPECT_EQ(Dialogues(FormatAssKaraoke(document, {.leadInCs = GetParam().leadInCs})),
              GetParam().dialogues);
}

LyricLine Line(const char* time, const char* text, LineUnits units = {}) {
    return {.lyricText = Sj(text), .timeText = time, .units = std::move(units)};
}

INSTANTIATE_TEST_SUITE_P(
    Lines, AssKaraokeTest,
    testing::Values(
        AssCase{"UnitsToTheirEnd",
                {Line("00:10:00", "あい",
                      {.units = {{Sj("あ"), 1000}, {Sj("い"), 1030}}, .end = 1120})},
                100,
                {"0:00:09.00,0:00:11.20,Default,,0,0,0,,{\\k100}{\\kf30}あ{\\kf90}い"}},
        AssCase{"WholeLineToTheNextAndLeadInNotBelowZero",
                {Line("00:00:50", "{a}\\"), Line("00:03:00", "b"), Line("00:00:00", "untimed")},
                100,
                {"0:00:00.00,0:00:03.00,Default,,0,0,0,,{\\k50}{\\kf250}｛a｝＼",
                 "0:00:02.00,0:00:13.00,Default,,0,0,0,,{\\k100}{\\kf1000}b"}},
        AssCase{"NextLineFarAwayIsCapped",
                {Line("00:01:00", "a"), Line("01:00:00", "b")},
                0,
                {"0:00:01.00,0:00:11.00,Default,,0,0,0,,{\\k0}{\\kf1000}a",
                 "0:01:00.00,0:01:10.00,Default,,0,0,0,,{\\k0}{\\kf1000}b"}},
        AssCase{"UntimedUnitJoinsAndBackwardsUnitWaits",
                {Line("00:10:00", "あいう",
                      {.units = {{Sj("あ"), 1000}, {Sj("い"), kNoUnitTime}, {Sj("う"), 990}},
                       .end = 1100})},
                0,
                {"0:00:10.00,0:00:11.00,Default,,0,0,0,,{\\k0}{\\kf0}あい{\\kf100}う"}}),
    [](const auto& info) { return info.param.name; });

// A base with a reading gets a Comment in the furigana syntax beside the
// playable Dialogue, which wipes the base over all its morae.
TEST(AssKaraoke, RubyGoesToACommentInFuriganaSyntax) {
    Document document;
    document.setRuby(
        {{.base = Sj("明日"), .morae = {{Sj("あ"), kNoUnitTime}, {Sj("し"), kNoUnitTime}}}});
    document.lyrics.assignLines(
        {Line("00:10:00", "明日は",
              {.units = {{Sj("明日"), 1000}, {"", 1030}, {Sj("は"), 1060}}, .end = 1100}),
         Line("00:12:00", "明日")});
    const std::string script = FormatAssKaraoke(document, {.leadInCs = 0});
    EXPECT_NE(
        script.find("\nDialogue: 0,0:00:10.00,0:00:11.00,Default,,0,0,0,,"
                    "{\\k0}{\\kf60}明日{\\kf40}は\n"
                    "Comment: 0,0:00:10.00,0:00:11.00,Default,,0,0,0,karaoke,"
                    "{\\k0}{\\kf30}明日|あ{\\kf30}#|し{\\kf40}は\n"
                    "Dialogue: 0,0:00:12.00,0:00:22.00,Default,,0,0,0,,{\\k0}{\\kf1000}明日\n"),
        std::string::npos)
        << script;
    EXPECT_EQ(script.find("Comment: 0,0:00:12"), std::string::npos);
}

}  // namespace
}  // namespace obrin
