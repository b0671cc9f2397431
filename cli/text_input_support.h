#pragma once

#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/conversion_error.h"
#include "cli_args.h"
#include "cli_command.h"
#include "document/document.h"
#include "shell/app_settings.h"
#include "text/text_encoding.h"
#include "text/text_messages.h"

namespace obrin::cli {

// Raised for an error whose message is printed; the command ends with 1.
struct CommandError {
    std::string message;
};

// The editor's settings for a user without "obrin.ini", or with --settings
// the current user's section of it.
[[nodiscard]] AppSettings StartingSettings(bool fromFile);

// --encoding and --replace, shared by every command that reads text.
struct InputFlags {
    std::optional<std::string> encodingName;
    bool replace = false;

    void addTo(ArgParser& parser);
    [[nodiscard]] TextEncoding encoding() const;  // throws UsageError for an unknown name
    // Without --replace a character without a Shift-JIS form is an error
    // naming it; with it each becomes "・".
    [[nodiscard]] ReplacementConsent consent() const;
};

// The text of IN (or standard input for none or "-"), decoded into Shift-JIS.
[[nodiscard]] std::string ReadInput(const std::vector<std::string>& positional,
                                    const InputFlags& input);

// What a command makes of the lyrics it reads.
enum class LyricsUse {
    EditorText,      // the editor's own text again: every header line is kept
    TimedLinesOnly,  // the timed lines and the "@" lines: blank and plain header lines are not
};

// Reads a lyrics file into the document as the editor's "通常歌詞ファイル" does,
// warning on standard error about tags that are no time.
void ReadLyricsFile(Document& document, const std::string& path, const AppSettings& settings,
                    const InputFlags& input, LyricsUse use = LyricsUse::EditorText);

// Refuses, before anything is read or written, an output that names the
// input under any of its names: the input would be replaced by what was made
// from it.
void RefuseOutputOverInput(const std::string& input, const std::string& output);

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
    } catch (const std::bad_alloc&) {
        // A runaway expansion or a huge input; nothing has been written.
        PrintMessage(kOutOfMemoryMessage);
        return kExitError;
    }
}

}  // namespace obrin::cli
