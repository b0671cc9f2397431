#pragma once

#include <filesystem>
#include <system_error>
#include <vector>

namespace obrin {

// A track of short clicks at known moments, to measure where a listener hears
// them and how late a hand presses after them.
struct ClickTrack {
    // Source times of the clicks in seconds, rising.
    std::vector<double> times;
    // Length of the track in seconds; silence after the last click.
    double seconds = 0;
};

// `count` clicks from `first` seconds on, at gaps between `shortestGap` and
// `longestGap` seconds that follow no pattern a listener could count along to.
// The same arguments always give the same track.
[[nodiscard]] ClickTrack UnevenClicks(int count, double first, double shortestGap,
                                      double longestGap);

// The clicks of the calibration: 24 of them, 0.55-1.35 s apart, the first
// after the 1.5 s an idle sound server may take to start playing.
[[nodiscard]] ClickTrack CalibrationClicks();

// Writes the track as a 16-bit mono PCM WAV of `sampleRate`, atomically. Each
// click is a 2 kHz burst of 8 ms that starts at full loudness on its very
// frame, so its moment is exact to the frame, and dies away within the burst.
[[nodiscard]] std::error_code WriteClickTrack(const std::filesystem::path& path,
                                              const ClickTrack& track, int sampleRate = 44100);

}  // namespace obrin
