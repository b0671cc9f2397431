#include "document/lyric_list.h"

#include <gtest/gtest.h>

namespace obrin {
namespace {

LyricList ListOf(int n) {
    LyricList list;
    for (int i = 0; i < n; ++i) list.setLyricText(list.add(), "line" + std::to_string(i));
    return list;
}

TEST(LyricList, NewLinesAreUntimedUncheckedAndUnselectedWherever) {
    LyricList list = ListOf(3);
    for (int index : {0, 2, 5}) {
        const int at = index > list.count() ? list.add() : list.insert(index);
        const LyricLine& line = list.line(at);
        EXPECT_EQ(line.lyricText, "");
        EXPECT_EQ(line.timeText, "00:00:00");
        EXPECT_FALSE(line.checked());
        EXPECT_EQ(line.stateIndex, -1);
        EXPECT_FALSE(line.selected);
    }
}

TEST(LyricList, InsertPutsTheNewLineBeforeTheOldOne) {
    LyricList list = ListOf(3);
    list.insert(1);
    ASSERT_EQ(list.count(), 4);
    EXPECT_EQ(list.line(0).lyricText, "line0");
    EXPECT_EQ(list.line(1).lyricText, "");
    EXPECT_EQ(list.line(2).lyricText, "line1");
}

TEST(LyricList, SelectAddsToTheSelectionAndCurrentLineIsTheFirst) {
    LyricList list = ListOf(8);
    EXPECT_EQ(list.currentLine(), LyricList::kNone);
    list.select(2);
    list.select(5);
    EXPECT_TRUE(list.line(2).selected);
    EXPECT_TRUE(list.line(5).selected);
    EXPECT_EQ(list.currentLine(), 2);
    list.deselect(2);
    EXPECT_EQ(list.currentLine(), 5);
    list.clearSelection();
    EXPECT_EQ(list.currentLine(), LyricList::kNone);
    list.selectAll();
    EXPECT_EQ(list.selectedLines().size(), 8u);
}

TEST(LyricList, CheckedIsTheStateImageIndexZeroOnly) {
    LyricList list = ListOf(1);
    list.toggleCheck(0);
    EXPECT_TRUE(list.line(0).checked());
    EXPECT_EQ(list.line(0).imageIndex, 0);
    list.toggleCheck(0);
    EXPECT_FALSE(list.line(0).checked());
    EXPECT_EQ(list.line(0).stateIndex, -1);
    EXPECT_EQ(list.line(0).imageIndex, -1);
    for (int other : {1, 2, -2, 7}) {
        list.setStateIndex(0, other);
        EXPECT_FALSE(list.line(0).checked()) << other;
        list.toggleCheck(0);
        EXPECT_TRUE(list.line(0).checked()) << other;
    }
}

TEST(LyricList, OutOfRangeIndexIsRejectedNotUndefined) {
    LyricList list = ListOf(2);
    EXPECT_THROW(list.remove(2), std::out_of_range);
    EXPECT_THROW(list.insert(3), std::out_of_range);
    EXPECT_THROW(list.select(-1), std::out_of_range);
    EXPECT_EQ(list.count(), 2);
}

struct Recorder : LyricListObserver {
    std::vector<std::string> events;
    void linesInserted(int first, int count) override {
        events.push_back("ins " + std::to_string(first) + "+" + std::to_string(count));
    }
    void linesRemoved(int first, int count) override {
        events.push_back("rem " + std::to_string(first) + "+" + std::to_string(count));
    }
    void lineChanged(int index) override { events.push_back("chg " + std::to_string(index)); }
    void selectionChanged(int index) override { events.push_back("sel " + std::to_string(index)); }
    void selectionReset() override { events.push_back("sel all"); }
    void listReset() override { events.push_back("reset"); }
};

TEST(LyricList, TellsItsObserverOfEveryChange) {
    LyricList list = ListOf(2);
    Recorder recorder;
    list.setObserver(&recorder);
    list.insert(1);
    list.setTimeText(1, "00:01:00");
    list.select(0);
    list.select(0);  // already selected: no event
    list.remove(2);
    list.selectAll();
    list.selectAll();  // nothing changed: no event
    list.clearSelection();
    list.clearSelection();
    list.assign({"a", "b"});
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"ins 1+1", "chg 1", "sel 0", "rem 2+1",
                                                         "sel all", "sel all", "reset"}));
}

}  // namespace
}  // namespace obrin
