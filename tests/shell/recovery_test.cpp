#include <gtest/gtest.h>

#include "base/time_text.h"
#include "document/unsaved_changes.h"
#include "fake_player.h"
#include "fake_timers.h"
#include "read_only_folder.h"
#include "recording_dialogs.h"
#include "shell/app_paths.h"
#include "shell/autosave.h"
#include "shell/editor.h"
#include "shell/recovery_file.h"
#include "sjis_lines.h"
#include "temp_folder.h"

namespace obrin {
namespace {

using test::Sj;

// A document with something in every part the recovery file keeps.
void FillDocument(Document& document) {
    document.setTitle(Sj("題名%"));
    document.setArtist(Sj("歌手"));
    document.setHeaderLines({"@Comment=head", ""});
    document.setInfoLines({"@EditedBy=me", "free text"});
    document.setLoadedFromFile(true);
    document.setMarkOffset("-0.7");
    document.setListEditMode(true);
    document.lyrics.assign({Sj("一行目"), "", "]x[", Sj("纊")});
    document.lyrics.setTimeText(0, "00:12:34");
    document.lyrics.setTimeText(2, "01:02:03");
    document.lyrics.setChecked(1, true);
    document.lyrics.setChecked(3, true);
    document.lyrics.select(2);
    document.lyrics.select(3);
    document.setRuby({{.base = Sj("一"), .morae = {{Sj("い"), 0}, {Sj("ち"), 20}}}});
    document.lyrics.setUnits(
        0,
        {.units = {{Sj("一"), 1234}, {"", 1254}, {Sj("行"), 1300}, {Sj("目"), 1350}}, .end = 1400});
}

void ExpectSameDocument(const Document& a, const Document& b) {
    EXPECT_EQ(a.title(), b.title());
    EXPECT_EQ(a.artist(), b.artist());
    EXPECT_EQ(a.headerLines(), b.headerLines());
    EXPECT_EQ(a.infoLines(), b.infoLines());
    EXPECT_EQ(a.loadedFromFile(), b.loadedFromFile());
    EXPECT_EQ(a.markOffset().text(), b.markOffset().text());
    EXPECT_EQ(a.listEditMode(), b.listEditMode());
    ASSERT_EQ(a.lyrics.count(), b.lyrics.count());
    for (int i = 0; i < a.lyrics.count(); ++i) {
        const LyricLine& x = a.lyrics.line(i);
        const LyricLine& y = b.lyrics.line(i);
        EXPECT_EQ(x.lyricText, y.lyricText) << i;
        EXPECT_EQ(x.timeText, y.timeText) << i;
        EXPECT_EQ(x.checked(), y.checked()) << i;
        EXPECT_EQ(x.selected, y.selected) << i;
        EXPECT_EQ(x.units, y.units) << i;
    }
    EXPECT_EQ(a.ruby(), b.ruby());
    EXPECT_EQ(a.lyrics.currentLine(), b.lyrics.currentLine());
}

class RecoveryFileTest : public testing::TestWithParam<SongInfoMode> {};

TEST_P(RecoveryFileTest, RoundTripsTheWholeDocument) {
    Document document;
    FillDocument(document);
    const std::string bytes =
        FormatRecoveryFile(document, "/music/a%b\r\n.wav",
                           {.songInfo = GetParam(), .taggingBy = true, .author = "me"}, {});

    const std::optional<RecoveredWork> work = ParseRecoveryFile(bytes);
    ASSERT_TRUE(work);
    EXPECT_EQ(work->songPath, "/music/a%b\r\n.wav");
    Document restored;
    RestoreDocument(restored, *work);
    ExpectSameDocument(restored, document);
}

INSTANTIATE_TEST_SUITE_P(SongInfo, RecoveryFileTest,
                         testing::Values(SongInfoMode::AtMark, SongInfoMode::First,
                                         SongInfoMode::KeyValue, SongInfoMode::None));

TEST(RecoveryFile, HoldsTheCompletedTextAsASaveWouldWriteIt) {
    Document document;
    document.setTitle("T");
    document.lyrics.assign({"a"});
    const std::string bytes = FormatRecoveryFile(document, "", {}, {});
    EXPECT_NE(bytes.find("\r\n\r\n@Title=T\r\n[00:00:00]a\r\n\r\n@TimeRatio=1\r\n"),
              std::string::npos);
}

struct TypedCase {
    const char* name;
    std::string typed;  // UTF-8, as the view holds it
};

class RecoveryTypedTextTest : public testing::TestWithParam<TypedCase> {};

// Typed text comes back byte for byte, characters Shift-JIS lacks included,
// and the document beside it is unharmed.
TEST_P(RecoveryTypedTextTest, RoundTripsBesideTheDocument) {
    Document document;
    FillDocument(document);
    const std::string bytes = FormatRecoveryFile(document, "/music/song.wav", {}, GetParam().typed);

    const std::optional<RecoveredWork> work = ParseRecoveryFile(bytes);
    ASSERT_TRUE(work);
    EXPECT_EQ(work->typedText, GetParam().typed);
    Document restored;
    RestoreDocument(restored, *work);
    ExpectSameDocument(restored, document);
}

INSTANTIATE_TEST_SUITE_P(
    Typed, RecoveryTypedTextTest,
    testing::Values(TypedCase{"Japanese", "[00:12:34]一行目 纊≒\n[00:00:00]]x[\n"},
                    // € and 🎵 have no Shift-JIS form; a save would refuse them.
                    TypedCase{"NoShiftJisForm", "[00:00:00]\u20ac \U0001F3B5\n"},
                    TypedCase{"NoFinalBreak", "a\n\nb"},
                    TypedCase{"LooksLikeTheHead", "\r\n\r\ntypedTextBytes=99\r\n%0A"},
                    TypedCase{"Emptied", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RecoveryFile, WithoutTypedTextItHasNoTypedPart) {
    Document document;
    document.lyrics.assign({"a"});
    const std::string bytes = FormatRecoveryFile(document, "", {}, {});
    EXPECT_EQ(bytes.find("typedText"), std::string::npos);
    const std::optional<RecoveredWork> work = ParseRecoveryFile(bytes);
    ASSERT_TRUE(work);
    EXPECT_FALSE(work->typedText);
}

// A file from before typed text was kept reads as it always did.
TEST(RecoveryFile, ReadsFilesWithoutTheTypedPart) {
    const std::string older =
        "obrin-recovery 1\r\nsong=/music/a.wav\r\ntitle=T\r\nartist=\r\nloadedFromFile=0\r\n"
        "markOffset=-0.2\r\nlistEditMode=0\r\nsongInfoLines=1\r\nheaderLines=0\r\n"
        "lyricLines=2\r\ninfoLines=0\r\nchecked=1\r\nselected=0\r\n\r\n"
        "@Title=T\r\n[00:01:00]a\r\n[00:00:00]b\r\n\r\n";
    const std::optional<RecoveredWork> work = ParseRecoveryFile(older);
    ASSERT_TRUE(work);
    EXPECT_EQ(work->songPath, "/music/a.wav");
    EXPECT_FALSE(work->typedText);
    ASSERT_EQ(work->lines.size(), 2u);
    EXPECT_EQ(work->lines[1].lyricText, "b");
    EXPECT_TRUE(work->lines[1].checked());
    EXPECT_TRUE(work->lines[0].selected);
}

// A title or artist with a line break (a file edited by hand, a tag from
// elsewhere) is one line in the document, so its file reads back.
TEST(RecoveryFile, ATitleWithALineBreakStillRoundTrips) {
    const std::string edited =
        "obrin-recovery 1\r\nsong=/music/a.%0A\r\ntitle==/music/a.%0A\r\nartist=b%0Dc\r\n"
        "songInfoLines=1\r\nheaderLines=0\r\nlyricLines=2\r\ninfoLines=0\r\nchecked=1\r\n"
        "selected=0\r\n\r\n@Title=T\r\n[00:01:00]a\r\n[00:00:00]b\r\n\r\n";
    const std::optional<RecoveredWork> work = ParseRecoveryFile(edited);
    ASSERT_TRUE(work);
    Document document;
    RestoreDocument(document, *work);
    EXPECT_EQ(document.title(), "=/music/a. ");
    EXPECT_EQ(document.artist(), "b c");
    const std::optional<RecoveredWork> again =
        ParseRecoveryFile(FormatRecoveryFile(document, work->songPath, {}, std::nullopt));
    ASSERT_TRUE(again);
    EXPECT_EQ(again->title, document.title());
    EXPECT_EQ(again->songPath, "/music/a.\n");
}

TEST(RecoveryFile, RefusesWhatItDidNotWrite) {
    Document document;
    FillDocument(document);
    const std::string good = FormatRecoveryFile(document, "", {}, {});
    const std::string typed = FormatRecoveryFile(document, "", {}, "typed\n");
    const auto typedReplaced = [&typed](const std::string& from, const std::string& to) {
        std::string bytes = typed;
        bytes.replace(bytes.find(from), from.size(), to);
        return bytes;
    };
    const auto replaced = [&good](const std::string& from, const std::string& to) {
        std::string bytes = good;
        bytes.replace(bytes.find(from), from.size(), to);
        return bytes;
    };
    for (const std::string& bytes : {
             std::string(), std::string("[00:00:00]a\r\n"),
             replaced("obrin-recovery 1", "obrin-recovery 2"),
             replaced("lyricLines=4", "lyricLines=40"), replaced("lyricLines=4", "lyricLines=x"),
             replaced("checked=1,3", "checked=1,4"), replaced("[01:02:03]", "01:02:03]"),
             good.substr(0, good.find("[01:02:03]")),
             typedReplaced("typedTextBytes=6", "typedTextBytes=6000"),
             typedReplaced("typedTextBytes=6", "typedTextBytes=5"),  // starts inside the text
             typedReplaced("typedTextBytes=6\r\n", ""),
             typedReplaced("typedTextEncoding=UTF-8", "typedTextEncoding=CP932"),
             typedReplaced("typed\n", "typ\xFF\xFE\n"),  // not UTF-8
         }) {
        EXPECT_FALSE(ParseRecoveryFile(bytes)) << bytes;
    }
    EXPECT_TRUE(ParseRecoveryFile(good));
    EXPECT_TRUE(ParseRecoveryFile(typed));
}

struct AutosaveRig {
    Document document;
    UnsavedChanges changes{document};
    test::FakeTimerFactory timers;
    int writes = 0;
    int discards = 0;
    Autosave autosave{changes, timers, [this] { ++writes; }, [this] { ++discards; }};
};

// What the recovery file would hold when each write ran: the document's
// changes by then, against the virtual clock.
struct AutosaveTrace {
    std::vector<std::int64_t> changedAt;
    std::vector<std::size_t> writtenChanges;
    std::vector<std::int64_t> writtenAt;
};

struct AutosaveCase {
    const char* name;
    int everyMs;  // one change this often
    int forMs;    // for this long, then quiet
};

class AutosaveBoundTest : public testing::TestWithParam<AutosaveCase> {};

// However the changes come, each is in a write at most two seconds after it
// was made, and the writes do not follow every change.
TEST_P(AutosaveBoundTest, EveryChangeIsWrittenWithinTwoSeconds) {
    const AutosaveCase c = GetParam();
    Document document;
    document.lyrics.assign(std::vector<std::string>(10, "x"));
    UnsavedChanges changes{document};
    test::FakeTimerFactory timers;
    AutosaveTrace trace;
    const Connection noted =
        changes.changed.connect([&] { trace.changedAt.push_back(timers.now()); });
    Autosave autosave{changes, timers,
                      [&] {
                          trace.writtenChanges.push_back(trace.changedAt.size());
                          trace.writtenAt.push_back(timers.now());
                      },
                      [] {}};
    for (int t = 0, n = 0; t < c.forMs; t += c.everyMs, ++n) {
        document.lyrics.setTimeText(n % 10, FormatTimeText(n * 10));
        timers.advance(c.everyMs);
    }
    timers.advance(60000);

    ASSERT_FALSE(trace.changedAt.empty());
    std::size_t write = 0;
    for (std::size_t change = 0; change < trace.changedAt.size(); ++change) {
        while (write < trace.writtenChanges.size() && trace.writtenChanges[write] <= change)
            ++write;
        ASSERT_LT(write, trace.writtenAt.size()) << "change " << change << " was never written";
        EXPECT_LE(trace.writtenAt[write] - trace.changedAt[change], 2000) << "change " << change;
    }
    EXPECT_LE(trace.writtenAt.size(), static_cast<std::size_t>(c.forMs / Autosave::kLatestMs + 1));
    EXPECT_TRUE(timers.activeTimers().empty());  // nothing left to write
}

INSTANTIATE_TEST_SUITE_P(Rhythms, AutosaveBoundTest,
                         testing::Values(AutosaveCase{"OneChange", 1000, 1000},
                                         AutosaveCase{"TenTapsASecond", 100, 60000},
                                         AutosaveCase{"AMarkASecond", 1000, 65000},
                                         AutosaveCase{"JustBelowTheBound", 1400, 30000},
                                         AutosaveCase{"SlowerThanTheBound", 2500, 30000}),
                         [](const testing::TestParamInfo<AutosaveCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(Autosave, ASaveDiscardsAndStops) {
    AutosaveRig rig;
    rig.document.setTitle("t");
    rig.changes.markSaved();
    EXPECT_EQ(rig.discards, 1);
    rig.timers.advance(60000);
    EXPECT_EQ(rig.writes, 0);
}

class EditorRecoveryTest : public testing::Test {
  protected:
    // The work folder is the program folder unless another is given.
    std::unique_ptr<Editor> startEditor(const std::filesystem::path& stateFolder = {},
                                        const std::filesystem::path& workFolder = {}) {
        auto editor = std::make_unique<Editor>(EditorPaths{.programFolder = folder_.path(),
                                                           .settingsSection = "tester",
                                                           .stateFolder = stateFolder},
                                               dialogs_, player_, timers_, nullptr);
        editor->loadSettings();
        if (!workFolder.empty()) editor->settings().workFolder = workFolder.string() + "/";
        editor->keepRecoveryFile();
        editor->songPath = [] { return std::string("/music/song.wav"); };
        editor->typedText = [this] { return typed_; };
        editor->startRecovery([this](const std::string& song) { reopened_.push_back(song); },
                              [this, document = &editor->document()](const std::string& typed) {
                                  restoredTyped_.push_back(typed);
                                  titleWhenTypedRestored_ = document->title();
                              });
        return editor;
    }
    std::filesystem::path recoveryFile() const { return folder_ / "obrin_recovery_tester.txt"; }

    test::TempFolder folder_;
    test::RecordingDialogs dialogs_;
    test::FakePlayer player_;
    test::FakeTimerFactory timers_;
    std::vector<std::string> reopened_;
    std::optional<std::string> typed_;  // what the tab "完成型" holds
    std::vector<std::string> restoredTyped_;
    std::string titleWhenTypedRestored_;
};

TEST_F(EditorRecoveryTest, AnAbnormalEndIsOfferedBackWithItsSong) {
    auto first = startEditor();
    EXPECT_TRUE(dialogs_.calls.empty());  // nothing to recover
    FillDocument(first->document());
    EXPECT_FALSE(std::filesystem::exists(recoveryFile()));
    timers_.advance(Autosave::kLatestMs);
    first->settleRecoveryFile();
    ASSERT_TRUE(std::filesystem::exists(recoveryFile()));
    // The process ends without its close: the file stays for the next start.
    const Document& before = first->document();

    dialogs_.confirmAnswers.push_back(true);
    auto second = startEditor();
    EXPECT_EQ(dialogs_.questions(), std::vector<std::string>{kRecoverQuestion});
    EXPECT_EQ(reopened_, std::vector<std::string>{"/music/song.wav"});
    ExpectSameDocument(second->document(), before);
    EXPECT_TRUE(second->changes().modified());
    EXPECT_TRUE(restoredTyped_.empty());  // nothing was typed into the tab

    // A normal close removes it.
    dialogs_.chooseAnswers.push_back(1);  // いいえ: close without saving
    EXPECT_TRUE(second->close([] {}, [] { return false; }));
    EXPECT_FALSE(std::filesystem::exists(recoveryFile()));
}

TEST_F(EditorRecoveryTest, TypedTextComesBackAfterTheDocument) {
    auto first = startEditor();
    first->document().setTitle("t");
    typed_ = "typed \u20ac\n";  // no Shift-JIS form
    timers_.advance(Autosave::kLatestMs);
    first->settleRecoveryFile();

    dialogs_.confirmAnswers.push_back(true);
    auto second = startEditor();
    EXPECT_EQ(restoredTyped_, std::vector<std::string>{"typed \u20ac\n"});
    EXPECT_EQ(titleWhenTypedRestored_, "t");
    EXPECT_TRUE(second->changes().modified());
}

TEST_F(EditorRecoveryTest, DeclinedWorkStaysUntilNewWorkReplacesIt) {
    auto first = startEditor();
    first->document().setTitle("old");
    timers_.advance(Autosave::kLatestMs);
    first->settleRecoveryFile();

    auto second = startEditor();  // answered Cancel
    EXPECT_EQ(second->document().title(), "");
    EXPECT_FALSE(second->changes().modified());
    EXPECT_TRUE(reopened_.empty());
    EXPECT_TRUE(std::filesystem::exists(recoveryFile()));
}

TEST_F(EditorRecoveryTest, ASaveRemovesTheFile) {
    auto editor = startEditor();
    editor->document().setTitle("t");
    timers_.advance(Autosave::kLatestMs);
    editor->settleRecoveryFile();
    ASSERT_TRUE(std::filesystem::exists(recoveryFile()));
    editor->changes().markSaved();
    editor->settleRecoveryFile();
    EXPECT_FALSE(std::filesystem::exists(recoveryFile()));
}

TEST_F(EditorRecoveryTest, ABrokenFileIsReportedAndKept) {
    folder_.write("obrin_recovery_tester.txt", "not a recovery file");
    auto editor = startEditor();
    ASSERT_EQ(dialogs_.errors().size(), 1u);
    EXPECT_NE(dialogs_.errors().front().find(recoveryFile().string()), std::string::npos);
    EXPECT_TRUE(dialogs_.questions().empty());
    EXPECT_EQ(folder_.read("obrin_recovery_tester.txt"), "not a recovery file");
}

TEST_F(EditorRecoveryTest, AFailedWriteIsToldOnce) {
    auto editor = startEditor();
    std::filesystem::create_directories(recoveryFile());  // cannot be replaced by a file
    for (int i = 0; i < 3; ++i) {
        editor->document().setTitle(std::to_string(i));
        timers_.advance(Autosave::kLatestMs);
    }
    editor->settleRecoveryFile();
    EXPECT_EQ(dialogs_.errors().size(), 1u);
}

TEST_F(EditorRecoveryTest, WithoutTheLockThereIsNoRecoveryFile) {
    Editor editor({.programFolder = folder_.path(), .settingsSection = "tester"}, dialogs_, player_,
                  timers_, nullptr);
    editor.loadSettings();
    editor.startRecovery([](const std::string&) {}, [](const std::string&) {});
    editor.document().setTitle("t");
    timers_.advance(60000);
    EXPECT_FALSE(std::filesystem::exists(recoveryFile()));
}

enum class WorkFolder { Writable, ReadOnly, Missing };

struct PlaceCase {
    const char* name;
    WorkFolder work;
    bool inStateFolder;
};

class RecoveryPlaceTest : public EditorRecoveryTest,
                          public testing::WithParamInterface<PlaceCase> {};

// An installed copy's folder is read-only: the work is kept in the user's
// state folder instead, made when first needed, and found there next time.
TEST_P(RecoveryPlaceTest, GoesWhereTheUserMayWrite) {
    const PlaceCase& c = GetParam();
    test::TempFolder work;
    std::filesystem::path workFolder = work.path();
    if (c.work == WorkFolder::Missing) workFolder /= "gone";
    std::optional<test::ReadOnlyFolder> readOnly;
    if (c.work == WorkFolder::ReadOnly) {
        readOnly.emplace(work.path());
        ASSERT_TRUE(*readOnly) << readOnly->why();
    }
    const std::filesystem::path state = folder_ / "state/obrin";  // not there yet
    const std::filesystem::path expected =
        (c.inStateFolder ? state : workFolder) / "obrin_recovery_tester.txt";

    auto first = startEditor(state, workFolder);
    EXPECT_EQ(first->recoveryFilePath(), expected);
    first->document().setTitle("t");
    timers_.advance(Autosave::kLatestMs);
    first->settleRecoveryFile();
    EXPECT_TRUE(dialogs_.errors().empty()) << dialogs_.errors().front();
    EXPECT_TRUE(std::filesystem::exists(expected));
    EXPECT_EQ(std::filesystem::exists(state), c.inStateFolder);

    dialogs_.confirmAnswers.push_back(true);
    auto second = startEditor(state, workFolder);
    EXPECT_EQ(dialogs_.questions(), std::vector<std::string>{kRecoverQuestion});
    EXPECT_EQ(second->document().title(), "t");
}

INSTANTIATE_TEST_SUITE_P(Folders, RecoveryPlaceTest,
                         testing::Values(PlaceCase{"Writable", WorkFolder::Writable, false},
                                         PlaceCase{"ReadOnly", WorkFolder::ReadOnly, true},
                                         PlaceCase{"Missing", WorkFolder::Missing, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RecoveryFileName, KeepsEachUserApart) {
    EXPECT_EQ(RecoveryFileName("tester"), "obrin_recovery_tester.txt");
    EXPECT_EQ(RecoveryFileName("a/b c"), "obrin_recovery_a_b_c.txt");
}

struct CloseCase {
    const char* name;
    std::optional<int> answer;  // 0 はい, 1 いいえ, nullopt キャンセル
    bool saveWrites;
    bool closes;
    int saves;
};

class EditorUnsavedCloseTest : public EditorRecoveryTest,
                               public testing::WithParamInterface<CloseCase> {};

TEST_P(EditorUnsavedCloseTest, AsksToSaveInsteadOfTheExitQuestion) {
    const CloseCase& c = GetParam();
    auto editor = startEditor();
    editor->settings().confirmExit = true;
    editor->document().lyrics.assign({"a"});
    timers_.advance(Autosave::kLatestMs);
    editor->settleRecoveryFile();
    dialogs_.chooseAnswers.push_back(c.answer);
    int saves = 0;
    int runsEnded = 0;

    EXPECT_EQ(editor->close([&] { ++runsEnded; },
                            [&] {
                                ++saves;
                                return c.saveWrites;
                            }),
              c.closes);

    EXPECT_EQ(dialogs_.chooseQuestions(), std::vector<std::string>{kSaveChangesQuestion});
    EXPECT_TRUE(dialogs_.questions().empty());  // no "obrinを終了しますか?"
    EXPECT_EQ(saves, c.saves);
    EXPECT_EQ(runsEnded, c.closes ? 1 : 0);
    EXPECT_EQ(std::filesystem::exists(recoveryFile()), !c.closes);
}

INSTANTIATE_TEST_SUITE_P(Answers, EditorUnsavedCloseTest,
                         testing::Values(CloseCase{"YesSaved", 0, true, true, 1},
                                         CloseCase{"YesNotSaved", 0, false, false, 1},
                                         CloseCase{"No", 1, false, true, 0},
                                         CloseCase{"Cancel", std::nullopt, false, false, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace obrin
