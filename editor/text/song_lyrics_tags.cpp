#include "text/song_lyrics_tags.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <memory>
#include <optional>
#include <string_view>
#include <tuple>

// TagLib's headers are not -Wextra clean; they are a boundary, not our code.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <taglib/apetag.h>
#include <taglib/fileref.h>
#include <taglib/flacfile.h>
#include <taglib/flacpicture.h>
#include <taglib/flacproperties.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mp4tag.h>
#include <taglib/mpegfile.h>
#include <taglib/mpegproperties.h>
#include <taglib/opusfile.h>
#include <taglib/synchronizedlyricsframe.h>
#include <taglib/tpropertymap.h>
#include <taglib/unsynchronizedlyricsframe.h>
#include <taglib/vorbisfile.h>
#include <taglib/xiphcomment.h>
#pragma GCC diagnostic pop

#include "base/sjis_codec.h"
#include "obrin_files/file_replacement.h"
#include "text/enhanced_lrc.h"
#include "text/song_audio.h"
#include "text/standard_lrc.h"
#include "text/tagged_lyrics_reader.h"
#include "text/text_input.h"

namespace obrin {
namespace {

using TagLib::ID3v2::SynchronizedLyricsFrame;
using TagLib::ID3v2::UnsynchronizedLyricsFrame;

constexpr const char* kLyricsField = "LYRICS";
constexpr const char* kUnsyncedLyricsField = "UNSYNCEDLYRICS";
constexpr const char* kMp4LyricsItem = "\251lyr";  // ©lyr, a Latin-1 key
constexpr const char* kLyricsLanguage = "jpn";

TagLib::String FromUtf8(const std::string& text) {
    return TagLib::String(text, TagLib::String::UTF8);
}

std::string ToUtf8(const TagLib::String& text) {
    return text.to8Bit(true);
}

enum class SongKind { Mp3, Flac, OggVorbis, Opus, Mp4, Other };

SongKind KindOf(TagLib::File* file) {
    if (dynamic_cast<TagLib::MPEG::File*>(file)) return SongKind::Mp3;
    if (dynamic_cast<TagLib::FLAC::File*>(file)) return SongKind::Flac;
    if (dynamic_cast<TagLib::Ogg::Vorbis::File*>(file)) return SongKind::OggVorbis;
    if (dynamic_cast<TagLib::Ogg::Opus::File*>(file)) return SongKind::Opus;
    if (dynamic_cast<TagLib::MP4::File*>(file)) return SongKind::Mp4;
    return SongKind::Other;
}

TagLib::Ogg::XiphComment* XiphOf(TagLib::File* file, bool create) {
    if (auto* flac = dynamic_cast<TagLib::FLAC::File*>(file)) return flac->xiphComment(create);
    if (auto* vorbis = dynamic_cast<TagLib::Ogg::Vorbis::File*>(file)) return vorbis->tag();
    if (auto* opus = dynamic_cast<TagLib::Ogg::Opus::File*>(file)) return opus->tag();
    return nullptr;
}

// What must not change when only tags change.
struct AudioShape {
    int lengthMs = 0;
    int sampleRate = 0;
    int channels = 0;
    long long streamSize = -1;  // MP3: bytes of frames; FLAC: sample frames

    bool operator==(const AudioShape&) const = default;
};

std::optional<AudioShape> ShapeOf(TagLib::FileRef& ref) {
    const TagLib::AudioProperties* properties = ref.audioProperties();
    if (!properties) return std::nullopt;
    AudioShape shape{.lengthMs = properties->lengthInMilliseconds(),
                     .sampleRate = properties->sampleRate(),
                     .channels = properties->channels()};
    if (auto* mp3 = dynamic_cast<TagLib::MPEG::File*>(ref.file())) {
        shape.streamSize = mp3->lastFrameOffset() - mp3->firstFrameOffset();
    } else if (auto* flac = dynamic_cast<TagLib::FLAC::File*>(ref.file())) {
        shape.streamSize = static_cast<long long>(flac->audioProperties()->sampleFrames());
    }
    return shape;
}

// Everything in a song's tags but the lyrics, as bytes to compare: a save
// that drops or changes any of it (an ID3v1 tag cut off the end, a field or
// picture lost) is not a lyrics write.
class KeptTags {
  public:
    explicit KeptTags(TagLib::File* file) {
        switch (KindOf(file)) {
            case SongKind::Mp3:
                addMp3(*dynamic_cast<TagLib::MPEG::File*>(file));
                break;
            case SongKind::Flac: {
                auto* flac = dynamic_cast<TagLib::FLAC::File*>(file);
                for (auto* picture : flac->pictureList()) add(picture->render());
                addId3v1(flac->hasID3v1Tag() ? flac->ID3v1Tag() : nullptr);
                addXiph(XiphOf(file, false));
                break;
            }
            case SongKind::OggVorbis:
            case SongKind::Opus:
                addXiph(XiphOf(file, false));
                break;
            case SongKind::Mp4:
                addMp4(dynamic_cast<TagLib::MP4::File*>(file)->tag());
                break;
            case SongKind::Other:
                break;
        }
    }

    bool operator==(const KeptTags&) const = default;

  private:
    // Each part with its length, so no two lists of parts read alike.
    void add(std::string_view part) {
        bytes_ += std::to_string(part.size());
        bytes_ += ':';
        bytes_ += part;
    }
    void add(const TagLib::ByteVector& part) { add(std::string_view(part.data(), part.size())); }
    void add(const TagLib::String& part) { add(std::string_view(ToUtf8(part))); }

    void addId3v1(TagLib::ID3v1::Tag* tag) {
        if (tag)
            add(tag->render());
        else
            add(std::string_view("no ID3v1"));
    }

    void addMp3(TagLib::MPEG::File& mp3) {
        if (TagLib::ID3v2::Tag* tag = mp3.ID3v2Tag()) {
            for (auto* frame : tag->frameList()) {
                if (frame->frameID() == "USLT" || frame->frameID() == "SYLT") continue;
                add(frame->frameID());
                add(frame->render());
            }
        }
        addId3v1(mp3.hasID3v1Tag() ? mp3.ID3v1Tag() : nullptr);
        if (mp3.hasAPETag()) add(mp3.APETag()->render());
    }

    void addXiph(TagLib::Ogg::XiphComment* xiph) {
        if (!xiph) return;
        for (const auto& [key, values] : xiph->fieldListMap()) {
            if (key == kLyricsField) continue;
            add(key);
            for (const auto& value : values) add(value);
        }
        for (auto* picture : xiph->pictureList()) add(picture->render());
    }

    void addMp4(TagLib::MP4::Tag* tag) {
        if (!tag) return;
        for (const auto& [key, item] : tag->itemMap()) {
            if (key == kMp4LyricsItem) continue;
            add(key);
            for (const auto& text : item.toStringList()) add(text);
            for (const auto& bytes : item.toByteVectorList()) add(bytes);
            for (const auto& cover : item.toCoverArtList()) add(cover.data());
        }
        // An item's number is read only where it has one (TagLib leaves it
        // unset on a text item): the properties name the numbers it knows.
        TagLib::PropertyMap properties = tag->properties();
        properties.erase(kLyricsField);
        add(properties.toString());
    }

    std::string bytes_;
};

// One set of lyrics a song's tags hold, with what decides between several.
struct LyricsCandidate {
    std::string text;
    bool timed = false;      // SYLT, or text with time tags
    bool described = false;  // an ID3 description (a translation, say)
    bool japanese = false;   // ID3 language "jpn"
    bool synced = false;     // rebuilt from SYLT: no header tags
    bool own = false;        // the frame or field obrin writes

    // Timed lyrics first, then the main lyrics (no description), then
    // Japanese ones; among equals the text as written beats one rebuilt from
    // SYLT.
    [[nodiscard]] auto rank() const { return std::tuple(!timed, described, !japanese, synced); }
};

bool HasTimeTag(const std::string& text) {
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string_view line = std::string_view(text).substr(start, end - start);
        if (line.starts_with('[')) {
            const std::size_t close = line.find(']');
            if (close != std::string_view::npos &&
                ParseStandardTimeTag(line.substr(1, close - 1)) >= 0)
                return true;
        }
        start = end + 1;
    }
    return false;
}

bool IsOwnLanguageAndDescription(const TagLib::ByteVector& language,
                                 const TagLib::String& description) {
    return language == TagLib::ByteVector(kLyricsLanguage) && description.isEmpty();
}

bool IsOwnFrame(const UnsynchronizedLyricsFrame& uslt) {
    return IsOwnLanguageAndDescription(uslt.language(), uslt.description());
}

bool IsOwnFrame(const SynchronizedLyricsFrame& sylt) {
    return IsOwnLanguageAndDescription(sylt.language(), sylt.description()) &&
           sylt.type() == SynchronizedLyricsFrame::Lyrics;
}

// Chords, events and links are timed text too, but no lyrics.
bool HoldsLyrics(const SynchronizedLyricsFrame& sylt) {
    switch (sylt.type()) {
        case SynchronizedLyricsFrame::Other:
        case SynchronizedLyricsFrame::Lyrics:
        case SynchronizedLyricsFrame::TextTranscription:
            return true;
        default:
            return false;
    }
}

// Milliseconds per MPEG audio frame of the song, 0 when unknown.
double MpegFrameMs(TagLib::MPEG::File& mp3) {
    const TagLib::MPEG::Properties* properties = mp3.audioProperties();
    if (!properties || properties->sampleRate() <= 0) return 0;
    const int samples =
        properties->layer() == 1 ? 384
        : properties->layer() == 3 && properties->version() != TagLib::MPEG::Header::Version1
            ? 576
            : 1152;
    return samples * 1000.0 / properties->sampleRate();
}

// SYLT entries as standard LRC lines. An entry that starts with "\n" (the ID3
// new line) opens a line; in a frame that marks its lines so, an entry
// without it carries on the line before (a syllable of it), and a line of
// several entries gets their times as enhanced-LRC word tags.
std::string SyncedText(const SynchronizedLyricsFrame& sylt, double msPerUnit) {
    const auto entries = sylt.synchedText();
    const bool marksLines = std::any_of(entries.begin(), entries.end(), [](const auto& entry) {
        return entry.text.startsWith("\n");
    });
    struct Entry {
        std::int32_t ms;
        std::string text;
    };
    std::vector<std::vector<Entry>> lines;
    for (const auto& entry : entries) {
        std::string text = ToUtf8(entry.text);
        const bool opens = text.starts_with('\n');
        if (opens) text.erase(0, 1);
        const double ms = std::round(entry.time * msPerUnit);
        Entry timed{static_cast<std::int32_t>(
                        std::min<double>(ms, std::numeric_limits<std::int32_t>::max())),
                    std::move(text)};
        if (marksLines && !opens && !lines.empty()) {
            lines.back().push_back(std::move(timed));
        } else {
            lines.push_back({std::move(timed)});
        }
    }
    std::string text;
    for (const auto& line : lines) {
        text += StandardTimeTag(line.front().ms, false);
        for (const Entry& entry : line) {
            if (line.size() > 1) {
                std::string tag = StandardTimeTag(entry.ms, false);
                text += "<" + tag.substr(1, tag.size() - 2) + ">";
            }
            text += entry.text;
        }
        text += "\n";
    }
    return text;
}

std::vector<LyricsCandidate> Mp3Lyrics(TagLib::MPEG::File& mp3) {
    std::vector<LyricsCandidate> candidates;
    TagLib::ID3v2::Tag* tag = mp3.ID3v2Tag();
    if (!tag) return candidates;
    for (auto* frame : tag->frameList("USLT")) {
        auto* uslt = dynamic_cast<UnsynchronizedLyricsFrame*>(frame);
        if (!uslt || uslt->text().isEmpty()) continue;
        std::string text = ToUtf8(uslt->text());
        const bool timed = HasTimeTag(text);
        candidates.push_back({.text = std::move(text),
                              .timed = timed,
                              .described = !uslt->description().isEmpty(),
                              .japanese = uslt->language() == TagLib::ByteVector(kLyricsLanguage),
                              .own = IsOwnFrame(*uslt)});
    }
    for (auto* frame : tag->frameList("SYLT")) {
        auto* sylt = dynamic_cast<SynchronizedLyricsFrame*>(frame);
        if (!sylt || !HoldsLyrics(*sylt)) continue;
        double msPerUnit = 0;
        if (sylt->timestampFormat() == SynchronizedLyricsFrame::AbsoluteMilliseconds) {
            msPerUnit = 1;
        } else if (sylt->timestampFormat() == SynchronizedLyricsFrame::AbsoluteMpegFrames) {
            msPerUnit = MpegFrameMs(mp3);
        }
        if (msPerUnit <= 0) continue;
        std::string text = SyncedText(*sylt, msPerUnit);
        if (text.empty()) continue;
        candidates.push_back({.text = std::move(text),
                              .timed = true,
                              .described = !sylt->description().isEmpty(),
                              .japanese = sylt->language() == TagLib::ByteVector(kLyricsLanguage),
                              .synced = true});
    }
    return candidates;
}

// Vorbis comments: obrin's LYRICS, and UNSYNCEDLYRICS as other taggers write.
std::vector<LyricsCandidate> XiphLyrics(TagLib::Ogg::XiphComment* xiph) {
    std::vector<LyricsCandidate> candidates;
    if (!xiph) return candidates;
    const auto fields = xiph->fieldListMap();
    for (const char* name : {kLyricsField, kUnsyncedLyricsField}) {
        const auto it = fields.find(name);
        if (it == fields.end() || it->second.isEmpty() || it->second.front().isEmpty()) continue;
        std::string text = ToUtf8(it->second.front());
        const bool timed = HasTimeTag(text);
        candidates.push_back({.text = std::move(text),
                              .timed = timed,
                              .own = std::string_view(name) == kLyricsField});
    }
    return candidates;
}

std::vector<LyricsCandidate> LyricsCandidates(TagLib::File* file) {
    switch (KindOf(file)) {
        case SongKind::Mp3:
            return Mp3Lyrics(*dynamic_cast<TagLib::MPEG::File*>(file));
        case SongKind::Flac:
        case SongKind::OggVorbis:
        case SongKind::Opus:
            return XiphLyrics(XiphOf(file, false));
        case SongKind::Mp4: {
            TagLib::MP4::Tag* tag = dynamic_cast<TagLib::MP4::File*>(file)->tag();
            if (!tag || !tag->contains(kMp4LyricsItem)) return {};
            const TagLib::StringList list = tag->item(kMp4LyricsItem).toStringList();
            if (list.isEmpty()) return {};
            return {{.text = ToUtf8(list.front()), .own = true}};
        }
        case SongKind::Other:
            break;
    }
    const TagLib::StringList list = file->properties()[kLyricsField];
    if (list.isEmpty()) return {};
    return {{.text = ToUtf8(list.front())}};
}

// The lyrics a user means when a song holds several.
std::string LyricsIn(TagLib::File* file) {
    const auto candidates = LyricsCandidates(file);
    const auto best = std::min_element(
        candidates.begin(), candidates.end(),
        [](const LyricsCandidate& a, const LyricsCandidate& b) { return a.rank() < b.rank(); });
    return best == candidates.end() ? std::string() : best->text;
}

// The lyrics in the frame or field obrin writes.
std::string OwnLyricsIn(TagLib::File* file) {
    for (const auto& candidate : LyricsCandidates(file))
        if (candidate.own) return candidate.text;
    return {};
}

// Only the frames obrin writes are replaced; lyrics in other languages or
// with a description (a translation, chords) belong to the user.
void RemoveOwnFrames(TagLib::ID3v2::Tag& tag) {
    const TagLib::ID3v2::FrameList uslt = tag.frameList("USLT");
    for (auto* frame : uslt) {
        const auto* lyrics = dynamic_cast<UnsynchronizedLyricsFrame*>(frame);
        if (lyrics && IsOwnFrame(*lyrics)) tag.removeFrame(frame);
    }
    const TagLib::ID3v2::FrameList sylt = tag.frameList("SYLT");
    for (auto* frame : sylt) {
        const auto* lyrics = dynamic_cast<SynchronizedLyricsFrame*>(frame);
        if (lyrics && IsOwnFrame(*lyrics)) tag.removeFrame(frame);
    }
}

bool SetMp3Lyrics(TagLib::MPEG::File& mp3, const SongLyrics& lyrics, bool withSylt) {
    // Keep the version of a tag already there; new tags are ID3v2.4. UTF-16
    // text frames are valid in both versions.
    const bool hadTag = mp3.hasID3v2Tag();
    TagLib::ID3v2::Tag* tag = mp3.ID3v2Tag(true);
    const auto version =
        hadTag && tag->header()->majorVersion() == 3 ? TagLib::ID3v2::v3 : TagLib::ID3v2::v4;
    RemoveOwnFrames(*tag);
    auto uslt = std::make_unique<UnsynchronizedLyricsFrame>(TagLib::String::UTF16);
    uslt->setLanguage(kLyricsLanguage);
    uslt->setText(FromUtf8(lyrics.text));
    tag->addFrame(uslt.release());
    if (withSylt) {
        auto sylt = std::make_unique<SynchronizedLyricsFrame>(TagLib::String::UTF16);
        sylt->setLanguage(kLyricsLanguage);
        sylt->setTimestampFormat(SynchronizedLyricsFrame::AbsoluteMilliseconds);
        sylt->setType(SynchronizedLyricsFrame::Lyrics);
        // ID3 keeps SYLT entries in time order.
        std::vector<SongLyrics::Timed> lines = lyrics.synced;
        std::stable_sort(lines.begin(), lines.end(),
                         [](const auto& a, const auto& b) { return a.ms < b.ms; });
        SynchronizedLyricsFrame::SynchedTextList entries;
        for (const auto& line : lines)
            entries.append(SynchronizedLyricsFrame::SynchedText(static_cast<unsigned>(line.ms),
                                                                FromUtf8(line.text)));
        sylt->setSynchedText(entries);
        tag->addFrame(sylt.release());
    }
    return mp3.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone, version,
                    TagLib::File::DoNotDuplicate);
}

bool SetLyrics(TagLib::File* file, const SongLyrics& lyrics, bool withSylt) {
    switch (KindOf(file)) {
        case SongKind::Mp3:
            return SetMp3Lyrics(*dynamic_cast<TagLib::MPEG::File*>(file), lyrics, withSylt);
        case SongKind::Flac:
        case SongKind::OggVorbis:
        case SongKind::Opus: {
            TagLib::Ogg::XiphComment* xiph = XiphOf(file, true);
            if (!xiph) return false;
            xiph->addField(kLyricsField, FromUtf8(lyrics.text), true);
            return file->save();
        }
        case SongKind::Mp4: {
            TagLib::MP4::Tag* tag = dynamic_cast<TagLib::MP4::File*>(file)->tag();
            if (!tag) return false;
            tag->setItem(kMp4LyricsItem, TagLib::StringList(FromUtf8(lyrics.text)));
            return file->save();
        }
        case SongKind::Other:
            break;
    }
    return false;
}

constexpr const char* kNotASongMessage =
    "曲として開けません(対応していない形式か、ファイルが壊れています)";

// TagLib takes any file with a known extension; a song has audio in it.
bool IsSong(TagLib::FileRef& ref) {
    if (ref.isNull() || !ref.file()->isValid()) return false;
    const TagLib::AudioProperties* properties = ref.audioProperties();
    return properties && properties->sampleRate() > 0 && properties->channels() > 0;
}

constexpr const char* kUnverifiedMessage = "書き込んだ曲を確かめられませんでした。曲はそのままです";

std::string Unverified(const std::string& why) {
    return "書き込んだ曲を確かめられませんでした(" + why + ")。曲はそのままです";
}

std::string Named(const std::string& message, const std::filesystem::path& path) {
    return message + ": " + path.string();
}

SongTagResult Failure(const std::string& message, const std::filesystem::path& path) {
    return {false, Named(message, path)};
}

// The song's bytes into the replacement TagLib then works on.
std::error_code CopyInto(const std::filesystem::path& song, FileReplacement& copy) {
    std::ifstream in(song, std::ios::binary);
    if (!in) return std::make_error_code(std::errc::io_error);
    char block[64 * 1024];
    while (in) {
        in.read(block, sizeof block);
        if (auto error = copy.write(std::string_view(block, static_cast<std::size_t>(in.gcount()))))
            return error;
    }
    return in.bad() ? std::make_error_code(std::errc::io_error) : std::error_code();
}

bool IsReadOnly(const std::filesystem::path& song) {
    struct stat status {};
    if (::stat(song.c_str(), &status) != 0) return true;
    // The mode bits count even for a user whom the system would let write.
    return (status.st_mode & 0222) == 0 || ::access(song.c_str(), W_OK) != 0;
}

}  // namespace

SongLyrics SongLyricsFrom(const Document& document, const std::string& by, bool syllables) {
    SongLyrics lyrics{.text = FormatStandardLrc(document, {.words = syllables}, by)};
    const auto times = PlayerTimes(document);
    const std::int64_t offset = DocumentOffsetMs(document);
    for (std::size_t i = 0; i < times.size(); ++i) {
        if (!times[i]) continue;
        const LyricLine& line = document.lyrics.line(static_cast<int>(i));
        if (!syllables) {
            lyrics.synced.push_back({*times[i], SjisToUtf8(line.lyricText)});
            continue;
        }
        if (!HasUnitTimes(line.units)) {
            lyrics.synced.push_back({*times[i], "\n" + SjisToUtf8(line.lyricText)});
            continue;
        }
        // Text ahead of the first timed unit is sung with the line.
        std::vector<SongLyrics::Timed> entries;
        for (const TimingUnit& unit : WrittenUnits(line.units)) {
            const std::int32_t ms = unit.start == kNoUnitTime
                                        ? *times[i]
                                        : static_cast<std::int32_t>(std::clamp<std::int64_t>(
                                              std::int64_t{unit.start} * 10 + offset, 0,
                                              std::numeric_limits<std::int32_t>::max()));
            entries.push_back({ms, (entries.empty() ? "\n" : "") + SjisToUtf8(unit.text)});
        }
        lyrics.synced.insert(lyrics.synced.end(), entries.begin(), entries.end());
    }
    return lyrics;
}

SongTagResult WriteSongLyrics(const std::filesystem::path& song, const SongLyrics& lyrics,
                              bool withSylt) {
    if (lyrics.text.empty()) return Failure("書き込む歌詞(時刻の付いた行)がありません", song);
    std::error_code error;
    if (!std::filesystem::exists(song, error)) return Failure("曲のファイルがありません", song);
    if (!std::filesystem::is_regular_file(song, error))
        return Failure("曲のファイルではありません", song);
    if (IsReadOnly(song)) return Failure("曲のファイルが読み取り専用のため書き込めません", song);
    std::optional<AudioShape> before;
    std::optional<KeptTags> keptBefore;
    {
        TagLib::FileRef original(song.c_str(), true, TagLib::AudioProperties::Accurate);
        if (!IsSong(original)) return Failure(kNotASongMessage, song);
        if (KindOf(original.file()) == SongKind::Other)
            return Failure(
                "この形式の曲には歌詞タグを書き込めません(MP3, FLAC, Ogg, Opus, "
                "M4Aのみ)",
                song);
        before = ShapeOf(original);
        if (!before) return Failure("曲の音声を読めません", song);
        keptBefore.emplace(original.file());
    }

    // TagLib works on a copy beside the song (the file the song's links lead
    // to), named with its extension, which TagLib picks the format by.
    FileReplacement copy;
    if (const std::error_code refused = copy.begin(song, "tag")) {
        if (refused == std::errc::permission_denied ||
            refused == std::errc::read_only_file_system) {
            std::filesystem::path resolved = song;
            (void)ResolveWriteTarget(song, resolved);
            return Failure("曲のフォルダに書き込めません", resolved.parent_path());
        }
        return Failure("曲の一時コピーを作れません(" + refused.message() + ")", song);
    }
    if (CopyInto(song, copy))
        return Failure("曲の一時コピーを作れません", copy.target().parent_path());
    {
        TagLib::FileRef target(copy.temporary().c_str(), true, TagLib::AudioProperties::Accurate);
        if (target.isNull() || !SetLyrics(target.file(), lyrics, withSylt))
            return Failure("曲のタグを書き込めませんでした。曲はそのままです", song);
    }
    // TagLib reports success even when its writes failed (a full disk), so
    // the copy is judged by what it holds: the new lyrics, every other tag,
    // and the song's audio packet for packet.
    {
        TagLib::FileRef written(copy.temporary().c_str(), true, TagLib::AudioProperties::Accurate);
        if (!IsSong(written) || ShapeOf(written) != before ||
            OwnLyricsIn(written.file()) != lyrics.text)
            return Failure(kUnverifiedMessage, song);
        if (KeptTags(written.file()) != *keptBefore)
            return Failure(Unverified("ほかのタグが変わりました"), song);
    }
    if (std::string why; !HoldsSameAudio(song, copy.temporary(), why))
        return Failure(Unverified(why), song);
    if (const std::error_code failed = copy.commit())
        return Failure("曲を置き換えられません(" + failed.message() + ")", song);
    return {true, {}};
}

SongLyricsRead ReadSongLyrics(const std::filesystem::path& song) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(song, error))
        return {SongLyricsStatus::Failed, {}, Named("曲のファイルがありません", song)};
    TagLib::FileRef ref(song.c_str(), true);
    if (!IsSong(ref)) return {SongLyricsStatus::Failed, {}, Named(kNotASongMessage, song)};
    std::string text = LyricsIn(ref.file());
    if (text.empty()) return {SongLyricsStatus::None, {}, {}};
    return {SongLyricsStatus::Found, std::move(text), {}};
}

SongNames ReadSongNames(const std::filesystem::path& song) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(song, error)) return {};
    TagLib::FileRef ref(song.c_str(), false);
    if (ref.isNull() || !ref.file()->isValid()) return {};
    // The property map joins a file's tags (a WAV's tag() is its ID3v2 alone,
    // while ffmpeg and most tools write the RIFF INFO list).
    TagLib::PropertyMap properties = ref.file()->properties();
    const auto first = [&properties](const char* key) {
        const TagLib::StringList values = properties[key];
        return values.isEmpty() ? std::string() : ToUtf8(values.front());
    };
    return {.title = first("TITLE"), .artist = first("ARTIST")};
}

void TakeSongNames(Document& document, UnsavedChanges& changes, const std::filesystem::path& song,
                   const ReplacementConsent& consent) {
    const SongNames names = ReadSongNames(song);
    const auto field = [&consent](const std::string& utf8) {
        if (utf8.empty()) return std::string();
        TextRead text = DecodeTextInput(utf8, TextEncoding::Utf8, consent);
        return text.status == TextReadStatus::Read ? std::move(text.sjis) : std::string();
    };
    const bool hadChanges = changes.modified();
    {
        const UndoHistory::Step step = document.history.beginStep("曲名と歌手");
        document.setTitle(field(names.title));
        document.setArtist(field(names.artist));
    }
    if (!hadChanges) changes.markSaved();
}

}  // namespace obrin
