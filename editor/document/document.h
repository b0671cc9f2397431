#pragma once

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
};

}  // namespace obrin
