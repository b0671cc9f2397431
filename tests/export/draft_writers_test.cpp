// Every writer of lyrics writes a document holding drafts as the same
// document without them: the drafted lines untimed.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "export/ass_karaoke.h"
#include "export/lyric_mp3_export.h"
#include "export/sp250_export.h"
#include "export_fixture.h"
#include "temp_folder.h"
#include "text/completed_text.h"
#include "text/song_lyrics_tags.h"
#include "text/standard_lrc.h"

namespace obrin {
namespace {

using Folder = std::filesystem::path;

// An anchor, an untimed line, an untimed line with units ("あいう") and an
// anchor; with `drafts` the two untimed lines hold drafts with ends.
void Fill(Document& document, bool drafts) {
    LyricList& lyrics = document.lyrics;
    lyrics.assign({"a", "b", "\x82\xa0\x82\xa2\x82\xa4", "d"});
    lyrics.setTimeText(0, "00:01:00");
    lyrics.setTimeText(3, "00:09:00");
    lyrics.setUnits(2, {.units = {{"\x82\xa0"}, {"\x82\xa2"}, {"\x82\xa4"}}});
    if (!drafts) return;
    lyrics.setDraft(1, {.start = 300, .end = 450});
    lyrics.setDraft(2, {.start = 500, .end = 800});
}

struct Writer {
    const char* name;
    std::function<std::string(const Document&, const Folder&)> write;
    friend void PrintTo(const Writer& w, std::ostream* os) { *os << w.name; }
};

class DraftsAreNotWritten : public testing::TestWithParam<Writer> {};

TEST_P(DraftsAreNotWritten, ByAnyWriter) {
    Document drafted;
    Document plain;
    Fill(drafted, true);
    Fill(plain, false);
    const test::TempFolder draftedFolder;
    const test::TempFolder plainFolder;
    const std::string written = GetParam().write(drafted, draftedFolder.path());
    EXPECT_FALSE(written.empty());
    EXPECT_EQ(written, GetParam().write(plain, plainFolder.path()));
}

// The two export libraries write files; the others' text is compared.
INSTANTIATE_TEST_SUITE_P(
    LineDrafts, DraftsAreNotWritten,
    testing::Values(
        Writer{"CompletedText",
               [](const Document& document, const Folder&) {
                   std::string text;
                   for (const std::string& line : BuildCompletedText(document, {}))
                       text += line + '\n';
                   return text;
               }},
        Writer{"StandardLrc",
               [](const Document& document, const Folder&) {
                   return FormatStandardLrc(document, {.keepUntimed = true, .words = true}, "");
               }},
        Writer{"SongTags",
               [](const Document& document, const Folder&) {
                   const SongLyrics lyrics = SongLyricsFrom(document, "", true);
                   std::string text = lyrics.text;
                   for (const SongLyrics::Timed& entry : lyrics.synced)
                       text += std::to_string(entry.ms) + ' ' + entry.text + '\n';
                   return text;
               }},
        Writer{"AssKaraoke", [](const Document& document,
                                const Folder&) { return FormatAssKaraoke(document, {}); }},
        Writer{"Sp250",
               [](const Document& document, const Folder& folder) {
                   const std::string message = Sp250Export(document.lyrics, ProgramFolder(),
                                                           (folder / "a.snc").string(), {});
                   return message.empty() ? test::ReadBytes(folder / "a.snc") : message;
               }},
        Writer{"LyricMp3",
               [](const Document& document, const Folder& folder) {
                   test::WriteBytes(folder / "a.mp3", test::kAudio);
                   const LyricMp3Result result =
                       LyricMp3Export(document.lyrics, ProgramFolder(), (folder / "a.mp3").string(),
                                      (folder / "out.mp3").string());
                   return result.written ? test::ReadBytes(folder / "out.mp3")
                                         : result.errorMessage;
               }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace obrin
