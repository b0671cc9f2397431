#pragma once

#include <filesystem>
#include <string>

#include "document/lyric_list.h"

namespace obrin {

// Which display warnings stop the SP250 export (the two options of the
// options menu; by default only the remote control's).
struct Sp250Warnings {
    bool remoteDisplay = true;
    bool bodyDisplay = false;
};

// Writes `lyrics` as an SP250 lyrics file through "marlet.dll" (beside the
// program first), loaded for this export and released before it returns.
//
// Every line is checked first, empty ones included: a line too long for a
// display whose warning is on stops the export there, and nothing is
// written. A line too long for the body does not fit the remote control
// either: with only the remote control's warning on, it gets that one. Then
// every non-empty line is added with its TimeText read as a time tag (an
// unreadable one counts as -1, which the file shows as 0). The file appears
// only complete; a failed export leaves an earlier file of that name as it
// was. Returns the message for the error box, empty on success.
[[nodiscard]] std::string Sp250Export(const LyricList& lyrics,
                                      const std::filesystem::path& programFolder,
                                      const std::string& sncPath, Sp250Warnings warnings);

inline constexpr const char* kMarletLibraryName = "marlet.dll";

}  // namespace obrin
