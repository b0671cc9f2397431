#pragma once

#include <filesystem>
#include <string>

#include "playback/input_plugin_call.h"

namespace obrin {

// Converts a music file to a PCM WAV file outside the editor (obrin-cli
// decode): the plug-in that "filetype.ini" in the program's folder names for
// the file's extension, called through the same host code as the editor's
// open. The WAV is written beside `wavPath` into a file created new for it
// (a FileReplacement) and renamed over `wavPath` only when the conversion
// succeeded, so a failed or stopped run leaves an existing file as it was and
// no partial file behind. A `wavPath` that is the source file itself is
// refused before anything is written.
//
// Returns the InputResult: 0, the plug-in's own code, kInputExportMissing or
// kInputLibraryNotLoaded; 1 also when the source is the target, or the
// partial file cannot be made or put in place. `failure` receives the reason
// when no plug-in could be called or one of those 1s.
[[nodiscard]] int DecodeMusicFile(const std::filesystem::path& programFolder,
                                  const std::string& sourcePath, const std::string& wavPath,
                                  const InputProgress& progress, std::string* failure = nullptr);

}  // namespace obrin
