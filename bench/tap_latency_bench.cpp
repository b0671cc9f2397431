// From a key press to the unit's time stored and shown: the editor wired as
// the program wires it (the recovery file kept, as a user's editor keeps
// it), the demo song playing through the default audio output, the karaoke
// tab shown offscreen over 100 lines, and the Mark key (Space) pressed and
// released ten times a second for 15 s. Each press is posted to the focused
// widget as the window system's would be, and goes the real way: the
// application's key filters, the karaoke tapping, the document, the tab's
// repaint. Target: the median press to shown under 10 ms. Prints
//
//   N taps (N unit times and line ends in the document), N stored and shown:
//   stored median / 90% / worst ms, shown median / 90% / worst ms
//
// Run with a sound server present (bench/run-audio.sh starts a null sink).

#include <QApplication>
#include <QKeyEvent>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "audio_bench_setup.h"
#include "base/qt/qt_timer.h"
#include "base/sjis_codec.h"
#include "document/karaoke_tapping.h"
#include "document/qt/karaoke_tab.h"
#include "playback/qt/audio_player.h"
#include "recording_dialogs.h"
#include "scripted_clipboard.h"
#include "shell/editor.h"
#include "shell/qt/editor_windows.h"
#include "shell/qt/main_window.h"
#include "shell/qt/timing_parts.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kTaps = 150;
constexpr int kTapIntervalMs = 100;
constexpr int kLines = 100;
constexpr double kTargetMs = 10;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// The value below which `share` of the values lie.
double Quantile(std::vector<double> values, double share) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<std::size_t>(share * values.size()))];
}

// Notes when the watched widget has painted, after its own paintEvent ran.
class PaintWatch : public QObject {
  public:
    explicit PaintWatch(QWidget& widget) : widget_(widget) { widget.installEventFilter(this); }
    std::function<void()> painted;

  protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (object != &widget_ || event->type() != QEvent::Paint || inside_) return false;
        inside_ = true;
        static_cast<QObject&>(widget_).event(event);  // the paint itself, past the filters
        inside_ = false;
        if (painted) painted();
        return true;
    }

  private:
    QWidget& widget_;
    bool inside_ = false;
};

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (!obrin::bench::AudioOutputPresent()) return 1;
    const QTemporaryDir folder;
    const std::filesystem::path scratch = folder.path().toStdString();

    obrin::test::RecordingDialogs dialogs;
    obrin::AudioPlayer player;
    obrin::QtTimerFactory timers;
    obrin::test::ScriptedClipboard clipboard;
    obrin::Editor editor({.programFolder = OBRIN_OUTPUT_DIR,
                          .settingsSection = "bench",
                          .configFolder = scratch,
                          .cacheFolder = scratch},
                         dialogs, player, timers, [](const std::string&) { return true; });
    editor.settings().calibrationOffered = true;
    editor.keepRecoveryFile();
    obrin::EditorWindows windows(editor, clipboard);
    windows.mainWindow().show();
    editor.settings().workFolder = scratch.string() + "/";
    if (!windows.music().openMusicFile(OBRIN_DEMO_DIR "/demo.wav")) {
        std::puts("cannot open the demo song");
        return 1;
    }
    obrin::Document& document = editor.document();
    document.setMarkOffset("0.0");
    document.lyrics.assign(
        std::vector<std::string>(kLines, obrin::Utf8ToSjis("夜明けの街を君と歩こう明日もきっと")));
    document.lyrics.select(0);
    obrin::TimingParts& timing = windows.timing();
    obrin::KaraokeTab& tab = timing.karaokeTab();
    windows.mainWindow().pages()->setCurrentWidget(&tab);
    windows.mainWindow().activateWindow();
    tab.linesView()->setFocus();
    timing.karaoke().setCurrent(0, 0);
    timing.playback().playPause();

    std::optional<Clock::time_point> pressed;
    std::optional<Clock::time_point> stored;
    std::vector<double> storedMs;
    std::vector<double> shownMs;
    const obrin::Connection storing =
        document.lyrics.linesChanged.connect([&](int, int, obrin::LinePart) {
            if (pressed && !stored) stored = Clock::now();
        });
    PaintWatch watch(*tab.linesView());
    watch.painted = [&] {
        if (!pressed || !stored) return;
        const Clock::time_point shown = Clock::now();
        storedMs.push_back(Ms(*stored - *pressed));
        shownMs.push_back(Ms(shown - *pressed));
        pressed.reset();
        stored.reset();
    };

    int taps = 0;
    QTimer tapper;
    tapper.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tapper, &QTimer::timeout, [&] {
        if (taps == kTaps) {
            QCoreApplication::exit(0);
            return;
        }
        ++taps;
        QWidget* focus = QApplication::focusWidget();
        if (!focus) focus = tab.linesView();
        // A press whose store or paint never came is not counted.
        stored.reset();
        pressed = Clock::now();
        QCoreApplication::postEvent(focus, new QKeyEvent(QEvent::KeyPress, Qt::Key_Space,
                                                         Qt::NoModifier, QStringLiteral(" ")));
        QCoreApplication::postEvent(focus, new QKeyEvent(QEvent::KeyRelease, Qt::Key_Space,
                                                         Qt::NoModifier, QStringLiteral(" ")));
    });
    QTimer::singleShot(1000, [&] { tapper.start(kTapIntervalMs); });
    QApplication::exec();
    timing.playback().playPause();

    int timed = 0;
    for (int line = 0; line < document.lyrics.count(); ++line) {
        const obrin::LineUnits& units = document.lyrics.line(line).units;
        timed += static_cast<int>(std::count_if(
            units.units.begin(), units.units.end(),
            [](const obrin::TimingUnit& unit) { return unit.start != obrin::kNoUnitTime; }));
        timed += units.end != obrin::kNoUnitTime;
    }
    std::printf(
        "%d taps (%d unit times and line ends in the document), %zu stored and shown: stored "
        "median %.2f / 90%% %.2f / worst %.2f ms, "
        "shown median %.2f / 90%% %.2f / worst %.2f ms\n",
        taps, timed, shownMs.size(), Quantile(storedMs, 0.5), Quantile(storedMs, 0.9),
        Quantile(storedMs, 1.0), Quantile(shownMs, 0.5), Quantile(shownMs, 0.9),
        Quantile(shownMs, 1.0));
    std::printf(
        "target (median key press to shown under %.0f ms): %s\n", kTargetMs,
        shownMs.size() == static_cast<std::size_t>(kTaps) && Quantile(shownMs, 0.5) < kTargetMs
            ? "met"
            : "MISSED");
    if (!dialogs.errors().empty())
        std::printf("error shown: %s\n", dialogs.errors().front().c_str());
    return 0;
}
