// The karaoke preview opened from the program's own menu: the wipe stands
// where the heard position says, on screen as in the frame, follows seeks and
// rates while it plays and while it is paused, and the colours the user picks
// are kept in the user's settings.
#include "playback/qt/karaoke_preview.h"

#include <QAction>
#include <QtTest>
#include <algorithm>

#include "file_bytes.h"
#include "karaoke_lines.h"
#include "main_window_rig.h"

using namespace obrin;

namespace {

const QColor kBefore(255, 255, 255);
const QColor kAfter(255, 0, 0);

struct Fixture : test::MainWindowRig<> {
    Fixture() {
        editor.document().lyrics.assignLines({
            test::KaraokeLine("あいうえお", 200, "あ@200|い@220|う@240|え@260|お@280/300"),
            test::KaraokeLine("かきく", 500),
            test::KaraokeLine("さしす", 1000, "さ@1000|し@1100|す@1200/1300"),
        });
        player.setFileName("song.wav");
    }

    KaraokePreview& open() {
        show();
        item("mnuKaraokePreview")->trigger();
        auto* preview = window.findChild<KaraokePreview*>();
        preview->resize(640, 240);
        preview->setColours(kBefore, kAfter);
        return *preview;
    }
};

// Where the top row shows the colour after the wipe and where the colour
// before it: the rightmost column of the one, the leftmost of the other.
struct Colours {
    int lastAfter = -1;
    int firstBefore = 1 << 20;
};

Colours TopRowColours(KaraokePreview& preview) {
    const QImage image = preview.grab().toImage();
    Colours found;
    for (int y = 0; y < image.height() / 2; ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.red() > 128 && pixel.green() < 64)
                found.lastAfter = std::max(found.lastAfter, x);
            if (pixel.green() > 128) found.firstBefore = std::min(found.firstBefore, x);
        }
    }
    return found;
}

}  // namespace

class KaraokePreviewTest : public QObject {
    Q_OBJECT
  private slots:
    void wipeStandsAtTheHeardPosition_data();
    void wipeStandsAtTheHeardPosition();
    void followsSeeksAndRates();
    void looksAtThePositionOnlyWhileShown();
    void chosenColoursAreKept();
};

void KaraokePreviewTest::wipeStandsAtTheHeardPosition_data() {
    QTest::addColumn<double>("heard");
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("piece");
    QTest::addColumn<double>("fraction");
    QTest::newRow("first unit begins") << 2.0 << 0 << 0 << 0.0;
    QTest::newRow("inside the second unit") << 2.25 << 0 << 1 << 0.25;
    QTest::newRow("at a boundary") << 2.4 << 0 << 2 << 0.0;
    QTest::newRow("the last unit") << 2.9 << 0 << 4 << 0.5;
    QTest::newRow("after the line's end") << 4.0 << 0 << 4 << 1.0;
    QTest::newRow("a line without units") << 6.25 << 1 << 0 << 0.75;
    QTest::newRow("a long unit") << 11.5 << 2 << 1 << 0.5;
}

void KaraokePreviewTest::wipeStandsAtTheHeardPosition() {
    QFETCH(double, heard);
    QFETCH(int, line);
    QFETCH(int, piece);
    QFETCH(double, fraction);
    Fixture f;
    KaraokePreview& preview = f.open();
    f.player.play();
    // The even position runs elsewhere: the wipe follows what is heard.
    f.player.setPositionsForTest(heard + 0.5, heard);
    QTRY_COMPARE(preview.frame().current.line, line);
    const WipePiece& wiped = preview.frame().current.pieces.at(static_cast<std::size_t>(piece));
    QVERIFY(std::abs(wiped.fraction - fraction) < 1e-9);

    const double wipe = preview.wipeX(piece).value();
    const Colours colours = TopRowColours(preview);
    QVERIFY2(colours.lastAfter <= wipe + 1, qPrintable(QString::number(colours.lastAfter)));
    QVERIFY2(colours.firstBefore >= wipe - 1, qPrintable(QString::number(colours.firstBefore)));
    // The colour before the wipe is there to its right, the colour after up to it.
    if (fraction < 1.0) QVERIFY(colours.firstBefore < preview.width());
    if (fraction == 1.0) QVERIFY(colours.lastAfter >= wipe - preview.width() / 20);
}

void KaraokePreviewTest::followsSeeksAndRates() {
    Fixture f;
    KaraokePreview& preview = f.open();
    f.player.setCurrentPosition(10.5);
    f.player.play();
    QTRY_COMPARE(preview.frame().current.line, 2);

    // Back to the first line while it plays.
    f.player.setCurrentPosition(2.3);
    QTRY_COMPARE(preview.frame().current.line, 0);
    QCOMPARE(preview.frame().current.pieces[1].fraction, 0.5);

    // Twice the speed: 0.3 s of the clock is 0.6 s heard.
    f.player.setRate(2.0);
    f.player.advance(300);
    QTRY_COMPARE(preview.frame().current.pieces[4].fraction, 0.5);

    // A seek while paused, and before the first line: only the next shows.
    f.player.pause();
    f.player.setCurrentPosition(1.0);
    QTRY_COMPARE(preview.frame().current.line, -1);
    QCOMPARE(preview.frame().next.line, 0);
    QVERIFY(!preview.wipeX(0).has_value());
}

void KaraokePreviewTest::looksAtThePositionOnlyWhileShown() {
    Fixture f;
    KaraokePreview& preview = f.open();
    QCOMPARE(preview.followIntervalMs(), KaraokePreview::kIdleIntervalMs);
    f.player.play();
    QVERIFY(preview.followIntervalMs() > 0);
    QVERIFY(preview.followIntervalMs() <= 33);
    preview.hide();
    QCOMPARE(preview.followIntervalMs(), 0);
    f.player.pause();
    QCOMPARE(preview.followIntervalMs(), 0);
}

void KaraokePreviewTest::chosenColoursAreKept() {
    Fixture f;
    KaraokePreview& preview = f.open();
    std::vector<QColor> answers{QColor(0x10, 0x20, 0x30), QColor(0xFF, 0x80, 0x00)};
    QStringList asked;
    preview.setColourChooser([&](const QColor&, const QString& title) {
        asked << title;
        QColor answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    });
    preview.chooseColours();
    QCOMPARE(asked, QStringList({QStringLiteral("歌う前の色"), QStringLiteral("歌った後の色")}));
    QCOMPARE(preview.beforeColour(), QColor(0x10, 0x20, 0x30));
    QCOMPARE(preview.afterColour(), QColor(0xFF, 0x80, 0x00));
    const AppSettings saved =
        LoadAppSettings(f.programFolder() / "obrin.ini", "tester", f.programFolder());
    QCOMPARE(saved.karaokeBeforeColour, 0x102030);
    QCOMPARE(saved.karaokeAfterColour, 0xFF8000);

    // A cancel at the second colour keeps both.
    answers = {QColor(0, 0, 0xFF), QColor()};
    preview.chooseColours();
    QCOMPARE(preview.beforeColour(), QColor(0x10, 0x20, 0x30));
    QCOMPARE(f.editor.settings().karaokeBeforeColour, 0x102030);

    // Opened again, the window takes the kept colours.
    preview.setColours(kBefore, kAfter);
    preview.close();
    f.item("mnuKaraokePreview")->trigger();
    QCOMPARE(preview.beforeColour(), QColor(0x10, 0x20, 0x30));
    QCOMPARE(preview.afterColour(), QColor(0xFF, 0x80, 0x00));
}

QTEST_MAIN(KaraokePreviewTest)
#include "karaoke_preview_test.moc"
