#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "temp_folder.h"

namespace obrin::test {

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string Quote(const std::string& arg) {
    std::string quoted = "'";
    for (const char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Runs obrin-cli in `folder` with `input` on standard input; `prefix` is shell
// text run first in the same shell (a ulimit, say).
inline CliRun RunCli(const TempFolder& folder, const std::vector<std::string>& args,
                     const std::string& input = "", const std::string& prefix = "") {
    folder.write("stdin", input);
    std::string command =
        "cd " + Quote(folder.path().string()) + " && " + prefix + Quote(OBRIN_CLI_PATH);
    for (const auto& arg : args) command += " " + Quote(arg);
    command += " <stdin >stdout 2>stderr";
    const int raw = std::system(command.c_str());
    CliRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = folder.read("stdout");
    run.err = folder.read("stderr");
    std::error_code ignored;
    for (const char* name : {"stdin", "stdout", "stderr"})
        std::filesystem::remove(folder / name, ignored);
    return run;
}

}  // namespace obrin::test
