// The waveform strip's costs (run by hand with bench/run-waveform.sh):
//   peaks   the peaks of a 60-minute WAV: time and memory
//   paint   painting the strip while playing, 1280 px wide, offscreen
//   open    the time from opening a 5-minute song to hearing it, with and
//           without the strip (needs a sound server)
//   onsets  how far the onset hints lie from the demo song's line starts
//
// waveform_bench peaks|paint|open
// waveform_bench onsets DEMO_WAV DEMO_TIMES PROGRAM_FOLDER

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "audio_bench_setup.h"
#include "base/playback_control.h"
#include "base/qt/qt_timer.h"
#include "base/time_text.h"
#include "document/document.h"
#include "document/timing_commands.h"
#include "playback/music_file_decode.h"
#include "playback/peak_pyramid.h"
#include "playback/qt/audio_player.h"
#include "playback/qt/waveform_binding.h"
#include "playback/qt/waveform_strip.h"
#include "playback/vocal_onsets.h"
#include "playback/wav_reader.h"
#include "recording_dialogs.h"

using namespace obrin;
using Clock = std::chrono::steady_clock;

namespace {

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

int Peaks() {
    std::puts("writing a 60-minute WAV (stereo, 16-bit, 44.1 kHz)...");
    const auto wav = bench::WriteTone("obrin-waveform-bench-60min.wav", 60.0 * 60.0);
    std::printf("file: %.0f MB\n", std::filesystem::file_size(wav) / 1e6);
    const long before = bench::StatusKb("VmHWM");
    std::vector<double> times;
    std::size_t bytes = 0;
    for (int run = 0; run < 3; ++run) {
        WavReader reader(wav);
        const auto start = Clock::now();
        const auto peaks = PeakPyramid::Build(reader);
        times.push_back(MsSince(start));
        bytes = peaks->memoryBytes();
    }
    const long after = bench::StatusKb("VmHWM");
    WavReader reader(wav);
    const auto start = Clock::now();
    const auto onsets = DetectVocalOnsets(reader);
    const double onsetMs = MsSince(start);
    std::filesystem::remove(wav);
    std::printf("peaks (file in the page cache): median %.0f ms, runs", Median(times));
    for (double t : times) std::printf(" %.0f", t);
    std::printf(" ms\npeaks kept: %.2f MB; peak resident growth while building: %.1f MB\n",
                bytes / 1e6, (after - before) / 1024.0);
    std::printf("onsets of the same hour afterwards: %.0f ms (%zu onsets)\n", onsetMs,
                onsets->size());
    return 0;
}

int Paint(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const auto wav = bench::WriteTone("obrin-waveform-bench-5min.wav", 300.0);
    WavReader reader(wav);
    const auto peaks = PeakPyramid::Build(reader);
    const auto onsets = DetectVocalOnsets(reader);
    std::filesystem::remove(wav);
    // Onsets as a sung song has them, several a second.
    std::vector<std::int32_t> ticks;
    for (std::int32_t ms = 0; ms < 300000; ms += 230) ticks.push_back(ms);

    Document document;
    std::vector<std::string> texts(120, "line");
    document.lyrics.assign(texts);
    for (int i = 0; i < 120; ++i) document.lyrics.setTimeText(i, FormatTimeText(2000 + i * 2450));
    document.lyrics.select(40);

    WaveformStrip strip(document);
    strip.resize(1280, WaveformStrip::kHeight);
    strip.setSong(300.0, 0.005);
    strip.setAnalysis(&*peaks, &ticks);
    double head = 0.0;
    strip.setHeadSource([&head] { return head; });
    QImage image(strip.size(), QImage::Format_ARGB32_Premultiplied);

    const auto measure = [&](const char* what, int zoomNotches) {
        strip.setSong(300.0, 0.005);
        strip.setAnalysis(&*peaks, &ticks);
        if (zoomNotches) {
            QWheelEvent wheel(QPointF(0, 10), QPointF(0, 10), QPoint(),
                              QPoint(0, 120 * zoomNotches), Qt::NoButton, Qt::NoModifier,
                              Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(&strip, &wheel);
        }
        std::vector<double> frames;
        head = 0.0;
        // 30 frames a second through the first four minutes.
        for (int frame = 0; frame < 30 * 240; ++frame) {
            head += 1.0 / 30;
            const auto start = Clock::now();
            strip.lookAtHead();
            QPainter painter(&image);
            strip.render(&painter);
            painter.end();
            frames.push_back(MsSince(start));
        }
        std::sort(frames.begin(), frames.end());
        std::printf("%-32s %.0f s wide: median %.3f ms, 99th %.3f ms, worst %.3f ms per frame\n",
                    what, strip.viewport().spanSeconds(), Median(frames),
                    frames[frames.size() * 99 / 100], frames.back());
    };
    std::printf("1280 x %d px, 120 timed lines, %zu onset ticks, offscreen\n",
                WaveformStrip::kHeight, ticks.size());
    measure("whole song (overview)", 0);
    measure("zoomed in, following the head", 12);
    measure("closest zoom, following the head", 40);
    return 0;
}

// Opens the song as the editor does (load, then play) and returns the
// milliseconds until the listener hears it move.
double OpenAndPlay(AudioPlayer& player, PlaybackControl& playback, const std::string& wav) {
    const auto start = Clock::now();
    playback.loadIntoPlayer(wav);
    playback.playPause();
    while (player.currentPosition() <= 0.0 && MsSince(start) < 10000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    const double heard = MsSince(start);
    playback.stopPlayback();
    playback.unloadPlayer();
    return heard;
}

int Open(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (!bench::AudioOutputPresent("bench/run-waveform.sh")) return 1;
    const auto wav = bench::WriteTone("obrin-waveform-bench-open.wav", 300.0);
    AudioPlayer player;
    QtTimerFactory timers;
    test::RecordingDialogs dialogs;
    PlaybackControl playback(player, timers, dialogs);
    Document document;
    TimingCommands timing(document, playback, dialogs);
    WaveformStrip strip(document);
    strip.resize(1280, WaveformStrip::kHeight);
    strip.show();
    OpenAndPlay(player, playback, wav.string());  // the sound server wakes up

    std::vector<double> without, with, peaksReady;
    for (int run = 0; run < 5; ++run) {
        without.push_back(OpenAndPlay(player, playback, wav.string()));
        WaveformBinding binding(strip, playback, timing, document);
        with.push_back(OpenAndPlay(player, playback, wav.string()));
        // Loaded again to see when the peaks arrive while it plays.
        const auto loaded = Clock::now();
        playback.loadIntoPlayer(wav.string());
        playback.playPause();
        while (!binding.analysis().peaks() && MsSince(loaded) < 10000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        }
        peaksReady.push_back(MsSince(loaded));
        playback.stopPlayback();
        playback.unloadPlayer();
    }
    std::filesystem::remove(wav);
    std::printf(
        "5-minute song, open to first heard sample: without the strip median %.0f ms, "
        "with it %.0f ms: the strip adds %.0f ms\n",
        Median(without), Median(with), Median(with) - Median(without));
    std::printf("its peaks are on the strip %.0f ms after the open (median), while it plays\n",
                Median(peaksReady));
    return 0;
}

int Onsets(const char* demoWav, const char* demoTimes, const char* programFolder) {
    const auto wav = std::filesystem::temp_directory_path() / "obrin-waveform-bench-demo.wav";
    std::string failure;
    const int result = DecodeMusicFile(
        programFolder, demoWav, wav.string(), [](std::int32_t, std::int32_t) { return 0; },
        &failure);
    if (result != 0) {
        std::printf("cannot decode %s (%d): %s\n", demoWav, result, failure.c_str());
        return 1;
    }
    WavReader reader(wav);
    const auto onsets = DetectVocalOnsets(reader);
    std::filesystem::remove(wav);

    std::ifstream times(demoTimes);
    std::string line;
    std::vector<double> distances;
    std::printf("line start   nearest onset   distance\n");
    while (std::getline(times, line)) {
        if (line.empty() || line[0] == '#') continue;
        // The empty rows are marked when a verse has ended, not when a
        // voice starts.
        if (line.find("(空行)") != std::string::npos) continue;
        const std::int32_t start = ParseTimeText(line.substr(0, 8));
        const auto nearest = std::min_element(onsets->begin(), onsets->end(),
                                              [start](std::int32_t a, std::int32_t b) {
                                                  return std::abs(a - start) < std::abs(b - start);
                                              });
        if (nearest == onsets->end()) {
            std::puts("no onsets found");
            return 1;
        }
        distances.push_back(std::abs(*nearest - start));
        std::printf("%8d ms   %8d ms   %+5d ms\n", start, *nearest, *nearest - start);
    }
    std::printf("%zu onsets in the song; %zu sung lines: median %.0f ms, worst %.0f ms\n",
                onsets->size(), distances.size(), Median(distances),
                *std::max_element(distances.begin(), distances.end()));
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    const std::string what = argc > 1 ? argv[1] : "";
    if (what == "peaks") return Peaks();
    if (what == "paint") return Paint(argc, argv);
    if (what == "open") return Open(argc, argv);
    if (what == "onsets" && argc == 5) return Onsets(argv[2], argv[3], argv[4]);
    std::fputs(
        "usage: waveform_bench peaks|paint|open\n"
        "       waveform_bench onsets DEMO_WAV DEMO_TIMES PROGRAM_FOLDER\n",
        stderr);
    return 2;
}
