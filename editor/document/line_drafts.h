#pragma once

#include <vector>

#include "document/document.h"

namespace obrin {

// Whether a line has a time of its own (after the song's start): such a line
// is an anchor that a draft never touches.
[[nodiscard]] bool HasRealTime(const LyricLine& line);
[[nodiscard]] bool HasDraft(const LyricList& lyrics);

// Gives every untimed line the proposal at its index (an empty one clears an
// earlier draft); lines with a real time and proposals past the last line are
// left. One step of the history, "タイミングの下書き"; returns how many lines
// hold a draft afterwards.
int SetDrafts(Document& document, const std::vector<LineDraft>& proposals);

// Turns the drafts of the given lines into their times, as a mark would, and
// spreads their units from the draft's start to its end as SpreadUnitTimes
// does (the end becomes the line's end). Lines without a draft are left. One
// step of the history, "下書きを確定"; returns how many lines were accepted.
int AcceptDrafts(Document& document, const std::vector<int>& lines);
// Every line's draft.
int AcceptAllDrafts(Document& document);

}  // namespace obrin
