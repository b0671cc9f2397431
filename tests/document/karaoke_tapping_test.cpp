#include "document/karaoke_tapping.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <span>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "base/sjis_codec.h"
#include "shown_units.h"
#include "timing_rig.h"

namespace obrin {
namespace {

using Place = KaraokeTapping::Place;

// The timing core with the tapping beside the Mark, a song playing, and
// lyrics given in UTF-8.
struct TapRig : test::TimingRig {
    std::vector<std::int32_t> onsets;
    bool snapping = false;
    KaraokeTapping tapping{document, playback, dialogs, commands};
    std::vector<std::string> notes;
    Connection noteConnection =
        tapping.noted.connect([this](const std::string& note) { notes.push_back(note); });

    explicit TapRig(const std::vector<std::string>& texts = {"あいう", "かき"}) {
        commands.setOnsetSnapping(
            {.enabled = [this] { return snapping; },
             .onsetsMs = [this] { return std::span(std::as_const(onsets)); }});
        load();
        for (const std::string& text : texts)
            document.lyrics.setLyricText(document.lyrics.add(), Utf8ToSjis(text));
        document.lyrics.select(0);
        playback.playPause();
    }
    void tapAt(double heard) {
        player.setPositionForTest(heard);
        tapping.tap();
    }
    std::string shown(int line) const { return test::ShownUnits(document.lyrics.line(line).units); }
};

// `acts`: "t10.3" taps and "r10.3" releases at that heard second, "b"
// takes back. Every case starts line 0 ("あいう") at 10 s.
struct TapCase {
    const char* name;
    bool releaseTimed;
    const char* acts;
    std::string line0;
    Place next;
};

void PrintTo(const TapCase& c, std::ostream* os) {
    *os << c.name;
}

class TapSequenceTest : public testing::TestWithParam<TapCase> {};

TEST_P(TapSequenceTest, TimesTheUnitsInTurn) {
    TapRig rig;
    rig.tapping.setReleaseTimed(GetParam().releaseTimed);
    std::istringstream acts(GetParam().acts);
    for (std::string act; acts >> act;) {
        if (act.size() > 1) rig.player.setPositionForTest(std::stod(act.substr(1)));
        if (act[0] == 't') rig.tapping.tap();
        if (act[0] == 'r') rig.tapping.release();
        if (act[0] == 'b') rig.tapping.takeBack();
    }
    EXPECT_EQ(rig.shown(0), GetParam().line0);
    EXPECT_EQ(rig.timeText(0), "00:10:00");
    EXPECT_EQ(rig.tapping.current(), GetParam().next);
    EXPECT_EQ(rig.document.lyrics.currentLine(), GetParam().next.line);
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, TapSequenceTest,
    testing::Values(TapCase{"FirstTapIsTheLinesMark", false, "t10", "あ@1000|い|う", {0, 1}},
                    TapCase{"EveryUnitThenTheEndMovesOn",
                            false,
                            "t10 t10.3 t10.6 t11",
                            "あ@1000|い@1030|う@1060/1100",
                            {1, 0}},
                    TapCase{"TakeBackAcrossTheLineBoundary",
                            false,
                            "t10 t10.3 t10.6 t11 b b",
                            "あ@1000|い@1030|う",
                            {0, 2}},
                    TapCase{"AnEarlyTapStaysAfterTheUnitBefore",
                            false,
                            "t10 t10.3 t10.2",
                            "あ@1000|い@1030|う@1030",
                            {0, 3}},
                    TapCase{"ReleaseOfTheLastUnitEndsTheLine",
                            true,
                            "t10 r10.1 t10.3 t10.6 r10.9",
                            "あ@1000|い@1030|う@1060/1090",
                            {1, 0}},
                    TapCase{"ReleaseIsIgnoredWithTheOptionOff",
                            false,
                            "t10 t10.3 t10.6 r10.9",
                            "あ@1000|い@1030|う@1060",
                            {0, 3}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(KaraokeTapping, RetimingFromAMiddleUnitClearsTheUnitsAfterIt) {
    TapRig rig;
    for (double t : {10.0, 10.3, 10.6, 11.0}) rig.tapAt(t);
    rig.tapping.setCurrent(0, 1);
    rig.tapAt(10.5);
    EXPECT_EQ(rig.shown(0), "あ@1000|い@1050|う");
    EXPECT_EQ(rig.tapping.current(), (Place{0, 2}));
}

// Away from normal speed the sample heard runs apart from the even
// position, and snapping moves a tap as it moves a mark, never before the
// unit tapped before it.
TEST(KaraokeTapping, StampsTheHeardSampleAndSnapsWithinTheLine) {
    TapRig rig;
    rig.player.setPositionsForTest(20.0, 20.04);
    rig.tapping.tap();
    rig.snapping = true;
    rig.onsets = {20030, 20350};
    rig.tapAt(20.3);
    rig.onsets = {20340, 20500};
    rig.tapAt(20.45);
    EXPECT_EQ(rig.shown(0), "あ@2004|い@2035|う@2050");
}

TEST(KaraokeTapping, ARubyReadingIsTappedMoraByMora) {
    TapRig rig({"空へ"});
    rig.document.setRuby({{.base = Utf8ToSjis("空"),
                           .morae = {{.text = Utf8ToSjis("そ")}, {.text = Utf8ToSjis("ら")}}}});
    for (double t : {5.0, 5.2, 5.4, 5.8}) rig.tapAt(t);
    EXPECT_EQ(rig.shown(0), "空@500|+@520|へ@540/580");
}

TEST(KaraokeTapping, EachLinesTapsAreOneUndoStep) {
    TapRig rig;
    for (double t : {10.0, 10.3, 10.6, 11.0, 12.0, 12.4}) rig.tapAt(t);
    rig.tapping.takeBack();
    rig.tapAt(12.5);
    EXPECT_EQ(rig.shown(1), "か@1200|き@1250");
    rig.document.history.undo();
    EXPECT_EQ(rig.shown(1), "");
    EXPECT_EQ(rig.timeText(1), "00:00:00");
    EXPECT_EQ(rig.shown(0), "あ@1000|い@1030|う@1060/1100");
    EXPECT_EQ(rig.tapping.current(), (Place{1, 0}));
    rig.document.history.undo();
    EXPECT_EQ(rig.shown(0), "");
    EXPECT_EQ(rig.timeText(0), "00:00:00");
    EXPECT_FALSE(rig.document.history.canUndo());
}

TEST(KaraokeTapping, ATakeBackAfterAnUndoTakesNothing) {
    TapRig rig;
    rig.tapAt(10.0);
    rig.tapAt(10.3);
    rig.document.history.undo();
    rig.tapping.takeBack();
    EXPECT_EQ(rig.timeText(0), "00:00:00");
    EXPECT_FALSE(rig.document.history.canUndo());
    EXPECT_EQ(rig.notes.back(), KaraokeTapping::kNothingToTakeBackNote);
}

// Changes made outside the tapping while line 0 is half tapped: where the
// next tap goes, and what line 0 then holds.
struct OutsideChange {
    const char* name;
    std::function<void(LyricList&)> change;
    Place next;
    std::string line0;
};

void PrintTo(const OutsideChange& c, std::ostream* os) {
    *os << c.name;
}

class OutsideChangeTest : public testing::TestWithParam<OutsideChange> {};

TEST_P(OutsideChangeTest, SendsTheNextTapWhereTheLinesAreNow) {
    TapRig rig({"あいう", "かきく", "さし"});
    rig.tapAt(10.0);
    rig.tapAt(10.3);
    GetParam().change(rig.document.lyrics);
    EXPECT_EQ(rig.tapping.current(), GetParam().next);
    rig.tapAt(20.0);
    EXPECT_EQ(rig.shown(0), GetParam().line0);
}

INSTANTIATE_TEST_SUITE_P(
    Outside, OutsideChangeTest,
    testing::Values(OutsideChange{"ACheckMarkKeepsThePlace",
                                  [](LyricList& l) { l.toggleCheck(0); },
                                  {0, 2},
                                  "あ@1000|い@1030|う@2000"},
                    OutsideChange{"TheLineTimedDeletedStartsTheNextFromItsFirstUnit",
                                  [](LyricList& l) {
                                      l.select(0);
                                      l.remove(0);
                                      l.select(0);
                                  },
                                  {0, 0},
                                  "か@2000|き|く"},
                    OutsideChange{"DeletedWithNothingSelectedStartsOverAtTheSamePlace",
                                  [](LyricList& l) { l.remove(0); },
                                  {0, 0},
                                  "か@2000|き|く"},
                    OutsideChange{"OtherLyricsStartOver",
                                  [](LyricList& l) { l.assign({"\x82\xa0\x82\xa2\x82\xa4"}); },
                                  {0, 0},
                                  "あ@2000|い|う"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(KaraokeTapping, ATakeBackGivesTheLineItsDraftAgain) {
    TapRig rig;
    rig.document.lyrics.setDraft(0, {990, 1200});
    rig.tapAt(10.0);
    EXPECT_TRUE(rig.document.lyrics.line(0).draft.empty());
    rig.tapping.takeBack();
    EXPECT_EQ(rig.document.lyrics.line(0).draft, (LineDraft{990, 1200}));
}

TEST(KaraokeTapping, AnEmptyLineTakesOnlyItsTime) {
    TapRig rig({"", "かき"});
    rig.tapAt(3.0);
    EXPECT_EQ(rig.timeText(0), "00:03:00");
    EXPECT_EQ(rig.tapping.current(), (Place{1, 0}));
    EXPECT_EQ(rig.notes.back(), KaraokeTapping::kEmptyLineNote);
}

struct RefusalCase {
    const char* name;
    void (*arrange)(TapRig&);
    std::string error;
    std::string note;
};

void PrintTo(const RefusalCase& c, std::ostream* os) {
    *os << c.name;
}

class TapRefusalTest : public testing::TestWithParam<RefusalCase> {};

TEST_P(TapRefusalTest, ChangesNothingAndSaysWhy) {
    TapRig rig;
    GetParam().arrange(rig);
    const DocumentContent before = ContentOf(rig.document);
    rig.tapAt(30.0);
    EXPECT_TRUE(SameContent(ContentOf(rig.document), before));
    const std::vector<std::string> errors = rig.dialogs.errors();
    EXPECT_EQ(errors.empty() ? "" : errors.back(), GetParam().error);
    EXPECT_EQ(rig.notes.empty() ? "" : rig.notes.back(), GetParam().note);
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, TapRefusalTest,
    testing::Values(RefusalCase{"NoSong", [](TapRig& rig) { rig.playback.unloadPlayer(); },
                                PlaybackControl::kNoMusicFileMessage, ""},
                    RefusalCase{"Paused", [](TapRig& rig) { rig.playback.playPause(); }, "",
                                KaraokeTapping::kNotPlayingNote},
                    RefusalCase{"PastTheLastLine",
                                [](TapRig& rig) {
                                    rig.tapping.setCurrent(1, 2);
                                    rig.tapAt(12.0);
                                },
                                "", KaraokeTapping::kAllDoneNote}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(KaraokeTapping, RestartPlaysFromBeforeTheLineAndStartsItAgain) {
    TapRig rig;
    rig.document.lyrics.setTimeText(1, "00:20:00");
    rig.tapping.setCurrent(1, 2);
    rig.tapping.restartLine();
    EXPECT_EQ(rig.player.seeks.back(), 17.0);
    EXPECT_TRUE(rig.playback.isPlaying());
    EXPECT_EQ(rig.tapping.current(), (Place{1, 0}));
}

TEST(KaraokeTapping, RestartOfALinePastTheSongsEndSaysSo) {
    TapRig rig;
    rig.load(15.0);
    rig.document.lyrics.setTimeText(1, "00:20:00");
    rig.tapping.setCurrent(1, 1);
    rig.tapping.restartLine();
    EXPECT_TRUE(rig.player.seeks.empty());
    EXPECT_EQ(rig.notes.back(), KaraokeTapping::kPastSongEndNote);
}

}  // namespace
}  // namespace obrin
