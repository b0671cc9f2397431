// The karaoke preview's frame while the demo song plays through the sound
// server at 1.0 and 2.0 (run by hand with bench/run-preview.sh): every unit
// of the demo's lines timed (a spread draft), the kanji with readings, the
// window 1920 x 1080 offscreen. Two figures per rate: each paint the window
// does as its own timer follows the song (within a line only the units that
// moved), and the heard position read with the whole window painted into an
// image 60 times a second (what a line change costs). Target: median under
// 2 ms.
//
// karaoke_preview_bench DEMO_WAV DEMO_TIMES PROGRAM_FOLDER

#include <QApplication>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "audio_bench_setup.h"
#include "base/qt/qt_fonts.h"
#include "base/sjis_codec.h"
#include "base/time_text.h"
#include "document/document.h"
#include "document/karaoke_units.h"
#include "playback/music_file_decode.h"
#include "playback/qt/audio_player.h"
#include "playback/qt/karaoke_preview.h"

using namespace obrin;
using Clock = std::chrono::steady_clock;

namespace {

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

RubyReading Reading(const char* base, const char* kana) {
    RubyReading reading{.base = Utf8ToSjis(base)};
    for (std::string& mora : SplitMorae(Utf8ToSjis(kana)))
        reading.morae.push_back({std::move(mora)});
    return reading;
}

// The demo's rows at their times, the empty rows included, with every unit
// timed by the spread.
bool LoadDemoLyrics(const char* demoTimes, Document& document) {
    std::ifstream times(demoTimes);
    std::vector<LyricLine> lines;
    std::string row;
    while (std::getline(times, row)) {
        if (row.empty() || row[0] == '#') continue;
        std::string text = row.size() > 9 ? row.substr(9) : std::string();
        if (text == "(空行)") text.clear();
        lines.push_back({.lyricText = Utf8ToSjis(text),
                         .timeText = FormatTimeText(ParseTimeText(row.substr(0, 8)))});
    }
    if (lines.empty()) return false;
    document.setRuby({Reading("星", "ほし"), Reading("夜", "よる"), Reading("風", "かぜ"),
                      Reading("朝", "あさ")});
    document.lyrics.assignLines(std::move(lines));
    return SpreadUnitTimes(document) > 0;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double Percentile99(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() * 99 / 100];
}

// The preview with its paint events timed, as its own timer brings them.
class TimedPreview final : public KaraokePreview {
  public:
    using KaraokePreview::KaraokePreview;
    std::vector<double> paints;
    int wholePaints = 0;
    // Set while the benchmark paints the window into its image.
    bool rendering = false;

  protected:
    void paintEvent(QPaintEvent* event) override {
        const auto start = Clock::now();
        KaraokePreview::paintEvent(event);
        if (rendering) return;
        paints.push_back(MsSince(start));
        if (event->rect() == rect()) ++wholePaints;
    }
};

struct Figures {
    // Each paint the window did while the song played.
    std::vector<double> paints;
    // The whole window painted into an image 60 times a second.
    std::vector<double> whole;
    int wholePaints = 0;
};

Figures PlayAndPaint(AudioPlayer& player, TimedPreview& preview, double rate) {
    QImage image(preview.size(), QImage::Format_ARGB32_Premultiplied);
    Figures figures;
    player.setCurrentPosition(0.0);
    player.setRate(rate);
    player.play();
    const auto started = Clock::now();
    while (player.heardPosition() <= 0.0 && MsSince(started) < 10000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    preview.paints.clear();
    preview.wholePaints = 0;
    const double end = player.duration() - 0.5;
    while (player.playState() == PlayState::Playing && player.heardPosition() < end) {
        const auto frameStart = Clock::now();
        preview.followPosition();
        QPainter painter(&image);
        // As the window paints itself: it is opaque, so no background first.
        preview.rendering = true;
        preview.render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
        preview.rendering = false;
        painter.end();
        figures.whole.push_back(MsSince(frameStart));
        const auto next = frameStart + std::chrono::microseconds(16667);
        while (Clock::now() < next) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    player.stop();
    figures.paints = std::move(preview.paints);
    figures.wholePaints = preview.wholePaints;
    return figures;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 4) {
        std::fputs("usage: karaoke_preview_bench DEMO_WAV DEMO_TIMES PROGRAM_FOLDER\n", stderr);
        return 2;
    }
    QApplication app(argc, argv);
    if (!bench::AudioOutputPresent("bench/run-preview.sh")) return 1;
    const auto wav = std::filesystem::temp_directory_path() / "obrin-preview-bench-demo.wav";
    std::string failure;
    const int result = DecodeMusicFile(
        argv[3], argv[1], wav.string(), [](std::int32_t, std::int32_t) { return 0; }, &failure);
    if (result != 0) {
        std::printf("cannot decode %s (%d): %s\n", argv[1], result, failure.c_str());
        return 1;
    }
    Document document;
    if (!LoadDemoLyrics(argv[2], document)) {
        std::printf("no timed lines in %s\n", argv[2]);
        return 1;
    }
    AudioPlayer player;
    player.setFileName(wav.string());
    RegisterJapaneseFontSubstitutes();
    TimedPreview preview(document, player);
    preview.setLyricsFont(QFont(QStringLiteral("ＭＳ ゴシック")));
    preview.resize(1920, 1080);
    preview.show();

    std::printf("1920 x 1080 px, offscreen, %d demo lines with every unit timed\n",
                document.lyrics.count());
    bool met = true;
    for (const double rate : {1.0, 2.0}) {
        const Figures figures = PlayAndPaint(player, preview, rate);
        if (figures.paints.empty() || figures.whole.empty()) {
            std::printf("rate %.1f: the song did not play\n", rate);
            return 1;
        }
        met = met && Median(figures.paints) < 2.0 && Median(figures.whole) < 2.0;
        std::printf(
            "rate %.1f: the window's own frames: %zu paints (%d of the whole window), median "
            "%.3f ms, 99th %.3f ms\n",
            rate, figures.paints.size(), figures.wholePaints, Median(figures.paints),
            Percentile99(figures.paints));
        std::printf(
            "rate %.1f: the position read and the whole window painted: %zu frames, median %.3f "
            "ms, 99th %.3f ms (target: median under 2 ms)\n",
            rate, figures.whole.size(), Median(figures.whole), Percentile99(figures.whole));
    }
    player.setFileName("");
    std::filesystem::remove(wav);
    return met ? 0 : 1;
}
