// What each reader of outside bytes costs per input byte: every file of the
// fuzz corpora (scripts/fuzz.sh) is read once in a child process of its own,
// and the worst time and the worst peak memory above the reader's baseline
// are reported per byte of input, with the input that cost them. Run by hand:
//   build/bin/reader_cost_bench build-fuzz/corpus
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include "base/file_bytes.h"
#include "base/ini_file.h"
#include "base/sjis_codec.h"
#include "playback/input_plugin_call.h"
#include "shell/app_paths.h"
#include "text/completed_text.h"
#include "text/lyrics_expansion.h"
#include "text/tag_info_file.h"
#include "text/tagged_lyrics_reader.h"
#include "text/text_lines.h"

namespace obrin {
namespace {

using Reader = std::function<void(const std::filesystem::path& file)>;

std::string Bytes(const std::filesystem::path& file) {
    std::error_code error;
    return ReadFileBytes(file, error).value_or("");
}

void ThroughPlugin(const char* library, const std::filesystem::path& file) {
    (void)CallInputPlugin(library, ProgramFolder(), file.string(), "/dev/null",
                          [](std::int32_t, std::int32_t) { return 0; });
}

// The readers by the name of their fuzz target, each on the whole file as
// its fuzz target reads it.
const std::map<std::string, Reader>& Readers() {
    static const std::map<std::string, Reader> readers = {
        {"fuzz_lyrics_expansion",
         [](const auto& file) { (void)ExpandLyrics(CutLines(Bytes(file)), ExpansionOptions{}); }},
        {"fuzz_tagged_lyrics",
         [](const auto& file) {
             Document document;
             ReadTaggedLyricsText(document, Bytes(file), ReaderOptions{});
             (void)BuildCompletedText(document, CompletedTextOptions{});
         }},
        {"fuzz_tag_info", [](const auto& file) { (void)ParseTagInfo(Bytes(file)); }},
        {"fuzz_ini_file",
         [](const auto& file) {
             IniFile ini;
             (void)ini.load(file);
         }},
        {"fuzz_sjis_codec", [](const auto& file) { (void)SjisToUtf8(Bytes(file)); }},
        {"fuzz_riff_reader", [](const auto& file) { ThroughPlugin("vellin.dll", file); }},
        {"fuzz_vellin", [](const auto& file) { ThroughPlugin("vellin.dll", file); }},
        {"fuzz_wendax", [](const auto& file) { ThroughPlugin("wendax.dll", file); }},
    };
    return readers;
}

struct Cost {
    double seconds = 0;
    long peakKb = 0;
};

// Runs the reader in a child, so each input's peak memory is its own.
Cost Measure(const Reader& reader, const std::filesystem::path& file) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        reader(file);
        ::_exit(0);
    }
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
            usage.ru_maxrss};
}

}  // namespace
}  // namespace obrin

int main(int argc, char** argv) {
    using namespace obrin;
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_ROOT (e.g. build-fuzz/corpus)\n", argv[0]);
        return 2;
    }
    const std::filesystem::path root = argv[1];
    const std::filesystem::path empty =
        std::filesystem::temp_directory_path() / "obrin-empty-input";
    {
        std::FILE* f = std::fopen(empty.c_str(), "wb");
        if (f) std::fclose(f);
    }
    std::printf("%-22s %7s %9s %14s %14s  %s\n", "reader", "inputs", "largest", "worst us/KB",
                "worst extra KB/KB", "(worst inputs)");
    for (const auto& [name, reader] : Readers()) {
        const std::filesystem::path corpus = root / name;
        if (!std::filesystem::is_directory(corpus)) continue;
        const Cost baseline = Measure(reader, empty);
        double worstTime = 0, worstMemory = 0;
        std::string slowest, largest;
        std::uintmax_t biggest = 0;
        int inputs = 0;
        for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
            const std::uintmax_t size = entry.file_size();
            if (size == 0) continue;
            ++inputs;
            biggest = std::max(biggest, size);
            const Cost cost = Measure(reader, entry.path());
            const double kb = static_cast<double>(size) / 1024;
            const double time = std::max(0.0, cost.seconds - baseline.seconds) * 1e6 / kb;
            const double memory =
                static_cast<double>(std::max(0L, cost.peakKb - baseline.peakKb)) / kb;
            if (time > worstTime) worstTime = time, slowest = entry.path().filename();
            if (memory > worstMemory) worstMemory = memory, largest = entry.path().filename();
        }
        std::printf("%-22s %7d %9ju %14.1f %14.1f  (%s, %s)\n", name.c_str(), inputs, biggest,
                    worstTime, worstMemory, slowest.c_str(), largest.c_str());
    }
    std::filesystem::remove(empty);
    return 0;
}
