#pragma once

#include <string>
#include <vector>

#include "document/lyric_list.h"
#include "document/mark_offset.h"

namespace obrin {

// The lyrics document the editor works on, with the two settings that decide
// how marks and nudges act on it.
struct Document {
    LyricList lyrics;
    MarkOffset markOffset;
    // On: the nudge buttons move the times of the selected lines.
    // Off: they move the play position.
    bool listEditMode = false;

    // The song title and artist as typed into the two fields above the list,
    // untrimmed. Shift-JIS bytes, like the lyrics.
    std::string title;
    std::string artist;
    // The untagged lines that stood before the first tagged line of the last
    // lyrics file read; they go back out verbatim at the head of the text.
    std::vector<std::string> headerLines;
    // The free lines of the information pane below the list; they follow the
    // lyrics in the completed text.
    std::vector<std::string> infoLines;
    // True while the lyrics are the ones read from a file; such lyrics keep
    // their own author information.
    bool loadedFromFile = false;
};

}  // namespace obrin
