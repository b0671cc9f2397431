// Every writer of lyrics reads only the lines' own times: a document holding
// drafts writes what the same document without them writes, its drafted
// lines untimed.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>
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

using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

// "あいう".
const std::string kThreeKana = "\x82\xa0\x82\xa2\x82\xa4";

// An anchor, an untimed line and an untimed line with units; `drafts` gives
// the two untimed lines drafts with ends.
void Fill(Document& document, bool drafts) {
    LyricList& lyrics = document.lyrics;
    for (int i = 0; i < 4; ++i) lyrics.setLyricText(lyrics.add(), i == 2 ? kThreeKana : "line");
    lyrics.setTimeText(0, "00:01:00");
    lyrics.setTimeText(3, "00:09:00");
    lyrics.setUnits(2, {.units = {{"\x82\xa0"}, {"\x82\xa2"}, {"\x82\xa4"}}});
    if (drafts) {
        lyrics.setDraft(1, {.start = 300, .end = 450});
        lyrics.setDraft(2, {.start = 500, .end = 800});
    }
}

struct Writer {
    const char* name;
    std::function<std::string(const Document&, const std::filesystem::path& folder)> write;

    friend void PrintTo(const Writer& w, std::ostream* os) { *os << w.name; }
};

class DraftsAreNotWritten : public testing::TestWithParam<Writer> {};

TEST_P(DraftsAreNotWritten, ByAnyWriter) {
    Document drafted;
    Document plain;
    Fill(drafted, true);
    Fill(plain, false);
    TempFolder draftedFolder;
    TempFolder plainFolder;
    const std::string written = GetParam().write(drafted, draftedFolder.path());
    EXPECT_FALSE(written.empty());
    EXPECT_EQ(written, GetParam().write(plain, plainFolder.path()));
}

INSTANTIATE_TEST_SUITE_P(
    LineDrafts, DraftsAreNotWritten,
    testing::Values(Writer{"CompletedText",
                           [](const Document& document, const std::filesystem::path&) {
                               std::string text;
                               for (const std::string& line : BuildCompletedText(document, {}))
                                   text += line + '\n';
                               return text;
                           }},
                    Writer{"StandardLrc",
                           [](const Document& document, const std::filesystem::path&) {
                               return FormatStandardLrc(document,
                                                        {.keepUntimed = true, .words = true}, "");
                           }},
                    Writer{"SongTags",
                           [](const Document& document, const std::filesystem::path&) {
                               const SongLyrics lyrics = SongLyricsFrom(document, "", true);
                               std::ostringstream out;
                               out << lyrics.text;
                               for (const SongLyrics::Timed& entry : lyrics.synced)
                                   out << entry.ms << ' ' << entry.text << '\n';
                               return out.str();
                           }},
                    Writer{"AssKaraoke",
                           [](const Document& document, const std::filesystem::path&) {
                               return FormatAssKaraoke(document, {});
                           }},
                    Writer{"Sp250",
                           [](const Document& document, const std::filesystem::path& folder) {
                               const std::string message =
                                   Sp250Export(document.lyrics, ProgramFolder(),
                                               (folder / "a.snc").string(), {});
                               return message.empty() ? ReadBytes(folder / "a.snc") : message;
                           }},
                    Writer{"LyricMp3",
                           [](const Document& document, const std::filesystem::path& folder) {
                               WriteBytes(folder / "a.mp3", test::kAudio);
                               const LyricMp3Result result = LyricMp3Export(
                                   document.lyrics, ProgramFolder(), (folder / "a.mp3").string(),
                                   (folder / "out.mp3").string());
                               return result.written ? ReadBytes(folder / "out.mp3")
                                                     : result.errorMessage;
                           }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace obrin
