#include "playback/qt/audio_player.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

#include "playback/output_format.h"
#include "playback/playback_stream.h"
#include "playback/qt/audio_feed.h"

namespace obrin {

namespace {

constexpr double kMinRate = 0.2;
constexpr double kMaxRate = 3.0;
constexpr int kSilence = -10000;

float GainOf(int hundredthsDb) {
    if (hundredthsDb <= kSilence) return 0.0f;
    return static_cast<float>(std::pow(10.0, hundredthsDb / 2000.0));
}

// Float where the output takes it, else the widest integer it takes.
std::optional<SampleType> SampleTypeFor(const QAudioDevice& output) {
    const auto formats = output.supportedSampleFormats();
    for (const auto& [qt, ours] : {std::pair{QAudioFormat::Float, SampleType::Float},
                                   std::pair{QAudioFormat::Int32, SampleType::Int32},
                                   std::pair{QAudioFormat::Int16, SampleType::Int16},
                                   std::pair{QAudioFormat::UInt8, SampleType::UInt8}}) {
        if (formats.contains(qt)) return ours;
    }
    return std::nullopt;
}

struct DeviceFormat {
    QAudioFormat format;
    SampleType sampleType;
};

// What to open `output` with for a file of `source`: the file's own rate and
// channels where the output takes them, otherwise what it prefers; the stream
// converts.
std::optional<DeviceFormat> DeviceFormatFor(const QAudioDevice& output, OutputFormat source) {
    const QAudioFormat preferred = output.preferredFormat();
    const OutputFormat chosen =
        ChooseOutputFormat(source, {output.minimumSampleRate(),
                                    output.maximumSampleRate(),
                                    output.minimumChannelCount(),
                                    output.maximumChannelCount(),
                                    {preferred.sampleRate(), preferred.channelCount()}});
    if (const auto type = SampleTypeFor(output)) {
        QAudioFormat format;
        format.setSampleRate(chosen.sampleRate);
        format.setChannelCount(chosen.channels);
        const QAudioFormat::SampleFormat qt[] = {QAudioFormat::Float, QAudioFormat::Int16,
                                                 QAudioFormat::Int32, QAudioFormat::UInt8};
        format.setSampleFormat(qt[static_cast<int>(*type)]);
        if (output.isFormatSupported(format)) return DeviceFormat{format, *type};
    }
    // An output that describes itself wrongly still plays what it prefers.
    switch (preferred.sampleFormat()) {
        case QAudioFormat::Float:
            return DeviceFormat{preferred, SampleType::Float};
        case QAudioFormat::Int32:
            return DeviceFormat{preferred, SampleType::Int32};
        case QAudioFormat::Int16:
            return DeviceFormat{preferred, SampleType::Int16};
        case QAudioFormat::UInt8:
            return DeviceFormat{preferred, SampleType::UInt8};
        default:
            return std::nullopt;
    }
}

}  // namespace

AudioPlayer::AudioPlayer(QObject* parent) : QObject(parent) {
    feed_ = new AudioFeed(position_, heard_, deviceClock_);
    feed_->moveToThread(&thread_);
    // The feed and its sink are deleted on their own thread as it ends.
    connect(&thread_, &QThread::finished, feed_, &QObject::deleteLater);
    connect(feed_, &AudioFeed::endReached, this, &AudioPlayer::onEndReached, Qt::QueuedConnection);
    connect(feed_, &AudioFeed::failed, this, &AudioPlayer::onFeedFailed, Qt::QueuedConnection);
    thread_.setObjectName(QStringLiteral("audio feed"));
    thread_.start(QThread::TimeCriticalPriority);
}

AudioPlayer::~AudioPlayer() {
    closeDevice();
    thread_.quit();
    thread_.wait();
}

void AudioPlayer::setFileName(const std::string& path) {
    const PlayState before = state_;
    closeDevice();
    stream_.reset();
    fileName_.clear();
    state_ = PlayState::Stopped;
    holdPosition(0);
    rate_ = 1.0;
    volume_ = 0;
    std::string error;
    if (!path.empty()) {
        try {
            stream_ = std::make_unique<PlaybackStream>(std::filesystem::path(path));
            sourceRate_ = stream_->format().sampleRate;
            fileName_ = path;
        } catch (const WavError& e) {
            error = e.what();
        }
    }
    if (before != PlayState::Stopped) changeState(PlayState::Stopped);
    if (!error.empty()) throw PlayerError(error);
}

double AudioPlayer::duration() const {
    if (!stream_) return 0.0;
    return static_cast<double>(stream_->frameCount()) / stream_->format().sampleRate;
}

double AudioPlayer::currentPosition() const {
    return position_.read() / sourceRate_.load(std::memory_order_relaxed);
}

double AudioPlayer::heardPosition() const {
    return heard_.read() / sourceRate_.load(std::memory_order_relaxed);
}

void AudioPlayer::holdPosition(double frame) {
    position_.hold(frame);
    heard_.hold(frame);
}

void AudioPlayer::setCurrentPosition(double seconds) {
    if (!stream_) throw PlayerError("no music file is loaded");
    if (!std::isfinite(seconds)) throw PlayerError("the position is not a number");
    const double frames = seconds * stream_->format().sampleRate;
    closeDevice();
    holdPosition(std::clamp(frames, 0.0, static_cast<double>(stream_->frameCount())));
    if (state_ != PlayState::Playing) return;
    try {
        openDevice();
    } catch (const PlayerError&) {
        changeState(PlayState::Stopped);
        throw;
    }
}

void AudioPlayer::setRate(double rate) {
    if (!std::isfinite(rate)) return;
    rate_ = std::clamp(rate, kMinRate, kMaxRate);
    if (open_) QMetaObject::invokeMethod(feed_, [feed = feed_, r = rate_] { feed->setRate(r); });
}

void AudioPlayer::setVolume(int hundredthsDb) {
    volume_ = std::clamp(hundredthsDb, kSilence, 0);
    if (open_) {
        QMetaObject::invokeMethod(feed_, [feed = feed_, g = GainOf(volume_)] { feed->setGain(g); });
    }
}

void AudioPlayer::play() {
    if (!stream_) throw PlayerError("no music file is loaded");
    if (state_ == PlayState::Playing) return;
    openDevice();
    changeState(PlayState::Playing);
}

void AudioPlayer::pause() {
    if (!stream_) throw PlayerError("no music file is loaded");
    if (state_ != PlayState::Playing) return;
    closeDevice();
    changeState(PlayState::Paused);
}

void AudioPlayer::stop() {
    if (!stream_) return;
    closeDevice();
    holdPosition(0);
    if (state_ != PlayState::Stopped) changeState(PlayState::Stopped);
}

std::int64_t AudioPlayer::deviceMicroseconds() const {
    return static_cast<std::int64_t>(deviceClock_.read());
}

void AudioPlayer::openDevice() {
    const QAudioDevice output = QMediaDevices::defaultAudioOutput();
    if (output.isNull()) throw PlayerError("no audio output device");
    const WavFormat& source = stream_->format();
    const auto device = DeviceFormatFor(output, {source.sampleRate, source.channels});
    if (!device) {
        throw PlayerError("the audio output cannot play " + std::to_string(source.sampleRate) +
                          " Hz with " + std::to_string(source.channels) + " channels");
    }
    const OutputFormat outputFormat{device->format.sampleRate(), device->format.channelCount()};
    if (stream_->output() != outputFormat) stream_->setOutput(outputFormat);
    const AudioFeed::Opening opening{
        output,           device->format, device->sampleType, stream_.get(),
        heard_.read(),    rate_,          GainOf(volume_),    ++run_};
    QString error;
    QMetaObject::invokeMethod(
        feed_, [&] { error = feed_->open(opening); }, Qt::BlockingQueuedConnection);
    if (!error.isEmpty()) throw PlayerError(error.toStdString());
    open_ = true;
}

double AudioPlayer::closeDevice() {
    if (!open_) return heard_.read();
    open_ = false;
    double heard = 0;
    QMetaObject::invokeMethod(
        feed_, [&] { heard = feed_->close(); }, Qt::BlockingQueuedConnection);
    return heard;
}

void AudioPlayer::onEndReached(int run) {
    if (run != run_ || !open_) return;
    closeDevice();
    holdPosition(0);
    changeState(PlayState::Stopped);
}

void AudioPlayer::onFeedFailed(int run, const QString& why) {
    if (run != run_ || !open_) return;
    closeDevice();
    changeState(PlayState::Stopped);
    playbackFailed(why.toStdString());
}

void AudioPlayer::changeState(PlayState state) {
    state_ = state;
    playStateChanged(state);
}

}  // namespace obrin
