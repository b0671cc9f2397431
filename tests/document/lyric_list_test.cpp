#include "document/lyric_list.h"

#include <gtest/gtest.h>

namespace obrin {
namespace {

// A list of n lines reading "line0", "line1", ...
struct ListOf : LyricList {
    explicit ListOf(int n) {
        for (int i = 0; i < n; ++i) setLyricText(add(), "line" + std::to_string(i));
    }
};

TEST(LyricList, NewLinesAreUntimedUncheckedAndUnselectedWherever) {
    ListOf list(3);
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
    ListOf list(3);
    list.insert(1);
    ASSERT_EQ(list.count(), 4);
    EXPECT_EQ(list.line(0).lyricText, "line0");
    EXPECT_EQ(list.line(1).lyricText, "");
    EXPECT_EQ(list.line(2).lyricText, "line1");
}

TEST(LyricList, SelectAddsToTheSelectionAndCurrentLineIsTheFirst) {
    ListOf list(8);
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
    ListOf list(1);
    list.toggleCheck(0);
    EXPECT_TRUE(list.line(0).checked());
    EXPECT_EQ(list.line(0).stateIndex, 0);
    list.toggleCheck(0);
    EXPECT_FALSE(list.line(0).checked());
    EXPECT_EQ(list.line(0).stateIndex, -1);
    for (int other : {1, 2, -2, 7}) {
        list.setStateIndex(0, other);
        EXPECT_FALSE(list.line(0).checked()) << other;
        list.toggleCheck(0);
        EXPECT_TRUE(list.line(0).checked()) << other;
    }
}

TEST(LyricList, OutOfRangeIndexIsRejectedNotUndefined) {
    ListOf list(2);
    EXPECT_THROW(list.remove(2), std::out_of_range);
    EXPECT_THROW(list.remove(1, 2), std::out_of_range);
    EXPECT_THROW(list.remove(1, 0), std::out_of_range);
    EXPECT_THROW(list.insert(3), std::out_of_range);
    EXPECT_THROW(list.select(-1), std::out_of_range);
    EXPECT_EQ(list.count(), 2);
}

// Every notice of a list, in the order they came, with the count of lines
// each listener saw when it heard it.
struct Recorder {
    explicit Recorder(LyricList& list) : list(list) {
        const auto range = [this](const char* name) {
            return [this, name](int first, int last) {
                record(name + std::to_string(first) + ".." + std::to_string(last));
            };
        };
        connections.push_back(list.linesAboutToBeInserted.connect(range("ins? ")));
        connections.push_back(list.linesInserted.connect(range("ins ")));
        connections.push_back(list.linesAboutToBeRemoved.connect(range("rem? ")));
        connections.push_back(list.linesRemoved.connect(range("rem ")));
        connections.push_back(list.linesChanged.connect([this](int first, int last, LinePart part) {
            const char* names[] = {"text ", "time ", "check "};
            record(names[static_cast<int>(part)] + std::to_string(first) + ".." +
                   std::to_string(last));
        }));
        connections.push_back(list.aboutToReset.connect([this] { record("reset?"); }));
        connections.push_back(list.wasReset.connect([this] { record("reset"); }));
        connections.push_back(list.selectionChanged.connect(range("sel ")));
        connections.push_back(list.currentLineChanged.connect(
            [this](int line) { record("current " + std::to_string(line)); }));
    }
    void record(const std::string& event) {
        events.push_back(event + " /" + std::to_string(list.count()));
    }

    LyricList& list;
    std::vector<std::string> events;
    std::vector<Connection> connections;
};

TEST(LyricList, TellsBeforeAndAfterEveryChange) {
    ListOf list(3);
    Recorder recorder(list);
    list.select(1);
    list.select(1);  // already selected: no notice
    list.insert(1);  // moves the current line
    list.setTimeText(1, "00:01:00");
    list.toggleCheck(0);
    list.remove(3);  // after the current line: it stays
    list.remove(2);  // the current line itself: none is left
    list.selectAll();
    list.selectAll();  // nothing changed: no notice
    list.clearSelection();
    list.clearSelection();
    list.assign({"a", "b"});
    EXPECT_EQ(recorder.events,
              (std::vector<std::string>{"sel 1..1 /3", "current 1 /3",                   //
                                        "ins? 1..1 /3", "ins 1..1 /4", "current 2 /4",   //
                                        "time 1..1 /4", "check 0..0 /4",                 //
                                        "rem? 3..3 /4", "rem 3..3 /3",                   //
                                        "rem? 2..2 /3", "rem 2..2 /2", "current -1 /2",  //
                                        "sel 0..1 /2", "current 0 /2",                   //
                                        "sel 0..1 /2", "current -1 /2",                  //
                                        "reset? /2", "reset /2"}));
}

TEST(LyricList, CurrentLineFollowsTheFirstSelectedLineThroughEveryChange) {
    ListOf list(6);
    list.select(4);
    list.select(2);
    EXPECT_EQ(list.currentLine(), 2);
    list.insert(0);
    EXPECT_EQ(list.currentLine(), 3);
    list.deselect(3);
    EXPECT_EQ(list.currentLine(), 5);
    list.select(1);
    list.remove(0, 1);  // the current line among others: the next selected one follows
    EXPECT_EQ(list.currentLine(), 3);
    list.remove(3);
    EXPECT_EQ(list.currentLine(), LyricList::kNone);
    std::vector<LyricLine> lines(4);
    lines[3].selected = true;
    list.assignLines(lines);
    EXPECT_EQ(list.currentLine(), 3);
    EXPECT_EQ(list.selectedLines(), std::vector<int>{3});
}

TEST(LyricList, TopVisibleLineStaysInsideTheList) {
    ListOf list(5);
    list.setTopVisibleLine(9);
    EXPECT_EQ(list.topVisibleLine(), 4);
    list.clear();
    EXPECT_EQ(list.topVisibleLine(), LyricList::kNone);
}

}  // namespace
}  // namespace obrin
