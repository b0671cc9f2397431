#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/document.h"
#include "text/completed_text.h"

namespace obrin {

// The work of a session as the recovery file keeps it: the whole document,
// the song it belongs to, and the selection (whose first line is the
// CurrentLine).
struct RecoveredWork {
    std::string songPath;  // as the user opened it; empty when no song was open
    std::string title;     // Shift-JIS, like everything of the document
    std::string artist;
    std::vector<std::string> headerLines;
    std::vector<LyricLine> lines;  // text, time, units, check mark and selection
    std::vector<std::string> infoLines;
    RubyTable ruby;
    bool loadedFromFile = false;
    std::string markOffset;
    bool listEditMode = false;
    // What the user had typed into the tab "完成型" (UTF-8, exactly as the
    // view held it), when the tab held edits.
    std::optional<std::string> typedText;
};

// The file form: a head of "key=value" lines (values with "%", CR and LF
// written as %25, %0D, %0A), an empty line, then the completed text as a save
// would write it, so that a user can also take the lyrics from the file by
// hand. The head says where each part of the text begins and holds what the
// text does not: the song, the check marks, the selection and the two
// document settings. Lines end with CR LF. The ruby lines stand between the
// lyrics' empty line and the information lines ("rubyLines=<n>"), and
// "unitLines=" lists the lines written with a tag per unit, the only ones
// whose inline tags are read back as units (any other line's text is taken
// verbatim, brackets and all).
//
// Text typed into the tab "完成型" may hold characters Shift-JIS lacks, so
// it is kept apart, in UTF-8: when there is some, the head says
// "typedTextEncoding=UTF-8" and "typedTextBytes=<n>", and the file ends with
// an empty line after the completed text and then those n bytes as the view
// held them (its own line breaks, no CR LF added). A file without the two
// keys has no typed text; an editor that does not know them still finds the
// document where it always was.
[[nodiscard]] std::string FormatRecoveryFile(const Document& document, const std::string& songPath,
                                             const CompletedTextOptions& options,
                                             const std::optional<std::string>& typedText);

// std::nullopt when the bytes are not a recovery file this editor wrote.
[[nodiscard]] std::optional<RecoveredWork> ParseRecoveryFile(std::string_view bytes);

// Puts the work back into the document; its listeners hear every change.
void RestoreDocument(Document& document, const RecoveredWork& work);

}  // namespace obrin
