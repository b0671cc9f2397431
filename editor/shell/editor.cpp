#include "shell/editor.h"

#include <sys/statvfs.h>

#include <exception>
#include <stdexcept>
#include <utility>

#include "base/dialogs.h"
#include "obrin_files/file_replacement.h"
#include "shell/app_paths.h"
#include "shell/autosave.h"
#include "shell/recovery_file.h"
#include "shell/recovery_writer.h"
#include "shell/text_options.h"
#include "text/text_lines.h"

namespace obrin {

Editor::Editor(EditorPaths paths, Dialogs& dialogs, Player& player, TimerFactory& timers,
               OpenUrl openUrl)
    : paths_(std::move(paths)),
      dialogs_(dialogs),
      player_(player),
      timers_(timers),
      openUrl_(std::move(openUrl)),
      settings_(DefaultAppSettings(defaultWorkFolder())),
      documentSettings_(document_.fieldChanged.connect([this](DocumentField field) {
          if (field == DocumentField::MarkOffset || field == DocumentField::ListEditMode)
              saveChangedSettings();
      })),
      fonts_(DesignedFonts()) {}

Editor::~Editor() = default;

std::string NoBrowserMessage(const std::filesystem::path& help) {
    return "ヘルプを表示するブラウザが見つかりません。次のファイルをブラウザで開いてください:\n" +
           help.string();
}

std::string RecoveryFileName(const std::string& settingsSection) {
    std::string name = "obrin_recovery_";
    for (char c : settingsSection) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.';
        name += plain ? c : '_';
    }
    return name + ".txt";
}

FontSlotFonts DesignedFonts() {
    FontSlotFonts fonts;
    // "ＭＳ ゴシック" 12 pixels high is 9 points on the 96-dpi screens the
    // windows were laid out on.
    for (FontSlot slot : kFontSlots)
        FontOf(fonts, slot) = {.face = "ＭＳ ゴシック", .pointSize = 9};
    return fonts;
}

namespace {

bool IsThere(const std::filesystem::path& path) {
    std::error_code ec;
    // A link is the user's own arrangement, even one that leads nowhere yet.
    return std::filesystem::symlink_status(path, ec).type() !=
           std::filesystem::file_type::not_found;
}

}  // namespace

EditorPaths ChooseEditorPaths(std::filesystem::path programFolder, std::string settingsSection) {
    EditorPaths paths{.programFolder = std::move(programFolder),
                      .settingsSection = std::move(settingsSection),
                      .stateFolder = StateFolder()};
    const bool portable =
        IsThere(paths.programFolder / kSettingsFileName) && IsWritableFolder(paths.programFolder);
    if (!portable) {
        paths.configFolder = ConfigFolder();
        if (!paths.configFolder.empty()) paths.cacheFolder = CacheFolder();
    }
    return paths;
}

std::filesystem::path SettingsFileToRead(const EditorPaths& paths) {
    const std::filesystem::path beside = paths.programFolder / kSettingsFileName;
    if (paths.configFolder.empty()) return beside;
    const std::filesystem::path own = paths.configFolder / kSettingsFileName;
    return IsThere(own) || !IsThere(beside) ? own : beside;
}

std::filesystem::path Editor::settingsFolder() const {
    return paths_.configFolder.empty() ? paths_.programFolder : paths_.configFolder;
}

std::filesystem::path Editor::defaultWorkFolder() const {
    return paths_.cacheFolder.empty() ? paths_.programFolder : paths_.cacheFolder;
}

bool Editor::workFolderIsCache() const {
    return !paths_.cacheFolder.empty() &&
           FolderWithSeparator(workFolder()) == FolderWithSeparator(paths_.cacheFolder);
}

std::filesystem::path Editor::workFolder() const {
    if (settings_.workFolder.empty()) return defaultWorkFolder();
    return std::filesystem::path(settings_.workFolder);
}

std::filesystem::path Editor::fontSettingsPath() const {
    return settingsFolder() / kFontSettingsFileName;
}

std::filesystem::path Editor::temporaryWavPath() const {
    return workFolder() / kTemporaryWavName;
}

std::filesystem::path Editor::settingsPath() const {
    return settingsFolder() / kSettingsFileName;
}

void Editor::prepareWorkFolder() const {
    const std::filesystem::path folder = workFolder();
    std::error_code error;
    // Only the user's own cache folder is made; a chosen work folder that is
    // gone is the user's to put right.
    if (workFolderIsCache()) std::filesystem::create_directories(folder, error);
    if (error)
        throw std::runtime_error("作業フォルダを作れません(" + folder.string() + ": " +
                                 error.message() + ")");
    struct statvfs disk {};
    if (::statvfs(folder.c_str(), &disk) == 0 && disk.f_bavail == 0)
        throw std::runtime_error("作業フォルダのディスクがいっぱいです(" + folder.string() + ")");
}

std::filesystem::path Editor::adoptSettingsBesideProgram(const char* fileName) {
    const std::filesystem::path own = settingsFolder() / fileName;
    const std::filesystem::path beside = paths_.programFolder / fileName;
    if (paths_.configFolder.empty() || IsThere(own) || !IsThere(beside)) return own;
    std::error_code error;
    std::filesystem::create_directories(paths_.configFolder, error);
    if (!error) {
        if (const std::optional<std::string> bytes = ReadFileBytes(beside, error))
            error = WriteFileAtomically(own, *bytes);
    }
    if (!error) return own;
    dialogs_.showError("設定を" + paths_.configFolder.string() + "へ移せません(" + error.message() +
                       ")\n" + beside.string() + "のまま使います");
    settingsFailureShown_ = true;
    // Read where they are: starting on the defaults would have the next
    // change written over them into the user's folder.
    return beside;
}

void Editor::loadSettings() {
    savedSettings_.reset();
    settingsUnreadable_.clear();
    fontsUnreadable_.clear();
    const std::filesystem::path settingsFile = adoptSettingsBesideProgram(kSettingsFileName);
    const std::filesystem::path fontFile = adoptSettingsBesideProgram(kFontSettingsFileName);
    settings_ = LoadAppSettings(settingsFile, paths_.settingsSection, defaultWorkFolder(),
                                &settingsUnreadable_);
    // Settings taken over from beside a read-only program name its folder as
    // the work folder, the default of the copy that wrote them.
    if (!paths_.cacheFolder.empty() &&
        settings_.workFolder == FolderWithSeparator(paths_.programFolder)) {
        settings_.workFolder = FolderWithSeparator(paths_.cacheFolder);
    }
    document_.setMarkOffset(settings_.markOffsetText);
    document_.setListEditMode(settings_.listEditMode);
    fontsUnreadable_ = LoadFontSettings(fontFile, fonts_);
    for (const auto& [file, error] :
         {std::pair{settingsFile, settingsUnreadable_}, std::pair{fontFile, fontsUnreadable_}}) {
        if (!error) continue;
        dialogs_.showError(std::string(kSettingsNotReadMessage) + "(" + file.string() + ": " +
                           error.message() +
                           ")\n既定の設定で起動します。このファイルは書き換えません");
        settingsFailureShown_ = true;
    }
    savedSettings_ = settingsWithDocument();
}

AppSettings Editor::settingsWithDocument() const {
    AppSettings settings = settings_;
    // The placeholder only shows before the settings are read; writing it
    // would leave every later start without a usable MarkOffset.
    if (document_.markOffset().text() != MarkOffset::kPlaceholder) {
        settings.markOffsetText = document_.markOffset().text();
    }
    settings.listEditMode = document_.listEditMode();
    return settings;
}

std::error_code Editor::saveSettings() {
    settings_ = settingsWithDocument();
    if (settingsUnreadable_) return settingsUnreadable_;
    std::error_code error;
    if (!paths_.configFolder.empty())
        std::filesystem::create_directories(paths_.configFolder, error);
    if (!error) error = SaveAppSettings(settingsPath(), paths_.settingsSection, settings_);
    if (!error) savedSettings_ = settings_;
    return error;
}

std::string Editor::trySavingSettings() {
    try {
        if (const std::error_code error = saveSettings()) return error.message();
    } catch (const std::exception& e) {
        return e.what();
    }
    return {};
}

void Editor::showSettingsNotSaved(const std::string& reason) {
    dialogs_.showError(std::string(kSettingsNotSavedMessage) + "(" + settingsPath().string() +
                       ": " + reason + ")");
}

void Editor::saveChangedSettings() {
    if (!savedSettings_ || settingsWithDocument() == *savedSettings_) return;
    const std::string failure = trySavingSettings();
    if (failure.empty()) {
        settingsFailureShown_ = false;
    } else if (!std::exchange(settingsFailureShown_, true)) {
        showSettingsNotSaved(failure);
    }
}

bool Editor::chooseWorkFolder() {
    const std::optional<std::string> chosen = dialogs_.chooseFolder(workFolder().string());
    if (!chosen || chosen->empty()) return false;
    settings_.workFolder = FolderWithSeparator(*chosen);
    return true;
}

void Editor::chooseFont(FontSlot slot) {
    const std::optional<FontChoice> chosen = dialogs_.chooseFont(FontOf(fonts_, slot));
    if (!chosen) return;
    std::error_code error = fontsUnreadable_;
    if (!error && !paths_.configFolder.empty())
        std::filesystem::create_directories(paths_.configFolder, error);
    if (!error) error = SaveFontSlot(fontSettingsPath(), slot, *chosen);
    if (error) {
        // Promising the change after a restart would be untrue.
        dialogs_.showError("フォントの設定を保存できません(" + fontSettingsPath().string() + ": " +
                           error.message() + ")");
        return;
    }
    dialogs_.showInformation("変更はobrinの再起動後に有効になります");
}

bool Editor::close(const std::function<void()>& endConfirmRuns,
                   const std::function<bool()>& saveChanges) {
    if (changes_.modified()) {
        if (!SettleUnsavedChanges(changes_, dialogs_, saveChanges)) return false;
    } else if (settings_.confirmExit && !dialogs_.confirm("obrinを終了しますか?")) {
        return false;
    }
    endConfirmRuns();
    // The user asked to quit: a settings file that cannot be written (a
    // read-only folder, a full disk) is told, but does not keep the editor
    // open.
    if (const std::string failure = trySavingSettings(); !failure.empty())
        showSettingsNotSaved(failure);
    std::error_code ignored;  // a missing file is the usual case, not an error
    std::filesystem::remove(temporaryWavPath(), ignored);
    // Closed as the user asked, with or without saving: nothing to recover.
    autosave_.reset();
    removeRecoveryFile();
    settleRecoveryFile();
    return true;
}

std::filesystem::path Editor::recoveryFolder() const {
    std::filesystem::path work = workFolder();
    // The cache folder may be emptied by the system and is made only by a
    // decode, so whether it is there must not decide where the next start
    // looks.
    if (paths_.stateFolder.empty() || (!workFolderIsCache() && IsWritableFolder(work))) return work;
    return paths_.stateFolder;
}

void Editor::startRecovery(
    const std::function<void(const std::string& songPath)>& reopenSong,
    const std::function<void(const std::string& typedText)>& restoreTypedText) {
    if (!keepsRecovery_ || autosave_) return;
    const std::filesystem::path folder = recoveryFolder();
    recoveryPath_ = folder / RecoveryFileName(paths_.settingsSection);
    std::error_code error;
    if (const std::optional<std::string> bytes = ReadFileBytes(recoveryPath_, error)) {
        const std::optional<RecoveredWork> work = ParseRecoveryFile(*bytes);
        if (!work) {
            dialogs_.showError("前回の作業を読み込めません(" + recoveryPath_.string() + ")");
        } else if (dialogs_.confirm(kRecoverQuestion)) {
            if (!work->songPath.empty() && reopenSong) reopenSong(work->songPath);
            RestoreDocument(document_, *work);
            if (work->typedText && restoreTypedText) restoreTypedText(*work->typedText);
            changes_.markModified();
        }
    }
    // The state folder is the user's own and may not exist yet; the work
    // folder is the user's choice and is never made here.
    recoveryWriter_ = std::make_unique<RecoveryWriter>(
        recoveryPath_, folder != workFolder() ? folder : std::filesystem::path(),
        [](const std::filesystem::path& file, std::string_view bytes) {
            return WriteFileAtomically(file, bytes);
        });
    autosave_ = std::make_unique<Autosave>(
        changes_, timers_, [this] { writeRecoveryFile(); }, [this] { removeRecoveryFile(); });
}

void Editor::writeRecoveryFile() {
    // Formatted here, as it reads the document; only the disk is left to the
    // writer.
    recoveryWriter_->write(FormatRecoveryFile(document_, songPath ? songPath() : std::string(),
                                              CompletedTextOptionsFrom(settings_),
                                              typedText ? typedText() : std::nullopt));
    showRecoveryFailure();
}

void Editor::removeRecoveryFile() {
    if (recoveryWriter_) recoveryWriter_->remove();
}

void Editor::settleRecoveryFile() {
    if (!recoveryWriter_) return;
    recoveryWriter_->waitIdle();
    showRecoveryFailure();
}

void Editor::showRecoveryFailure() {
    if (const std::error_code error = recoveryWriter_->takeFailure()) {
        dialogs_.showError("作業内容を一時保存できません(" + recoveryPath_.string() + ": " +
                           error.message() + ")");
    }
}

bool Editor::offerCalibration() {
    if (settings_.calibrationOffered || std::exchange(calibrationOfferedThisRun_, true))
        return false;
    // A user who has set an offset of their own has nothing to measure.
    if (document_.markOffset().text() != MarkOffset::kDefault) return false;
    const std::optional<int> answer =
        dialogs_.choose(kCalibrationQuestion, {kMeasureAnswer, kNotNowAnswer});
    if (!answer) return false;
    settings_.calibrationOffered = true;
    // Asked outside any command, so nothing else saves the answer before a
    // crash would lose it.
    saveChangedSettings();
    return *answer == 0;
}

void Editor::showHelp() {
    const std::filesystem::path help = paths_.programFolder / kHelpFile;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(help, ec)) {
        dialogs_.showError("ヘルプが見つかりません");
        return;
    }
    if (openUrl_ && openUrl_(help.string())) return;
    dialogs_.showError(NoBrowserMessage(help));
}

}  // namespace obrin
