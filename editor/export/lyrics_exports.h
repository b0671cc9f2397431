#pragma once

#include <string>

#include "text/standard_lrc.h"

namespace obrin {

class ExportTable;

// Adds the exports for today's players and lyric tools:
// - "標準LRC形式で保存(&L)..." (mnuStdLrc): standard LRC through the
//   writer obrin-cli std-lrc uses, after a small dialog of its choices
//   (encoding, time form, untimed lines, line ends, word tags), which starts
//   from and updates `remembered` (the user's settings, which must outlive the
//   table);
// - "ASSカラオケ形式で保存(&K)..." (mnuAss): the ASS karaoke script obrin-cli
//   ass writes, after a dialog of the lead-in, which starts from and updates
//   `assLeadInCs`;
// - "曲のタグに歌詞を書き込む(&G)..." (mnuSongTag): the document's lyrics into
//   the tags of the song open in the editor, after the user has agreed,
//   through the checked copy of WriteSongLyrics; SYLT gets an entry per unit
//   when `syltPerUnit` is on and some line has unit times, else per line.
// Each choice is the user's setting and must outlive the table.
struct LyricsExportChoices {
    StandardLrcOptions& standardLrc;
    int& assLeadInCs;
    const bool& syltPerUnit;
};
void AddLyricsExports(ExportTable& exports, const LyricsExportChoices& choices);

// The lead-ins the ASS dialog offers, in centiseconds.
inline constexpr int kAssLeadInsCs[] = {0, 50, 100, 200, 300};

// The options dialog's caption and the question before a tag write.
inline constexpr const char* kStandardLrcCaption = "標準LRC形式で保存";
inline constexpr const char* kAssKaraokeCaption = "ASSカラオケ形式で保存";
[[nodiscard]] std::string SongTagsQuestion(const std::string& song);
inline constexpr const char* kSongTagsWrittenMessage = "曲のタグに歌詞を書き込みました";

}  // namespace obrin
