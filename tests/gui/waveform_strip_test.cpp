// The waveform strip in the main window: a song's peaks arrive from the
// worker, a dragged marker retimes its line when it is dropped, as a dragged
// unit's tick retimes its unit, a click seeks, and the strip comes and goes
// with its option item, the window growing and shrinking by its height.
#include "playback/qt/waveform_strip.h"

#include <QAction>
#include <QLabel>
#include <QMouseEvent>
#include <QStatusBar>
#include <QtTest>

#include "base/time_text.h"
#include "file_bytes.h"
#include "main_window_rig.h"
#include "playback/qt/waveform_binding.h"
#include "playback/unit_markers.h"
#include "shown_units.h"
#include "sjis_lines.h"
#include "wav_builder.h"

using namespace obrin;

namespace {

constexpr double kSongSeconds = 20.0;

struct Fixture : test::MainWindowRig<> {
    WaveformStrip& strip() { return *window.waveformStrip(); }
    // The window's designed height with the status bar under it.
    int designedHeight() { return 580 + window.statusBar()->sizeHint().height(); }

    // Loads a real WAV, so the worker has something to read, and waits for
    // its peaks.
    void loadSong() {
        const auto wav = programFolder() / "song.wav";
        test::WriteSineWav(wav, kSongSeconds, 22050);
        player.nextDuration = kSongSeconds;
        windows.timing().playback().loadIntoPlayer(wav.string());
        QTRY_VERIFY(windows.timing().waveform().analysis().peaks() != nullptr);
    }
};

void SendMouse(QWidget& widget, QEvent::Type type, double x, Qt::MouseButtons buttons,
               double y = -1) {
    const QPointF at(x, y < 0 ? widget.height() / 2.0 : y);
    QMouseEvent event(type, at, widget.mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &event);
}

std::string TimeTextAt(const WaveformStrip& strip, double x) {
    return FormatTimeText(
        static_cast<std::int32_t>(std::lround(strip.viewport().timeAt(x) * 1000)));
}

}  // namespace

class WaveformStripTest : public QObject {
    Q_OBJECT
  private slots:
    void draggingAMarkerRetimesItsLineOnceDropped();
    void draggingATickRetimesItsUnitOnceDropped_data();
    void draggingATickRetimesItsUnitOnceDropped();
    void aClickSeeks();
    void optionItemShowsAndHidesTheStrip();
    void hiddenStripIsKeptPerUser();
    void snappingItemIsOffByDefault();
    void paintsWhatItIsGiven();
};

void WaveformStripTest::draggingAMarkerRetimesItsLineOnceDropped() {
    Fixture f;
    f.show();
    f.loadSong();
    LyricList& lyrics = f.editor.document().lyrics;
    lyrics.assign({"a", "b", "c"});
    lyrics.setTimeText(1, "00:05:00");
    int timeChanges = 0;
    const Connection counted = lyrics.linesChanged.connect(
        [&](int, int, LinePart part) { timeChanges += part == LinePart::TimeText; });

    WaveformStrip& strip = f.strip();
    const double from = strip.viewport().xAt(5.0);
    const double to = from + 60;
    SendMouse(strip, QEvent::MouseButtonPress, from + 2, Qt::LeftButton);  // within reach
    SendMouse(strip, QEvent::MouseMove, from + 30, Qt::LeftButton);
    SendMouse(strip, QEvent::MouseMove, to, Qt::LeftButton);
    // While it moves, only the strip knows: the document is told once.
    QCOMPARE(strip.draggedLine(), 1);
    QCOMPARE(lyrics.line(1).timeText, std::string("00:05:00"));
    // The time beside the marker stands on a box of its own: no wave shows
    // through it (the sine fills the strip's middle in green).
    const QImage image = strip.grab().toImage();
    for (int x = static_cast<int>(to) + 8; x < static_cast<int>(to) + 40; ++x) {
        for (int y = image.height() / 2 - 2; y <= image.height() / 2 + 2; ++y) {
            QVERIFY2(image.pixelColor(x, y).green() < 150, qPrintable(QString::number(x)));
        }
    }
    SendMouse(strip, QEvent::MouseButtonRelease, to, Qt::NoButton);
    QCOMPARE(strip.draggedLine(), -1);
    QCOMPARE(lyrics.line(1).timeText, TimeTextAt(strip, to));
    QVERIFY(lyrics.line(1).timeText > std::string("00:05:00"));
    QCOMPARE(timeChanges, 1);
    QVERIFY(f.player.seeks.empty());  // a drag is no click

    // Dragged beyond the start of the song, the line takes 0.
    const double now = strip.viewport().xAt(ParseTimeText(lyrics.line(1).timeText) / 1000.0);
    SendMouse(strip, QEvent::MouseButtonPress, now, Qt::LeftButton);
    SendMouse(strip, QEvent::MouseMove, -500, Qt::LeftButton);
    SendMouse(strip, QEvent::MouseButtonRelease, -500, Qt::NoButton);
    QCOMPARE(lyrics.line(1).timeText, std::string("00:00:00"));
}

// Line 2 of three, "かきく" at 5 s, its units at 5, 6 and 7 s and its end
// at 8 s, the next line at 10 s; the line is the current one.
void SetUpTimedUnits(LyricList& lyrics) {
    lyrics.assign(test::SjLines({"あ", "かきく", "さ"}));
    lyrics.setTimeText(0, "00:02:00");
    lyrics.setTimeText(1, "00:05:00");
    lyrics.setTimeText(2, "00:10:00");
    lyrics.setUnits(1,
                    {.units = {{test::Sj("か"), 500}, {test::Sj("き"), 600}, {test::Sj("く"), 700}},
                     .end = 800});
    lyrics.select(1);
}

void WaveformStripTest::draggingATickRetimesItsUnitOnceDropped_data() {
    QTest::addColumn<double>("from");
    QTest::addColumn<double>("to");
    QTest::addColumn<double>("held");  // where the tick stops
    QTest::addColumn<QString>("units");
    QTest::addColumn<bool>("lineEnd");
    QTest::newRow("between its neighbours")
        << 6.0 << 6.5 << 6.5 << "か@500|き@650|く@700/800" << false;
    QTest::newRow("held at the next unit")
        << 6.0 << 9.0 << 7.0 << "か@500|き@700|く@700/800" << false;
    QTest::newRow("held at the one before")
        << 6.0 << 3.0 << 5.0 << "か@500|き@500|く@700/800" << false;
    // Taken below its line's marker; the line's time goes with it alone.
    QTest::newRow("the first unit") << 5.0 << 5.5 << 5.5 << "か@550|き@600|く@700/800" << false;
    QTest::newRow("the end held at the next line")
        << 8.0 << 12.0 << 10.0 << "か@500|き@600|く@700/1000" << true;
    QTest::newRow("the end held at the last unit")
        << 8.0 << 6.0 << 7.0 << "か@500|き@600|く@700/700" << true;
}

void WaveformStripTest::draggingATickRetimesItsUnitOnceDropped() {
    QFETCH(double, from);
    QFETCH(double, to);
    QFETCH(double, held);
    QFETCH(QString, units);
    QFETCH(bool, lineEnd);
    Fixture f;
    f.show();
    f.loadSong();
    Document& document = f.editor.document();
    SetUpTimedUnits(document.lyrics);
    const LyricLine before = document.lyrics.line(1);
    WaveformStrip& strip = f.strip();
    const UnitTickBand band = UnitBandOf(strip.height());
    const auto shown = [&](double seconds, QColor colour) {
        const QImage image = strip.grab().toImage();
        const long x = std::lround(strip.viewport().xAt(seconds));
        bool seen = false;
        for (long dx = -1; dx <= 1; ++dx) {
            seen = seen || image.pixelColor(x + dx, static_cast<int>(band.bottom) - 2) == colour;
        }
        return seen;
    };
    QVERIFY(shown(from, lineEnd ? QColor(80, 220, 220) : QColor(255, 130, 200)));

    const double y = (band.top + band.bottom) / 2;
    const double start = strip.viewport().xAt(from);
    const double end = strip.viewport().xAt(to);
    SendMouse(strip, QEvent::MouseButtonPress, start + 1, Qt::LeftButton, y);
    SendMouse(strip, QEvent::MouseMove, (start + end) / 2, Qt::LeftButton, y);
    SendMouse(strip, QEvent::MouseMove, end, Qt::LeftButton, y);
    // While it moves only the strip knows, showing it where it will stay.
    QVERIFY(shown(held, QColor(255, 120, 60)));
    QCOMPARE(strip.draggedLine(), -1);  // no marker's drag
    QVERIFY(!document.history.canUndo());
    SendMouse(strip, QEvent::MouseButtonRelease, end, Qt::NoButton, y);

    const LyricLine& line = document.lyrics.line(1);
    QCOMPARE(QString::fromStdString(test::ShownUnits(line.units)), units);
    QCOMPARE(line.timeText, FormatTimeText(line.units.units[0].start * 10));
    QVERIFY(f.player.seeks.empty());  // a drag is no click
    QCOMPARE(QString::fromStdString(document.history.undoCaption()),
             lineEnd ? QStringLiteral("行末の時間の変更") : QStringLiteral("文字の時間の変更"));
    document.history.undo();
    QVERIFY(!document.history.canUndo());  // one step
    QVERIFY(line.units == before.units);
    QCOMPARE(line.timeText, before.timeText);
}

void WaveformStripTest::aClickSeeks() {
    Fixture f;
    f.show();
    f.loadSong();
    WaveformStrip& strip = f.strip();
    SendMouse(strip, QEvent::MouseButtonPress, 300, Qt::LeftButton);
    SendMouse(strip, QEvent::MouseMove, 301, Qt::LeftButton);  // a tremble is still a click
    SendMouse(strip, QEvent::MouseButtonRelease, 301, Qt::NoButton);
    QCOMPARE(f.player.seeks.size(), std::size_t{1});
    QCOMPARE(f.player.seeks.back(), std::round(strip.viewport().timeAt(301) * 1000) / 1000);
    // The position displays show the new place at once.
    QCOMPARE(f.window.widget<QLabel>("panCurrentPos")->text(),
             QString::fromStdString(TimeTextAt(strip, 301)));
}

void WaveformStripTest::optionItemShowsAndHidesTheStrip() {
    Fixture f;
    f.show();
    const int shownHeight = f.window.height();
    QCOMPARE(f.window.size(), QSize(640, f.designedHeight() + WaveformStrip::kHeight + 2));
    QVERIFY(f.item("mnuWaveform")->isChecked());
    QCOMPARE(f.item("mnuWaveform")->text(), QStringLiteral("波形を表示(&W)"));
    const QPoint listAt = f.window.widget<QWidget>("List")->mapTo(&f.window, QPoint());
    const int listHeight = f.window.widget<QWidget>("List")->height();

    f.item("mnuWaveform")->trigger();
    QVERIFY(!f.strip().isVisible());
    QVERIFY(!f.editor.settings().showWaveform);
    QTRY_COMPARE(f.window.height(), shownHeight - WaveformStrip::kHeight - 2);
    QCOMPARE(f.window.size(), QSize(640, f.designedHeight()));
    // The other controls kept their sizes: the list only moved up.
    QTRY_COMPARE(f.window.widget<QWidget>("List")->height(), listHeight);
    QCOMPARE(f.window.widget<QWidget>("List")->mapTo(&f.window, QPoint()).y(),
             listAt.y() - WaveformStrip::kHeight - 2);

    f.item("mnuWaveform")->trigger();
    QVERIFY(f.strip().isVisible());
    QVERIFY(f.editor.settings().showWaveform);
    QTRY_COMPARE(f.window.height(), shownHeight);
}

void WaveformStripTest::hiddenStripIsKeptPerUser() {
    Fixture f;
    test::WriteBytes(f.programFolder() / "obrin.ini",
                     "[someone else]\r\nmnuWaveform.Checked=1\r\n"
                     "[tester]\r\nmnuWaveform.Checked=0\r\nmnuChkTerminate.Checked=0\r\n");
    f.show();
    QVERIFY(!f.strip().isVisible());
    QVERIFY(!f.item("mnuWaveform")->isChecked());
    QTRY_COMPARE(f.window.size(), QSize(640, f.designedHeight()));
    f.item("mnuWaveform")->trigger();
    f.item("mnuSnapOnset")->trigger();
    QVERIFY(f.window.close());
    const AppSettings saved =
        LoadAppSettings(f.programFolder() / "obrin.ini", "tester", f.programFolder());
    QVERIFY(saved.showWaveform);
    QVERIFY(saved.snapMarksToOnsets);
}

void WaveformStripTest::snappingItemIsOffByDefault() {
    Fixture f;
    f.show();
    QAction* snap = f.item("mnuSnapOnset");
    QVERIFY(snap->isCheckable());
    QVERIFY(!snap->isChecked());
    QCOMPARE(snap->text(), QStringLiteral("マークを近くの立ち上がりに合わせる"));
    QVERIFY(!f.editor.settings().snapMarksToOnsets);
    snap->trigger();
    QVERIFY(f.editor.settings().snapMarksToOnsets);
}

void WaveformStripTest::paintsWhatItIsGiven() {
    Fixture f;
    f.show();
    QVERIFY(!f.strip().grab().isNull());  // no song: an empty strip
    f.loadSong();
    QTRY_VERIFY(f.windows.timing().waveform().analysis().onsetsReady());
    f.editor.document().lyrics.assign({"a"});
    f.editor.document().lyrics.setTimeText(0, "00:10:00");
    const QImage image = f.strip().grab().toImage();
    // Some column of the sine is painted in the wave's green.
    bool green = false;
    for (int y = 0; y < image.height() && !green; ++y) {
        green = image.pixelColor(image.width() / 4, y).green() > 150;
    }
    QVERIFY(green);
    // Unloading leaves an empty strip and stops the worker.
    f.windows.timing().playback().unloadPlayer();
    QCOMPARE(f.windows.timing().waveform().analysis().peaks(), nullptr);
    QCOMPARE(f.strip().viewport().durationSeconds(), 0.0);
}

QTEST_MAIN(WaveformStripTest)
#include "waveform_strip_test.moc"
