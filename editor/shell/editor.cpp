#include "shell/editor.h"

#include <exception>
#include <utility>

#include "base/dialogs.h"
#include "obrin_files/file_replacement.h"
#include "shell/app_paths.h"
#include "shell/autosave.h"
#include "shell/recovery_file.h"
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
      settings_(DefaultAppSettings(paths_.programFolder)),
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

std::filesystem::path Editor::workFolder() const {
    if (settings_.workFolder.empty()) return paths_.programFolder;
    return std::filesystem::path(settings_.workFolder);
}

std::filesystem::path Editor::fontSettingsPath() const {
    return paths_.programFolder / kFontSettingsFileName;
}

std::filesystem::path Editor::temporaryWavPath() const {
    return workFolder() / kTemporaryWavName;
}

std::filesystem::path Editor::settingsPath() const {
    return paths_.programFolder / kSettingsFileName;
}

void Editor::loadSettings() {
    settings_ = LoadAppSettings(settingsPath(), paths_.settingsSection, paths_.programFolder);
    document_.setMarkOffset(settings_.markOffsetText);
    document_.setListEditMode(settings_.listEditMode);
    LoadFontSettings(fontSettingsPath(), fonts_);
}

std::error_code Editor::saveSettings() {
    // The placeholder only shows before the settings are read; writing it
    // would leave every later start without a usable MarkOffset.
    if (document_.markOffset().text() != MarkOffset::kPlaceholder) {
        settings_.markOffsetText = document_.markOffset().text();
    }
    settings_.listEditMode = document_.listEditMode();
    return SaveAppSettings(settingsPath(), paths_.settingsSection, settings_);
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
    if (SaveFontSlot(fontSettingsPath(), slot, *chosen)) {
        // Promising the change after a restart would be untrue.
        dialogs_.showError("フォントの設定を保存できません(" + fontSettingsPath().string() + ")");
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
    std::string failure;
    try {
        if (const std::error_code error = saveSettings()) failure = error.message();
    } catch (const std::exception& e) {
        failure = e.what();
    }
    if (!failure.empty()) {
        dialogs_.showError(std::string(kSettingsNotSavedMessage) + "(" + settingsPath().string() +
                           ": " + failure + ")");
    }
    std::error_code ignored;  // a missing file is the usual case, not an error
    std::filesystem::remove(temporaryWavPath(), ignored);
    // Closed as the user asked, with or without saving: nothing to recover.
    autosave_.reset();
    removeRecoveryFile();
    return true;
}

std::filesystem::path Editor::recoveryFolder() const {
    std::filesystem::path work = workFolder();
    if (paths_.stateFolder.empty() || IsWritableFolder(work)) return work;
    return paths_.stateFolder;
}

void Editor::startRecovery(
    const std::function<void(const std::string& songPath)>& reopenSong,
    const std::function<void(const std::string& typedText)>& restoreTypedText) {
    if (!keepsRecovery_ || autosave_) return;
    const std::filesystem::path folder = recoveryFolder();
    recoveryInStateFolder_ = folder != workFolder();
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
    autosave_ = std::make_unique<Autosave>(
        changes_, timers_, [this] { writeRecoveryFile(); }, [this] { removeRecoveryFile(); });
}

void Editor::writeRecoveryFile() {
    std::error_code error;
    // The state folder is the user's own and may not exist yet; the work
    // folder is the user's choice and is never made here.
    if (recoveryInStateFolder_) std::filesystem::create_directories(paths_.stateFolder, error);
    if (!error) {
        error = WriteFileAtomically(
            recoveryPath_, FormatRecoveryFile(document_, songPath ? songPath() : std::string(),
                                              CompletedTextOptionsFrom(settings_),
                                              typedText ? typedText() : std::nullopt));
    }
    if (!error) {
        recoveryFailureShown_ = false;
        return;
    }
    if (std::exchange(recoveryFailureShown_, true)) return;
    dialogs_.showError("作業内容を一時保存できません(" + recoveryPath_.string() + ": " +
                       error.message() + ")");
}

void Editor::removeRecoveryFile() {
    if (recoveryPath_.empty()) return;
    std::error_code ignored;  // none written yet is the usual case
    std::filesystem::remove(recoveryPath_, ignored);
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
