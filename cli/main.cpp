// obrin-cli: the editor's lyrics and file commands from a shell, over the same
// core code as the editor.
#include <malloc.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli_command.h"
#include "obrin_files/temporary_files.h"
#include "obrin_version.h"

namespace obrin::cli {
namespace {

constexpr std::string_view kProgramUsage =
    "usage: obrin-cli <subcommand> [options] [arguments]\n"
    "       obrin-cli <subcommand> --help\n"
    "       obrin-cli --help | --version\n";

void PrintOverview(std::FILE* stream) {
    PrintUsage(kProgramUsage, stream);
    std::fputs("\nsubcommands:\n", stream);
    for (const Subcommand& command : Subcommands()) {
        std::fprintf(stream, "  %-8.*s %.*s\n", static_cast<int>(command.name.size()),
                     command.name.data(), static_cast<int>(command.summary.size()),
                     command.summary.data());
    }
}

// Help that could not be written (a full disk, a closed pipe) is a failure.
int FlushedStdout() {
    if (std::fflush(stdout) == 0 && std::ferror(stdout) == 0) return kExitOk;
    PrintMessage("標準出力に書けません");
    return kExitError;
}

}  // namespace
}  // namespace obrin::cli

int main(int argc, char** argv) {
    using namespace obrin::cli;
    // Large blocks (a lyrics file's pieces, the lines read from it) go back to
    // the system as soon as they are freed. Left to itself, the allocator
    // raises this bound to the size of the largest block freed so far (a
    // file's bytes), and a file then given back piece by piece would stay
    // resident beside everything made from it.
    mallopt(M_MMAP_THRESHOLD, 256 * 1024);
    // A save stopped by a signal leaves no hidden copy of its target behind.
    obrin::RemoveTemporaryFilesOnSignals();
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        PrintOverview(stderr);
        return kExitUsage;
    }
    if (args[0] == "--help" || args[0] == "-h") {
        PrintOverview(stdout);
        return FlushedStdout();
    }
    if (args[0] == "--version") {
        std::fputs("obrin-cli " OBRIN_VERSION "\n", stdout);
        return FlushedStdout();
    }
    for (const Subcommand& command : Subcommands()) {
        if (command.name != args[0]) continue;
        const std::vector<std::string> rest(args.begin() + 1, args.end());
        for (const auto& arg : rest) {
            if (arg == "--") break;
            if (arg == "--help" || arg == "-h") {
                PrintUsage(command.usage, stdout);
                return FlushedStdout();
            }
        }
        return command.run(rest);
    }
    PrintMessage("unknown subcommand: " + args[0]);
    PrintOverview(stderr);
    return kExitUsage;
}
