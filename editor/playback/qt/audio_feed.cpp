#include "playback/qt/audio_feed.h"

#include <pthread.h>
#include <sched.h>

#include <QAudioSink>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "playback/playback_stream.h"

namespace obrin {

namespace {
// Asks the scheduler to run the calling thread, and the sound server's client
// threads of this process, ahead of ordinary work, at the lowest real-time
// priority (below the sound server's own threads). On a busy machine they
// otherwise wait 40-70 ms for a core at times, longer than the device buffer
// lasts. Where the system does not allow it (a user without a real-time
// limit), they stay as they are.
void RunAheadOfOrdinaryWork() {
    sched_param lowest{};
    lowest.sched_priority = sched_get_priority_min(SCHED_RR);
    if (pthread_setschedparam(pthread_self(), SCHED_RR, &lowest) != 0) return;
    // libpulse's mainloop thread carries what the feed writes to the server.
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task", error)) {
        std::ifstream comm(task.path() / "comm");
        std::string name;
        if (std::getline(comm, name) && name == "threaded-ml") {
            (void)sched_setscheduler(std::stoi(task.path().filename().string()), SCHED_RR, &lowest);
        }
    }
}
}  // namespace

class AudioFeed::SinkOutput final : public AudioOutput {
  public:
    SinkOutput(QAudioSink& sink, QIODevice& device) : sink_(sink), device_(device) {}
    std::size_t bytesFree() const override {
        return static_cast<std::size_t>(std::max<qsizetype>(sink_.bytesFree(), 0));
    }
    std::size_t write(const unsigned char* data, std::size_t size) override {
        const qint64 written =
            device_.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
        return static_cast<std::size_t>(std::max<qint64>(written, 0));
    }
    std::int64_t processedMicroseconds() const override { return sink_.processedUSecs(); }
    bool broken() const override {
        return sink_.state() == QAudio::StoppedState && sink_.error() != QAudio::NoError;
    }

  private:
    QAudioSink& sink_;
    QIODevice& device_;
};

AudioFeed::AudioFeed(PositionLine& position, PositionLine& heard, PositionLine& deviceClock)
    : feed_(position, heard, deviceClock, SteadySeconds), timer_(this) {
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &AudioFeed::tick);
}

AudioFeed::~AudioFeed() {
    close();
}

QString AudioFeed::open(const Opening& o) {
    if (!sink_ || sinkDevice_ != o.device || sink_->format() != o.format) {
        sink_ = std::make_unique<QAudioSink>(o.device, o.format);
        sinkDevice_ = o.device;
    }
    run_ = o.run;
    sink_->setBufferSize(o.format.bytesForDuration(PlaybackFeed::kBufferMs * 1000));
    QIODevice* device = sink_->start();
    if (!device || sink_->error() == QAudio::OpenError || sink_->error() == QAudio::FatalError) {
        sink_->stop();
        feed_.holdAt(o.startFrame);
        return QStringLiteral("the audio output cannot be opened");
    }
    if (!runsAhead_) {
        runsAhead_ = true;
        RunAheadOfOrdinaryWork();
    }
    output_ = std::make_unique<SinkOutput>(*sink_, *device);
    // open() reports playing before an end or a failure found here is
    // announced, as the queued signal reaches the player after open() has
    // returned.
    tell(feed_.start(*output_, {o.stream, o.sampleType, o.startFrame, o.rate, o.gain}));
    timer_.start(PlaybackFeed::kTickMs);
    return {};
}

double AudioFeed::close() {
    timer_.stop();
    if (!output_) return feed_.close();
    const double heard = feed_.close();
    output_.reset();
    sink_->stop();
    return heard;
}

void AudioFeed::setRate(double rate) {
    feed_.setRate(rate);
}

void AudioFeed::setGain(float gain) {
    feed_.setGain(gain);
}

void AudioFeed::tick() {
    tell(feed_.tick());
}

void AudioFeed::tell(PlaybackFeed::Event event) {
    switch (event) {
        case PlaybackFeed::Event::EndReached:
            emit endReached(run_);
            break;
        case PlaybackFeed::Event::Failed:
            emit failed(run_, QString::fromStdString(feed_.failure()));
            break;
        case PlaybackFeed::Event::None:
            break;
    }
}

}  // namespace obrin
