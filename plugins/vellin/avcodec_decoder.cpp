#include <climits>
#include <cstring>
#include <optional>

#include "block_decoder.h"
#include "obrin_avlog/av_owners.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

namespace obrin::vellin {

namespace {

using riff::WaveFormat;

struct ParserClose {
    void operator()(AVCodecParserContext* parser) const { av_parser_close(parser); }
};

// The codec behind a WAVE format tag, as libavformat's RIFF table knows it.
AVCodecID CodecFor(const WaveFormat& format) {
    const AVCodecTag* const tables[] = {avformat_get_riff_audio_tags(), nullptr};
    const AVCodecID id = av_codec_get_id(tables, format.codingTag());
    // The table names 32-bit float for the float tag whatever the width.
    if (id == AV_CODEC_ID_PCM_F32LE && format.bitsPerSample == 64) return AV_CODEC_ID_PCM_F64LE;
    return id;
}

// Raw sample codings accept any run of whole blocks as one packet.
bool IsRawSampleCodec(AVCodecID id) {
    return id >= AV_CODEC_ID_FIRST_AUDIO && id < AV_CODEC_ID_ADPCM_IMA_QT;
}

class AvcodecDecoder final : public BlockDecoder {
  public:
    AvcodecDecoder(avlog::CodecContextPtr context,
                   std::unique_ptr<AVCodecParserContext, ParserClose> parser,
                   const WaveFormat& destination)
        : context_(std::move(context)),
          parser_(std::move(parser)),
          packet_(av_packet_alloc()),
          frame_(av_frame_alloc()),
          format_(destination) {
        if (!packet_ || !frame_) throw std::bad_alloc();
    }
    ~AvcodecDecoder() override {
        av_channel_layout_uninit(&outputLayout_);
        av_channel_layout_uninit(&inputLayout_);
    }

    void convert(std::span<const std::byte> block, const PcmSink& pcm) override {
        const auto* data = reinterpret_cast<const std::uint8_t*>(block.data());
        std::size_t size = block.size();
        if (parser_) {
            parse(data, size, pcm);
        } else if (IsRawSampleCodec(context_->codec_id)) {
            decode(data, size - size % static_cast<std::size_t>(context_->block_align), pcm);
        } else {
            // Block codings (ADPCM and the like) decode one block per packet.
            const auto align = static_cast<std::size_t>(context_->block_align);
            for (; size >= align; data += align, size -= align) decode(data, align, pcm);
        }
    }

    WaveFormat format() const override { return format_; }

    void finish(const PcmSink& pcm) override {
        if (parser_) flushParser(pcm);
        if (avcodec_send_packet(context_.get(), nullptr) >= 0) receiveFrames(pcm);
        if (resampler_) appendResampled(nullptr, 0, pcm);
    }

  private:
    // Splits the byte stream into the codec's frames.
    void parse(const std::uint8_t* data, std::size_t size, const PcmSink& pcm) {
        while (size > 0) {
            const int used = parseOnce(data, size, pcm);
            if (used <= 0) return;
            data += used;
            size -= static_cast<std::size_t>(used);
        }
    }

    // Hands the parser the frame it still holds at the end of the stream.
    void flushParser(const PcmSink& pcm) { (void)parseOnce(nullptr, 0, pcm); }

    int parseOnce(const std::uint8_t* data, std::size_t size, const PcmSink& pcm) {
        std::uint8_t* frameData = nullptr;
        int frameSize = 0;
        const int used =
            av_parser_parse2(parser_.get(), context_.get(), &frameData, &frameSize, data,
                             static_cast<int>(size), AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
        if (frameSize > 0) decode(frameData, static_cast<std::size_t>(frameSize), pcm);
        return used;
    }

    void decode(const std::uint8_t* data, std::size_t size, const PcmSink& pcm) {
        if (size == 0) return;
        // A packet of our own gives the decoder the zeroed tail it may read past the end.
        if (av_new_packet(packet_.get(), static_cast<int>(size)) < 0) throw std::bad_alloc();
        std::memcpy(packet_->data, data, size);
        const int sent = avcodec_send_packet(context_.get(), packet_.get());
        av_packet_unref(packet_.get());
        if (sent >= 0) receiveFrames(pcm);
    }

    void receiveFrames(const PcmSink& pcm) {
        while (avcodec_receive_frame(context_.get(), frame_.get()) >= 0) {
            if (const auto failure = prepareResampler()) {
                av_frame_unref(frame_.get());
                throw DecodeFailure{*failure};
            }
            appendResampled(const_cast<const std::uint8_t**>(frame_->extended_data),
                            frame_->nb_samples, pcm);
            av_frame_unref(frame_.get());
        }
    }

    // The output takes the rate and channels of the first frame the stream
    // really holds; its header may claim anything.
    std::optional<AcmResult> chooseOutput() {
        const int channels = frame_->ch_layout.nb_channels;
        if (frame_->sample_rate <= 0 || static_cast<unsigned>(frame_->sample_rate) > kHighestRate ||
            channels <= 0 || channels > UINT16_MAX / 2) {
            return AcmResult::kInvalidParam;
        }
        format_ = WaveFormat::Pcm(static_cast<std::uint16_t>(channels),
                                  static_cast<std::uint32_t>(frame_->sample_rate), 16);
        av_channel_layout_default(&outputLayout_, channels);
        outputChosen_ = true;
        return std::nullopt;
    }

    // Converts from whatever the decoder hands out (planar, float, a later
    // frame at another rate) to the output. A resampler that cannot be set
    // up fails the conversion: skipping its frames would end in silence
    // reported as success.
    std::optional<AcmResult> prepareResampler() {
        if (!outputChosen_) {
            if (const auto failure = chooseOutput()) return failure;
        }
        AVChannelLayout layout{};
        if (frame_->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
            av_channel_layout_default(&layout, frame_->ch_layout.nb_channels);
        } else if (av_channel_layout_copy(&layout, &frame_->ch_layout) < 0) {
            return AcmResult::kNoMemory;
        }
        const bool same = resampler_ && av_channel_layout_compare(&layout, &inputLayout_) == 0 &&
                          frame_->format == inputFormat_ && frame_->sample_rate == inputRate_;
        if (same) {
            av_channel_layout_uninit(&layout);
            return std::nullopt;
        }
        av_channel_layout_uninit(&inputLayout_);
        inputLayout_ = layout;
        inputFormat_ = frame_->format;
        inputRate_ = frame_->sample_rate;
        SwrContext* resampler = nullptr;
        const bool ready =
            inputRate_ > 0 && static_cast<unsigned>(inputRate_) <= kHighestRate &&
            swr_alloc_set_opts2(&resampler, &outputLayout_, AV_SAMPLE_FMT_S16,
                                static_cast<int>(format_.samplesPerSec), &inputLayout_,
                                static_cast<AVSampleFormat>(inputFormat_), inputRate_, 0,
                                nullptr) >= 0 &&
            swr_init(resampler) >= 0;
        if (!ready) {
            swr_free(&resampler);
            resampler_.reset();
            return AcmResult::kNotPossible;
        }
        resampler_.reset(resampler);
        return std::nullopt;
    }

    // One frame's worth at a time, into a buffer kept between frames.
    void appendResampled(const std::uint8_t** input, int samples, const PcmSink& pcm) {
        if (!resampler_) return;
        const int capacity = swr_get_out_samples(resampler_.get(), samples);
        if (capacity <= 0) return;
        const std::size_t frameBytes = static_cast<std::size_t>(outputLayout_.nb_channels) * 2;
        buffer_.resize(static_cast<std::size_t>(capacity) * frameBytes);
        auto* out = reinterpret_cast<std::uint8_t*>(buffer_.data());
        const int produced = swr_convert(resampler_.get(), &out, capacity, input, samples);
        if (produced > 0)
            pcm(std::span(buffer_).first(static_cast<std::size_t>(produced) * frameBytes));
    }

    avlog::CodecContextPtr context_;
    std::unique_ptr<AVCodecParserContext, ParserClose> parser_;
    avlog::PacketPtr packet_;
    avlog::FramePtr frame_;
    avlog::ResamplerPtr resampler_;
    AVChannelLayout outputLayout_{};
    AVChannelLayout inputLayout_{};
    WaveFormat format_;
    bool outputChosen_ = false;
    std::vector<std::byte> buffer_;
    int inputFormat_ = AV_SAMPLE_FMT_NONE;
    int inputRate_ = 0;
};

}  // namespace

std::variant<std::unique_ptr<BlockDecoder>, AcmResult> MakeAvcodecDecoder(
    const WaveFormat& source, const WaveFormat& destination) {
    const AVCodecID id = CodecFor(source);
    const AVCodec* codec = id == AV_CODEC_ID_NONE ? nullptr : avcodec_find_decoder(id);
    if (codec == nullptr) return AcmResult::kNotPossible;

    avlog::CodecContextPtr context(avcodec_alloc_context3(codec));
    if (!context) return AcmResult::kNoMemory;
    // Codings that carry their own rate ignore this; the others' frames take
    // it, and a rate beyond kHighestRate then fails at the first frame.
    context->sample_rate = static_cast<int>(std::min<std::uint32_t>(source.samplesPerSec, INT_MAX));
    av_channel_layout_default(&context->ch_layout, source.channels);
    context->block_align = source.blockAlign;
    context->bit_rate = static_cast<std::int64_t>(source.avgBytesPerSec) * 8;
    context->bits_per_coded_sample = source.bitsPerSample;
    if (!source.extra.empty()) {
        const std::size_t size = source.extra.size();
        context->extradata =
            static_cast<std::uint8_t*>(av_mallocz(size + AV_INPUT_BUFFER_PADDING_SIZE));
        if (context->extradata == nullptr) return AcmResult::kNoMemory;
        std::memcpy(context->extradata, source.extra.data(), size);
        context->extradata_size = static_cast<int>(size);
    }
    if (avcodec_open2(context.get(), codec, nullptr) < 0) return AcmResult::kNotPossible;

    // Frame-based codings (MPEG audio among them) arrive as a plain byte
    // stream in a WAVE file; their parser finds the frame boundaries.
    std::unique_ptr<AVCodecParserContext, ParserClose> parser(av_parser_init(id));
    return std::make_unique<AvcodecDecoder>(std::move(context), std::move(parser), destination);
}

}  // namespace obrin::vellin
