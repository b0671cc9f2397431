#pragma once

#include <string>
#include <string_view>

#include "base/conversion_error.h"
#include "cli_args.h"
#include "cli_command.h"
#include "document/document.h"
#include "shell/app_settings.h"

namespace obrin::cli {

// Raised for an error whose message is printed; the command ends with 1.
struct CommandError {
    std::string message;
};

// The editor's defaults, or with `fromFile` the current user's section of
// "obrin.ini" beside the program.
[[nodiscard]] AppSettings StartingSettings(bool fromFile);

// Reads a time-tagged lyrics file into the document as the editor's open
// does; throws CommandError when it cannot be read.
void ReadLyricsFile(Document& document, const std::string& path, const AppSettings& settings);

// Runs a command body with the shared handling of usage and command errors.
template <typename Body>
int Guarded(std::string_view usage, Body body) {
    try {
        body();
        return kExitOk;
    } catch (const UsageError& e) {
        PrintMessage(e.what());
        PrintUsage(usage, stderr);
        return kExitUsage;
    } catch (const CommandError& e) {
        PrintMessage(e.message);
        return kExitError;
    } catch (const ConversionError& e) {
        PrintMessage(e.what());
        return kExitError;
    }
}

}  // namespace obrin::cli
