#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace obrin {

// InputResult codes the host makes itself, when no plug-in could be called.
inline constexpr int kInputExportMissing = 103;
inline constexpr int kInputLibraryNotLoaded = 104;

// The host's side of one progress report: (total, done) in the plug-in's
// unit; returns the abort flag (0 go on, 1 stop).
using InputProgress = std::function<std::int32_t(std::int32_t total, std::int32_t done)>;

// Runs one conversion through an input plug-in: loads `library` (a name or
// path as "filetype.ini" gives it; empty for an extension with no entry),
// looks up "Input", calls it with the two paths and a callback that forwards
// to `progress`, and releases the library after the call. Returns the
// plug-in's InputResult, kInputExportMissing or kInputLibraryNotLoaded. When
// `failure` is given it receives why no plug-in could be called.
//
// On the calling thread only, one conversion at a time (the callback has no
// context argument, so the current `progress` is held for the call).
[[nodiscard]] int CallInputPlugin(const std::string& library,
                                  const std::filesystem::path& programFolder,
                                  const std::string& sourcePath, const std::string& wavPath,
                                  const InputProgress& progress, std::string* failure = nullptr);

}  // namespace obrin
