#include "playback/waveform_analysis.h"

#include <exception>
#include <utility>

#include "playback/vocal_onsets.h"
#include "playback/wav_reader.h"

namespace obrin {

WaveformAnalysis::WaveformAnalysis(Post post)
    : post_(std::move(post)), self_(std::make_shared<WaveformAnalysis*>(this)) {}

WaveformAnalysis::~WaveformAnalysis() {
    // Before any member goes: the worker reads them until it has stopped.
    worker_ = {};
}

void WaveformAnalysis::start(const std::filesystem::path& wav) {
    clear();
    worker_ = std::jthread([this, wav, run = run_](std::stop_token stop) { work(stop, wav, run); });
}

void WaveformAnalysis::clear() {
    // Assigning an empty thread asks the old one to stop and joins it.
    worker_ = {};
    ++run_;
    const bool hadSomething = peaks_ || onsetsReady_ || !failure_.empty();
    peaks_.reset();
    onsets_.clear();
    onsetsReady_ = false;
    failure_.clear();
    if (hadSomething) changed();
}

void WaveformAnalysis::deliver(unsigned run, std::function<void(WaveformAnalysis&)> apply) {
    post_([weak = std::weak_ptr(self_), run, apply = std::move(apply)] {
        const auto self = weak.lock();
        if (!self || (*self)->run_ != run) return;
        apply(**self);
        (*self)->changed();
    });
}

void WaveformAnalysis::work(std::stop_token stop, std::filesystem::path wav, unsigned run) {
    try {
        WavReader reader(wav);
        auto peaks = PeakPyramid::Build(reader, stop);
        if (!peaks) return;
        deliver(run, [p = std::make_shared<const PeakPyramid>(std::move(*peaks))](
                         WaveformAnalysis& self) { self.peaks_ = p; });
        auto onsets = DetectVocalOnsets(reader, stop);
        if (!onsets) return;
        deliver(run, [o = std::make_shared<std::vector<std::int32_t>>(std::move(*onsets))](
                         WaveformAnalysis& self) {
            self.onsets_ = std::move(*o);
            self.onsetsReady_ = true;
        });
    } catch (const std::exception& error) {
        deliver(run,
                [why = std::string(error.what())](WaveformAnalysis& self) { self.failure_ = why; });
    }
}

}  // namespace obrin
