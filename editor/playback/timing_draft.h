#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "document/document.h"

namespace obrin {

class RubySuggester;
class WavReader;

// One lyric line as the draft sees it: how long it is sung (its morae) and,
// when the user already timed it, its start, which the draft keeps and fits
// the other lines around.
struct DraftLine {
    int morae = 1;
    std::optional<int> anchorCs{};
};

// A proposed start and end per line, in centiseconds from the song's start;
// nothing where the draft could not place the line. An anchor's start is its
// own. `problems` are UTF-8 sentences for the user, one per thing the draft
// could not do ("歌声が見つかりません", the lines it left untimed).
struct DraftResult {
    std::vector<std::optional<int>> startCs{};
    std::vector<std::optional<int>> endCs{};
    std::vector<std::string> problems{};
    // The progress function asked to stop; nothing is placed then.
    bool stopped = false;
};

// How the lines are placed: `Aligned` is the draft itself; `Even` spreads the
// lines evenly between the first and the last onset heard, the baseline the
// draft is measured against.
enum class DraftMethod { Aligned, Even };

// Told the share done (0..100) now and then; returning false stops the draft.
using DraftProgress = std::function<bool(int percent)>;

// The message when the song holds nothing like a voice.
inline constexpr const char* kNoVoiceMessage = "歌声が見つかりません";
// A song longer than this is no song but a recording of many: its draft
// would take minutes and fit nothing, so it is refused at once.
inline constexpr int kLongestDraftSeconds = 20 * 60;
inline constexpr const char* kTooLongMessage = "曲が長すぎます(下書きは20分までの曲に限ります)";

// Proposes a start and an end for every line that is not an anchor, from
// `frames` samples of the song mixed to one channel at `rate` Hz. Never
// throws for what the audio holds: silence, noise or too few phrases come
// back as problems and untimed lines.
[[nodiscard]] DraftResult DraftTiming(const float* mono, std::size_t frames, int rate,
                                      const std::vector<DraftLine>& lines,
                                      const DraftProgress& progress,
                                      DraftMethod method = DraftMethod::Aligned);

// The same over a WAV file, read from its start block by block and mixed to
// one channel, so the memory does not grow with the channels or the rate.
// Throws WavError when the file cannot be read.
[[nodiscard]] DraftResult DraftTimingOfWav(WavReader& reader, const std::vector<DraftLine>& lines,
                                           const DraftProgress& progress,
                                           DraftMethod method = DraftMethod::Aligned);

// The draft's view of a document's lines: the morae of each line's units (its
// own, or the default split with the document's readings, and for kanji
// without one the readings `readings` suggests, when given), and the start of
// every timed line as an anchor.
[[nodiscard]] std::vector<DraftLine> DraftLinesOf(const Document& document,
                                                  const RubySuggester* readings);

// Gives each line of `indices` that the draft placed and that is not timed
// yet its proposed start, with its units spread over start..end by their
// morae as the karaoke spread does. One step of the history ("タイミングの
// 下書き"); returns how many lines it timed.
int ApplyDraft(Document& document, const DraftResult& result, const std::vector<int>& indices);
// The same for every line.
int ApplyDraft(Document& document, const DraftResult& result);

}  // namespace obrin
