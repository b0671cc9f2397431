// The editor as the program wires it, with its folders chosen as the program
// chooses them, run from an installed program folder that the user may not
// write to. The dialogs are answered from a script and the audio device is a
// fake; everything else (the input plug-in, the export library, the files
// written) is the installed program's own. read_only_install_test.sh copies
// it beside the installed program and runs it twice:
//
//   installed_road first SONG    open SONG, mark, save the lyrics beside it,
//                                export, change an option, close
//   installed_road second        the option is there; close
//
// Prints each step; exits 1 after the first step that went wrong.
#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <filesystem>
#include <iostream>

#include "base/command_ids.h"
#include "base/qt/qt_timer.h"
#include "document/qt/control_panel.h"
#include "fake_player.h"
#include "file_bytes.h"
#include "recording_dialogs.h"
#include "scripted_clipboard.h"
#include "shell/app_paths.h"
#include "shell/editor.h"
#include "shell/qt/editor_windows.h"

using namespace obrin;

namespace {

class Road {
  public:
    Road()
        : editor_(ChooseEditorPaths(ProgramFolder(), LoginName()), dialogs_, player_, timers_,
                  [](const std::string&) { return true; }) {
        std::cout << "program=" << editor_.programFolder().string() << "\n"
                  << "settings=" << editor_.settingsPath().string() << "\n"
                  << "work=" << editor_.workFolder().string() << std::endl;
    }

    // False, with the reason on standard error, when `holds` does not.
    bool step(const char* what, bool holds) {
        if (!holds) {
            std::cerr << "FAIL: " << what << "\n";
            for (const std::string& error : dialogs_.errors())
                std::cerr << "  error: " << error << "\n";
        } else {
            std::cout << "ok: " << what << std::endl;
        }
        return holds;
    }

    bool trigger(CommandId id) {
        QAction* item = windows_.mainWindow().action(id);
        return item != nullptr && item->isEnabled() && (item->trigger(), true);
    }

    bool start() {
        windows_.mainWindow().show();
        return step("starts without a message", dialogs_.errors().empty());
    }

    bool first(const std::filesystem::path& song) {
        const std::filesystem::path folder = song.parent_path();
        dialogs_.fileAnswers = {song.string()};
        if (!step("opens the MP3", trigger(command::kOpenMusicFile) && dialogs_.errors().empty() &&
                                       player_.fileName() == editor_.temporaryWavPath().string()))
            return false;
        if (!step("decodes into the cache folder",
                  editor_.temporaryWavPath().parent_path() == CacheFolder() &&
                      std::filesystem::file_size(editor_.temporaryWavPath()) > 44))
            return false;

        clipboard_.text = "first line\r\nsecond line\r\n";
        trigger(command::kPasteExpanded);
        Document& document = editor_.document();
        document.lyrics.select(0);
        player_.play();
        for (const double seconds : {1.5, 2.75}) {
            player_.setPositionForTest(seconds);
            windows_.mainWindow().controlPanel()->markButton()->click();
        }
        for (int i = 0; i < document.lyrics.count(); ++i)
            std::cout << "line=" << document.lyrics.line(i).timeText << " "
                      << document.lyrics.line(i).lyricText << "\n";
        if (!step("marks",
                  document.lyrics.count() >= 2 && document.lyrics.line(1).timeText != "00:00:00"))
            return false;

        trigger(command::kSaveLyricsBesideMusic);
        const std::filesystem::path lyrics = std::filesystem::path(song).replace_extension(".txt");
        if (!step("saves the lyrics beside the song",
                  dialogs_.errors().empty() &&
                      test::ReadBytes(lyrics).find("second line") != std::string::npos))
            return false;

        dialogs_.fileAnswers = {(folder / "song.snc").string()};
        if (!step("exports through the installed library",
                  trigger(command::kSaveSp250) && dialogs_.errors().empty() &&
                      std::filesystem::exists(folder / "song.snc")))
            return false;

        const bool grid = editor_.settings().gridLines;
        trigger(command::kGridLines);
        if (!step("saves a changed option at once",
                  editor_.settings().gridLines != grid &&
                      std::filesystem::exists(editor_.settingsPath())))
            return false;
        return close();
    }

    bool second() {
        return step("keeps the option", editor_.settings().gridLines != AppSettings().gridLines) &&
               close();
    }

  private:
    bool close() {
        dialogs_.confirmAnswers = {true};  // obrinを終了しますか?
        const std::filesystem::path wav = editor_.temporaryWavPath();
        return step("closes without a message", windows_.mainWindow().close() &&
                                                    dialogs_.errors().empty() &&
                                                    !std::filesystem::exists(wav));
    }

    test::RecordingDialogs dialogs_;
    test::FakePlayer player_;
    QtTimerFactory timers_;
    test::ScriptedClipboard clipboard_;
    Editor editor_;
    EditorWindows windows_{editor_, clipboard_};
};

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const std::string mode = argc > 1 ? argv[1] : "";
    Road road;
    if (!road.start()) return 1;
    if (mode == "first" && argc > 2) return road.first(argv[2]) ? 0 : 1;
    if (mode == "second") return road.second() ? 0 : 1;
    return 2;
}
