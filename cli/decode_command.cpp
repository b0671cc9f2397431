// obrin-cli decode: a music file to a PCM WAV file through the input plug-in
// that "filetype.ini" names, by the same host code as the editor's open.
#include <signal.h>
#include <unistd.h>

#include <array>
#include <csignal>
#include <cstdio>

#include "cli_args.h"
#include "cli_command.h"
#include "playback/music_file_decode.h"
#include "playback/music_file_opener.h"
#include "shell/app_paths.h"

namespace obrin::cli {

extern const std::string_view kDecodeUsage =
    "usage: obrin-cli decode IN OUT.wav\n"
    "Converts the music file IN to a PCM WAV file through the input plug-in that\n"
    "filetype.ini (beside the program) names for IN's extension. OUT is replaced\n"
    "only when the conversion succeeds; IN itself is never overwritten. Ctrl+C\n"
    "(or SIGTERM, SIGHUP) stops the conversion, unless the signal was ignored when\n"
    "obrin-cli started (SIGHUP under nohup).\n"
    "Exit status: the conversion result: 0 success, the plug-in's own code 1 to 4,\n"
    "103 the library has no \"Input\" export, 104 no library for the extension.\n";

namespace {

volatile std::sig_atomic_t interrupted = 0;

void OnInterrupt(int) {
    interrupted = 1;
}

// Ctrl+C, a closed terminal (SIGHUP) and a polite kill (SIGTERM) ask the
// plug-in to stop at its next progress report instead of killing the
// process, so the partial file is cleaned up.
class InterruptScope {
  public:
    InterruptScope() {
        interrupted = 0;
        struct sigaction action {};
        action.sa_handler = OnInterrupt;
        // The plug-in's reads and writes go on; the stop comes at its next report.
        action.sa_flags = SA_RESTART;
        sigemptyset(&action.sa_mask);
        for (std::size_t i = 0; i < kSignals.size(); ++i) {
            sigaction(kSignals[i], nullptr, &previous_[i]);
            // An ignored signal (SIGHUP under nohup) is not a request to stop.
            if (previous_[i].sa_handler != SIG_IGN) sigaction(kSignals[i], &action, nullptr);
        }
    }
    ~InterruptScope() {
        for (std::size_t i = 0; i < kSignals.size(); ++i)
            sigaction(kSignals[i], &previous_[i], nullptr);
    }
    InterruptScope(const InterruptScope&) = delete;
    InterruptScope& operator=(const InterruptScope&) = delete;

  private:
    static constexpr std::array<int, 3> kSignals = {SIGINT, SIGTERM, SIGHUP};
    std::array<struct sigaction, kSignals.size()> previous_{};
};

void DrawProgress(std::int32_t total, std::int32_t done) {
    const long long percent = total > 0 ? static_cast<long long>(done) * 100 / total : 0;
    constexpr int kWidth = 30;
    const int filled = static_cast<int>(percent * kWidth / 100);
    std::fprintf(stderr, "\r[%-*s] %3lld%%", kWidth, std::string(filled, '#').c_str(), percent);
    std::fflush(stderr);
}

}  // namespace

int RunDecode(const std::vector<std::string>& args) {
    std::vector<std::string> files;
    try {
        files = ArgParser().parse(args, 2, 2);
    } catch (const UsageError& error) {
        PrintMessage(error.what());
        PrintUsage(kDecodeUsage, stderr);
        return kExitUsage;
    }
    const bool showProgress = isatty(STDERR_FILENO) == 1;
    const InterruptScope interruptible;
    std::string failure;
    const int result = DecodeMusicFile(
        ProgramFolder(), files[0], files[1],
        [showProgress](std::int32_t total, std::int32_t done) {
            if (showProgress) DrawProgress(total, done);
            return interrupted != 0 ? 1 : 0;
        },
        &failure);
    if (showProgress) std::fputs("\r\033[K", stderr);
    if (result != 0) {
        PrintMessage(DecodeFailedMessage(result) + " " + files[0] +
                     (failure.empty() ? "" : " (" + failure + ")"));
    }
    return result;
}

}  // namespace obrin::cli
