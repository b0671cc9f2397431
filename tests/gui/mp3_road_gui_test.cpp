// The whole road with an MP3, wired as the program is: open it through
// wendax, answer the offer of the lyrics file beside it, mark every line
// while the (fake) song plays, save beside the music file.
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>
#include <fstream>

#include "base/command_ids.h"
#include "base/qt/qt_timer.h"
#include "base/sjis_codec.h"
#include "document/qt/control_panel.h"
#include "export/export_table.h"
#include "fake_player.h"
#include "recording_dialogs.h"
#include "shell/editor.h"
#include "shell/qt/editor_windows.h"
#include "text/clipboard_paste.h"

using namespace obrin;

namespace {

const std::filesystem::path kProgramFolder = OBRIN_OUTPUT_DIR;
const std::filesystem::path kSong = OBRIN_MP3_SONG;

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

class NoClipboard final : public Clipboard {
  public:
    std::optional<std::string> utf8Text() override { return std::nullopt; }
};

}  // namespace

class Mp3RoadGuiTest : public QObject {
    Q_OBJECT
  private slots:
    void openOfferMarkSave();
};

void Mp3RoadGuiTest::openOfferMarkSave() {
    QTemporaryDir music;
    test::RecordingDialogs dialogs;
    test::FakePlayer player;
    player.nextDuration = 3.0;
    QtTimerFactory timers;
    NoClipboard clipboard;
    Editor editor{{.programFolder = kProgramFolder, .settingsSection = "tester"},
                  dialogs,
                  player,
                  timers,
                  [](const std::string&) { return true; }};
    editor.settings().workFolder = music.path().toStdString() + "/";
    ExportTable exports;
    EditorWindows windows(editor, clipboard, exports);
    MainWindow& window = windows.mainWindow();

    const std::filesystem::path folder = music.path().toStdString();
    std::filesystem::copy_file(kSong, folder / "song.mp3");
    WriteFile(folder / "song.txt",
              Utf8ToSjis("[00:00:00]ひかる\r\n[00:00:00]うたう\r\n[00:00:00]おわり\r\n"));
    dialogs.fileAnswers.push_back((folder / "song.mp3").string());
    dialogs.confirmAnswers.push_back(true);
    window.action(command::kOpenMusicFile)->trigger();

    QVERIFY(dialogs.errors().empty());
    QCOMPARE(player.fileName(), editor.temporaryWavPath().string());
    const std::string wav = ReadFile(editor.temporaryWavPath());
    QVERIFY(wav.size() > 44100 * 4);  // seconds of 16-bit stereo from wendax
    QCOMPARE(wav.substr(0, 4), std::string("RIFF"));
    QCOMPARE(dialogs.questions(), std::vector<std::string>{"歌詞を開きますか?"});
    QCOMPARE(editor.document().lyrics.count(), 3);

    window.titleField()->setText(QStringLiteral("ひかりのうた"));
    window.artistField()->setText(QStringLiteral("obrin"));
    editor.document().setMarkOffset(MarkOffset::kDefault);
    editor.document().lyrics.select(0);
    player.play();
    // Marks land one second early: the default mark offset of -1.0 s.
    for (const double seconds : {0.5, 1.25, 2.0}) {
        player.setPositionForTest(seconds + 1.0);
        window.controlPanel()->markButton()->click();
    }
    window.action(command::kSaveLyricsBesideMusic)->trigger();

    QVERIFY(dialogs.errors().empty());
    const std::string saved = SjisToUtf8(ReadFile(folder / "song.txt"));
    QVERIFY2(saved.find("[00:00:50]ひかる\r\n[00:01:25]うたう\r\n[00:02:00]おわり\r\n") !=
                 std::string::npos,
             saved.c_str());
    QVERIFY2(saved.find("@Title=ひかりのうた\r\n") != std::string::npos, saved.c_str());
}

QTEST_MAIN(Mp3RoadGuiTest)
#include "mp3_road_gui_test.moc"
