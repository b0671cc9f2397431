#pragma once

#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace obrin::cli {

// Exit statuses shared by every subcommand (decode returns its conversion
// result instead).
inline constexpr int kExitOk = 0;
inline constexpr int kExitError = 1;  // an error whose message was printed
inline constexpr int kExitUsage = 2;  // bad arguments; the usage was printed

// One subcommand: its name on the command line, a one-line summary for the
// overview, its usage text, and the function that runs it with the arguments
// after its name.
struct Subcommand {
    std::string_view name;
    std::string_view summary;
    std::string_view usage;
    int (*run)(const std::vector<std::string>& args);
};

// Every subcommand, in the order the overview lists them. Each area adds its
// own in subcommands.cpp.
[[nodiscard]] std::span<const Subcommand> Subcommands();

// The text subcommands (text_commands.cpp).
int RunExpand(const std::vector<std::string>& args);
int RunLrc(const std::vector<std::string>& args);
int RunPaste(const std::vector<std::string>& args);
int RunObt(const std::vector<std::string>& args);

extern const std::string_view kExpandUsage;
extern const std::string_view kLrcUsage;
extern const std::string_view kPasteUsage;
extern const std::string_view kObtUsage;

// Standard LRC, lyrics in song tags and ASS karaoke (lrc_export_commands.cpp).
int RunStdLrc(const std::vector<std::string>& args);
int RunTag(const std::vector<std::string>& args);
int RunAss(const std::vector<std::string>& args);
extern const std::string_view kStdLrcUsage;
extern const std::string_view kTagUsage;
extern const std::string_view kAssUsage;

// Timing units and readings (karaoke_commands.cpp).
int RunKaraoke(const std::vector<std::string>& args);
int RunRuby(const std::vector<std::string>& args);
extern const std::string_view kKaraokeUsage;
extern const std::string_view kRubyUsage;

// Music files through the input plug-ins (decode_command.cpp).
int RunDecode(const std::vector<std::string>& args);
extern const std::string_view kDecodeUsage;

// The player exports and the batch conversion (export_commands.cpp).
int RunSnc(const std::vector<std::string>& args);
int RunMp3(const std::vector<std::string>& args);
int RunBatch(const std::vector<std::string>& args);
extern const std::string_view kSncUsage;
extern const std::string_view kMp3Usage;
extern const std::string_view kBatchUsage;

// Line starts proposed from the song's voice (draft_command.cpp).
int RunDraft(const std::vector<std::string>& args);
extern const std::string_view kDraftUsage;

// Messages go to standard error in UTF-8, output bytes to standard output.
void PrintMessage(std::string_view message);
void PrintUsage(std::string_view usage, std::FILE* stream);
[[nodiscard]] bool WriteStdout(std::string_view bytes);

}  // namespace obrin::cli
