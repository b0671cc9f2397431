// Where the editor keeps its settings, the decoded song and the recovery
// file: the program folder of a portable copy, the user's own folders
// otherwise; and what happens when those folders or files are not usable.
#include <gtest/gtest.h>

#include <optional>

#include "base/timer.h"
#include "fake_player.h"
#include "file_bytes.h"
#include "full_folder.h"
#include "read_only_folder.h"
#include "recording_dialogs.h"
#include "scoped_env.h"
#include "shell/editor.h"
#include "temp_folder.h"

namespace obrin {
namespace {

namespace fs = std::filesystem;

class NoTimers final : public TimerFactory {
  public:
    std::unique_ptr<Timer> createTimer() override { return nullptr; }
};

using test::ScopedEnv;

const std::function<void()> kNoConfirmRuns = [] {};
const std::function<bool()> kNoSave = [] { return false; };

constexpr const char* kSaved =
    "[tester]\r\ntempPath=/old/program/\r\nmnuGrid=0\r\npanMark.Caption=-0.3\r\n"
    "[other]\r\nmnuGrid=1\r\n";

class UserFoldersTest : public ::testing::Test {
  protected:
    UserFoldersTest() {
        fs::create_directories(program_);
        paths_ = {.programFolder = program_,
                  .settingsSection = "tester",
                  .configFolder = scratch_.path() / "config" / "obrin",
                  .cacheFolder = scratch_.path() / "cache" / "obrin",
                  .stateFolder = scratch_.path() / "state" / "obrin"};
    }

    std::unique_ptr<Editor> makeEditor() {
        return std::make_unique<Editor>(paths_, dialogs_, player_, timers_, nullptr);
    }

    test::TempFolder scratch_;
    fs::path program_ = scratch_.path() / "program";
    EditorPaths paths_;
    test::RecordingDialogs dialogs_;
    test::FakePlayer player_;
    NoTimers timers_;
};

struct ChoiceCase {
    const char* name;
    bool settingsBeside;
    bool readOnlyProgram;
    bool home;
    bool portable;
};

class ChooseEditorPathsTest : public UserFoldersTest,
                              public ::testing::WithParamInterface<ChoiceCase> {};

TEST_P(ChooseEditorPathsTest, PortableOnlyWithWritableSettingsBesideTheProgram) {
    const ChoiceCase& c = GetParam();
    const fs::path home = scratch_.path() / "home";
    const ScopedEnv config("XDG_CONFIG_HOME", std::nullopt);
    const ScopedEnv cache("XDG_CACHE_HOME", (scratch_.path() / "xdg-cache").string());
    const ScopedEnv homeVariable("HOME",
                                 c.home ? std::optional<std::string>(home.string()) : std::nullopt);
    if (c.settingsBeside) test::WriteBytes(program_ / "obrin.ini", kSaved);
    std::optional<test::ReadOnlyFolder> readOnly;
    if (c.readOnlyProgram) {
        readOnly.emplace(program_);
        ASSERT_TRUE(*readOnly) << readOnly->why();
    }

    const EditorPaths paths = ChooseEditorPaths(program_, "tester");

    EXPECT_EQ(paths.programFolder, program_);
    EXPECT_EQ(paths.settingsSection, "tester");
    EXPECT_EQ(paths.configFolder, c.portable ? fs::path() : home / ".config" / "obrin");
    EXPECT_EQ(paths.cacheFolder, c.portable ? fs::path() : scratch_.path() / "xdg-cache" / "obrin");
    EXPECT_EQ(
        SettingsFileToRead(paths),
        (c.portable || c.settingsBeside ? program_ : home / ".config" / "obrin") / "obrin.ini");
}

INSTANTIATE_TEST_SUITE_P(
    Folders, ChooseEditorPathsTest,
    ::testing::Values(ChoiceCase{"PortableCopy", true, false, true, true},
                      ChoiceCase{"NoSettingsBeside", false, false, true, false},
                      ChoiceCase{"ReadOnlyProgramWithSettings", true, true, true, false},
                      ChoiceCase{"ReadOnlyProgram", false, true, true, false},
                      // Nowhere else to keep them.
                      ChoiceCase{"NoHome", false, false, false, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(UserFoldersTest, SettingsAreSavedInTheConfigFolderAsTheyChange) {
    auto editor = makeEditor();
    editor->loadSettings();
    EXPECT_EQ(editor->settingsPath(), paths_.configFolder / "obrin.ini");
    EXPECT_EQ(editor->fontSettingsPath(), paths_.configFolder / "font.ini");
    EXPECT_FALSE(fs::exists(paths_.configFolder)) << "nothing changed yet";

    editor->document().setMarkOffset("-0.4");
    EXPECT_EQ(LoadAppSettings(editor->settingsPath(), "tester", "/").markOffsetText, "-0.4");
    editor->settings().gridLines = !editor->settings().gridLines;
    editor->saveChangedSettings();
    EXPECT_EQ(LoadAppSettings(editor->settingsPath(), "tester", "/").gridLines,
              editor->settings().gridLines);

    fs::remove(editor->settingsPath());
    editor->saveChangedSettings();
    EXPECT_FALSE(fs::exists(editor->settingsPath())) << "written again without a change";
    EXPECT_TRUE(fs::is_empty(program_));
    EXPECT_TRUE(dialogs_.errors().empty());
}

TEST_F(UserFoldersTest, DecodedSongInTheCacheFolderRecoveryInTheStateFolder) {
    auto editor = makeEditor();
    editor->loadSettings();
    EXPECT_EQ(editor->temporaryWavPath(), paths_.cacheFolder / "obrin_temp.wav");
    EXPECT_EQ(editor->recoveryFolder(), paths_.stateFolder);
    editor->prepareWorkFolder();
    EXPECT_TRUE(fs::is_directory(paths_.cacheFolder));
    // Made now, and still the same place for the next start to look.
    EXPECT_EQ(editor->recoveryFolder(), paths_.stateFolder);

    const fs::path chosen = scratch_.path() / "work";
    fs::create_directories(chosen);
    editor->settings().workFolder = chosen.string() + "/";
    EXPECT_EQ(editor->recoveryFolder().string(), chosen.string() + "/");
}

TEST_F(UserFoldersTest, SettingsBesideTheProgramAreTakenOverOnce) {
    // Written by a copy that kept its work folder as designed.
    const std::string saved =
        "[tester]\r\ntempPath=" + program_.string() + "/\r\nmnuGrid=0\r\npanMark.Caption=-0.3\r\n";
    test::WriteBytes(program_ / "obrin.ini", saved);
    test::WriteBytes(program_ / "font.ini", "[List]\r\nsize=20\r\n");
    paths_.cacheFolder = "/old/cache/obrin";
    auto editor = makeEditor();
    editor->loadSettings();

    EXPECT_EQ(test::ReadBytes(paths_.configFolder / "obrin.ini"), saved);
    EXPECT_EQ(test::ReadBytes(paths_.configFolder / "font.ini"), "[List]\r\nsize=20\r\n");
    EXPECT_FALSE(editor->settings().gridLines);
    EXPECT_EQ(editor->document().markOffset().text(), "-0.3");
    EXPECT_EQ(FontOf(editor->fonts(), FontSlot::List).pointSize, 20);
    EXPECT_EQ(editor->settings().workFolder, "/old/cache/obrin/") << "the old default";

    test::WriteBytes(program_ / "obrin.ini", "[tester]\r\nmnuGrid=1\r\n");
    auto next = makeEditor();
    next->loadSettings();
    EXPECT_FALSE(next->settings().gridLines) << "taken over again";
    EXPECT_TRUE(dialogs_.errors().empty());
}

TEST_F(UserFoldersTest, LinkedSettingsFileStaysALink) {
    const fs::path kept = scratch_.path() / "dotfiles" / "obrin.ini";
    fs::create_directories(kept.parent_path());
    test::WriteBytes(kept, kSaved);
    fs::create_directories(paths_.configFolder);
    fs::create_symlink(kept, paths_.configFolder / "obrin.ini");
    auto editor = makeEditor();
    editor->loadSettings();
    EXPECT_FALSE(editor->settings().gridLines);

    editor->settings().gridLines = true;
    editor->saveChangedSettings();
    EXPECT_TRUE(fs::is_symlink(paths_.configFolder / "obrin.ini"));
    EXPECT_TRUE(LoadAppSettings(kept, "tester", "/").gridLines);
    EXPECT_TRUE(LoadAppSettings(kept, "other", "/").gridLines) << "another user's section";
    EXPECT_TRUE(dialogs_.errors().empty());
}

// Folders and files the settings cannot go to: one clear message when it
// first matters, the defaults (or what could be read) to run on, and the
// files on disk as they were.
struct UnusableCase {
    const char* name;
    std::function<void(const fs::path& scratch, EditorPaths& paths)> arrange;
    // The message at the start, "" for none; then the one when a change
    // cannot be saved (shown once), which the close shows again.
    std::string startMessage;
    std::string saveMessage;
    bool gridLinesRead;  // as the editor starts
};

class UnusableSettingsTest : public UserFoldersTest,
                             public ::testing::WithParamInterface<UnusableCase> {};

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

TEST_P(UnusableSettingsTest, ToldOnceAndNothingSavedIsReplaced) {
    const UnusableCase& c = GetParam();
    c.arrange(scratch_.path(), paths_);
    const auto files = [this] {
        std::vector<std::pair<fs::path, std::string>> found;
        for (const auto& entry : fs::recursive_directory_iterator(scratch_.path())) {
            if (entry.is_regular_file()) found.emplace_back(entry.path(), test::ReadBytes(entry));
        }
        return found;
    };
    const auto before = files();
    const auto expand = [&](const std::string& text) {
        return Replace(text, "<scratch>", scratch_.path().string());
    };

    auto editor = makeEditor();
    editor->loadSettings();
    EXPECT_EQ(dialogs_.errors(), c.startMessage.empty()
                                     ? std::vector<std::string>{}
                                     : std::vector<std::string>{expand(c.startMessage)});
    EXPECT_EQ(editor->settings().gridLines, c.gridLinesRead);
    dialogs_.calls.clear();

    editor->settings().gridLines = !editor->settings().gridLines;
    editor->saveChangedSettings();
    editor->document().setMarkOffset("-0.2");
    const std::vector<std::string> told = c.startMessage.empty()
                                              ? std::vector<std::string>{expand(c.saveMessage)}
                                              : std::vector<std::string>{};
    EXPECT_EQ(dialogs_.errors(), told) << "told once, not at every change";

    editor->settings().confirmExit = false;
    EXPECT_TRUE(editor->close(kNoConfirmRuns, kNoSave));
    EXPECT_EQ(dialogs_.errors().back(), expand(c.saveMessage));
    EXPECT_EQ(files(), before);
}

INSTANTIATE_TEST_SUITE_P(
    BadInput, UnusableSettingsTest,
    ::testing::Values(
        UnusableCase{"ConfigFolderCannotBeMade",
                     [](const fs::path& scratch, EditorPaths& paths) {
                         test::WriteBytes(scratch / "config", "a file");
                         paths.configFolder = scratch / "config" / "obrin";
                     },
                     "", "設定を保存できません(<scratch>/config/obrin/obrin.ini: Not a directory)",
                     true},
        UnusableCase{"SettingsFileIsAFolder",
                     [](const fs::path&, EditorPaths& paths) {
                         fs::create_directories(paths.configFolder / "obrin.ini");
                     },
                     "設定を読み込めません(<scratch>/config/obrin/obrin.ini: Is a directory)\n"
                     "既定の設定で起動します。このファイルは書き換えません",
                     "設定を保存できません(<scratch>/config/obrin/obrin.ini: Is a directory)",
                     true},
        // The settings left beside the program are read where they are, not
        // replaced by the defaults in the user's folder.
        UnusableCase{"SettingsCannotBeTakenOver",
                     [](const fs::path& scratch, EditorPaths& paths) {
                         test::WriteBytes(paths.programFolder / "obrin.ini", kSaved);
                         test::WriteBytes(scratch / "config", "a file");
                         paths.configFolder = scratch / "config" / "obrin";
                     },
                     "設定を<scratch>/config/obrinへ移せません(Not a directory)\n"
                     "<scratch>/program/obrin.iniのまま使います",
                     "設定を保存できません(<scratch>/config/obrin/obrin.ini: Not a directory)",
                     false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(UserFoldersTest, FontFileThatCannotBeReadIsToldAndKept) {
    fs::create_directories(paths_.configFolder / "font.ini");
    auto editor = makeEditor();
    editor->loadSettings();
    ASSERT_EQ(dialogs_.errors().size(), 1u);
    EXPECT_EQ(dialogs_.errors()[0].rfind(
                  "設定を読み込めません(" + (paths_.configFolder / "font.ini").string() + ": ", 0),
              0u);
    EXPECT_EQ(FontOf(editor->fonts(), FontSlot::List).face,
              FontOf(DesignedFonts(), FontSlot::List).face);
    dialogs_.fontAnswers = {FontChoice{.face = "IPAGothic", .pointSize = 14}};
    editor->chooseFont(FontSlot::Text);
    EXPECT_EQ(dialogs_.errors().size(), 2u);
    EXPECT_TRUE(fs::is_directory(paths_.configFolder / "font.ini"));
}

// A decode into a work folder it cannot write to would fail only after the
// wait, with a plug-in's code; the folder and the reason are told first.
struct WorkFolderCase {
    const char* name;
    bool fullDisk;      // <disk> is full
    const char* cache;  // below the scratch folder
    bool chosen;        // <disk> chosen as the work folder, else the cache
    std::string message;
};

class UnusableWorkFolderTest : public UserFoldersTest,
                               public ::testing::WithParamInterface<WorkFolderCase> {};

TEST_P(UnusableWorkFolderTest, RefusedWithTheFolderAndTheReason) {
    const WorkFolderCase& c = GetParam();
    const fs::path disk = scratch_.path() / "disk";
    fs::create_directories(disk);
    std::optional<test::FullFolder> full;
    if (c.fullDisk) {
        full.emplace(disk);
        ASSERT_TRUE(*full) << full->why();
    }
    test::WriteBytes(scratch_.path() / "file", "not a folder");
    paths_.cacheFolder = scratch_.path() / c.cache;
    auto editor = makeEditor();
    editor->loadSettings();
    if (c.chosen) editor->settings().workFolder = disk.string() + "/";
    try {
        editor->prepareWorkFolder();
        ADD_FAILURE() << "no refusal";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(error.what(), Replace(c.message, "<scratch>", scratch_.path().string()));
    }
}

INSTANTIATE_TEST_SUITE_P(
    BadInput, UnusableWorkFolderTest,
    ::testing::Values(WorkFolderCase{"CacheOnAFullDisk", true, "disk/obrin", false,
                                     "作業フォルダのディスクがいっぱいです(<scratch>/disk/obrin/)"},
                      WorkFolderCase{"ChosenOnAFullDisk", true, "cache/obrin", true,
                                     "作業フォルダのディスクがいっぱいです(<scratch>/disk/)"},
                      WorkFolderCase{
                          "CacheCannotBeMade", false, "file/obrin", false,
                          "作業フォルダを作れません(<scratch>/file/obrin/: Not a directory)"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace obrin
