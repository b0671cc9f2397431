#include "shell/editor.h"

#include <gtest/gtest.h>

#include <fstream>

#include "base/command_ids.h"
#include "base/command_table.h"
#include "base/timer.h"
#include "export/export_command.h"
#include "export/export_table.h"
#include "fake_player.h"
#include "recording_dialogs.h"
#include "shell/editor_exports.h"
#include "shell/key_assignment.h"
#include "shell/shell_commands.h"
#include "temp_folder.h"

namespace obrin {
namespace {

const std::function<void()> kNoConfirmRuns = [] {};
// A save that must not be reached.
const std::function<bool()> kNoSave = [] {
    ADD_FAILURE() << "saved";
    return false;
};

class NoTimers final : public TimerFactory {
  public:
    std::unique_ptr<Timer> createTimer() override { return nullptr; }
};

class EditorTest : public ::testing::Test {
  protected:
    void touch(const std::filesystem::path& path) {
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path) << "RIFF";
    }

    test::TempFolder scratch_;
    std::filesystem::path folder_ = scratch_.path();
    test::RecordingDialogs dialogs_;
    obrin::test::FakePlayer player_;
    NoTimers timers_;
    std::vector<std::string> opened_;
    bool desktopOpens_ = true;
    Editor editor_{{.programFolder = folder_, .settingsSection = "tester"},
                   dialogs_,
                   player_,
                   timers_,
                   [this](const std::string& path) {
                       opened_.push_back(path);
                       return desktopOpens_;
                   }};
};

struct CloseCase {
    const char* name;
    bool confirmBeforeExit;  // option T6
    std::deque<bool> answers;
    bool closes;
    size_t questions;
};

class EditorCloseTest : public EditorTest, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(EditorCloseTest, AsksWhenOptionIsOnAndOnlyOkCloses) {
    const CloseCase& c = GetParam();
    editor_.settings().confirmExit = c.confirmBeforeExit;
    const auto wav = editor_.temporaryWavPath();
    touch(wav);
    int aborts = 0;
    dialogs_.confirmAnswers = c.answers;

    EXPECT_EQ(editor_.close([&] { ++aborts; }, kNoSave), c.closes);

    EXPECT_EQ(dialogs_.questions().size(), c.questions);
    if (c.questions > 0) {
        EXPECT_EQ(dialogs_.questions().front(), "obrinを終了しますか?");
    }
    EXPECT_EQ(aborts, c.closes ? 1 : 0);
    EXPECT_EQ(std::filesystem::exists(wav), !c.closes);
    EXPECT_TRUE(dialogs_.errors().empty());
}

INSTANTIATE_TEST_SUITE_P(Close, EditorCloseTest,
                         ::testing::Values(CloseCase{"NoQuestion", false, {}, true, 0},
                                           CloseCase{"AnsweredOk", true, {true}, true, 1},
                                           CloseCase{"AnsweredCancel", true, {false}, false, 1},
                                           // A box closed without a button counts as Cancel.
                                           CloseCase{"Dismissed", true, {}, false, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(EditorTest, CloseWithoutTemporaryWavIsNoError) {
    editor_.settings().confirmExit = false;
    EXPECT_TRUE(editor_.close(kNoConfirmRuns, kNoSave));
    EXPECT_TRUE(dialogs_.calls.empty());
}

// Settings files that cannot be written even by root.
struct UnsavableCase {
    const char* name;
    std::function<std::filesystem::path(const std::filesystem::path& scratch)> programFolder;
    std::errc reason;
};

class UnsavableSettingsTest : public EditorTest,
                              public ::testing::WithParamInterface<UnsavableCase> {};

TEST_P(UnsavableSettingsTest, CloseTellsWhyAndGoesOn) {
    const std::filesystem::path programFolder = GetParam().programFolder(folder_);
    Editor editor({.programFolder = programFolder, .settingsSection = "tester"}, dialogs_, player_,
                  timers_, nullptr);
    editor.settings().confirmExit = false;
    editor.settings().workFolder = (folder_ / "work" / "").string();
    touch(editor.temporaryWavPath());

    EXPECT_TRUE(editor.close(kNoConfirmRuns, kNoSave));

    EXPECT_FALSE(std::filesystem::exists(editor.temporaryWavPath()));
    EXPECT_EQ(
        dialogs_.errors(),
        std::vector<std::string>{"設定を保存できません(" + editor.settingsPath().string() + ": " +
                                 std::make_error_code(GetParam().reason).message() + ")"});
}

INSTANTIATE_TEST_SUITE_P(Close, UnsavableSettingsTest,
                         ::testing::Values(UnsavableCase{"SettingsFileIsAFolder",
                                                         [](const std::filesystem::path& scratch) {
                                                             std::filesystem::create_directories(
                                                                 scratch / "obrin.ini");
                                                             return scratch;
                                                         },
                                                         std::errc::is_a_directory},
                                           UnsavableCase{"ProgramFolderIsAFile",
                                                         [](const std::filesystem::path& scratch) {
                                                             std::ofstream(scratch / "program")
                                                                 << "x";
                                                             return scratch / "program";
                                                         },
                                                         std::errc::not_a_directory},
                                           UnsavableCase{"ProgramFolderIsGone",
                                                         [](const std::filesystem::path& scratch) {
                                                             return scratch / "gone";
                                                         },
                                                         std::errc::no_such_file_or_directory}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(EditorTest, SettingsCarryTheDocumentsMarkOffsetAndListEditMode) {
    editor_.loadSettings();
    EXPECT_EQ(editor_.document().markOffset().text(), "-1.0");
    EXPECT_FALSE(editor_.document().listEditMode());

    editor_.document().stepMarkOffsetUp();
    editor_.document().setListEditMode(true);
    ASSERT_FALSE(editor_.saveSettings());

    Editor again({.programFolder = folder_, .settingsSection = "tester"}, dialogs_, player_,
                 timers_, nullptr);
    again.loadSettings();
    EXPECT_EQ(again.document().markOffset().text(), "-0.9");
    EXPECT_TRUE(again.document().listEditMode());
}

TEST_F(EditorTest, PlaceholderMarkOffsetIsNeverSaved) {
    // Closing before the settings were read must not leave an unusable
    // MarkOffset for every later start.
    ASSERT_EQ(editor_.document().markOffset().text(), MarkOffset::kPlaceholder);
    ASSERT_FALSE(editor_.saveSettings());
    editor_.loadSettings();
    EXPECT_EQ(editor_.document().markOffset().text(), "-1.0");
}

TEST_F(EditorTest, TemporaryWavLivesInTheWorkFolder) {
    EXPECT_EQ(editor_.temporaryWavPath(), folder_ / "obrin_temp.wav");
    editor_.settings().workFolder = (folder_ / "work" / "").string();
    EXPECT_EQ(editor_.temporaryWavPath(), folder_ / "work" / "obrin_temp.wav");

    editor_.settings().confirmExit = false;
    touch(folder_ / "work" / "obrin_temp.wav");
    touch(folder_ / "obrin_temp.wav");  // not the work folder's: left alone
    EXPECT_TRUE(editor_.close(kNoConfirmRuns, kNoSave));
    EXPECT_FALSE(std::filesystem::exists(folder_ / "work" / "obrin_temp.wav"));
    EXPECT_TRUE(std::filesystem::exists(folder_ / "obrin_temp.wav"));
}

TEST_F(EditorTest, HelpOpensTheHelpFileOrReportsItMissing) {
    editor_.showHelp();
    EXPECT_EQ(dialogs_.errors(), std::vector<std::string>{"ヘルプが見つかりません"});
    EXPECT_TRUE(opened_.empty());

    dialogs_.calls.clear();
    touch(folder_ / "help" / "help.html");
    editor_.showHelp();
    EXPECT_TRUE(dialogs_.calls.empty());
    EXPECT_EQ(opened_, std::vector<std::string>{(folder_ / "help" / "help.html").string()});

    // Nothing on the desktop opens it: the user is told where it is.
    desktopOpens_ = false;
    editor_.showHelp();
    EXPECT_EQ(dialogs_.errors(),
              std::vector<std::string>{NoBrowserMessage(folder_ / "help" / "help.html")});
}

struct CalibrationOfferCase {
    const char* name;
    bool answeredBefore;
    const char* markOffset;
    std::optional<int> answer;  // of 測る / 今はしない; nullopt: Cancel
    bool asked;
    bool measure;
    bool answeredAfter;
};

class CalibrationOfferTest : public EditorTest,
                             public ::testing::WithParamInterface<CalibrationOfferCase> {};

TEST_P(CalibrationOfferTest, OfferedOnceToAUserWithTheDesignedOffset) {
    const CalibrationOfferCase& c = GetParam();
    editor_.loadSettings();
    editor_.settings().calibrationOffered = c.answeredBefore;
    editor_.document().setMarkOffset(c.markOffset);
    dialogs_.chooseAnswers = {c.answer};
    EXPECT_EQ(editor_.offerCalibration(), c.measure);
    const std::vector<std::string> asked =
        c.asked ? std::vector<std::string>{kCalibrationQuestion} : std::vector<std::string>{};
    EXPECT_EQ(dialogs_.chooseQuestions(), asked);
    if (c.asked) {
        EXPECT_EQ(dialogs_.calls.at(0).answers,
                  (std::vector<std::string>{kMeasureAnswer, kNotNowAnswer}));
    }
    EXPECT_EQ(editor_.settings().calibrationOffered, c.answeredAfter);
    // A second song of the same run is not asked about.
    dialogs_.chooseAnswers = {0};
    EXPECT_FALSE(editor_.offerCalibration());
    EXPECT_EQ(dialogs_.chooseQuestions(), asked);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CalibrationOfferTest,
    ::testing::Values(CalibrationOfferCase{"Measure", false, "-1.0", 0, true, true, true},
                      CalibrationOfferCase{"NotNow", false, "-1.0", 1, true, false, true},
                      CalibrationOfferCase{"CancelAsksAgainNextRun", false, "-1.0", std::nullopt,
                                           true, false, false},
                      CalibrationOfferCase{"AnsweredBefore", true, "-1.0", 0, false, false, true},
                      CalibrationOfferCase{"OwnOffset", false, "-0.4", 0, false, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(EditorTest, Sp250ItemFollowsTheLibraryBesideTheProgram) {
    ExportTable exports;
    AddEditorExports(exports, editor_);
    CommandTable commands;
    RegisterExportCommands(commands, exports,
                           {.document = editor_.document(),
                            .dialogs = dialogs_,
                            .programFolder = editor_.programFolder()});
    EXPECT_FALSE(commands.isEnabled(command::kSaveSp250));
    EXPECT_TRUE(commands.isEnabled(command::kExportLyricMp3));
    touch(folder_ / "marlet.so");
    EXPECT_TRUE(commands.isEnabled(command::kSaveSp250));
}

TEST_F(EditorTest, OptionItemsAreTheSettings) {
    CommandTable commands;
    RegisterShellCommands(commands, editor_);
    AppSettings& settings = editor_.settings();
    commands.trigger(command::kExpandRepeats);
    EXPECT_FALSE(settings.expandRepeats);
    EXPECT_FALSE(commands.at(command::kExpandRepeats).checked());
    // A radio item chooses within its group, also when the file chose none.
    settings.songInfo = std::nullopt;
    EXPECT_FALSE(commands.at(command::kSongInfoAtMark).checked());
    commands.trigger(command::kSongInfoKeyValue);
    EXPECT_TRUE(settings.songInfo == SongInfoMode::KeyValue);
    EXPECT_TRUE(commands.at(command::kSongInfoKeyValue).checked());
    EXPECT_FALSE(commands.at(command::kSongInfoAtMark).checked());
}

struct KeyCase {
    const char* name;
    std::uint16_t mark, prevCheck, playPause, pressed;
    std::optional<CommandId> expected;
};

class AssignedKeyTest : public ::testing::TestWithParam<KeyCase> {};

TEST_P(AssignedKeyTest, FirstMatchInOrderWins) {
    const KeyCase& c = GetParam();
    AppSettings settings;
    settings.keyMark = c.mark;
    settings.keyPrevCheck = c.prevCheck;
    settings.keyPlayPause = c.playPause;
    EXPECT_EQ(MatchAssignedKey(settings, c.pressed), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, AssignedKeyTest,
    ::testing::Values(KeyCase{"Unassigned", 0, 0, 0, 'M', std::nullopt},
                      // An unknown key maps to 0, which must not hit an unassigned action.
                      KeyCase{"NoKeyNeverMatches", 0, 0, 0, 0, std::nullopt},
                      KeyCase{"Mark", 'M', 'C', 32, 'M', command::kMark},
                      KeyCase{"PrevCheck", 'M', 'C', 32, 'C', command::kCheckPrevious},
                      KeyCase{"PlayPause", 'M', 'C', 32, 32, command::kPlayPause},
                      KeyCase{"MarkBeatsPlayPause", 32, 0, 32, 32, command::kMark},
                      KeyCase{"PrevCheckBeatsPlayPause", 0, 16, 16, 16, command::kCheckPrevious},
                      KeyCase{"Other", 'M', 'C', 32, 'X', std::nullopt},
                      // Windows stores 半角/全角 and かな under more than one code.
                      KeyCase{"StoredKanjiIsZenkaku", 0x19, 0, 0, 0xF3, command::kMark},
                      KeyCase{"StoredHiraganaIsKana", 0, 0xF2, 0, 0x15, command::kCheckPrevious},
                      KeyCase{"YenIsNotRo", 0xE2, 0, 0, 0xDC, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(EditorTest, WorkFolderChosenOrKept) {
    const std::string before = editor_.settings().workFolder;
    dialogs_.folderAnswers = {std::nullopt, (folder_ / "work").string()};
    EXPECT_FALSE(editor_.chooseWorkFolder());
    EXPECT_EQ(editor_.settings().workFolder, before);
    EXPECT_TRUE(editor_.chooseWorkFolder());
    EXPECT_EQ(editor_.settings().workFolder, (folder_ / "work").string() + "/");
    // The chooser starts at the current work folder each time.
    EXPECT_EQ(dialogs_.calls[0].text, std::filesystem::path(before).string());
    EXPECT_EQ(dialogs_.calls[1].text, std::filesystem::path(before).string());
}

TEST_F(EditorTest, ChosenFontIsSavedForTheNextStartOnly) {
    editor_.loadSettings();
    dialogs_.fontAnswers = {std::nullopt,
                            FontChoice{.face = "IPAGothic", .pointSize = 14, .style = 1}};
    editor_.chooseFont(FontSlot::List);
    EXPECT_FALSE(std::filesystem::exists(folder_ / "font.ini"));
    EXPECT_TRUE(dialogs_.informations().empty());

    editor_.chooseFont(FontSlot::List);
    EXPECT_EQ(dialogs_.informations(),
              std::vector<std::string>{"変更はobrinの再起動後に有効になります"});
    EXPECT_EQ(FontOf(editor_.fonts(), FontSlot::List).face, "ＭＳ ゴシック");  // unchanged now

    Editor next({.programFolder = folder_, .settingsSection = "tester"}, dialogs_, player_, timers_,
                nullptr);
    next.loadSettings();
    EXPECT_EQ(FontOf(next.fonts(), FontSlot::List).face, "IPAGothic");
    EXPECT_EQ(FontOf(next.fonts(), FontSlot::List).pointSize, 14);
    EXPECT_EQ(FontOf(next.fonts(), FontSlot::Info).face, "ＭＳ ゴシック");
}

TEST_F(EditorTest, FontThatCannotBeSavedIsReportedNotPromised) {
    std::filesystem::create_directories(folder_ / "font.ini");
    dialogs_.fontAnswers = {FontChoice{.face = "IPAGothic", .pointSize = 14}};
    editor_.chooseFont(FontSlot::Text);
    EXPECT_EQ(dialogs_.errors().size(), 1u);
    EXPECT_TRUE(dialogs_.informations().empty());
}

}  // namespace
}  // namespace obrin
