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
//   ass writes, after a dialog of the lead-in, remembered while the editor runs;
// - "曲のタグに歌詞を書き込む(&G)..." (mnuSongTag): the document's lyrics into
//   the tags of the song open in the editor, after the user has agreed,
//   through the checked copy of WriteSongLyrics; a document with unit times
//   is then asked whether SYLT is written per line or per unit.
void AddLyricsExports(ExportTable& exports, StandardLrcOptions& remembered);

// The options dialog's caption and the question before a tag write.
inline constexpr const char* kStandardLrcCaption = "標準LRC形式で保存";
inline constexpr const char* kAssKaraokeCaption = "ASSカラオケ形式で保存";
inline constexpr const char* kSongTagsCaption = "曲のタグに歌詞を書き込む";
[[nodiscard]] std::string SongTagsQuestion(const std::string& song);
inline constexpr const char* kSongTagsWrittenMessage = "曲のタグに歌詞を書き込みました";

}  // namespace obrin
