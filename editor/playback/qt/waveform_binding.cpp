#include "playback/qt/waveform_binding.h"

#include <QMetaObject>
#include <cmath>

#include "base/playback_control.h"
#include "document/timing_commands.h"
#include "document/unit_retime.h"
#include "playback/qt/waveform_strip.h"

namespace obrin {

WaveformBinding::WaveformBinding(WaveformStrip& strip, PlaybackControl& playback,
                                 TimingCommands& timing, Document& document)
    : strip_(strip), playback_(playback), analysis_([this](std::function<void()> task) {
          QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
      }) {
    loaded_ = playback_.songLoaded.connect([this](const std::string& wav) { songLoaded(wav); });
    unloaded_ = playback_.songUnloaded.connect([this] {
        // Before the next song is converted over the same WAV.
        analysis_.clear();
        strip_.setSong(0, 0);
    });
    analysed_ = analysis_.changed.connect([this] { showAnalysis(); });
    strip_.setHeadSource([this, last = 0.0]() mutable {
        try {
            last = playback_.positionSeconds();
        } catch (const PlayerError&) {
            // The head stays where it was last seen.
        }
        return last;
    });
    connect(&strip_, &WaveformStrip::seekRequested, this, [this](double seconds) {
        try {
            playback_.seekMs(std::round(seconds * 1000.0));
            playback_.refreshPositionDisplay();
        } catch (const PlayerError&) {
            // The song went while the click was on its way, as with the
            // position bar.
        }
    });
    connect(&strip_, &WaveformStrip::lineRetimed, this,
            [&timing](int line, std::int32_t ms) { timing.retimeLine(line, ms); });
    connect(&strip_, &WaveformStrip::unitRetimed, this,
            [&document](int line, int unit, int centis) {
                if (unit == kLineEndUnit) {
                    RetimeLineEnd(document, line, centis);
                } else {
                    RetimeUnit(document, line, unit, centis);
                }
            });
}

WaveformBinding::~WaveformBinding() {
    strip_.setHeadSource({});
}

void WaveformBinding::songLoaded(const std::string& wav) {
    // The closest zoom is one peak block: the rate / 200, about 5 ms.
    strip_.setSong(playback_.durationSeconds(), 0.005);
    strip_.setNote(QString::fromUtf8(kAnalysingNote));
    analysis_.start(wav);
}

void WaveformBinding::showAnalysis() {
    const PeakPyramid* peaks = analysis_.peaks();
    strip_.setAnalysis(peaks, &analysis_.onsetsMs());
    if (!analysis_.failure().empty()) {
        strip_.setNote(QString::fromUtf8(kFailedNote) +
                       QString::fromStdString(analysis_.failure()));
    } else if (peaks == nullptr) {
        strip_.setNote(QString::fromUtf8(kAnalysingNote));
    }
}

}  // namespace obrin
