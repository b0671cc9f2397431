#include "document/undo_history.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "document/undo_command_entries.h"
#include "timing_rig.h"

namespace obrin {
namespace {

using test::TimingRig;

// Everything an undo must bring back, selection included, as text, so that
// a failure shows what differs.
std::string StateOf(const Document& document) {
    std::ostringstream out;
    for (const LyricLine& line : document.lyrics.lines()) {
        out << line.lyricText << '|' << line.timeText << '|' << line.stateIndex
            << (line.selected ? "|sel" : "");
        for (const TimingUnit& unit : line.units.units)
            out << '|' << unit.text << '@' << unit.start;
        out << "|end " << line.units.end << '\n';
    }
    out << "current " << document.lyrics.currentLine() << "\ntitle " << document.title()
        << "\nartist " << document.artist() << "\nheader " << document.headerLines().size()
        << "\ninfo " << document.infoLines().size() << "\nfromFile " << document.loadedFromFile()
        << "\noffset " << document.markOffset().text() << "\nlistEdit " << document.listEditMode()
        << "\nruby " << document.ruby().size() << '\n';
    return out.str();
}

// Four timed lines "L1".."L4", the second checked, a song loaded at 12 s.
void FourLines(TimingRig& rig) {
    rig.load();
    rig.lines({"00:01:00", "00:02:00", "00:03:00", "00:04:00"});
    rig.document.lyrics.setChecked(1, true);
    rig.document.lyrics.setUnits(1, {.units = {{"L", 200}, {"2", 250}}, .end = 290});
    rig.document.setRuby({{.base = "L"}});
    rig.document.setTitle("title");
    rig.document.setInfoLines({"@A=1"});
    rig.player.setPositionForTest(12.0);
}

void Select(TimingRig& rig, std::initializer_list<int> lines) {
    for (int line : lines) rig.document.lyrics.select(line);
}

struct EditCase {
    const char* name;
    std::function<void(TimingRig&)> prepare;  // after FourLines
    std::function<void(TimingRig&)> edit;
    std::string caption;
};

class EveryEdit : public testing::TestWithParam<EditCase> {};

TEST_P(EveryEdit, UndoRedoAndANewEditAfterUndo) {
    const EditCase& c = GetParam();
    TimingRig rig;
    FourLines(rig);
    c.prepare(rig);
    UndoHistory& history = rig.document.history;
    const std::string before = StateOf(rig.document);

    c.edit(rig);
    const std::string after = StateOf(rig.document);
    ASSERT_NE(after, before);
    ASSERT_TRUE(history.canUndo());
    EXPECT_FALSE(history.canRedo());
    EXPECT_EQ(history.undoCaption(), c.caption);
    EXPECT_EQ(UndoItemCaption(history), "元に戻す: " + c.caption + "(&U)");

    const double position = rig.player.currentPosition();
    history.undo();
    EXPECT_EQ(StateOf(rig.document), before);
    EXPECT_FALSE(history.canUndo());
    EXPECT_EQ(history.redoCaption(), c.caption);
    EXPECT_EQ(RedoItemCaption(history), "やり直し: " + c.caption + "(&R)");
    EXPECT_EQ(rig.player.currentPosition(), position);  // undo leaves the song alone

    history.redo();
    EXPECT_EQ(StateOf(rig.document), after);
    EXPECT_EQ(history.undoCaption(), c.caption);
    EXPECT_FALSE(history.canRedo());

    // A new edit after an undo forgets the redo, and is itself one step.
    history.undo();
    rig.commands.appendLine();
    EXPECT_FALSE(history.canRedo());
    EXPECT_EQ(history.undoCaption(), "最終行へ追加");
    history.undo();
    EXPECT_EQ(StateOf(rig.document), before);
    EXPECT_FALSE(history.canUndo());
}

const auto kNothing = [](TimingRig&) {};

INSTANTIATE_TEST_SUITE_P(
    Commands, EveryEdit,
    testing::Values(
        EditCase{"Mark", [](TimingRig& r) { Select(r, {1}); },
                 [](TimingRig& r) { r.commands.mark(); }, "マーク"},
        EditCase{"MarkTopmostRow", [](TimingRig& r) { r.document.lyrics.setTopVisibleLine(2); },
                 [](TimingRig& r) { r.commands.mark(); }, "マーク"},
        EditCase{"MarkLastLine", [](TimingRig& r) { Select(r, {3}); },
                 [](TimingRig& r) { r.commands.mark(); }, "マーク"},
        EditCase{"CheckMixedSelection",
                 [](TimingRig& r) {
                     Select(r, {1, 2});
                 },
                 [](TimingRig& r) { r.commands.checkSelected(); }, "チェック"},
        EditCase{"CheckPrevious", [](TimingRig& r) { Select(r, {2}); },
                 [](TimingRig& r) { r.commands.checkPrevious(); }, "一つ前をチェック"},
        EditCase{"NudgeBack",
                 [](TimingRig& r) {
                     r.document.setListEditMode(true);
                     Select(r, {0, 2});
                 },
                 [](TimingRig& r) { r.commands.moveBy(-1000); }, "1.0秒戻る"},
        EditCase{"NudgeHeldAtZero",
                 [](TimingRig& r) {
                     r.document.setListEditMode(true);
                     Select(r, {0, 1, 2, 3});
                 },
                 [](TimingRig& r) { r.commands.moveBy(-10000); }, "10秒戻る"},
        EditCase{"DeleteTwoRuns",
                 [](TimingRig& r) {
                     Select(r, {0, 1, 3});
                 },
                 [](TimingRig& r) { r.commands.deleteLines(); }, "行を削除"},
        EditCase{"DeleteAll",
                 [](TimingRig& r) {
                     Select(r, {0, 1, 2, 3});
                 },
                 [](TimingRig& r) { r.commands.deleteLines(); }, "行を削除"},
        EditCase{"Insert", [](TimingRig& r) { Select(r, {2}); },
                 [](TimingRig& r) { r.commands.insertLine(); }, "行を追加"},
        EditCase{"Append", kNothing, [](TimingRig& r) { r.commands.appendLine(); }, "最終行へ追加"},
        EditCase{"Merge", [](TimingRig& r) { Select(r, {1}); },
                 [](TimingRig& r) { r.commands.mergeWithNext(); }, "次の行と併合"},
        EditCase{"ClearChecks", kNothing, [](TimingRig& r) { r.commands.clearChecks(); },
                 "すべてのチェックをはずす"},
        EditCase{"MarkOffsetUp", kNothing, [](TimingRig& r) { r.document.stepMarkOffsetUp(); },
                 "マーク位置"},
        EditCase{"MarkOffsetDown", kNothing, [](TimingRig& r) { r.document.stepMarkOffsetDown(); },
                 "マーク位置"}),
    [](const testing::TestParamInfo<EditCase>& info) { return std::string(info.param.name); });

struct NoEditCase {
    const char* name;
    std::function<void(TimingRig&)> act;
};

class NotAnEdit : public testing::TestWithParam<NoEditCase> {};

// Commands that change no content, or are refused, leave no step.
TEST_P(NotAnEdit, LeavesNoStep) {
    TimingRig rig;
    FourLines(rig);
    GetParam().act(rig);
    EXPECT_FALSE(rig.document.history.canUndo());
}

INSTANTIATE_TEST_SUITE_P(
    Commands, NotAnEdit,
    testing::Values(NoEditCase{"MarkWithUnreadableOffset",
                               [](TimingRig& r) {
                                   r.document.setMarkOffset(MarkOffset::kPlaceholder);
                                   Select(r, {0});
                                   r.commands.mark();
                               }},
                    NoEditCase{"NudgeMovesThePlayPosition",
                               [](TimingRig& r) {
                                   Select(r, {0});
                                   r.commands.moveBy(1000);
                               }},
                    NoEditCase{"NudgeWithNothingSelected",
                               [](TimingRig& r) {
                                   r.document.setListEditMode(true);
                                   r.commands.moveBy(1000);
                               }},
                    NoEditCase{"ListEditModeIsAWayOfWorking",
                               [](TimingRig& r) { r.document.setListEditMode(true); }},
                    NoEditCase{"ConfirmAllRun",
                               [](TimingRig& r) {
                                   r.confirm.confirmAll();
                                   r.timers.advance(5000);
                                   r.confirm.abortConfirm();
                               }},
                    NoEditCase{"MarkOffsetUpAtTheLimit",
                               [](TimingRig& r) {
                                   r.document.setMarkOffset("9.9");
                                   r.document.stepMarkOffsetUp();
                               }}),
    [](const testing::TestParamInfo<NoEditCase>& info) { return std::string(info.param.name); });

TEST(UndoHistory, AMarkRefusedWithoutASongLeavesNoStep) {
    TimingRig rig;
    rig.lines({"00:00:00"});
    rig.commands.mark();
    ASSERT_EQ(rig.dialogs.errors().size(), 1u);
    EXPECT_FALSE(rig.document.history.canUndo());
}

TEST(UndoHistory, KeepsTheLastTwoHundredSteps) {
    TimingRig rig;
    const int steps = static_cast<int>(UndoHistory::kUndoLevels) + 50;
    for (int i = 0; i < steps; ++i) rig.commands.appendLine();
    int undone = 0;
    while (rig.document.history.canUndo()) {
        rig.document.history.undo();
        ++undone;
    }
    EXPECT_EQ(undone, static_cast<int>(UndoHistory::kUndoLevels));
    EXPECT_EQ(rig.document.lyrics.count(), 50);
    for (int i = 0; i < undone; ++i) rig.document.history.redo();
    EXPECT_EQ(rig.document.lyrics.count(), steps);
    EXPECT_FALSE(rig.document.history.canRedo());
}

TEST(UndoHistory, MarksInARowUndoOneAtATimeBackToTheLineMarked) {
    TimingRig rig;
    FourLines(rig);
    Select(rig, {0});
    for (double at : {5.0, 6.0, 7.0}) {
        rig.player.setPositionForTest(at);
        rig.commands.mark();
    }
    rig.listView.madeVisible.clear();
    rig.document.history.undo();
    EXPECT_EQ(rig.timeText(2), "00:03:00");
    EXPECT_EQ(rig.timeText(1), "00:06:00");
    // The line the undone mark stamped is current again, and shown.
    EXPECT_EQ(rig.selected(), std::vector<int>{2});
    EXPECT_EQ(rig.listView.madeVisible, std::vector<int>{2});
    rig.commands.mark();  // marks that line again
    EXPECT_EQ(rig.timeText(2), "00:07:00");
    EXPECT_FALSE(rig.document.history.canRedo());
}

TEST(UndoHistory, UndoTellsOnlyOfTheLinesItPutsBack) {
    TimingRig rig;
    FourLines(rig);
    Select(rig, {1});
    rig.commands.mark();
    std::vector<std::tuple<int, int, LinePart>> changes;
    int resets = 0;
    const Connection changed = rig.document.lyrics.linesChanged.connect(
        [&](int first, int last, LinePart part) { changes.emplace_back(first, last, part); });
    const Connection reset = rig.document.lyrics.wasReset.connect([&] { ++resets; });
    rig.document.history.undo();
    EXPECT_EQ(changes, (std::vector<std::tuple<int, int, LinePart>>{{1, 1, LinePart::TimeText}}));
    EXPECT_EQ(resets, 0);
}

TEST(UndoHistory, AnEditStoppedHalfWayIsStillOneStep) {
    TimingRig rig;
    FourLines(rig);
    rig.document.lyrics.setTimeText(2, "100:00:00");  // beyond what a time text can read back
    rig.document.setListEditMode(true);
    Select(rig, {0, 1, 2, 3});
    const std::string before = StateOf(rig.document);
    rig.commands.moveBy(1000);
    ASSERT_EQ(rig.dialogs.errors().size(), 1u);
    EXPECT_EQ(rig.timeText(1), "00:03:00");
    rig.document.history.undo();
    EXPECT_EQ(StateOf(rig.document), before);
}

TEST(UndoHistory, StepsInsideAStepAreOne) {
    TimingRig rig;
    FourLines(rig);
    {
        const UndoHistory::Step outer = rig.document.history.beginStep("一括");
        rig.commands.appendLine();
        rig.commands.clearChecks();
        EXPECT_FALSE(rig.document.history.canUndo());  // not while the step is open
    }
    EXPECT_EQ(rig.document.history.undoCaption(), "一括");
    rig.document.history.undo();
    EXPECT_EQ(rig.document.lyrics.count(), 4);
    EXPECT_TRUE(rig.document.lyrics.line(1).checked());
    EXPECT_FALSE(rig.document.history.canUndo());
}

TEST(UndoHistory, TypingIsOneStepPerBurst) {
    Document document;
    UndoHistory& history = document.history;
    const auto type = [&](const std::string& text) {
        const UndoHistory::Step step = history.beginTyping("曲名の入力", "title");
        document.setTitle(text);
    };
    type("a");
    type("ab");
    type("abc");
    history.endTyping();
    type("abcd");
    history.undo();
    EXPECT_EQ(document.title(), "abc");
    history.undo();
    EXPECT_EQ(document.title(), "");
    EXPECT_FALSE(history.canUndo());

    // Another step ends the burst too.
    type("x");
    {
        const UndoHistory::Step step = history.beginStep("歌手の入力");
        document.setArtist("y");
    }
    type("xz");
    history.undo();
    EXPECT_EQ(document.title(), "x");
    EXPECT_EQ(document.artist(), "y");
}

TEST(UndoHistory, TypingBackToWhereItStartedLeavesNoStep) {
    Document document;
    document.setTitle("a");
    const auto type = [&](const std::string& text) {
        const UndoHistory::Step step = document.history.beginTyping("曲名の入力", "title");
        document.setTitle(text);
    };
    type("ab");
    type("a");
    EXPECT_FALSE(document.history.canUndo());
}

TEST(UndoHistory, AMovedDocumentTakesItsHistory) {
    Document document;
    {
        const UndoHistory::Step step = document.history.beginStep("最終行へ追加");
        document.lyrics.add();
    }
    Document moved(std::move(document));
    moved.history.undo();
    EXPECT_EQ(moved.lyrics.count(), 0);
    moved.history.redo();
    EXPECT_EQ(moved.lyrics.count(), 1);
}

}  // namespace
}  // namespace obrin
