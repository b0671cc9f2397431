#include "shell/editor.h"

#include <exception>

#include "base/dialogs.h"

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

bool Editor::close(const std::function<void()>& endConfirmRuns) {
    if (settings_.confirmExit && !dialogs_.confirm("obrinを終了しますか?")) return false;
    endConfirmRuns();
    // The user asked to quit: a settings file that cannot be written (a
    // read-only folder, a full disk) must not keep the editor open.
    try {
        static_cast<void>(saveSettings());
    } catch (const std::exception&) {
    }
    std::error_code ignored;  // a missing file is the usual case, not an error
    std::filesystem::remove(temporaryWavPath(), ignored);
    return true;
}

void Editor::showHelp() {
    const std::filesystem::path help = paths_.programFolder / kHelpFile;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(help, ec)) {
        dialogs_.showError("ヘルプが見つかりません");
        return;
    }
    if (openUrl_) static_cast<void>(openUrl_(help.string()));
}

}  // namespace obrin
