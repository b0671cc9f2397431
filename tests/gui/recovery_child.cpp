// The editor as the program starts it (single-instance lock, hand-over,
// the main window and its commands, real timers), with the dialogs answered
// from a script and a fake audio device, so that a test can kill it and
// start it again. Prints the document, and ends only when killed ("work",
// "tap") or once it has restored the previous work and closed ("restore").
// "tap" times the units of the lyrics one after another, ten taps a second,
// and prints each tap with the moment it was made.
//
//   recovery_child PROGRAM_FOLDER WORK_FOLDER work SONG
//   recovery_child PROGRAM_FOLDER WORK_FOLDER tap SONG
//   recovery_child PROGRAM_FOLDER WORK_FOLDER restore
#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <iostream>

#include "base/command_ids.h"
#include "base/qt/qt_timer.h"
#include "base/sjis_codec.h"
#include "document/karaoke_tapping.h"
#include "document/qt/control_panel.h"
#include "fake_player.h"
#include "recording_dialogs.h"
#include "scripted_clipboard.h"
#include "shell/app_paths.h"
#include "shell/editor.h"
#include "shell/instance_lock.h"
#include "shell/qt/editor_windows.h"
#include "shell/qt/instance_handover.h"
#include "shell/qt/timing_parts.h"

using namespace obrin;

namespace {

void PrintDocument(const Editor& editor, EditorWindows& windows) {
    const Document& document = editor.document();
    std::cout << "song=" << windows.music().musicFilePath() << "\n"
              << "title=" << document.title() << "\nartist=" << document.artist() << "\n"
              << "markOffset=" << document.markOffset().text() << "\n"
              << "listEditMode=" << document.listEditMode() << "\n"
              << "loadedFromFile=" << document.loadedFromFile() << "\n";
    for (const std::string& line : document.headerLines()) std::cout << "header=" << line << "\n";
    for (const std::string& line : document.infoLines()) std::cout << "info=" << line << "\n";
    for (int i = 0; i < document.lyrics.count(); ++i) {
        const LyricLine& line = document.lyrics.line(i);
        std::cout << "line=" << line.timeText << "|" << line.checked() << "|" << line.selected
                  << "|" << line.lyricText << "\n";
        if (line.units.empty()) continue;
        std::cout << "units=" << i << "|";
        for (const TimingUnit& unit : line.units.units) std::cout << unit.start << ",";
        std::cout << "|" << line.units.end << "\n";
    }
    std::cout << "current=" << document.lyrics.currentLine() << "\n"
              << "modified=" << editor.changes().modified() << "\nend-of-dump" << std::endl;
}

// What a user does in the first minutes: open the song, paste the lyrics,
// type the title, mark along with the song, tick a line to check later.
void Work(Editor& editor, EditorWindows& windows, test::ScriptedClipboard& clipboard,
          test::FakePlayer& player, const std::string& song) {
    if (!windows.music().openMusicFile(song)) std::cout << "song-not-opened" << std::endl;
    clipboard.text = "first\r\nsecond\r\n\r\nthird\r\nfourth\r\n";
    windows.mainWindow().action(command::kPasteExpanded)->trigger();
    Document& document = editor.document();
    // 纊 and ≒ in their NEC forms, which a trip through Unicode would change.
    document.lyrics.setLyricText(0, "first \xED\x40\x87\x90");
    document.setTitle("Title");
    document.setArtist("Artist");
    document.setInfoLines({"@EditedBy=me"});
    document.setMarkOffset("-0.5");
    document.lyrics.select(0);
    QPushButton* mark = windows.mainWindow().controlPanel()->markButton();
    for (double seconds : {3.0, 7.25, 9.5}) {
        player.setPositionForTest(seconds);
        mark->click();
    }
    document.lyrics.toggleCheck(1);
}

// Karaoke timing along with the song through the karaoke tapping: every
// unit of every line in turn and then the line's end, one tap every 100 ms
// of the song and of the clock. Each tap prints "tap=LINE|UNIT|CS|MS": the
// place it timed (UNIT being the unit count for the line's end), the time it
// stored and the steady clock's milliseconds when it was made.
void StartTapping(Editor& editor, EditorWindows& windows, test::ScriptedClipboard& clipboard,
                  test::FakePlayer& player, const std::string& song) {
    if (!windows.music().openMusicFile(song)) std::cout << "song-not-opened" << std::endl;
    std::string lyrics;
    for (int i = 0; i < 40; ++i) lyrics += Utf8ToSjis("ふたりでうたおう") + "\r\n";
    clipboard.text = lyrics;
    windows.mainWindow().action(command::kPasteExpanded)->trigger();
    editor.document().setMarkOffset("0.0");
    KaraokeTapping& tapping = windows.timing().karaoke();
    tapping.setCurrent(0, 0);
    player.play();
    auto* tapper = new QTimer(&windows.mainWindow());
    QObject::connect(tapper, &QTimer::timeout, [&editor, &player, &tapping] {
        const KaraokeTapping::Place place = tapping.current();
        const LyricList& lyrics = editor.document().lyrics;
        if (place.line >= lyrics.count()) return;
        player.setPositionForTest(player.heardPosition() + 0.1);
        tapping.tap();
        const LineUnits& units = lyrics.line(place.line).units;
        const int count = static_cast<int>(units.units.size());
        const int cs = place.unit < count ? units.units[static_cast<std::size_t>(place.unit)].start
                                          : units.end;
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now().time_since_epoch());
        std::cout << "tap=" << place.line << "|" << place.unit << "|" << cs << "|" << ms.count()
                  << std::endl;
    });
    tapper->start(100);
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 4) return 2;
    const std::optional<InstanceLock> instance = InstanceLock::Acquire(RuntimeFolder());
    if (!instance) return HandOverToRunningEditor(RuntimeFolder(), 1, argv);

    QApplication app(argc, argv);
    const std::string mode = argv[3];
    test::RecordingDialogs dialogs;
    dialogs.confirmAnswers = {true};  // 前回の作業を復元しますか? → OK
    test::FakePlayer player;
    QtTimerFactory timers;
    test::ScriptedClipboard clipboard;
    Editor editor({.programFolder = argv[1], .settingsSection = "tester"}, dialogs, player, timers,
                  [](const std::string&) { return true; });
    if (instance->holdsLock()) editor.keepRecoveryFile();
    EditorWindows windows(editor, clipboard);
    InstanceServer secondStarts(RuntimeFolder());
    secondStarts.onRequest = [&windows](const std::string& file) {
        windows.music().takeHandedOverFile(file);
    };

    windows.mainWindow().show();
    editor.settings().workFolder = std::string(argv[2]) + "/";
    if (windows.handleCommandLine({}) == StartUpAction::Exit) return 1;

    if (mode == "work") {
        if (argc < 5) return 2;
        Work(editor, windows, clipboard, player, argv[4]);
        PrintDocument(editor, windows);
        return app.exec();  // until killed
    }
    if (mode == "tap") {
        if (argc < 5) return 2;
        StartTapping(editor, windows, clipboard, player, argv[4]);
        return app.exec();  // until killed
    }
    std::cout << "questions=" << dialogs.questions().size() << "\n";
    PrintDocument(editor, windows);
    dialogs.chooseAnswers = {1};  // 変更を保存しますか? → いいえ
    windows.mainWindow().close();
    std::cout << "recovery-file-left=" << std::filesystem::exists(editor.recoveryFilePath())
              << std::endl;
    return 0;
}
