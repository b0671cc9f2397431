#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "document/document.h"
#include "document/unsaved_changes.h"
#include "text/text_encoding.h"

namespace obrin {

// Lyrics kept in a music file's own tags, written and read through TagLib:
//   MP3        ID3v2 USLT (the text) and SYLT (times in milliseconds)
//   FLAC, Ogg  Vorbis comment LYRICS (Vorbis and Opus)
//   M4A        the item ©lyr
// Text here is UTF-8.

struct SongLyrics {
    std::string text;  // the standard LRC text
    struct Timed {
        std::int32_t ms;
        std::string text;
    };
    // For SYLT: one entry per timed line, or per timed unit, a line's first
    // entry starting with "\n" (the ID3 new line).
    std::vector<Timed> synced{};
};

// The document's lyrics as a song's tags hold them: standard LRC with its
// default options ([mm:ss.xx], LF, untimed lines left out) and the timed lines.
// With `syllables`, the text has the word tags of the lines with unit times
// and the timed lines are cut into their units. `by` (Shift-JIS) is the [by:]
// header, empty for none.
[[nodiscard]] SongLyrics SongLyricsFrom(const Document& document, const std::string& by,
                                        bool syllables = false);

struct SongTagResult {
    bool ok = false;
    std::string message;  // when not ok: the cause, for the user (UTF-8)
    explicit operator bool() const { return ok; }
};

// Writes the lyrics into the song's tags (MP3: SYLT too when `withSylt`, its
// entries in time order), replacing the lyrics obrin wrote before: MP3 the
// USLT and the lyrics SYLT in language "jpn" without a description (frames in
// other languages or with a description stay), the others their one field.
// The song itself is never at risk: TagLib works on a copy in the same folder,
// which is renamed over the song only after TagLib reports success and the
// copy reads back with the new lyrics, every other tag as it was, and the
// song's audio packets byte for byte (song_audio.h): TagLib's own success says
// nothing of writes that failed for want of space. A missing, read-only or unsupported song is refused before anything is
// written. On failure the song is byte for byte as it was and no copy is left
// behind. The copy replaces the song as every saved file is replaced
// (obrin_files/file_replacement.h): a linked song stays a link and the file it
// leads to gets the tags, the mode and owner are kept.
[[nodiscard]] SongTagResult WriteSongLyrics(const std::filesystem::path& song,
                                            const SongLyrics& lyrics, bool withSylt);

enum class SongLyricsStatus {
    Found,   // `text` holds them
    None,    // the song has no lyrics in its tags
    Failed,  // TagLib cannot open the song; `message` says so
};

struct SongLyricsRead {
    SongLyricsStatus status = SongLyricsStatus::None;
    std::string text;     // Found: the lyrics text; from SYLT alone, as standard LRC
    std::string message;  // Failed
};

// When a song holds several lyrics (MP3 USLT and SYLT frames, Vorbis LYRICS
// and UNSYNCEDLYRICS), timed ones win, then those without a description, then
// Japanese ones, then the first found. SYLT times in MPEG frames are converted
// with the song's frame duration; a SYLT whose entries start with "\n" has one
// line per such entry, the entries after it carrying on its words.
[[nodiscard]] SongLyricsRead ReadSongLyrics(const std::filesystem::path& song);

// A song's title and artist as its own tags hold them (UTF-8); empty where
// the tags hold none, and both empty for a file TagLib cannot read.
struct SongNames {
    std::string title;
    std::string artist;
};
[[nodiscard]] SongNames ReadSongNames(const std::filesystem::path& song);

// When a song opens, the title and artist fields become its own tags' (a
// field its tags leave empty is emptied), so nothing of the song before
// stays; lyrics read next may set them again. One step of the history. The
// fields are the song's, not the user's work: a document without unsaved
// changes still has none. A name with characters Shift-JIS lacks goes through
// `consent`; declined, that field is emptied.
void TakeSongNames(Document& document, UnsavedChanges& changes, const std::filesystem::path& song,
                   const ReplacementConsent& consent);

inline constexpr const char* kNoLyricsTagMessage = "歌詞タグがありません";

}  // namespace obrin
