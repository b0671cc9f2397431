#include "audio_bench_setup.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <cstdio>
#include <fstream>

#include "wav_builder.h"

namespace obrin::bench {

bool AudioOutputPresent(const char* script) {
    if (!QMediaDevices::defaultAudioOutput().isNull()) return true;
    std::printf("no audio output device; start a sound server (%s)\n", script);
    return false;
}

std::filesystem::path WriteTone(const char* name, double seconds) {
    const auto wav = std::filesystem::temp_directory_path() / name;
    test::WriteSineWav(wav, seconds);
    return wav;
}

long StatusKb(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field + ":", 0) == 0) return std::stol(line.substr(field.size() + 1));
    }
    return -1;
}

}  // namespace obrin::bench
