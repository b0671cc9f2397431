// The whole road with an MP3, wired as the program is: open it through
// wendax, answer the offer of the lyrics file beside it, mark every line
// while the (fake) song plays, save beside the music file.
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <filesystem>

#include "base/command_ids.h"
#include "base/sjis_codec.h"
#include "document/qt/control_panel.h"
#include "file_bytes.h"
#include "main_window_rig.h"

using namespace obrin;

namespace {

const std::filesystem::path kProgramFolder = OBRIN_OUTPUT_DIR;
const std::filesystem::path kSong = OBRIN_MP3_SONG;

}  // namespace

class Mp3RoadGuiTest : public QObject {
    Q_OBJECT
  private slots:
    void openOfferMarkSave();
};

void Mp3RoadGuiTest::openOfferMarkSave() {
    test::MainWindowRig<> f(kProgramFolder);
    f.editor.settings().workFolder = f.path("");
    f.player.nextDuration = 3.0;
    f.clipboard.text = std::nullopt;

    std::filesystem::copy_file(kSong, f.folder / "song.mp3");
    test::WriteBytes(f.folder / "song.txt",
                     Utf8ToSjis("[00:00:00]ひかる\r\n[00:00:00]うたう\r\n[00:00:00]おわり\r\n"));
    f.dialogs.fileAnswers.push_back((f.folder / "song.mp3").string());
    f.dialogs.confirmAnswers.push_back(true);
    f.window.action(command::kOpenMusicFile)->trigger();

    QVERIFY(f.dialogs.errors().empty());
    QCOMPARE(f.player.fileName(), f.editor.temporaryWavPath().string());
    const std::string wav = test::ReadBytes(f.editor.temporaryWavPath());
    QVERIFY(wav.size() > 44100 * 4);  // seconds of 16-bit stereo from wendax
    QCOMPARE(wav.substr(0, 4), std::string("RIFF"));
    QCOMPARE(f.dialogs.questions(), std::vector<std::string>{"歌詞を開きますか?\nsong.txt"});
    QCOMPARE(f.editor.document().lyrics.count(), 3);

    f.window.titleField()->setText(QStringLiteral("ひかりのうた"));
    f.window.artistField()->setText(QStringLiteral("obrin"));
    f.editor.document().setMarkOffset(MarkOffset::kDefault);
    f.editor.document().lyrics.select(0);
    f.player.play();
    // Marks land one second early: the default mark offset of -1.0 s.
    for (const double seconds : {0.5, 1.25, 2.0}) {
        f.player.setPositionForTest(seconds + 1.0);
        f.window.controlPanel()->markButton()->click();
    }
    f.window.action(command::kSaveLyricsBesideMusic)->trigger();

    QVERIFY(f.dialogs.errors().empty());
    const std::string saved = SjisToUtf8(test::ReadBytes(f.folder / "song.txt"));
    QVERIFY2(saved.find("[00:00:50]ひかる\r\n[00:01:25]うたう\r\n[00:02:00]おわり\r\n") !=
                 std::string::npos,
             saved.c_str());
    QVERIFY2(saved.find("@Title=ひかりのうた\r\n") != std::string::npos, saved.c_str());
}

QTEST_MAIN(Mp3RoadGuiTest)
#include "mp3_road_gui_test.moc"
