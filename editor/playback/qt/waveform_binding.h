#pragma once

#include <QObject>

#include "base/signal.h"
#include "playback/waveform_analysis.h"

namespace obrin {

class Document;
class PlaybackControl;
class TimingCommands;
class WaveformStrip;

// Gives the waveform strip its song: each WAV the player loads is looked at
// on the analysis' worker thread and the strip shown what is known so far;
// the play head is the position any listener reads. A click on the strip
// seeks, and a marker dropped at a new place retimes its line through the
// timing commands, in one call; a unit's tick dropped retimes that unit (or
// the line's end) in the document, as one step.
class WaveformBinding final : public QObject {
    Q_OBJECT
  public:
    static constexpr const char* kAnalysingNote = "波形を読み込んでいます...";
    static constexpr const char* kFailedNote = "波形を表示できません: ";

    WaveformBinding(WaveformStrip& strip, PlaybackControl& playback, TimingCommands& timing,
                    Document& document);
    ~WaveformBinding() override;

    WaveformAnalysis& analysis() { return analysis_; }

  private:
    void songLoaded(const std::string& wav);
    void showAnalysis();

    WaveformStrip& strip_;
    PlaybackControl& playback_;
    WaveformAnalysis analysis_;
    Connection loaded_;
    Connection unloaded_;
    Connection analysed_;
};

}  // namespace obrin
