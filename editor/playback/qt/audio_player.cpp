#include "playback/qt/audio_player.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QMediaDevices>
#include <algorithm>
#include <cmath>

#include "playback/playback_stream.h"

namespace obrin {

namespace {

constexpr double kMinRate = 0.2;
constexpr double kMaxRate = 3.0;
constexpr int kSilence = -10000;
// The device holds about this much audio ahead of the speaker. It has to ride
// out the user-interface thread being busy for a moment, but it also sets the
// server's latency, and PulseAudio's played-audio clock errs by a fraction of
// that latency (it subtracts an average of past latencies from the current
// read index): on a null sink its reports stray 15-20 ms from their trend at
// 200 ms and 4-8 ms at 50 ms.
constexpr int kDeviceBufferMs = 50;
constexpr int kFeedIntervalMs = 10;
// When the device's clock stops short of the end of the file (a server that
// holds back a last fragment), the end is declared this long after it was due.
constexpr auto kEndGrace = std::chrono::milliseconds(1000);

double Now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

float GainOf(int hundredthsDb) {
    if (hundredthsDb <= kSilence) return 0.0f;
    return static_cast<float>(std::pow(10.0, hundredthsDb / 2000.0));
}

}  // namespace

AudioPlayer::AudioPlayer(QObject* parent) : QObject(parent) {
    feedTimer_.setTimerType(Qt::PreciseTimer);
    connect(&feedTimer_, &QTimer::timeout, this, &AudioPlayer::feed);
}

AudioPlayer::~AudioPlayer() {
    closeDevice();
}

void AudioPlayer::setFileName(const std::string& path) {
    const PlayState before = state_;
    closeDevice();
    // The sink is bound to the old file's format. Its destructor may run
    // pending events, so it goes once this call has returned.
    if (sink_) {
        sink_->disconnect(this);
        sink_.release()->deleteLater();
    }
    stream_.reset();
    fileName_.clear();
    state_ = PlayState::Stopped;
    heldFrame_ = 0;
    rate_ = 1.0;
    volume_ = 0;
    std::string error;
    if (!path.empty()) {
        try {
            stream_ = std::make_unique<PlaybackStream>(std::filesystem::path(path));
            const WavFormat& f = stream_->format();
            format_ = QAudioFormat();
            format_.setSampleRate(f.sampleRate);
            format_.setChannelCount(f.channels);
            format_.setSampleFormat(QAudioFormat::Float);
            clock_ = PlayClock(f.sampleRate);
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
    if (!stream_) return 0.0;
    return heardSourceFrame() / stream_->format().sampleRate;
}

void AudioPlayer::setCurrentPosition(double seconds) {
    if (!stream_) throw PlayerError("no music file is loaded");
    if (!std::isfinite(seconds)) throw PlayerError("the position is not a number");
    const double frames = seconds * stream_->format().sampleRate;
    heldFrame_ = std::clamp(frames, 0.0, static_cast<double>(stream_->frameCount()));
    if (state_ != PlayState::Playing) return;
    closeDevice();
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
    if (stream_) stream_->setRate(rate_);
}

void AudioPlayer::setVolume(int hundredthsDb) {
    volume_ = std::clamp(hundredthsDb, kSilence, 0);
    if (stream_) stream_->setGain(GainOf(volume_));
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
    heldFrame_ = heardSourceFrame();
    closeDevice();
    changeState(PlayState::Paused);
}

void AudioPlayer::stop() {
    if (!stream_) return;
    closeDevice();
    heldFrame_ = 0;
    if (state_ != PlayState::Stopped) changeState(PlayState::Stopped);
}

std::int64_t AudioPlayer::deviceMicroseconds() const {
    if (!device_) return 0;
    return sink_->processedUSecs();
}

void AudioPlayer::openDevice() {
    const QAudioDevice output = QMediaDevices::defaultAudioOutput();
    if (output.isNull()) throw PlayerError("no audio output device");
    if (!output.isFormatSupported(format_)) {
        throw PlayerError("the audio output cannot play " + std::to_string(format_.sampleRate()) +
                          " Hz with " + std::to_string(format_.channelCount()) + " channels");
    }
    if (!sink_) {
        sink_ = std::make_unique<QAudioSink>(output, format_);
        connect(sink_.get(), &QAudioSink::stateChanged, this, [this](QAudio::State s) {
            if (s == QAudio::StoppedState && device_ && sink_->error() != QAudio::NoError) {
                onDeviceFailed();
            }
        });
    }
    stream_->setRate(rate_);
    stream_->setGain(GainOf(volume_));
    stream_->restart(static_cast<std::uint64_t>(heldFrame_));
    handedFrames_ = 0;
    pending_.clear();
    pendingOffset_ = 0;
    streamEnded_ = false;
    lastReportedFrame_ = heldFrame_;
    clock_.reset();
    sink_->setBufferSize(format_.bytesForDuration(kDeviceBufferMs * 1000));
    device_ = sink_->start();
    if (!device_ || sink_->error() == QAudio::OpenError || sink_->error() == QAudio::FatalError) {
        device_ = nullptr;
        sink_->stop();
        throw PlayerError("the audio output cannot be opened");
    }
    feed();
    feedTimer_.start(kFeedIntervalMs);
}

void AudioPlayer::closeDevice() {
    feedTimer_.stop();
    if (!device_) return;
    device_ = nullptr;
    sink_->stop();
}

void AudioPlayer::feed() {
    if (!device_) return;
    const int channels = format_.channelCount();
    const auto bytesPerFrame = static_cast<qsizetype>(format_.bytesPerFrame());
    qsizetype room = sink_->bytesFree() / bytesPerFrame;
    while (room > 0) {
        if (pendingOffset_ == pending_.size()) {
            pending_.resize(static_cast<std::size_t>(room * channels));
            pendingOffset_ = 0;
            std::size_t made = 0;
            if (!streamEnded_) {
                made = stream_->render(pending_.data(), static_cast<std::size_t>(room));
                if (made == 0) {
                    streamEnded_ = true;
                    endDue_ = std::chrono::steady_clock::now() +
                              std::chrono::milliseconds(kDeviceBufferMs) + kEndGrace;
                }
            }
            // After the end the device is kept fed with silence, so it plays
            // the last real frames out instead of waiting for more.
            if (made == 0) {
                made = static_cast<std::size_t>(room);
                std::fill(pending_.begin(), pending_.end(), 0.0f);
            }
            pending_.resize(made * static_cast<std::size_t>(channels));
        }
        const auto bytes = static_cast<qint64>((pending_.size() - pendingOffset_) * sizeof(float));
        const qint64 written =
            device_->write(reinterpret_cast<const char*>(pending_.data() + pendingOffset_), bytes);
        const qint64 frames = std::max<qint64>(written, 0) / bytesPerFrame;
        if (frames == 0) break;
        pendingOffset_ += static_cast<std::size_t>(frames * channels);
        handedFrames_ += static_cast<std::uint64_t>(frames);
        room -= frames;
    }
    const double played = playedOutputFrames();
    clock_.sample(Now(), played);
    // play() opens the device before it reports playing; the end is
    // announced after that, so the events come in their order.
    if (!streamEnded_ || state_ != PlayState::Playing) return;
    if (played >= static_cast<double>(stream_->renderedFrames()) ||
        std::chrono::steady_clock::now() >= endDue_) {
        finishAtEnd();
    }
}

void AudioPlayer::finishAtEnd() {
    closeDevice();
    heldFrame_ = 0;
    changeState(PlayState::Stopped);
}

void AudioPlayer::onDeviceFailed() {
    heldFrame_ = heardSourceFrame();
    closeDevice();
    changeState(PlayState::Stopped);
}

double AudioPlayer::heardSourceFrame() const {
    if (!device_) return heldFrame_;
    const double heard =
        std::clamp(clock_.playedAt(Now()), 0.0, static_cast<double>(handedFrames_));
    lastReportedFrame_ = std::max(lastReportedFrame_, stream_->sourceFrameAt(heard));
    return lastReportedFrame_;
}

double AudioPlayer::playedOutputFrames() const {
    return static_cast<double>(sink_->processedUSecs()) * format_.sampleRate() / 1e6;
}

void AudioPlayer::changeState(PlayState state) {
    state_ = state;
    if (onPlayStateChange) onPlayStateChange(state);
}

}  // namespace obrin
