#include "media_reader.h"

#include <sys/stat.h>

#include <algorithm>
#include <new>
#include <system_error>
#include <utility>

#include "lingering_threads.h"
#include "obrin_avlog/av_owners.h"
#include "obrin_riff/wave_format.h"
#include "utf16_text.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

namespace obrin::wendax {

namespace {

constexpr std::uint64_t kUnitsPerSecond = 10'000'000;
// The most of the file read while waiting for one packet. A packet of audio
// is a few kilobytes, and a container interleaves its streams far more
// tightly than this; what runs longer holds no more audio (zero padding,
// junk) and is treated as the end of the stream.
constexpr std::int64_t kLongestReadForPacket = 16 << 20;

struct FormatClose {
    void operator()(AVFormatContext* format) const { avformat_close_input(&format); }
};

// Mono stays mono and stereo stays stereo; the player takes no more than two
// channels, so anything more is mixed down to stereo.
std::uint16_t OutputChannels(int sourceChannels) {
    return static_cast<std::uint16_t>(std::min(sourceChannels, 2));
}

MediaType TypeOf(const AVStream& stream) {
    const AVCodecParameters& parameters = *stream.codecpar;
    if (parameters.codec_type == AVMEDIA_TYPE_VIDEO) return {MajorType::kVideo, {}};
    // An audio stream that does not say its rate or channels cannot be given
    // a PCM format, so it is no audio output.
    if (parameters.codec_type != AVMEDIA_TYPE_AUDIO || parameters.sample_rate <= 0 ||
        parameters.ch_layout.nb_channels <= 0) {
        return {MajorType::kOther, {}};
    }
    const auto format =
        riff::WaveFormat::Pcm(OutputChannels(parameters.ch_layout.nb_channels),
                              static_cast<std::uint32_t>(parameters.sample_rate), 16);
    return {MajorType::kAudio, format.serialize()};
}

// One audio stream's decoder with its conversion to interleaved 16-bit PCM
// of a fixed channel count and rate.
class AudioDecoder {
  public:
    enum class Opened { kYes, kMissingCodec, kFailed };

    AudioDecoder(std::uint16_t channels, std::uint32_t rate)
        : packet_(av_packet_alloc()), frame_(av_frame_alloc()), rate_(static_cast<int>(rate)) {
        av_channel_layout_default(&outputLayout_, channels);
        if (!packet_ || !frame_) throw std::bad_alloc();
    }
    ~AudioDecoder() {
        av_channel_layout_uninit(&outputLayout_);
        av_channel_layout_uninit(&inputLayout_);
    }
    AudioDecoder(const AudioDecoder&) = delete;
    AudioDecoder& operator=(const AudioDecoder&) = delete;

    Opened open(const AVStream& stream) {
        const AVCodec* codec = avcodec_find_decoder(stream.codecpar->codec_id);
        if (codec == nullptr) return Opened::kMissingCodec;
        context_.reset(avcodec_alloc_context3(codec));
        if (!context_) throw std::bad_alloc();
        if (avcodec_parameters_to_context(context_.get(), stream.codecpar) < 0) {
            return Opened::kFailed;
        }
        context_->pkt_timebase = stream.time_base;
        return avcodec_open2(context_.get(), codec, nullptr) < 0 ? Opened::kFailed : Opened::kYes;
    }

    AVPacket* packet() { return packet_.get(); }

    // Hands the decoder the packet read into packet() (nullptr: the end of
    // the stream). A damaged packet is skipped, as FFmpeg's own tools do;
    // false only when decoding cannot go on at all.
    [[nodiscard]] bool send(const AVPacket* packet) {
        const int result = avcodec_send_packet(context_.get(), packet);
        av_packet_unref(packet_.get());
        return result != AVERROR(ENOMEM);
    }

    // The PCM of the next decoded frame, appended to `pcm`: 0 when a frame
    // was converted, AVERROR(EAGAIN) when the decoder wants the next packet,
    // AVERROR_EOF when it is drained, another negative number when decoding
    // cannot go on.
    int receive(std::vector<std::byte>& pcm) {
        const int result = avcodec_receive_frame(context_.get(), frame_.get());
        if (result == AVERROR_EOF || result == AVERROR(ENOMEM)) return result;
        // A frame the decoder could not make is skipped like a damaged packet.
        if (result < 0) return AVERROR(EAGAIN);
        const bool converted = convert(pcm);
        av_frame_unref(frame_.get());
        return converted ? 0 : AVERROR(EINVAL);
    }

    // What the resampler still holds after the last frame.
    void drain(std::vector<std::byte>& pcm) {
        if (resampler_) append(nullptr, 0, pcm);
    }

  private:
    bool convert(std::vector<std::byte>& pcm) {
        if (!resamplerFits()) return false;
        append(const_cast<const std::uint8_t**>(frame_->extended_data), frame_->nb_samples, pcm);
        return true;
    }

    // A stream may change its layout or rate part-way; the output stays.
    bool resamplerFits() {
        AVChannelLayout layout{};
        if (frame_->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC ||
            av_channel_layout_check(&frame_->ch_layout) == 0) {
            av_channel_layout_default(&layout, frame_->ch_layout.nb_channels);
        } else if (av_channel_layout_copy(&layout, &frame_->ch_layout) < 0) {
            return false;
        }
        if (resampler_ && frame_->format == inputFormat_ && frame_->sample_rate == inputRate_ &&
            av_channel_layout_compare(&layout, &inputLayout_) == 0) {
            av_channel_layout_uninit(&layout);
            return true;
        }
        av_channel_layout_uninit(&inputLayout_);
        inputLayout_ = layout;
        inputFormat_ = frame_->format;
        inputRate_ = frame_->sample_rate;
        SwrContext* resampler = nullptr;
        if (swr_alloc_set_opts2(&resampler, &outputLayout_, AV_SAMPLE_FMT_S16, rate_, &inputLayout_,
                                static_cast<AVSampleFormat>(inputFormat_), inputRate_, 0,
                                nullptr) < 0 ||
            swr_init(resampler) < 0) {
            swr_free(&resampler);
            resampler_.reset();
            return false;
        }
        resampler_.reset(resampler);
        return true;
    }

    void append(const std::uint8_t** input, int samples, std::vector<std::byte>& pcm) {
        const int capacity = swr_get_out_samples(resampler_.get(), samples);
        if (capacity <= 0) return;
        const std::size_t frameBytes = static_cast<std::size_t>(outputLayout_.nb_channels) * 2;
        const std::size_t start = pcm.size();
        pcm.resize(start + static_cast<std::size_t>(capacity) * frameBytes);
        auto* out = reinterpret_cast<std::uint8_t*>(pcm.data() + start);
        const int produced = swr_convert(resampler_.get(), &out, capacity, input, samples);
        pcm.resize(start + static_cast<std::size_t>(std::max(produced, 0)) * frameBytes);
    }

    avlog::CodecContextPtr context_;
    avlog::PacketPtr packet_;
    avlog::FramePtr frame_;
    avlog::ResamplerPtr resampler_;
    AVChannelLayout outputLayout_{};
    AVChannelLayout inputLayout_{};
    int rate_;
    int inputFormat_ = AV_SAMPLE_FMT_NONE;
    int inputRate_ = 0;
};

}  // namespace

// One open on its thread. Whoever gives up on it last frees what it opened:
// the reader when it takes the outcome, the thread itself once abandoned.
struct MediaReader::OpenJob {
    std::mutex lock;
    std::condition_variable changed;
    bool finished = false;              // under `lock`
    bool abandoned = false;             // under `lock`
    AVFormatContext* format = nullptr;  // the outcome, once finished and not abandoned
    // Read by FFmpeg's interrupt check, so no lock.
    std::atomic<bool> interrupt = false;
    // The reader that took the file, whose own checks apply from then on:
    // the file keeps the check it was opened with.
    std::atomic<MediaReader*> reader = nullptr;
    // The thread's last step; the plug-in stays loaded until then.
    std::shared_ptr<std::atomic<bool>> ended = std::make_shared<std::atomic<bool>>(false);

    static int Interrupt(void* opaque) {
        const auto* job = static_cast<OpenJob*>(opaque);
        if (job->interrupt) return 1;
        MediaReader* const taken = job->reader;
        return taken != nullptr ? MediaReader::Interrupt(taken) : 0;
    }

    static void Run(const std::shared_ptr<OpenJob>& job, const std::string& path) {
        AVFormatContext* format = avformat_alloc_context();
        if (format != nullptr) {
            format->interrupt_callback = {&OpenJob::Interrupt, job.get()};
            // On failure avformat_open_input frees the context itself.
            if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) == 0 &&
                avformat_find_stream_info(format, nullptr) < 0) {
                avformat_close_input(&format);
            }
        }
        {
            const std::lock_guard lock(job->lock);
            if (!job->abandoned) job->format = std::exchange(format, nullptr);
            job->finished = true;
        }
        job->changed.notify_all();
        if (format != nullptr) avformat_close_input(&format);
        *job->ended = true;
    }

    void abandon() {
        {
            const std::lock_guard guard(lock);
            abandoned = true;
            interrupt = true;
        }
        changed.notify_all();
    }
};

struct MediaReader::Source {
    std::shared_ptr<OpenJob> job;  // its interrupt check stays the file's
    std::unique_ptr<AVFormatContext, FormatClose> format;
    std::vector<MediaType> outputs;  // one per stream, in the file's order
};

std::unique_ptr<MediaReader> MediaReader::Create() {
    std::unique_ptr<MediaReader> reader(new (std::nothrow) MediaReader());
    if (!reader) return nullptr;
    try {
        reader->thread_ = std::thread(&MediaReader::run, reader.get());
    } catch (const std::system_error&) {
        return nullptr;
    }
    return reader;
}

MediaReader::MediaReader() = default;

MediaReader::~MediaReader() {
    Close();
    {
        const std::lock_guard lock(lock_);
        command_ = Command::kQuit;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

bool MediaReader::Open(std::u16string_view path, ReaderCallback& callback) {
    auto utf8 = Utf16ToUtf8(path);
    const std::lock_guard lock(lock_);
    if (!utf8 || utf8->empty() || callback_ != nullptr) return false;
    path_ = std::move(*utf8);
    callback_ = &callback;
    command_ = Command::kOpen;
    wake_.notify_all();
    return true;
}

std::optional<unsigned> MediaReader::GetOutputCount() const {
    const std::lock_guard lock(lock_);
    if (!opened_) return std::nullopt;
    return static_cast<unsigned>(source_->outputs.size());
}

std::optional<MediaType> MediaReader::GetOutputProps(unsigned output) const {
    const std::lock_guard lock(lock_);
    if (!opened_ || output >= source_->outputs.size()) return std::nullopt;
    return source_->outputs[output];
}

std::optional<std::uint64_t> MediaReader::GetDuration() const {
    const std::lock_guard lock(lock_);
    if (!opened_) return std::nullopt;
    const AVFormatContext& format = *source_->format;
    if (format.duration != AV_NOPTS_VALUE && format.duration >= 0) {
        return static_cast<std::uint64_t>(format.duration) * (kUnitsPerSecond / AV_TIME_BASE);
    }
    // Without a container duration, the longest audio stream's own.
    std::optional<std::uint64_t> longest;
    for (unsigned i = 0; i < format.nb_streams; ++i) {
        const AVStream& stream = *format.streams[i];
        if (stream.codecpar->codec_type != AVMEDIA_TYPE_AUDIO ||
            stream.duration == AV_NOPTS_VALUE || stream.duration < 0) {
            continue;
        }
        const auto units = static_cast<std::uint64_t>(av_rescale_q(
            stream.duration, stream.time_base, AVRational{1, static_cast<int>(kUnitsPerSecond)}));
        longest = std::max(longest.value_or(0), units);
    }
    return longest;
}

bool MediaReader::SetManualStreamSelection(bool manual) {
    const std::lock_guard lock(lock_);
    if (!opened_ || started_) return false;
    manualSelection_ = manual;
    return true;
}

bool MediaReader::SelectOutput(unsigned output) {
    const std::lock_guard lock(lock_);
    if (!opened_ || started_ || output >= selected_.size()) return false;
    selected_[output] = true;
    return true;
}

bool MediaReader::SetUserProvidedClock(bool userClock) {
    const std::lock_guard lock(lock_);
    if (!opened_ || started_) return false;
    userClock_ = userClock;
    return true;
}

bool MediaReader::Start() {
    const std::lock_guard lock(lock_);
    if (!opened_ || started_) return false;
    const auto& outputs = source_->outputs;
    for (unsigned i = 0; i < outputs.size(); ++i) {
        if (outputs[i].major != MajorType::kAudio || (manualSelection_ && !selected_[i])) continue;
        decodedOutput_ = i;
        started_ = true;
        command_ = Command::kStart;
        wake_.notify_all();
        return true;
    }
    return false;
}

void MediaReader::DeliverTime(std::uint64_t time) {
    {
        const std::lock_guard lock(lock_);
        granted_ = std::max(granted_, time);
    }
    wake_.notify_all();
}

void MediaReader::Stop() {
    {
        const std::lock_guard lock(lock_);
        stopRequested_ = true;
        abandonOpen();
    }
    wake_.notify_all();
}

void MediaReader::Close() {
    std::unique_lock lock(lock_);
    stopRequested_ = true;
    abort_ = true;
    abandonOpen();
    wake_.notify_all();
    idle_.wait(lock, [this] { return !busy_ && command_ == Command::kNone; });
    opened_ = false;
    source_.reset();
}

void MediaReader::run() {
    for (;;) {
        Command command;
        {
            std::unique_lock lock(lock_);
            wake_.wait(lock, [this] { return command_ != Command::kNone; });
            if (command_ == Command::kQuit) return;
            command = std::exchange(command_, Command::kNone);
            busy_ = true;
        }
        // Nothing may leave the thread as an exception; running out of
        // memory is the failure of what was asked.
        try {
            if (command == Command::kOpen) {
                open(path_);
            } else {
                decode();
            }
        } catch (const std::exception&) {
            callback_->OnStatus(
                command == Command::kOpen ? ReaderStatus::kOpened : ReaderStatus::kError, false);
        }
        {
            const std::lock_guard lock(lock_);
            busy_ = false;
        }
        idle_.notify_all();
    }
}

void MediaReader::abandonOpen() {
    if (openJob_) openJob_->abandon();
}

int MediaReader::Interrupt(void* opaque) {
    auto* reader = static_cast<MediaReader*>(opaque);
    if (reader->abort_) return 1;
    // A stream with no packet in a long run of the file (zeros after an MP3)
    // would otherwise be gathered whole by FFmpeg's parser, which looks for
    // the next frame: decoding memory would grow with the file.
    const AVIOContext* io = reader->source_->format->pb;
    if (io != nullptr && io->bytes_read - reader->packetReadStart_ > kLongestReadForPacket) {
        reader->readRunaway_ = true;
        return 1;
    }
    return 0;
}

bool MediaReader::stopping() const {
    const std::lock_guard lock(lock_);
    return stopRequested_;
}

void MediaReader::open(std::string path) {
    auto source = std::make_unique<Source>();
    // A directory, a pipe or a device is no media file, and a pipe would
    // block the open for good.
    struct stat info {};
    bool readable = ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
    if (readable) {
        readable = openFormat(std::move(path), *source);
    }
    if (readable) {
        for (unsigned i = 0; i < source->format->nb_streams; ++i) {
            source->outputs.push_back(TypeOf(*source->format->streams[i]));
        }
        const std::lock_guard lock(lock_);
        selected_.assign(source->outputs.size(), false);
        source_ = std::move(source);
        opened_ = true;
    }
    callback_->OnStatus(ReaderStatus::kOpened, readable);
}

bool MediaReader::openFormat(std::string path, Source& source) {
    const auto job = std::make_shared<OpenJob>();
    {
        const std::lock_guard lock(lock_);
        if (stopRequested_) return false;
        openJob_ = job;
    }
    std::thread thread;
    try {
        thread = std::thread(&OpenJob::Run, job, std::move(path));
    } catch (const std::system_error&) {
        const std::lock_guard lock(lock_);
        openJob_.reset();
        return false;
    }
    AVFormatContext* format = nullptr;
    bool abandoned = false;
    {
        std::unique_lock lock(job->lock);
        job->changed.wait(lock, [&job] { return job->finished || job->abandoned; });
        abandoned = job->abandoned;
        format = std::exchange(job->format, nullptr);
    }
    {
        const std::lock_guard lock(lock_);
        openJob_.reset();
    }
    if (abandoned) {
        // An open that finished just before it was abandoned is let go here.
        if (format != nullptr) avformat_close_input(&format);
        KeepLoadedWhileRunning(std::move(thread), job->ended);
        return false;
    }
    thread.join();
    if (format == nullptr) return false;
    job->reader = this;
    source.job = job;
    source.format.reset(format);
    return true;
}

bool MediaReader::waitForClock(std::uint64_t sampleTime) {
    std::unique_lock lock(lock_);
    for (;;) {
        if (stopRequested_) return false;
        if (!userClock_ || sampleTime < granted_) return true;
        // Everything before the grant was delivered: say so once, then wait
        // for the next one.
        if (reportedGrant_ != granted_) {
            const std::uint64_t time = reportedGrant_ = granted_;
            lock.unlock();
            callback_->OnTime(time);
            lock.lock();
            continue;
        }
        wake_.wait(lock);
    }
}

void MediaReader::decode() {
    callback_->OnStatus(ReaderStatus::kStarted, true);
    AVFormatContext& format = *source_->format;
    const unsigned output = decodedOutput_;
    // Only the decoded stream's packets are read from the file.
    for (unsigned i = 0; i < format.nb_streams; ++i) {
        format.streams[i]->discard = i == output ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
    }
    const auto wave = riff::WaveFormat::Parse(source_->outputs[output].format);
    AudioDecoder decoder(wave.channels, wave.samplesPerSec);
    switch (decoder.open(*format.streams[output])) {
        case AudioDecoder::Opened::kYes:
            break;
        case AudioDecoder::Opened::kMissingCodec:
            return callback_->OnStatus(ReaderStatus::kMissingCodec, false);
        case AudioDecoder::Opened::kFailed:
            return callback_->OnStatus(ReaderStatus::kError, false);
    }

    std::uint64_t delivered = 0;  // sample frames
    std::vector<std::byte> pcm;
    // Times count delivered frames, so they run on without gaps whatever
    // the container's timestamps say.
    const auto deliver = [&]() {
        if (pcm.empty()) return true;
        const std::uint64_t frames = pcm.size() / wave.blockAlign;
        const std::uint64_t time = delivered * kUnitsPerSecond / wave.samplesPerSec;
        if (!waitForClock(time)) return false;
        const std::uint64_t end = (delivered + frames) * kUnitsPerSecond / wave.samplesPerSec;
        callback_->OnSample(output, time, end - time, pcm);
        delivered += frames;
        return true;
    };

    bool readFailed = false;
    bool draining = false;
    for (;;) {
        if (stopping()) return callback_->OnStatus(ReaderStatus::kStopped, true);
        const AVPacket* packet = nullptr;
        if (!draining) {
            packetReadStart_ = format.pb != nullptr ? format.pb->bytes_read : 0;
            const int read = readRunaway_ ? AVERROR_EOF : av_read_frame(&format, decoder.packet());
            if (read < 0) {
                if (abort_) return callback_->OnStatus(ReaderStatus::kStopped, true);
                // What was decoded before a damaged part is still delivered,
                // then the failure is reported. A long run without a packet
                // ends the stream where its last packet ended.
                readFailed = read != AVERROR_EOF && !readRunaway_;
                draining = true;
            } else if (decoder.packet()->stream_index != static_cast<int>(output)) {
                av_packet_unref(decoder.packet());
                continue;
            } else {
                packet = decoder.packet();
            }
        }
        if (!decoder.send(packet)) return callback_->OnStatus(ReaderStatus::kError, false);
        for (;;) {
            pcm.clear();
            const int received = decoder.receive(pcm);
            if (received == AVERROR(EAGAIN)) break;
            if (received == AVERROR_EOF) {
                decoder.drain(pcm);
                if (!deliver()) return callback_->OnStatus(ReaderStatus::kStopped, true);
                return callback_->OnStatus(
                    readFailed ? ReaderStatus::kError : ReaderStatus::kEndOfFile, !readFailed);
            }
            if (received < 0) return callback_->OnStatus(ReaderStatus::kError, false);
            if (!deliver()) return callback_->OnStatus(ReaderStatus::kStopped, true);
        }
    }
}

}  // namespace obrin::wendax
