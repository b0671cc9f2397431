#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "document/document.h"
#include "text/text_encoding.h"
#include "text/text_input.h"

namespace obrin {

struct ReaderOptions {
    // mnuInfo: "@Title=" and "@Artist=" set the fields, other "@" lines go to
    // InfoLines ("@Offset=" lines as "@Offset=0", their shift being applied).
    bool importInfo = true;
    // N15: add "@EditedBy=" + author to InfoLines after every read.
    bool editedBy = false;
    std::string author{};  // Shift-JIS
    // The encoding of a file read by ReadTaggedLyrics; Auto detects it.
    TextEncoding encoding = TextEncoding::Auto;
    // Whether the untagged lines before the first tag that do not begin with
    // "@" are kept among the HeaderLines. Only the editor's own text (the
    // tab "完成型", the tag-information file) shows them again; standard LRC,
    // song tags and the exports read only the "@" lines, and a text of
    // blank lines would otherwise cost a string for each byte.
    bool keepPlainHeaderLines = true;
};

// Besides its own form, the reader takes standard LRC:
// - time tags [mm:ss.xx], [mm:ss.xxx], [mm:ss], [m:ss.xx] and [hh:mm:ss.xx];
//   a tag that the editor's own rules read (ParseTimeTag) keeps their value,
//   and a line whose first tag has the editor's written form "mm:ss:cc" reads
//   exactly as the editor's own lines always have;
// - several time tags at the head of a line: the line at each time, and the
//   whole list then in time order;
// - [offset:ms]: a positive value makes the lyrics appear sooner;
// - [ti:], [ar:] set the title and artist, [al:], [by:], [length:] become the
//   information lines "@Album=", "@TaggingBy=", "@Length=" (all only with the
//   "@" import on); other such tags are left out;
// - enhanced-LRC word times <mm:ss.xx>: on a line with one time tag, the
//   times of its units (enhanced_lrc.h); elsewhere removed from the text;
// - in a file whose times have a decimal fraction, the text after a line's
//   leading time tags keeps its brackets ("歌詞 [Chorus] 続き"); in the editor's
//   own files every bracketed part is left out, as it always has been.

// The time of a standard LRC tag in milliseconds, or -1.
[[nodiscard]] std::int32_t ParseStandardTimeTag(std::string_view tag);

// What a read met that the user should hear about.
struct LyricsReadReport {
    // Tagged lines whose tag is no time in any form; they stand at 0 plus the
    // offset, as they always have.
    int unreadableTags = 0;
    int firstUnreadableLine = 0;  // counted from 1
    // Nothing in the text read as a lyric line (the text in another encoding
    // than the one it was read in, or no lyrics at all).
    bool noLyricLines = false;
    // Karaoke tags and ruby lines that read only in part, each "N行目: …"
    // (UTF-8), in the order of the file's lines.
    std::vector<std::string> warnings;
};

// The message for a report with unreadable tags.
[[nodiscard]] std::string UnreadableTagsMessage(const LyricsReadReport& report);
// What the user should hear about a read that went through: no lyric line at
// all, or the unreadable tags; empty when the read needs no word.
[[nodiscard]] std::string ReadReportMessage(const LyricsReadReport& report);

// A line that begins with "[" and holds a single-byte "]" carries a time tag.
// Returns the position of that "]", or npos for any other line.
[[nodiscard]] std::size_t TaggedLineClose(std::string_view line);

// The lyric text after a tag: every bracketed part removed, brackets that are
// the second byte of a two-byte character kept as ordinary bytes.
[[nodiscard]] std::string StripBracketedParts(std::string_view rest);

// Reads time-tagged lyrics text into the document: the LyricList is replaced
// by the tagged lines, the untagged lines before the first tag become
// HeaderLines, "@Offset=" (the last one wins) shifts every time, and the "@"
// import runs as the options say. Marks the lyrics as read from a file.
// `bytes` are Shift-JIS.
LyricsReadReport ReadTaggedLyricsText(Document& document, std::string_view bytes,
                                      const ReaderOptions& options);

enum class LyricsReadStatus {
    Read,
    // Not read: HeaderLines and InfoLines emptied, the LyricList as it was,
    // and the lyrics marked as read from a file; show `message`.
    Failed,
    // The file held characters without a Shift-JIS form and the consent said
    // no: the document is unchanged.
    Declined,
};

struct LyricsFileRead {
    LyricsReadStatus status = LyricsReadStatus::Read;
    // Failed: kLyricsOpenFailedMessage, followed by the cause when there is
    // more to say than that the file could not be read.
    std::string message;
    LyricsReadReport report;
    explicit operator bool() const { return status == LyricsReadStatus::Read; }
};

// The same for a file, decoded in options.encoding as every text input is.
[[nodiscard]] LyricsFileRead ReadTaggedLyrics(Document& document, const std::filesystem::path& path,
                                              const ReaderOptions& options,
                                              const ReplacementConsent& consent);
// The same for text already decoded (ReadTextInput, DecodeTextInput); a text
// that could not be decoded is a failed read.
[[nodiscard]] LyricsFileRead ReadDecodedLyrics(Document& document, const TextRead& text,
                                               const ReaderOptions& options);
// The same for text that comes from elsewhere than a file (the lyrics in a
// song's tags).
[[nodiscard]] LyricsFileRead ReadTaggedLyricsInput(Document& document, std::string_view bytes,
                                                   const ReaderOptions& options,
                                                   const ReplacementConsent& consent);

}  // namespace obrin
