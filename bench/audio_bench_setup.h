#pragma once

#include <filesystem>
#include <string>

// What the benchmarks that play or measure audio start with.
namespace obrin::bench {

// True when there is an audio output to play through; otherwise says which
// script starts a sound server (`script`, e.g. "bench/run-audio.sh").
bool AudioOutputPresent(const char* script = "bench/run-audio.sh");

// A sine tone of `seconds` (stereo, 16-bit, 44.1 kHz) written as `name` in the
// temporary folder; the caller removes it.
std::filesystem::path WriteTone(const char* name, double seconds);

// A field of /proc/self/status in kB, e.g. "VmHWM" (peak resident) or "VmRSS";
// -1 when it is not there.
long StatusKb(const std::string& field);

}  // namespace obrin::bench
