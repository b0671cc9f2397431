#include "shell/editor.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "fake_player.h"
#include "recording_dialogs.h"
#include "shell/timer.h"

namespace obrin {
namespace {

class NoTimers final : public TimerFactory {
  public:
    std::unique_ptr<Timer> createTimer() override { return nullptr; }
};

std::filesystem::path ScratchFolder() {
    static int serial = 0;
    auto folder =
        std::filesystem::temp_directory_path() /
        ("obrin-editor-test-" + std::to_string(::getpid()) + "-" + std::to_string(++serial));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

class EditorTest : public ::testing::Test {
  protected:
    ~EditorTest() override { std::filesystem::remove_all(folder_); }

    void touch(const std::filesystem::path& path) {
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path) << "RIFF";
    }

    std::filesystem::path folder_ = ScratchFolder();
    RecordingDialogs dialogs_;
    obrin::testing::FakePlayer player_;
    NoTimers timers_;
    std::vector<std::string> opened_;
    Editor editor_{{.programFolder = folder_, .settingsSection = "tester"},
                   dialogs_,
                   player_,
                   timers_,
                   [this](const std::string& path) {
                       opened_.push_back(path);
                       return true;
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
    editor_.settings().mnuChkTerminate = c.confirmBeforeExit;
    const auto wav = editor_.temporaryWavPath();
    touch(wav);
    int aborts = 0;
    editor_.abortConfirmRuns = [&] { ++aborts; };
    dialogs_.confirmAnswers = c.answers;

    EXPECT_EQ(editor_.close(), c.closes);

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
    editor_.settings().mnuChkTerminate = false;
    EXPECT_TRUE(editor_.close());
    EXPECT_TRUE(dialogs_.calls.empty());
}

TEST_F(EditorTest, CloseGoesOnWhenSettingsCannotBeSaved) {
    std::filesystem::create_directories(folder_ / "obrin.ini");  // not writable as a file
    editor_.settings().mnuChkTerminate = false;
    touch(editor_.temporaryWavPath());
    EXPECT_TRUE(editor_.close());
    EXPECT_FALSE(std::filesystem::exists(editor_.temporaryWavPath()));
    EXPECT_TRUE(dialogs_.calls.empty());
}

TEST_F(EditorTest, SettingsCarryTheDocumentsMarkOffsetAndListEditMode) {
    editor_.loadSettings();
    EXPECT_EQ(editor_.document().markOffset.text(), "-1.0");
    EXPECT_FALSE(editor_.document().listEditMode);

    editor_.document().markOffset.stepUp();
    editor_.document().listEditMode = true;
    ASSERT_FALSE(editor_.saveSettings());

    Editor again({.programFolder = folder_, .settingsSection = "tester"}, dialogs_, player_,
                 timers_, nullptr);
    again.loadSettings();
    EXPECT_EQ(again.document().markOffset.text(), "-0.9");
    EXPECT_TRUE(again.document().listEditMode);
}

TEST_F(EditorTest, PlaceholderMarkOffsetIsNeverSaved) {
    // Closing before the settings were read must not leave an unusable
    // MarkOffset for every later start.
    ASSERT_EQ(editor_.document().markOffset.text(), MarkOffset::kPlaceholder);
    ASSERT_FALSE(editor_.saveSettings());
    editor_.loadSettings();
    EXPECT_EQ(editor_.document().markOffset.text(), "-1.0");
}

TEST_F(EditorTest, TemporaryWavLivesInTheWorkFolder) {
    EXPECT_EQ(editor_.temporaryWavPath(), folder_ / "obrin_temp.wav");
    editor_.settings().tempPath = (folder_ / "work" / "").string();
    EXPECT_EQ(editor_.temporaryWavPath(), folder_ / "work" / "obrin_temp.wav");

    editor_.settings().mnuChkTerminate = false;
    touch(folder_ / "work" / "obrin_temp.wav");
    touch(folder_ / "obrin_temp.wav");  // not the work folder's: left alone
    EXPECT_TRUE(editor_.close());
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
}

TEST_F(EditorTest, MarletItemFollowsTheLibraryBesideTheProgram) {
    EXPECT_FALSE(editor_.marletAvailable());
    touch(folder_ / "marlet.so");
    EXPECT_TRUE(editor_.marletAvailable());
}

}  // namespace
}  // namespace obrin
