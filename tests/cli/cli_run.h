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

// Runs the built obrin-cli in `folder` with `input` on standard input.
inline CliRun RunCli(const TempFolder& folder, const std::vector<std::string>& args,
                     const std::string& input = "") {
    folder.write("stdin", input);
    std::string command = "cd " + Quote(folder.path().string()) + " && " + Quote(OBRIN_CLI_PATH);
    for (const auto& arg : args) command += " " + Quote(arg);
    command += " <stdin >stdout 2>stderr";
    const int raw = std::system(command.c_str());
    CliRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = folder.read("stdout");
    run.err = folder.read("stderr");
    return run;
}

}  // namespace obrin::test
