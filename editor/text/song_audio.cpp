#include "text/song_audio.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
}

#include "obrin_avlog/av_owners.h"
#include "obrin_avlog/quiet_av_log.h"

namespace obrin {
namespace {

struct InputCloser {
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
using Input = std::unique_ptr<AVFormatContext, InputCloser>;

Input Open(const std::filesystem::path& path, int* error = nullptr) {
    AVFormatContext* context = nullptr;
    const int opened = avformat_open_input(&context, path.c_str(), nullptr, nullptr);
    if (error != nullptr) *error = opened;
    if (opened != 0) return nullptr;
    return Input(context);
}

std::string AvReason(int error) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(error, text, sizeof text);
    return text;
}

// The audio streams of a file, as the ordinal of each among them by stream
// index (-1 for the other streams).
std::vector<int> AudioOrdinals(const AVFormatContext& context) {
    std::vector<int> ordinals(context.nb_streams, -1);
    int next = 0;
    for (unsigned i = 0; i < context.nb_streams; ++i)
        if (context.streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO) ordinals[i] = next++;
    return ordinals;
}

bool SameStreams(const AVFormatContext& a, const std::vector<int>& audioA, const AVFormatContext& b,
                 const std::vector<int>& audioB) {
    std::vector<const AVCodecParameters*> left, right;
    for (unsigned i = 0; i < a.nb_streams; ++i)
        if (audioA[i] >= 0) left.push_back(a.streams[i]->codecpar);
    for (unsigned i = 0; i < b.nb_streams; ++i)
        if (audioB[i] >= 0) right.push_back(b.streams[i]->codecpar);
    if (left.size() != right.size() || left.empty()) return false;
    for (std::size_t i = 0; i < left.size(); ++i) {
        if (left[i]->codec_id != right[i]->codec_id ||
            left[i]->sample_rate != right[i]->sample_rate ||
            left[i]->ch_layout.nb_channels != right[i]->ch_layout.nb_channels)
            return false;
    }
    return true;
}

enum class Next { Packet, End, Failed };

// The next packet of an audio stream, its ordinal in `stream`.
Next NextAudioPacket(AVFormatContext& context, const std::vector<int>& audio, AVPacket& packet,
                     int& stream) {
    for (;;) {
        av_packet_unref(&packet);
        const int read = av_read_frame(&context, &packet);
        if (read == AVERROR_EOF) return Next::End;
        if (read < 0) return Next::Failed;
        if (packet.stream_index < 0 || static_cast<unsigned>(packet.stream_index) >= audio.size())
            continue;
        stream = audio[static_cast<std::size_t>(packet.stream_index)];
        if (stream >= 0) return Next::Packet;
    }
}

}  // namespace

bool HoldsSameAudio(const std::filesystem::path& song, const std::filesystem::path& copy,
                    std::string& why) {
    // A damaged copy is an expected finding, told to the user in one line.
    const avlog::QuietAvLog quiet;
    const Input a = Open(song);
    const Input b = Open(copy);
    if (!a || !b) {
        why = "音声を読めません";
        return false;
    }
    const std::vector<int> audioA = AudioOrdinals(*a);
    const std::vector<int> audioB = AudioOrdinals(*b);
    if (!SameStreams(*a, audioA, *b, audioB)) {
        why = "音声の形式が変わりました";
        return false;
    }
    const avlog::PacketPtr left(av_packet_alloc());
    const avlog::PacketPtr right(av_packet_alloc());
    if (!left || !right) throw std::bad_alloc();
    for (long long count = 1;; ++count) {
        int streamA = -1, streamB = -1;
        const Next nextA = NextAudioPacket(*a, audioA, *left, streamA);
        const Next nextB = NextAudioPacket(*b, audioB, *right, streamB);
        if (nextA == Next::Failed || nextB == Next::Failed) {
            why = "音声を最後まで読めません";
            return false;
        }
        if (nextA == Next::End && nextB == Next::End) return true;
        if (nextA != nextB || streamA != streamB || left->size != right->size ||
            (left->size > 0 &&
             std::memcmp(left->data, right->data, static_cast<std::size_t>(left->size)) != 0)) {
            why = "音声が" + std::to_string(count) + "番目のパケットから変わりました";
            return false;
        }
    }
}

std::string UnreadableAudioReason(const std::filesystem::path& song) {
    // A damaged song is an expected finding, told to the user in one line.
    const avlog::QuietAvLog quiet;
    int error = 0;
    const Input input = Open(song, &error);
    if (!input) return "音声として読めません(" + AvReason(error) + ")";
    if (const int found = avformat_find_stream_info(input.get(), nullptr); found < 0)
        return "音声として読めません(" + AvReason(found) + ")";
    const std::vector<int> audio = AudioOrdinals(*input);
    if (std::ranges::none_of(audio, [](int ordinal) { return ordinal >= 0; }))
        return "音声がありません";
    const avlog::PacketPtr packet(av_packet_alloc());
    if (!packet) throw std::bad_alloc();
    for (;;) {
        av_packet_unref(packet.get());
        const int read = av_read_frame(input.get(), packet.get());
        if (read == AVERROR_EOF) return {};
        if (read < 0) return "音声を最後まで読めません(" + AvReason(read) + ")";
    }
}

}  // namespace obrin
