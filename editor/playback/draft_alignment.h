#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "playback/timing_draft.h"

namespace obrin {

// A place where a sung phrase may start, found in the song's voice.
struct PhraseCandidate {
    int cs = 0;
    // How sure the audio is of a start here, 0..1: a start after a long
    // silence is sure, a rise inside a phrase is not.
    double strength = 1.0;
    // How long the voice sounded from the song's start up to here, in
    // centiseconds: the lines between two starts are sung in this time.
    int voicedCs = 0;
};

// The voice as the alignment sees it: its phrase starts, ascending, and how
// long it sounded over the whole song.
struct PhraseTrack {
    std::vector<PhraseCandidate> candidates{};
    int voicedTotalCs = 0;
};

// Gives each line a start among the candidates, in order, so that the voiced
// time between two lines' starts fits the morae of the first at one pace of
// singing (the pace the whole track suggests, or one near it that fits
// better), and that the sure starts are used. An anchored line keeps its
// anchor and the lines around it are placed on their own sides of it. A line
// that no candidate fits (fewer candidates than lines, say) stays unplaced.
// Returns the start of each line in centiseconds, or nothing where unplaced;
// nothing at all once `keepGoing`, asked now and then, returns false.
[[nodiscard]] std::optional<std::vector<std::optional<int>>> AlignLinesToPhrases(
    const PhraseTrack& track, const std::vector<DraftLine>& lines,
    const std::function<bool()>& keepGoing = {});

}  // namespace obrin
