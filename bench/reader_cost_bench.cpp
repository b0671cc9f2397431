// What each reader of outside bytes costs per input byte: every file of the
// fuzz corpora (scripts/fuzz.sh) is read once in a child process of its own,
// and the worst time and the worst peak memory it added are reported, whole
// and per KiB of input. Run by hand:
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
    long extraKb = 0;  // peak resident memory above what the process held before
};

long PeakKb() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Runs the reader in a child of its own, so each input's peak memory is its
// own; the child measures itself, leaving out the fork.
Cost Measure(const Reader& reader, const std::filesystem::path& file) {
    int pipe[2];
    if (::pipe(pipe) != 0) return {};
    std::fflush(stdout);
    const pid_t child = ::fork();
    if (child == 0) {
        std::freopen("/dev/null", "w", stdout);  // the plug-ins' converter messages
        const long before = PeakKb();
        const auto start = std::chrono::steady_clock::now();
        reader(file);
        const Cost cost{
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
            PeakKb() - before};
        (void)::write(pipe[1], &cost, sizeof cost);
        ::_exit(0);
    }
    ::close(pipe[1]);
    Cost cost;
    if (::read(pipe[0], &cost, sizeof cost) != sizeof cost) cost = {};
    ::close(pipe[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return cost;
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
    // Per byte over at least 1 KiB: below that, clock and page granularity
    // would swamp the figure.
    std::printf("%-22s %6s %8s %10s %10s %12s %12s\n", "reader", "inputs", "largest", "worst ms",
                "worst KB", "ms per KiB", "KB per KiB");
    for (const auto& [name, reader] : Readers()) {
        const std::filesystem::path corpus = root / name;
        if (!std::filesystem::is_directory(corpus)) continue;
        // What the reader costs on no input at all (loading a plug-in and
        // FFmpeg, first use of the allocator) is not the input's doing.
        const Cost baseline = Measure(reader, empty);
        double worstMs = 0, worstKb = 0, msPerKib = 0, kbPerKib = 0;
        std::uintmax_t biggest = 0;
        int inputs = 0;
        for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
            const std::uintmax_t size = entry.file_size();
            ++inputs;
            biggest = std::max(biggest, size);
            Cost cost = Measure(reader, entry.path());
            cost.seconds = std::max(0.0, cost.seconds - baseline.seconds);
            cost.extraKb = std::max(0L, cost.extraKb - baseline.extraKb);
            const double kib = std::max(1.0, static_cast<double>(size) / 1024);
            worstMs = std::max(worstMs, cost.seconds * 1000);
            worstKb = std::max(worstKb, static_cast<double>(cost.extraKb));
            msPerKib = std::max(msPerKib, cost.seconds * 1000 / kib);
            kbPerKib = std::max(kbPerKib, static_cast<double>(cost.extraKb) / kib);
        }
        std::printf("%-22s %6d %8ju %10.2f %10.0f %12.3f %12.1f\n", name.c_str(), inputs, biggest,
                    worstMs, worstKb, msPerKib, kbPerKib);
    }
    std::filesystem::remove(empty);
    return 0;
}
