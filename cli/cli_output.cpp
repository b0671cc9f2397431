#include "cli_command.h"

namespace obrin::cli {

void PrintMessage(std::string_view message) {
    std::fwrite(message.data(), 1, message.size(), stderr);
    std::fputc('\n', stderr);
}

void PrintUsage(std::string_view usage, std::FILE* stream) {
    std::fwrite(usage.data(), 1, usage.size(), stream);
}

bool WriteStdout(std::string_view bytes) {
    return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() &&
           std::fflush(stdout) == 0;
}

}  // namespace obrin::cli
