#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "playback/draft_alignment.h"

namespace obrin {

// The loudness of the voice, every centisecond of a song, with the
// accompaniment held down: of the spectrum in the voice's band (250 Hz to
// 3.5 kHz) it keeps what neither lasts (a chord or a bass note holds its
// partials for a beat or more, so the median of each frequency over half a
// second explains them) nor spreads over the whole band (a drum, which the
// median over neighbouring frequencies explains), as a voice's moving
// harmonics do neither.
//
// Takes the song in pieces, so only half a second of spectra is kept; the
// levels are in dB.
class VoiceLevels {
  public:
    explicit VoiceLevels(int rate);
    ~VoiceLevels();
    VoiceLevels(const VoiceLevels&) = delete;
    VoiceLevels& operator=(const VoiceLevels&) = delete;

    void add(const float* mono, std::size_t frames);
    // The level of every centisecond from the song's start; add nothing after.
    [[nodiscard]] std::vector<float> finish();

  private:
    struct State;
    std::unique_ptr<State> state_;
};

// The voice of a song as phrases: which centiseconds it sounds in, and the
// starts of its phrases.
struct VoicePhrases {
    std::vector<bool> voiced{};
    PhraseTrack track{};
};

// The phrases of a voice from its levels (one per centisecond, in dB): where
// it sounds clearly above its own quiet, with breaths shorter than a tenth of
// a second bridged. Each phrase's start is a candidate, the surer the longer
// the silence before it. Nothing voiced at all when nothing stands out as a
// voice.
[[nodiscard]] VoicePhrases FindPhrases(const std::vector<float>& levels);

// Where the voice that sounds after `startCs` falls silent for the last time
// before `limitCs` (the next line's start, or the song's end); `limitCs` when
// it sounds up to there, and `startCs` when it never sounds.
[[nodiscard]] int PhraseEnd(const std::vector<bool>& voiced, int startCs, int limitCs);

}  // namespace obrin
