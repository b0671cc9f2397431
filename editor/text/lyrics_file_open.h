#pragma once

#include <filesystem>

#include "document/document.h"
#include "text/lyrics_expansion.h"
#include "text/tagged_lyrics_reader.h"

namespace obrin {

class Dialogs;

// The question for a lyrics file that holds words but no timed line.
inline constexpr const char* kUntimedLyricsQuestion =
    "このファイルには時刻の付いた行がありません。\n"
    "文章を歌詞として自動展開して貼り付けますか?";

// What came of opening a lyrics file with 「通常歌詞ファイル」.
enum class LyricsOpen {
    Read,       // read as tagged lyrics (or failed so); see `read`
    Pasted,     // its untimed text went in through the automatic expansion
    Unchanged,  // the user said no, or the paste did not fit in memory
};

struct LyricsOpenResult {
    LyricsOpen outcome = LyricsOpen::Read;
    LyricsFileRead read{};  // Read: the read, to be reported as any read is
};

// Opens a lyrics file for the command 「通常歌詞ファイル」. Tagged lyrics are
// read as ReadTaggedLyrics reads them. A file with words but no timed line
// (plain lyrics) would only empty the list: the document is left alone and
// kUntimedLyricsQuestion asked instead; OK pastes its lines with the
// automatic expansion, as the paste from the clipboard does (an expansion
// too large for memory shows kOutOfMemoryMessage and changes nothing).
[[nodiscard]] LyricsOpenResult OpenLyricsFile(Document& document, const std::filesystem::path& path,
                                              const ReaderOptions& options,
                                              const ExpansionOptions& expansion, Dialogs& dialogs,
                                              const ReplacementConsent& consent);

}  // namespace obrin
