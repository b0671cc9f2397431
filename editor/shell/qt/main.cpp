#include <QApplication>
#include <QDesktopServices>
#include <QUrl>
#include <cstdio>

#include "base/qt/qt_dialogs.h"
#include "base/qt/qt_timer.h"
#include "playback/qt/audio_player.h"
#include "shell/app_paths.h"
#include "shell/command_line_info.h"
#include "shell/editor.h"
#include "shell/instance_lock.h"
#include "shell/qt/editor_windows.h"
#include "shell/qt/instance_handover.h"
#include "shell/qt/qt_translations.h"
#include "text/qt/qt_clipboard.h"

namespace {

bool OpenWithDesktop(const std::string& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}

// A version or help that could not be written (a full disk, a closed pipe)
// is a failure.
int PrintInformation(const std::string& text) {
    if (std::fputs(text.c_str(), stdout) >= 0 && std::fflush(stdout) == 0) return 0;
    std::fputs("obrin: 標準出力に書けません\n", stderr);
    return 1;
}

}  // namespace

int main(int argc, char* argv[]) {
    // Asked only for its version or help, obrin answers before anything
    // starts: no display, no window, and no running editor is handed the
    // option as a file.
    if (const auto text =
            obrin::CommandLineInformation(std::vector<std::string>(argv + 1, argv + argc))) {
        return PrintInformation(*text);
    }
    // A second copy hands its file to the running one and ends here, before
    // any window exists; the lock stays held for the life of this process.
    const std::optional<obrin::InstanceLock> instance =
        obrin::InstanceLock::Acquire(obrin::RuntimeFolder());
    if (!instance) return obrin::HandOverToRunningEditor(obrin::RuntimeFolder(), argc, argv);

    QApplication app(argc, argv);
    obrin::LoadJapaneseQtTranslations(app);

    obrin::QtDialogs dialogs;
    obrin::QtTimerFactory timers;
    obrin::AudioPlayer player;
    obrin::QtClipboard clipboard;
    obrin::Editor editor(obrin::ChooseEditorPaths(obrin::ProgramFolder(), obrin::LoginName()),
                         dialogs, player, timers, OpenWithDesktop);

    // Only the editor that holds the lock keeps the recovery file.
    if (instance->holdsLock()) editor.keepRecoveryFile();
    obrin::EditorWindows windows(editor, clipboard);
    dialogs.setParent(&windows.mainWindow());
    dialogs.songFolder = [&windows] {
        return std::filesystem::path(windows.music().musicFilePath()).parent_path().string();
    };
    obrin::InstanceServer secondStarts(obrin::RuntimeFolder());
    secondStarts.onRequest = [&windows](const std::string& file) {
        windows.music().takeHandedOverFile(file);
    };

    windows.mainWindow().show();  // the first show runs the start-up steps
    // The last start-up step. QApplication has taken its own options out of
    // argv. The registration switches end the program without the close
    // sequence: no question, no settings saved.
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (windows.handleCommandLine(arguments) == obrin::StartUpAction::Exit) return 0;
    return app.exec();
}
