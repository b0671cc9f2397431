#pragma once

// The scripted tapper: the demo song plays through the real audio player
// while a thread watches the heard position and presses the tap a known
// delay after each unit of the demo lyrics is heard, through the event loop
// as a key would, with the mark offset taking the delay back. What the
// document stores is then compared with what was heard at each press.
//
// The delay is kDelayMs of the song (twice that of the clock at half speed,
// half at double speed), the offset "-0.2". A unit should get the heard
// position at its press less the delay: the schedule's time, except where
// the stretcher leaves the scheduled sample out (above normal speed the
// heard position skips ahead at each splice), and then the first sample
// heard after it. Unit times are whole centiseconds, truncated, so a stored
// time is as far off as the press's time lies outside its centisecond.

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/conversion_error.h"
#include "base/playback_control.h"
#include "base/qt/qt_timer.h"
#include "base/time_text.h"
#include "document/document.h"
#include "document/karaoke_tapping.h"
#include "document/timing_commands.h"
#include "document/unit_split.h"
#include "file_bytes.h"
#include "playback/music_file_decode.h"
#include "playback/qt/audio_player.h"
#include "recording_dialogs.h"
#include "text/tagged_lyrics_reader.h"

namespace obrin::test {

inline constexpr std::int32_t kDelayMs = 200;
inline constexpr const char* kDelayOffset = "-0.2";
// Units of a line follow each other this far apart (eight a second at
// double speed).
inline constexpr std::int32_t kUnitStepMs = 250;

struct ScheduledTap {
    KaraokeTapping::Place place;
    std::int32_t ms = 0;  // when the unit is sung, in the song
};

struct TapResult {
    ScheduledTap tap;
    // The heard position at the press, less the delay: the unit's time.
    double pressedMs = 0;
    // The heard position when the tap ran, less the delay.
    double stampedMs = 0;
    // The unit's time in the document after the run (the line's time for an
    // empty line), in centiseconds; kNoUnitTime when the tap left none.
    int storedCs = kNoUnitTime;

    // How far the press's time lies outside the stored centisecond.
    [[nodiscard]] double storedErrorMs() const {
        if (storedCs == kNoUnitTime) return 1e9;
        if (pressedMs < storedCs * 10.0) return storedCs * 10.0 - pressedMs;
        return std::max(0.0, pressedMs - (storedCs * 10.0 + 10.0));
    }
    [[nodiscard]] double stampErrorMs() const { return stampedMs - pressedMs; }
    // How much later than the schedule the press came: the stretcher's skip.
    [[nodiscard]] double skippedMs() const { return pressedMs - tap.ms; }
};

// The demo's lines (demo.txt) with the times of demo-times.txt.
struct DemoLyrics {
    Document document;
    std::vector<std::int32_t> lineMs;
};

inline DemoLyrics ReadDemoLyrics(const std::filesystem::path& lyrics,
                                 const std::filesystem::path& times) {
    DemoLyrics demo;
    (void)ReadTaggedLyricsText(demo.document, ReadBytes(lyrics), {});
    std::ifstream in(times);
    std::string row;
    while (std::getline(in, row)) {
        if (!row.empty() && row[0] != '#') demo.lineMs.push_back(ParseTimeText(row.substr(0, 8)));
    }
    return demo;
}

// Every tap that times the demo: each line's units from its time on, one
// every kUnitStepMs, then its end; an empty line is one tap, its time.
inline std::vector<ScheduledTap> DemoSchedule(const DemoLyrics& demo) {
    std::vector<ScheduledTap> taps;
    const LyricList& lyrics = demo.document.lyrics;
    for (int line = 0; line < lyrics.count(); ++line) {
        const std::string& text = lyrics.line(line).lyricText;
        const int units = static_cast<int>(SplitIntoUnits(text).size());
        const std::int32_t start = demo.lineMs.at(static_cast<std::size_t>(line));
        if (units == 0) {
            taps.push_back({{line, 0}, start});
            continue;
        }
        for (int unit = 0; unit <= units; ++unit)
            taps.push_back({{line, unit}, start + unit * kUnitStepMs});
    }
    return taps;
}

inline int StoredCs(const Document& document, const KaraokeTapping::Place& place) {
    const LyricLine& line = document.lyrics.line(place.line);
    const std::vector<TimingUnit>& units = line.units.units;
    if (place.unit == 0) {
        try {
            return ParseTimeText(line.timeText) / 10;
        } catch (const ConversionError&) {
            return kNoUnitTime;
        }
    }
    if (place.unit < static_cast<int>(units.size()))
        return units[static_cast<std::size_t>(place.unit)].start;
    return line.units.end;
}

// Converts the demo song (IMA ADPCM) into a PCM WAV the player plays, through
// the program folder's plug-in as the editor opens it. Empty on failure.
inline std::string DecodeDemoSong(const std::filesystem::path& programFolder,
                                  const std::filesystem::path& song,
                                  const std::filesystem::path& wav) {
    const int result = DecodeMusicFile(programFolder, song.string(), wav.string(),
                                       [](std::int32_t, std::int32_t) { return 0; });
    return result == 0 ? wav.string() : std::string();
}

// One run at `rate` over the PCM song `wav`: plays from a second before the
// first tap and taps the schedule; gives up `hangMs` of the clock after the
// song's taps should have ended. Runs the event loop; call it on the
// user-interface thread.
inline std::vector<TapResult> RunScriptedTapper(DemoLyrics& demo, const std::string& wav,
                                                double rate, int hangMs = 15000) {
    const std::vector<ScheduledTap> schedule = DemoSchedule(demo);
    Document& document = demo.document;
    document.setMarkOffset(kDelayOffset);
    AudioPlayer player;
    QtTimerFactory timers;
    RecordingDialogs dialogs;
    PlaybackControl playback{player, timers, dialogs};
    TimingCommands marks{document, playback, dialogs};
    KaraokeTapping tapping{document, playback, dialogs, marks};
    playback.loadIntoPlayer(wav);
    player.setRate(rate);
    tapping.setCurrent(0, 0);
    player.setCurrentPosition(std::max(0.0, schedule.front().ms / 1000.0 - 1.0));

    std::vector<TapResult> results;
    QEventLoop loop;
    std::atomic<bool> stop{false};
    player.play();
    std::thread tapper([&] {
        for (const ScheduledTap& tap : schedule) {
            const double due = (tap.ms + kDelayMs) / 1000.0;
            double heard = 0;
            while (!stop.load() && (heard = player.heardPosition()) < due) {
                std::this_thread::sleep_for(std::chrono::microseconds(250));
            }
            if (stop.load()) return;
            QMetaObject::invokeMethod(&loop, [&, tap, heard] {
                const double before = player.heardPosition();
                tapping.tap();
                const double after = player.heardPosition();
                results.push_back({.tap = tap,
                                   .pressedMs = heard * 1000.0 - kDelayMs,
                                   .stampedMs = (before + after) * 500.0 - kDelayMs});
                if (results.size() == schedule.size()) loop.quit();
            });
        }
    });
    const double songMs = schedule.back().ms - schedule.front().ms + 1000.0 + kDelayMs;
    QTimer::singleShot(static_cast<int>(songMs / rate) + hangMs, &loop, &QEventLoop::quit);
    loop.exec();
    stop = true;
    tapper.join();
    QCoreApplication::processEvents();  // a tap the thread posted last
    player.pause();
    for (TapResult& result : results) result.storedCs = StoredCs(document, result.tap.place);
    return results;
}

}  // namespace obrin::test
