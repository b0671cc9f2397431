#include "text/completed_text_tab.h"

#include <gtest/gtest.h>

#include "base/sjis_codec.h"
#include "fake_timers.h"
#include "recording_dialogs.h"
#include "sjis_lines.h"
#include "temp_folder.h"
#include "text/edited_sjis.h"

namespace obrin {
namespace {

using test::Sj;
using test::TempFolder;

// The tab "完成型" as a view: a boundary of the core, so a plain stand-in
// that shows its lines as Unicode, as the real one does.
class FakePage : public CompletedTextPage {
  public:
    bool isActive() const override { return active; }
    void activate() override { active = true; }
    void showLines(const std::vector<std::string>& lines, bool keepPosition) override {
        shown.clear();
        for (const auto& line : lines) shown += SjisToUtf8(line) + "\n";
        keptPosition = keepPosition;
        ++builds;
    }
    void showTypedText(const std::string& utf8) override { shown = utf8; }
    std::string text() const override { return shown; }

    bool active = false;
    int builds = 0;
    bool keptPosition = false;
    std::string shown;  // UTF-8, as the user sees and edits it
};

// Two characters whose NEC and IBM forms the view shows alike: 纊 (ED 40,
// IBM FA 5C) and ≒ (87 90, JIS 81 E0).
const std::string kDuplicates = "\xED\x40\x87\x90";

struct TabFixture : testing::Test {
    TabFixture() { document.lyrics.assign({Sj("一行目") + kDuplicates, Sj("二行目")}); }
    // The user opens the tab and types `typed` over its text.
    void typeOnTheTab(const std::string& typed) {
        page.active = true;
        tab.activated();
        page.shown = typed;
        tab.markEdited();
    }
    std::string saved(const TextSave& result) {
        EXPECT_TRUE(result.saved());
        return folder.read("a.txt");
    }
    std::string expectedFile(const std::string& firstTime = "00:00:00") {
        return "[" + firstTime + "]" + Sj("一行目") + kDuplicates + "\r\n[00:00:00]" +
               Sj("二行目") + "\r\n\r\n@TimeRatio=1\r\n";
    }

    TempFolder folder;
    Document document;
    FakePage page;
    test::RecordingDialogs dialogs;
    CompletedTextOptions options{.songInfo = SongInfoMode::None};
    test::FakeTimerFactory timers;
    CompletedTextTab tab{page, document, [this] { return options; }, dialogs, timers};
};

TEST_F(TabFixture, FollowsTheDocumentOnlyWhileActive) {
    EXPECT_EQ(page.builds, 0);
    document.lyrics.setTimeText(0, "00:01:00");
    EXPECT_EQ(page.builds, 0);
    page.active = true;
    tab.activated();
    EXPECT_EQ(page.builds, 1);
    EXPECT_FALSE(page.keptPosition);
    EXPECT_EQ(page.shown.substr(0, 10), "[00:01:00]");
}

TEST_F(TabFixture, MarksMadeWhileShownAreSaved) {
    page.active = true;
    tab.activated();
    document.lyrics.setTimeText(0, "00:12:34");  // a mark while the tab shows
    EXPECT_EQ(page.builds, 2);
    EXPECT_TRUE(page.keptPosition);
    EXPECT_EQ(page.shown.substr(0, 10), "[00:12:34]");
    EXPECT_EQ(saved(tab.save(folder / "a.txt")), expectedFile("00:12:34"));
    EXPECT_TRUE(dialogs.calls.empty());
}

TEST_F(TabFixture, UntypedSaveKeepsTheDocumentsBytes) {
    // Saved from the tab and from the list alike: never the view's Unicode.
    for (bool fromTab : {true, false}) {
        page.active = fromTab;
        if (fromTab) tab.activated();
        EXPECT_EQ(saved(tab.save(folder / "a.txt")), expectedFile()) << fromTab;
        EXPECT_TRUE(page.active);
    }
}

TEST_F(TabFixture, OptionsChangedWhileShownAreSaved) {
    page.active = true;
    tab.activated();
    document.setTitle("T");                   // a document change: rebuilt at once
    options.songInfo = SongInfoMode::AtMark;  // an option: rebuilt by the save
    EXPECT_EQ(saved(tab.save(folder / "a.txt")), "@Title=T\r\n" + expectedFile());
    EXPECT_EQ(page.shown.substr(0, 9), "@Title=T\n");
}

TEST_F(TabFixture, TypedTextIsSavedAndUntouchedBytesStay) {
    page.active = true;
    tab.activated();
    page.shown.replace(page.shown.find("二行目"), std::string("二行目").size(), "2行目");
    tab.markEdited();
    EXPECT_EQ(saved(tab.save(folder / "a.txt")), "[00:00:00]" + Sj("一行目") + kDuplicates +
                                                     "\r\n[00:00:00]" + Sj("2行目") +
                                                     "\r\n\r\n@TimeRatio=1\r\n");
    EXPECT_TRUE(dialogs.calls.empty());
}

TEST_F(TabFixture, TypedTextStaysWhileTheDocumentChanges) {
    typeOnTheTab("typed\n");
    document.lyrics.setTimeText(0, "00:12:34");
    EXPECT_EQ(page.shown, "typed\n");
    EXPECT_EQ(tab.typedText(), "typed\n");
    // A read that replaced the document after the save question drops it.
    tab.forgetTyping();
    EXPECT_FALSE(tab.typedText());
    document.lyrics.setTimeText(0, "00:12:35");
    EXPECT_EQ(page.shown.substr(0, 10), "[00:12:35]");
    timers.advance(0);
    EXPECT_TRUE(dialogs.calls.empty());
}

struct KeepCase {
    const char* name;
    std::optional<int> answer;
    bool dropped;
};

const auto kKeepCases = testing::Values(KeepCase{"List", 0, true}, KeepCase{"Typed", 1, false},
                                        KeepCase{"Cancel", std::nullopt, false});

class TabLeftTest : public TabFixture, public testing::WithParamInterface<KeepCase> {};

// Leaving the tab with typed text asks; the answer decides what comes back
// with the tab and what a save from the other tab writes.
TEST_P(TabLeftTest, LeavingWithTypedTextAsks) {
    const KeepCase& c = GetParam();
    typeOnTheTab("typed\n");
    dialogs.chooseAnswers.push_back(c.answer);
    page.active = false;
    tab.left();
    EXPECT_EQ(dialogs.chooseQuestions(), std::vector<std::string>{kKeepTypedQuestion});
    EXPECT_EQ(tab.typedText().has_value(), !c.dropped);
    EXPECT_EQ(saved(tab.save(folder / "a.txt")), c.dropped ? expectedFile() : "typed\r\n");
    EXPECT_EQ(dialogs.chooseQuestions().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Answers, TabLeftTest, kKeepCases,
                         [](const auto& info) { return std::string(info.param.name); });

class TabDocumentChangeTest : public TabFixture, public testing::WithParamInterface<KeepCase> {};

// A change of the document while typed text is kept asks once the command
// has ended: one question for all its changes, none in their middle.
TEST_P(TabDocumentChangeTest, ChangingTheListWithTypedTextAsks) {
    const KeepCase& c = GetParam();
    typeOnTheTab("typed\n");
    page.active = false;
    dialogs.chooseAnswers.push_back(1);  // leaving: keep the typing
    tab.left();
    dialogs.chooseAnswers.push_back(c.answer);
    document.lyrics.setTimeText(0, "00:12:34");
    document.lyrics.setTimeText(1, "00:12:35");
    EXPECT_EQ(dialogs.chooseQuestions().size(), 1u);
    timers.advance(0);
    EXPECT_EQ(dialogs.chooseQuestions(),
              (std::vector<std::string>{kKeepTypedQuestion, kListChangedQuestion}));
    EXPECT_EQ(tab.typedText().has_value(), !c.dropped);
    if (c.dropped) {
        EXPECT_EQ(page.shown.substr(0, 10), "[00:12:34]");
    }
    // Once for each burst of typing: a later change is asked about by the save.
    document.setTitle("T");
    timers.advance(0);
    EXPECT_EQ(dialogs.chooseQuestions().size(), 2u);
    dialogs.chooseAnswers.push_back(1);
    (void)tab.save(folder / "a.txt");
    EXPECT_EQ(dialogs.chooseQuestions().size(), c.dropped ? 2u : 3u);
}

INSTANTIATE_TEST_SUITE_P(Answers, TabDocumentChangeTest, kKeepCases,
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(TabFixture, TypingIsAskedAboutOncePerBurstAndOnRefresh) {
    typeOnTheTab("typed\n");
    // A tick changes nothing the text shows: nothing to ask.
    document.lyrics.toggleCheck(0);
    timers.advance(0);
    EXPECT_TRUE(dialogs.calls.empty());
    dialogs.chooseAnswers = {1, std::nullopt, 0};
    page.active = false;
    tab.left();  // kept
    page.active = true;
    tab.activated();
    EXPECT_EQ(page.shown, "typed\n");
    page.active = false;
    tab.left();  // no new typing: not asked again
    EXPECT_EQ(dialogs.chooseQuestions().size(), 1u);
    page.active = true;
    tab.activated();
    tab.refresh();  // Cancel keeps the typing
    EXPECT_EQ(page.shown, "typed\n");
    tab.refresh();  // "リストから作り直す"
    EXPECT_EQ(page.shown.substr(0, 10), "[00:00:00]");
    EXPECT_FALSE(tab.typedText());
    EXPECT_EQ(
        dialogs.chooseQuestions(),
        (std::vector<std::string>{kKeepTypedQuestion, kKeepTypedQuestion, kKeepTypedQuestion}));
}

// Typed text put back after a restart behaves as though just typed: the tab
// shows it, and a save writes it with the document's bytes where the text
// still matches them.
TEST_F(TabFixture, RestoredTypingIsSavedAsTyped) {
    const std::string typed = SjisToUtf8("[00:00:00]" + Sj("一行目") + kDuplicates) + "\nadded\n";
    tab.restoreTypedText(typed);
    EXPECT_TRUE(page.active);
    EXPECT_EQ(page.shown, typed);
    EXPECT_EQ(tab.typedText(), typed);
    EXPECT_EQ(saved(tab.save(folder / "a.txt")),
              "[00:00:00]" + Sj("一行目") + kDuplicates + "\r\nadded\r\n");
    EXPECT_TRUE(dialogs.calls.empty());
}

struct WhichCase {
    const char* name;
    std::optional<int> answer;
    bool written;
    bool rebuilt;
};

class TabWhichWinsTest : public TabFixture, public testing::WithParamInterface<WhichCase> {};

TEST_P(TabWhichWinsTest, AsksWhenBothChanged) {
    const WhichCase& c = GetParam();
    page.active = true;
    tab.activated();
    page.shown = "typed\n";
    tab.markEdited();
    document.lyrics.setTimeText(0, "00:12:34");
    dialogs.chooseAnswers.push_back(c.answer);

    const TextSave result = tab.save(folder / "a.txt");

    EXPECT_EQ(dialogs.chooseQuestions(), std::vector<std::string>{kWhichTextQuestion});
    EXPECT_EQ(result.saved(), c.written);
    EXPECT_EQ(result.cancelled, !c.written);
    if (!c.written) {
        EXPECT_FALSE(std::filesystem::exists(folder / "a.txt"));
    } else {
        EXPECT_EQ(folder.read("a.txt"), c.rebuilt ? expectedFile("00:12:34") : "typed\r\n");
    }
    EXPECT_EQ(tab.edited(), !c.rebuilt);
}

INSTANTIATE_TEST_SUITE_P(Answers, TabWhichWinsTest,
                         testing::Values(WhichCase{"List", 0, true, true},
                                         WhichCase{"Typed", 1, true, false},
                                         WhichCase{"Cancel", std::nullopt, false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(TabFixture, UnencodableTypingThrowsAndWritesNothing) {
    page.active = true;
    tab.activated();
    page.shown += "\xF0\x9F\x8E\xB5\n";  // 🎵
    tab.markEdited();
    EXPECT_THROW((void)tab.save(folder / "a.txt"), SjisError);
    EXPECT_FALSE(std::filesystem::exists(folder / "a.txt"));
}

struct EditCase {
    const char* name;
    std::string original;  // Shift-JIS, as the view was given it
    std::string edited;    // UTF-8, as the user left it
    std::string expected;  // Shift-JIS
};

class EncodeEditedTextTest : public testing::TestWithParam<EditCase> {};

TEST_P(EncodeEditedTextTest, KeepsWhatTheUserLeftAlone) {
    const EditCase& c = GetParam();
    EXPECT_EQ(EncodeEditedText(c.edited, c.original), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Edits, EncodeEditedTextTest,
    testing::Values(EditCase{"Unchanged", kDuplicates + "\n", SjisToUtf8(kDuplicates) + "\n",
                             kDuplicates + "\n"},
                    EditCase{"AppendedLine", kDuplicates + "\n",
                             SjisToUtf8(kDuplicates) + "\nabc\n", kDuplicates + "\nabc\n"},
                    // A duplicate typed (or pasted) anew takes the form the text uses.
                    EditCase{"TypedDuplicateTakesTheTextsForm", "x" + kDuplicates + "y\n",
                             "x" + SjisToUtf8(kDuplicates) + "z" + SjisToUtf8(kDuplicates) + "y\n",
                             "x" + kDuplicates + "z" + kDuplicates + "y\n"},
                    // A character the text does not hold takes its usual form.
                    EditCase{"NewCharacterUsualForm", "a\n", "a\xE7\xBA\x8A\n", "a\xFA\x5C\n"},
                    // Bytes the view cannot show come back unchanged around an edit.
                    EditCase{"BrokenBytesAroundEdit",
                             "\xFF"
                             "a\x81\n",
                             "\xEF\xBF\xBD"
                             "b\xEF\xBF\xBD\n",
                             "\xFF"
                             "b\x81\n"},
                    EditCase{"Emptied", "abc\n", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace obrin
