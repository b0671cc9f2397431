// Opening music files from the main window: the menu command, drops, the
// command line, B2 and S1, converting the demo song through vellin.
#include "shell/qt/music_file_commands.h"

#include <QAction>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>
#include <fstream>

#include "base/command_ids.h"
#include "base/playback_control.h"
#include "base/sjis_codec.h"
#include "document/qt/control_panel.h"
#include "file_bytes.h"
#include "main_window_rig.h"
#include "playback/conversion_progress.h"
#include "playback/qt/player_panel.h"
#include "playback/qt/wait_dialog.h"
#include "shell/qt/timing_parts.h"

using namespace obrin;

namespace {

const std::filesystem::path kProgramFolder = OBRIN_OUTPUT_DIR;
const std::filesystem::path kDemoSong = OBRIN_DEMO_SONG;
const std::filesystem::path kDemoLyrics = OBRIN_DEMO_LYRICS;
const std::filesystem::path kDemoTimes = OBRIN_DEMO_TIMES;

// Catches the desktop's "open" so no application starts during the test.
class UrlCatcher : public QObject {
    Q_OBJECT
  public:
    QList<QUrl> opened;
  public slots:
    void open(const QUrl& url) { opened.push_back(url); }
};

// The editor's main window over the real program folder (so the shipped
// registry and vellin.so are found), with a work folder of its own.
struct Fixture : test::MainWindowRig<> {
    Fixture() : MainWindowRig(kProgramFolder) { editor.settings().workFolder = path(""); }

    QTemporaryDir music;
    MusicFileCommands& commands = windows.music();

    std::string song(const QString& name) {
        const std::filesystem::path path = music.path().toStdString() + "/" + name.toStdString();
        std::filesystem::copy_file(kDemoSong, path);
        return path.string();
    }
    std::string temporaryWav() const { return editor.temporaryWavPath().string(); }
};

// Runs what the event loop holds so far: a zero-delay single shot queued now
// comes after every one queued before it.
bool RunWhatIsQueued() {
    bool reached = false;
    QTimer::singleShot(0, [&reached] { reached = true; });
    return QTest::qWaitFor([&reached] { return reached; }, 5000);
}

}  // namespace

class MusicFileCommandsTest : public QObject {
    Q_OBJECT
  private slots:
    void filterComesFromTheShippedRegistry();
    void openMenuConvertsThroughVellinAndLoads();
    void cancelledOpenDoesNothing();
    void dropOpensTheFirstFileOnly();
    void handedOverFileOpensAsADropWould();
    void commandLineOpensAndOffersLyrics();
    void desktopOpenAndSaveBesideNeedALoadedFile();
    void demoSongFromOpeningToSavedLyrics();
    void failedOpenKeepsTheSongAndLyricsBefore_data();
    void failedOpenKeepsTheSongAndLyricsBefore();
    void markAndPlayWithoutASongAreRefused();
    void firstSongOffersTheCalibrationOnce();
    void openedSongBringsItsOwnNames();
};

void MusicFileCommandsTest::filterComesFromTheShippedRegistry() {
    Fixture f;
    QVERIFY(QString::fromStdString(f.commands.musicFilter())
                .startsWith(QStringLiteral("対応ファイル(*.mp3 *.wma *.rmp *.wav ")));
    QCOMPARE(f.commands.pluginTable().lookup("WAV"), std::string("vellin.dll"));
}

void MusicFileCommandsTest::openMenuConvertsThroughVellinAndLoads() {
    Fixture f;
    const std::string path = f.song(QStringLiteral("demo.wav"));
    f.dialogs.fileAnswers.push_back(path);
    f.item("Open1")->trigger();

    QCOMPARE(f.dialogs.calls.size(), std::size_t{1});
    QCOMPARE(f.dialogs.calls[0].request.filter, f.commands.musicFilter());
    QVERIFY(f.dialogs.errors().empty());
    QCOMPARE(f.player.fileName(), f.temporaryWav());
    QCOMPARE(f.commands.musicFilePath(), path);
    QCOMPARE(f.window.windowTitle(), QString::fromStdString(path));
    QVERIFY(!f.windows.timing().waitDialog().isVisible());
    QVERIFY(f.window.isEnabled());
    QCOMPARE(f.item("Open1")->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
}

void MusicFileCommandsTest::cancelledOpenDoesNothing() {
    Fixture f;
    f.item("Open1")->trigger();
    QVERIFY(f.player.fileName().empty());
    QVERIFY(f.commands.musicFilePath().empty());
    QVERIFY(f.dialogs.errors().empty());
}

void MusicFileCommandsTest::dropOpensTheFirstFileOnly() {
    Fixture f;
    const std::string first = f.song(QStringLiteral("first.wav"));
    const std::string second = f.song(QStringLiteral("second.wav"));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(first)),
                  QUrl::fromLocalFile(QString::fromStdString(second)),
                  QUrl::fromLocalFile(QStringLiteral("/nowhere/third.wav"))});
    // As the platform delivers it: a drop goes to the widget that took the drag.
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&f.window, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&f.window, &drop);
    QVERIFY(drop.isAccepted());
    QTRY_COMPARE(f.commands.musicFilePath(), first);
    QCOMPARE(f.player.fileName(), f.temporaryWav());
    QVERIFY(f.dialogs.errors().empty());
}

void MusicFileCommandsTest::handedOverFileOpensAsADropWould() {
    Fixture f;
    f.window.show();
    f.window.showMinimized();
    const std::string first = f.song(QStringLiteral("first.wav"));
    f.commands.takeHandedOverFile(first);
    QVERIFY(!f.window.isMinimized());
    QVERIFY(f.commands.musicFilePath().empty());  // opened once the request has returned
    QTRY_COMPARE(f.commands.musicFilePath(), first);

    // A busy window takes no drop: the request only raises it.
    const std::string second = f.song(QStringLiteral("second.wav"));
    f.window.setEnabled(false);
    f.commands.takeHandedOverFile(second);
    QVERIFY(RunWhatIsQueued());
    QCOMPARE(f.commands.musicFilePath(), first);
    f.window.setEnabled(true);
    f.commands.takeHandedOverFile("");
    QVERIFY(RunWhatIsQueued());
    QCOMPARE(f.commands.musicFilePath(), first);
    QVERIFY(f.dialogs.errors().empty());
}

void MusicFileCommandsTest::commandLineOpensAndOffersLyrics() {
    Fixture f;
    const std::string path = f.song(QStringLiteral("song.wav"));
    // A stale ".lrc" beside newer work in the ".txt": the newer one is
    // offered by name, and the question says the other is there.
    const std::string older = f.music.path().toStdString() + "/song.lrc";
    std::ofstream(older) << "[00:01:00]old\r\n";
    std::filesystem::last_write_time(
        older, std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
    std::ofstream(f.music.path().toStdString() + "/song.txt") << "[00:02:00]new\r\n";
    f.dialogs.confirmAnswers.push_back(true);
    QCOMPARE(f.commands.handleCommandLine({path, "ignored.wav"}, [] {}), StartUpAction::Continue);
    QCOMPARE(f.commands.musicFilePath(), path);
    QCOMPARE(f.dialogs.questions(),
             std::vector<std::string>{"歌詞を開きますか?\nsong.txt\n\n"
                                      "同じ名前の歌詞ファイルがほかにもあります"
                                      "(いちばん新しいものを開きます):\nsong.lrc"});
    QCOMPARE(f.editor.document().lyrics.count(), 1);
    QCOMPARE(f.editor.document().lyrics.line(0).lyricText, std::string("new"));
}

void MusicFileCommandsTest::desktopOpenAndSaveBesideNeedALoadedFile() {
    Fixture f;
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
    f.item("B2")->trigger();
    f.item("S1")->trigger();
    QVERIFY(catcher.opened.isEmpty());
    const std::string beside = f.music.path().toStdString() + "/a.b.txt";
    QVERIFY(!std::filesystem::exists(beside));

    const std::string path = f.song(QStringLiteral("a.b.wav"));
    QVERIFY(f.commands.openMusicFile(path));
    f.item("B2")->trigger();
    f.item("S1")->trigger();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QCOMPARE(catcher.opened, QList<QUrl>{QUrl::fromLocalFile(QString::fromStdString(path))});
    QVERIFY(std::filesystem::exists(beside));
}

// The whole road, wired as the program wires it: open the demo song through
// vellin, paste its lyrics, press Mark at the start of every line while the
// (fake) song plays, save beside the music file.
void MusicFileCommandsTest::demoSongFromOpeningToSavedLyrics() {
    test::MainWindowRig<> f(kProgramFolder);
    f.editor.settings().workFolder = f.path("");
    f.player.nextDuration = 22.0;
    // The demo song's plain lyrics on the clipboard, as a user copies them.
    f.clipboard.text = test::ReadBytes(kDemoLyrics);

    const std::string song = f.path("demo.wav");
    std::filesystem::copy_file(kDemoSong, song);
    f.dialogs.fileAnswers.push_back(song);
    f.window.action(command::kOpenMusicFile)->trigger();
    QCOMPARE(f.player.fileName(), f.editor.temporaryWavPath().string());

    f.window.action(command::kPasteExpanded)->trigger();
    f.window.titleField()->setText(QStringLiteral("星のうた"));
    f.window.artistField()->setText(QStringLiteral("obrin"));
    // What the first show would restore for a user without settings.
    f.editor.document().setMarkOffset(MarkOffset::kDefault);
    f.editor.document().lyrics.select(0);
    f.player.play();
    // demo-times.txt gives every row of the list its time, the empty rows
    // between the verses too. Marks land one second early (the default mark
    // offset of -1.0 s for the user's reaction), so each is pressed a second late.
    std::ifstream times(kDemoTimes);
    std::vector<std::string> texts;
    for (std::string row; std::getline(times, row);) {
        if (row.empty() || row.front() == '#') continue;
        const double seconds = std::stoi(row.substr(0, 2)) * 60 + std::stoi(row.substr(3, 2)) +
                               std::stoi(row.substr(6, 2)) / 100.0;
        texts.push_back(row.substr(9) == "(空行)" ? "" : row.substr(9));
        f.player.setPositionForTest(seconds + 1.0);
        f.window.controlPanel()->markButton()->click();
    }
    QCOMPARE(int(texts.size()), f.editor.document().lyrics.count());
    for (int i = 0; i < f.editor.document().lyrics.count(); ++i) {
        QCOMPARE(SjisToUtf8(f.editor.document().lyrics.line(i).lyricText), texts[i]);
    }
    f.window.action(command::kSaveLyricsBesideMusic)->trigger();

    const std::string expected = Utf8ToSjis(
        "@Title=星のうた\r\n"
        "@Artist=obrin\r\n"
        "[00:02:00]星がひかる夜に\r\n"
        "[00:05:00]ふたりでうたおう\r\n"
        "[00:08:00]いつまでも\r\n"
        "[00:10:00]\r\n"
        "[00:12:00]風がふく朝に\r\n"
        "[00:15:00]ふたりでうたおう\r\n"
        "[00:18:00]いつまでも\r\n"
        "[00:20:50]\r\n"
        "\r\n"
        "@TimeRatio=1\r\n");
    QCOMPARE(test::ReadBytes(f.path("demo.txt")), expected);
    QVERIFY(f.dialogs.errors().empty());
}

// A user opens a song, then a file no plug-in reads, then presses Mark and
// play: the error box is usable (the wait dialog gone, the window enabled),
// the old song's times are gone, and Mark stamps nothing.
void MusicFileCommandsTest::failedOpenKeepsTheSongAndLyricsBefore_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("stop");
    QTest::addColumn<QString>("error");  // the box's lines after the code line and the file
    QTest::newRow("no plug-in") << QStringLiteral("notes.xyz") << QByteArray("not music") << false
                                << QStringLiteral(
                                       "「.xyz」のファイルを開けるプラグインはありません\n"
                                       "filetype.iniに登録がありません");
    QTest::newRow("damaged") << QStringLiteral("broken.wav")
                             << QByteArray("RIFF\x10\x01\x02\x03WAVEjunk") << false
                             << QStringLiteral("音声として読めません(");
    QTest::newRow("強制終了") << QStringLiteral("other.wav") << QByteArray() << true << QString();
}

void MusicFileCommandsTest::failedOpenKeepsTheSongAndLyricsBefore() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, stop);
    QFETCH(QString, error);
    Fixture f;
    f.player.nextDuration = 22.0;
    f.window.show();
    const std::string before = f.song(QStringLiteral("demo.wav"));
    QVERIFY(f.commands.openMusicFile(before));
    LyricList& lyrics = f.editor.document().lyrics;
    lyrics.assignLines({LyricLine{.lyricText = "first", .timeText = "00:09:00"}});
    f.editor.changes().markSaved();

    std::string path = f.song(name);
    if (!bytes.isEmpty())
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes.toStdString();
    bool waitShownUnderBox = true;
    bool windowEnabledUnderBox = false;
    f.dialogs.whileErrorShown = [&] {
        waitShownUnderBox = f.windows.timing().waitDialog().isVisible();
        windowEnabledUnderBox = f.window.isEnabled();
    };
    QString captionWhileDecoding;
    if (stop) {
        // The user stops the conversion from the wait dialog as soon as it shows.
        QTimer::singleShot(0, [&f, &captionWhileDecoding] {
            captionWhileDecoding = f.window.windowTitle();
            f.windows.timing()
                .waitDialog()
                .findChild<QPushButton*>(QStringLiteral("Button1"))
                ->click();
        });
    }
    QVERIFY(!f.commands.openMusicFile(path));
    f.dialogs.whileErrorShown = nullptr;
    if (stop) {
        QVERIFY(f.dialogs.errors().empty());  // a stop the user asked for is no error
        QVERIFY2(captionWhileDecoding.startsWith(
                     QStringLiteral("ファイルをデコード中です。しばらくお待ちください...")),
                 qPrintable(captionWhileDecoding));
    } else {
        QCOMPARE(f.dialogs.errors().size(), std::size_t{1});
        const QString box = QString::fromStdString(f.dialogs.errors().front());
        QVERIFY2(box.contains(QStringLiteral(")\n") + QString::fromStdString(path) + u'\n' + error),
                 qPrintable(box));
        QVERIFY(!waitShownUnderBox);
        QVERIFY(windowEnabledUnderBox);
    }
    QVERIFY(!f.windows.timing().waitDialog().isVisible());
    QVERIFY(f.window.isEnabled());
    QCOMPARE(f.commands.musicFilePath(), before);
    QCOMPARE(f.window.windowTitle(), QString::fromStdString(before));
    QCOMPARE(f.player.fileName(), f.temporaryWav());
    QCOMPARE(f.window.playerPanel()->totalPosition()->text(), QStringLiteral("00:22:00"));
    QCOMPARE(lyrics.count(), 1);
    QCOMPARE(lyrics.line(0).lyricText, std::string("first"));
    QVERIFY(!f.editor.changes().modified());
}

void MusicFileCommandsTest::markAndPlayWithoutASongAreRefused() {
    Fixture f;
    f.window.show();
    LyricList& lyrics = f.editor.document().lyrics;
    lyrics.assignLines({LyricLine{.lyricText = "first", .timeText = "00:09:00"},
                        LyricLine{.lyricText = "second", .timeText = "00:09:00"}});
    lyrics.select(0);
    f.window.controlPanel()->markButton()->click();
    f.window.playerPanel()->playButton()->click();
    QCOMPARE(f.dialogs.errors(), std::vector<std::string>(2, "音楽ファイルを指定してください"));
    QCOMPARE(lyrics.line(0).timeText, std::string("00:09:00"));
    QCOMPARE(lyrics.selectedLines(), std::vector<int>{0});
    QCOMPARE(f.player.playState(), PlayState::Stopped);
}

void MusicFileCommandsTest::firstSongOffersTheCalibrationOnce() {
    Fixture f;
    // A user who has not answered, with the designed offset.
    f.offersCalibration = true;
    f.editor.settings().calibrationOffered = false;
    f.editor.document().setMarkOffset("-1.0");
    f.dialogs.chooseAnswers = {1};  // 今はしない
    QVERIFY(f.commands.openMusicFile(f.song(QStringLiteral("first.wav"))));
    QCOMPARE(f.dialogs.chooseQuestions(), std::vector<std::string>{kCalibrationQuestion});
    QVERIFY(f.commands.openMusicFile(f.song(QStringLiteral("second.wav"))));
    QCOMPARE(f.dialogs.chooseQuestions().size(), std::size_t{1});
    QCOMPARE(f.editor.document().markOffset().text(), std::string("-1.0"));
    QVERIFY(f.editor.settings().calibrationOffered);  // saved with the settings
}

void MusicFileCommandsTest::openedSongBringsItsOwnNames() {
    Fixture f;
    const std::string tagged = f.music.path().toStdString() + "/tagged.wav";
    const std::string command = "ffmpeg -v error -nostdin -i '" + kDemoSong.string() +
                                "' -metadata title=Dawn -metadata artist=Singer -c copy '" +
                                tagged + "'";
    QCOMPARE(std::system(command.c_str()), 0);
    f.window.titleField()->setText(QStringLiteral("Earlier"));
    f.window.artistField()->setText(QStringLiteral("Someone"));
    f.editor.changes().markSaved();

    QVERIFY(f.commands.openMusicFile(tagged));
    QCOMPARE(f.window.titleField()->text(), QStringLiteral("Dawn"));
    QCOMPARE(f.window.artistField()->text(), QStringLiteral("Singer"));
    QVERIFY(!f.editor.changes().modified());
    // A song without tags leaves nothing of the one before.
    QVERIFY(f.commands.openMusicFile(f.song(QStringLiteral("plain.wav"))));
    QCOMPARE(f.window.titleField()->text(), QString());
    QCOMPARE(f.window.artistField()->text(), QString());
    QVERIFY(f.dialogs.calls.empty());
}

QTEST_MAIN(MusicFileCommandsTest)
#include "music_file_commands_test.moc"
