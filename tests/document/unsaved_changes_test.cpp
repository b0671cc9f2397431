#include "document/unsaved_changes.h"

#include <gtest/gtest.h>

#include <functional>

#include "recording_dialogs.h"

namespace obrin {
namespace {

struct ChangeCase {
    const char* name;
    std::function<void(Document&)> change;
    bool marks;
};

class UnsavedChangesTest : public testing::TestWithParam<ChangeCase> {};

TEST_P(UnsavedChangesTest, ContentChangesMarkTheDocument) {
    Document document;
    document.lyrics.assign({"a", "b", "c"});
    UnsavedChanges changes(document);
    std::vector<bool> told;
    int changed = 0;
    Connection modified = changes.modifiedChanged.connect([&](bool m) { told.push_back(m); });
    Connection content = changes.changed.connect([&] { ++changed; });

    GetParam().change(document);

    EXPECT_EQ(changes.modified(), GetParam().marks);
    EXPECT_EQ(told, GetParam().marks ? std::vector<bool>{true} : std::vector<bool>{});
    EXPECT_EQ(changed > 0, GetParam().marks);
}

INSTANTIATE_TEST_SUITE_P(
    Changes, UnsavedChangesTest,
    testing::Values(ChangeCase{"Mark", [](Document& d) { d.lyrics.setTimeText(0, "00:01:00"); },
                               true},
                    ChangeCase{"Text", [](Document& d) { d.lyrics.setLyricText(1, "x"); }, true},
                    ChangeCase{"Check", [](Document& d) { d.lyrics.toggleCheck(2); }, true},
                    ChangeCase{"Insert", [](Document& d) { d.lyrics.insert(1); }, true},
                    ChangeCase{"Delete", [](Document& d) { d.lyrics.remove(0, 1); }, true},
                    ChangeCase{"Paste", [](Document& d) { d.lyrics.assign({"new"}); }, true},
                    ChangeCase{"Title", [](Document& d) { d.setTitle("t"); }, true},
                    ChangeCase{"Artist", [](Document& d) { d.setArtist("a"); }, true},
                    ChangeCase{"InfoLines", [](Document& d) { d.setInfoLines({"i"}); }, true},
                    ChangeCase{"HeaderLines", [](Document& d) { d.setHeaderLines({"h"}); }, true},
                    ChangeCase{"Selection", [](Document& d) { d.lyrics.select(1); }, false},
                    ChangeCase{"MarkOffset", [](Document& d) { d.setMarkOffset("-0.5"); }, false},
                    ChangeCase{"ListEditMode", [](Document& d) { d.setListEditMode(true); }, false},
                    ChangeCase{"SameTitle", [](Document& d) { d.setTitle(""); }, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(UnsavedChanges, SaveClearsAndTheNextChangeMarksAgain) {
    Document document;
    UnsavedChanges changes(document);
    std::vector<bool> told;
    Connection modified = changes.modifiedChanged.connect([&](bool m) { told.push_back(m); });
    document.setTitle("a");
    document.setTitle("b");  // already modified: told once
    changes.markSaved();
    document.lyrics.add();
    EXPECT_TRUE(changes.modified());
    EXPECT_EQ(told, (std::vector<bool>{true, false, true}));
}

// Undoing back to what was saved leaves nothing unsaved, and redoing marks
// the document again; a change the content does not show stays unsaved.
TEST(UnsavedChanges, UndoBackToTheSavedContentClearsTheMark) {
    Document document;
    document.lyrics.assign({"a", "b"});
    UnsavedChanges changes(document);
    changes.markSaved();
    {
        const UndoHistory::Step step = document.history.beginStep("マーク");
        document.lyrics.setTimeText(0, "00:01:00");
    }
    document.setMarkOffset("-0.5");
    ASSERT_TRUE(changes.modified());
    document.history.undo();
    EXPECT_FALSE(changes.modified());
    document.history.redo();
    EXPECT_TRUE(changes.modified());

    document.history.undo();
    changes.markModified();
    {
        const UndoHistory::Step step = document.history.beginStep("マーク");
        document.lyrics.setTimeText(1, "00:02:00");
    }
    document.history.undo();
    EXPECT_TRUE(changes.modified());
}

struct GuardCase {
    const char* name;
    bool modified;
    std::optional<int> answer;
    bool saveWrites;
    bool goesOn;
    int saves;
};

class SettleUnsavedChangesTest : public testing::TestWithParam<GuardCase> {};

TEST_P(SettleUnsavedChangesTest, AsksOnlyWithChanges) {
    const GuardCase& c = GetParam();
    Document document;
    UnsavedChanges changes(document);
    if (c.modified) changes.markModified();
    test::RecordingDialogs dialogs;
    dialogs.chooseAnswers.push_back(c.answer);
    int saves = 0;

    EXPECT_EQ(SettleUnsavedChanges(changes, dialogs,
                                   [&] {
                                       ++saves;
                                       return c.saveWrites;
                                   }),
              c.goesOn);
    EXPECT_EQ(saves, c.saves);
    EXPECT_EQ(dialogs.chooseQuestions().size(), c.modified ? 1u : 0u);
    if (c.modified) {
        EXPECT_EQ(dialogs.chooseQuestions().front(), "変更を保存しますか?");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Answers, SettleUnsavedChangesTest,
    testing::Values(GuardCase{"NoChanges", false, std::nullopt, false, true, 0},
                    GuardCase{"YesSaved", true, 0, true, true, 1},
                    GuardCase{"YesSaveFailedOrCancelled", true, 0, false, false, 1},
                    GuardCase{"No", true, 1, false, true, 0},
                    GuardCase{"Cancel", true, std::nullopt, false, false, 0}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace obrin
