#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/signal.h"
#include "playback/peak_pyramid.h"

namespace obrin {

// Looks at a song once it is loaded, on a worker thread of its own: first the
// peaks of every zoom level (PeakPyramid), then the onsets in the voice's band
// (DetectVocalOnsets). It reads the WAV through a reader of its own, never the
// player's, so the thread that feeds the sound is never held up.
//
// Everything but the worker runs on the user-interface thread: the results
// are handed back through `post`, which the GUI makes run a function later in
// its event loop, and are read there. A result of a song that has since been
// cleared or replaced is dropped.
class WaveformAnalysis {
  public:
    // Runs the function on the user-interface thread later.
    using Post = std::function<void(std::function<void()>)>;

    explicit WaveformAnalysis(Post post);
    // Stops the worker and waits for it.
    ~WaveformAnalysis();
    WaveformAnalysis(const WaveformAnalysis&) = delete;
    WaveformAnalysis& operator=(const WaveformAnalysis&) = delete;

    // Forgets the last song and starts on `wav`.
    void start(const std::filesystem::path& wav);
    // Stops the worker, waits for it (at most one read of about 1.5 s of
    // sound), and forgets the results: the WAV may be replaced afterwards.
    void clear();

    // Null until the peaks are ready.
    const PeakPyramid* peaks() const { return peaks_.get(); }
    // Ascending milliseconds; empty until the onsets are ready.
    const std::vector<std::int32_t>& onsetsMs() const { return onsets_; }
    bool onsetsReady() const { return onsetsReady_; }
    // Why the song could not be looked at; empty when nothing failed.
    const std::string& failure() const { return failure_; }

    // The peaks or the onsets arrived, the analysis failed, or the results
    // were cleared.
    Signal<> changed;

  private:
    // Hands a worker's result to the user-interface thread, unless the run
    // has been stopped by then.
    void deliver(unsigned run, std::function<void(WaveformAnalysis&)> apply);
    void work(std::stop_token stop, std::filesystem::path wav, unsigned run);

    Post post_;
    std::jthread worker_;
    unsigned run_ = 0;
    // Tells posted results whether this object still exists. Made and dropped
    // with the object; the worker only copies it into what it posts.
    std::shared_ptr<WaveformAnalysis*> self_;
    std::shared_ptr<const PeakPyramid> peaks_;
    std::vector<std::int32_t> onsets_;
    bool onsetsReady_ = false;
    std::string failure_;
};

}  // namespace obrin
