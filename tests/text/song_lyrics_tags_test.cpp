#include "text/song_lyrics_tags.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <taglib/flacfile.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/synchronizedlyricsframe.h>
#include <taglib/unsynchronizedlyricsframe.h>
#include <taglib/xiphcomment.h>

#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <utility>
#include <vector>

#include "sjis_lines.h"
#include "temp_folder.h"

namespace obrin {
namespace {

using TagLib::ID3v2::SynchronizedLyricsFrame;
using TagLib::ID3v2::UnsynchronizedLyricsFrame;
using test::Sj;
using test::TempFolder;
using testing::HasSubstr;

// A one-second tone made by ffmpeg in the test's own folder; the build makes
// the plug-ins' fixtures with ffmpeg too, so it is always there.
bool MakeSong(const TempFolder& folder, const std::string& name, const std::string& codec) {
    const std::string command =
        "ffmpeg -v error -nostdin -f lavfi -i sine=frequency=440:duration=1 " + codec + " '" +
        (folder / name).string() + "'";
    return std::system(command.c_str()) == 0;
}

Document TimedDocument() {
    Document document;
    document.setTitle(Sj("夜明け"));
    document.lyrics.assignLines({
        {.lyricText = Sj("こんにちは"), .timeText = "00:00:50"},
        {.lyricText = Sj("untimed"), .timeText = "00:00:00"},
        {.lyricText = Sj("さようなら♪"), .timeText = "00:01:25"},
    });
    return document;
}

std::size_t EntriesIn(const std::filesystem::path& folder) {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++count;
    return count;
}

struct SongCase {
    const char* name;
    const char* file;
    const char* codec;
};

class SongLyricsTagsTest : public testing::TestWithParam<SongCase> {};

TEST_P(SongLyricsTagsTest, WrittenLyricsReadBackAndReplaceEarlierOnes) {
    TempFolder folder;
    ASSERT_TRUE(MakeSong(folder, GetParam().file, GetParam().codec));
    const auto song = folder / GetParam().file;
    EXPECT_EQ(ReadSongLyrics(song).status, SongLyricsStatus::None);

    Document first;
    first.lyrics.assignLines({{.lyricText = "old", .timeText = "00:00:10"}});
    ASSERT_TRUE(WriteSongLyrics(song, SongLyricsFrom(first, ""), true));
    const SongLyrics lyrics = SongLyricsFrom(TimedDocument(), "me");
    const SongTagResult result = WriteSongLyrics(song, lyrics, true);
    ASSERT_TRUE(result) << result.message;

    const SongLyricsRead read = ReadSongLyrics(song);
    ASSERT_EQ(read.status, SongLyricsStatus::Found) << read.message;
    EXPECT_EQ(read.text, "[ti:夜明け]\n[by:me]\n[00:00.50]こんにちは\n[00:01.25]さようなら♪\n");
    EXPECT_EQ(EntriesIn(folder.path()), 1U) << "no copy left behind";
}

INSTANTIATE_TEST_SUITE_P(Formats, SongLyricsTagsTest,
                         testing::Values(SongCase{"Mp3", "a.mp3", "-c:a libmp3lame"},
                                         SongCase{"Flac", "a.flac", "-c:a flac"},
                                         SongCase{"OggVorbis", "a.ogg", "-c:a libvorbis"},
                                         SongCase{"Opus", "a.opus", "-c:a libopus"},
                                         SongCase{"M4a", "a.m4a", "-c:a aac"}),
                         [](const auto& info) { return info.param.name; });

TEST(SongLyricsTags, Mp3HoldsSyltWithMillisecondsUnlessTurnedOff) {
    TempFolder folder;
    ASSERT_TRUE(MakeSong(folder, "a.mp3", "-c:a libmp3lame"));
    const auto song = folder / "a.mp3";
    ASSERT_TRUE(WriteSongLyrics(song, SongLyricsFrom(TimedDocument(), ""), true));
    {
        TagLib::MPEG::File mp3(song.c_str());
        ASSERT_TRUE(mp3.hasID3v2Tag());
        const auto uslt = mp3.ID3v2Tag()->frameList("USLT");
        EXPECT_EQ(uslt.size(), 1U);
        const auto frames = mp3.ID3v2Tag()->frameList("SYLT");
        ASSERT_EQ(frames.size(), 1U);
        const auto* sylt = dynamic_cast<TagLib::ID3v2::SynchronizedLyricsFrame*>(frames.front());
        ASSERT_NE(sylt, nullptr);
        EXPECT_EQ(sylt->timestampFormat(),
                  TagLib::ID3v2::SynchronizedLyricsFrame::AbsoluteMilliseconds);
        const auto entries = sylt->synchedText();
        ASSERT_EQ(entries.size(), 2U);
        EXPECT_EQ(entries[0].time, 500U);
        EXPECT_EQ(entries[0].text.to8Bit(true), "こんにちは");
        EXPECT_EQ(entries[1].time, 1250U);
    }
    ASSERT_TRUE(WriteSongLyrics(song, SongLyricsFrom(TimedDocument(), ""), false));
    TagLib::MPEG::File mp3(song.c_str());
    EXPECT_TRUE(mp3.ID3v2Tag()->frameList("SYLT").isEmpty());
    EXPECT_EQ(mp3.ID3v2Tag()->frameList("USLT").size(), 1U);
}

using Entries = std::vector<std::pair<unsigned, std::string>>;

Entries SyltEntries(const std::filesystem::path& song) {
    TagLib::MPEG::File mp3(song.c_str());
    Entries entries;
    for (auto* frame : mp3.ID3v2Tag()->frameList("SYLT"))
        for (const auto& entry : dynamic_cast<SynchronizedLyricsFrame*>(frame)->synchedText())
            entries.emplace_back(entry.time, entry.text.to8Bit(true));
    return entries;
}

// One SYLT entry per timed unit, in time order, each line's first opening with
// the ID3 new line; the offset is in the units' times as in the line's own.
TEST(SongLyricsTags, SyllablesGiveAnEntryPerUnit) {
    TempFolder folder;
    ASSERT_TRUE(MakeSong(folder, "a.mp3", "-c:a libmp3lame"));
    const auto song = folder / "a.mp3";
    Document document = TimedDocument();
    document.setHeaderLines({"@Offset=100"});
    document.lyrics.assignLines({
        {.lyricText = Sj("こんにちは"),
         .timeText = "00:00:50",
         .units = {.units = {{Sj("こん"), 50}, {Sj("に"), kNoUnitTime}, {Sj("ちは"), 90}},
                   .end = 120}},
        {.lyricText = Sj("untimed"), .timeText = "00:00:00"},
        {.lyricText = Sj("さようなら"), .timeText = "00:01:25"},
    });
    ASSERT_TRUE(WriteSongLyrics(song, SongLyricsFrom(document, "", true), true));
    EXPECT_EQ(SyltEntries(song),
              (Entries{{600, "\nこんに"}, {1000, "ちは"}, {1350, "\nさようなら"}}));
    EXPECT_EQ(ReadSongLyrics(song).text,
              "[ti:夜明け]\n[00:00.60]<00:00.60>こんに<00:01.00>ちは<00:01.30>\n"
              "[00:01.35]さようなら\n");
}

// A lyrics frame as another tagger leaves it; a USLT holds the first entry's
// text.
struct Frame {
    const char* id;
    const char* language;
    const char* description;
    Entries entries;
    SynchronizedLyricsFrame::Type type = SynchronizedLyricsFrame::Lyrics;
    SynchronizedLyricsFrame::TimestampFormat format = SynchronizedLyricsFrame::AbsoluteMilliseconds;
};

void PutFrames(const std::filesystem::path& song, const std::vector<Frame>& frames) {
    TagLib::MPEG::File mp3(song.c_str());
    for (const auto& f : frames) {
        const auto u = [](const std::string& text) {
            return TagLib::String(text, TagLib::String::UTF8);
        };
        if (std::string_view(f.id) == "USLT") {
            auto* uslt = new UnsynchronizedLyricsFrame(TagLib::String::UTF8);
            uslt->setLanguage(f.language);
            uslt->setDescription(u(f.description));
            uslt->setText(u(f.entries.front().second));
            mp3.ID3v2Tag(true)->addFrame(uslt);
            continue;
        }
        auto* sylt = new SynchronizedLyricsFrame(TagLib::String::UTF8);
        sylt->setLanguage(f.language);
        sylt->setDescription(u(f.description));
        sylt->setType(f.type);
        sylt->setTimestampFormat(f.format);
        SynchronizedLyricsFrame::SynchedTextList list;
        for (const auto& [time, text] : f.entries) list.append({time, u(text)});
        sylt->setSynchedText(list);
        mp3.ID3v2Tag(true)->addFrame(sylt);
    }
    ASSERT_TRUE(mp3.save());
}

// obrin replaces the USLT and lyrics SYLT it wrote ("jpn", no description)
// and nothing else; its SYLT entries go in time order.
TEST(SongLyricsTags, ReplacesOnlyItsOwnFramesAndSortsSylt) {
    TempFolder folder;
    ASSERT_TRUE(MakeSong(folder, "a.mp3", "-c:a libmp3lame"));
    const auto song = folder / "a.mp3";
    PutFrames(song, {{"USLT", "eng", "", {{0, "English"}}},
                     {"USLT", "jpn", "translation", {{0, "訳"}}},
                     {"USLT", "jpn", "", {{0, "old"}}},
                     {"SYLT", "jpn", "", {{100, "old"}}},
                     {"SYLT", "jpn", "", {{0, "Am"}}, SynchronizedLyricsFrame::Chord}});
    // Untimed text, so that the timed SYLT is what reads back.
    ASSERT_TRUE(WriteSongLyrics(song, {.text = "x", .synced = {{1250, "b"}, {500, "a"}}}, true));
    EXPECT_EQ(ReadSongLyrics(song).text, "[00:00.50]a\n[00:01.25]b\n");
    TagLib::MPEG::File mp3(song.c_str());
    EXPECT_EQ(mp3.ID3v2Tag()->frameList("USLT").size(), 3U);
    EXPECT_EQ(mp3.ID3v2Tag()->frameList("SYLT").size(), 2U);
}

struct ChoiceCase {
    const char* name;
    std::vector<Frame> frames;
    std::string text;  // what ReadSongLyrics finds
};

class SongLyricsChoiceTest : public testing::TestWithParam<ChoiceCase> {};

TEST_P(SongLyricsChoiceTest, ReadsTheLyricsAUserMeans) {
    TempFolder folder;
    ASSERT_TRUE(MakeSong(folder, "a.mp3", "-c:a libmp3lame"));
    PutFrames(folder / "a.mp3", GetParam().frames);
    const SongLyricsRead read = ReadSongLyrics(folder / "a.mp3");
    ASSERT_EQ(read.status, SongLyricsStatus::Found) << read.message;
    EXPECT_EQ(read.text, GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SongLyricsChoiceTest,
    testing::Values(
        ChoiceCase{
            "MainBeforeATranslation",
            {{"USLT", "jpn", "translation", {{0, "訳"}}}, {"USLT", "eng", "", {{0, "main"}}}},
            "main"},
        ChoiceCase{"JapaneseFirst",
                   {{"USLT", "eng", "", {{0, "English"}}}, {"USLT", "jpn", "", {{0, "日本語"}}}},
                   "日本語"},
        ChoiceCase{"TimedSyltBeforePlainUslt",
                   {{"USLT", "jpn", "", {{0, "plain"}}}, {"SYLT", "eng", "", {{500, "a"}}}},
                   "[00:00.50]a\n"},
        ChoiceCase{"ChordsAreNoLyrics",
                   {{"SYLT", "jpn", "", {{0, "Am"}}, SynchronizedLyricsFrame::Chord},
                    {"USLT", "jpn", "", {{0, "歌"}}}},
                   "歌"},
        // 100 frames of 1152 samples at 44.1 kHz.
        ChoiceCase{"MpegFrameTimes",
                   {{"SYLT",
                     "jpn",
                     "",
                     {{100, "b"}},
                     SynchronizedLyricsFrame::Lyrics,
                     SynchronizedLyricsFrame::AbsoluteMpegFrames}},
                   "[00:02.61]b\n"},
        // Each line opens with the ID3 new line; entries without it carry on
        // the line before, as its syllables with their times.
        ChoiceCase{"NewLineOpensALine",
                   {{"SYLT", "jpn", "", {{500, "\n夜明け"}, {900, "の"}, {1500, "\n街"}}}},
                   "[00:00.50]<00:00.50>夜明け<00:00.90>の\n[00:01.50]街\n"}),
    [](const auto& info) { return info.param.name; });

TEST(SongLyricsTags, ReadsVorbisUnsyncedLyrics) {
    TempFolder folder;
    ASSERT_TRUE(MakeSong(folder, "a.flac", "-c:a flac"));
    {
        TagLib::FLAC::File flac((folder / "a.flac").c_str());
        flac.xiphComment(true)->addField("UNSYNCEDLYRICS",
                                         TagLib::String("歌", TagLib::String::UTF8));
        ASSERT_TRUE(flac.save());
    }
    EXPECT_EQ(ReadSongLyrics(folder / "a.flac").text, "歌");
}

struct RefusalCase {
    const char* name;
    const char* message;
};

class SongLyricsRefusalTest : public testing::TestWithParam<RefusalCase> {};

// Whatever stops a write, the song is byte for byte as it was and no copy is
// left beside it.
TEST_P(SongLyricsRefusalTest, LeavesTheSongAsItWas) {
    TempFolder folder;
    const std::string name = GetParam().name;
    std::filesystem::path song = folder / "a.mp3";
    if (name == "ReadOnly") {
        ASSERT_TRUE(MakeSong(folder, "a.mp3", "-c:a libmp3lame"));
        std::filesystem::permissions(song, std::filesystem::perms::owner_read);
    } else if (name == "NotASong") {
        folder.write("a.mp3", "these are lyrics, not a song\n");
    } else if (name == "DamagedTag") {
        // An ID3v2 header whose size runs far past the end, then noise.
        folder.write("a.mp3", std::string("ID3\x04\x00\x00\x7F\x7F\x7F\x7F", 10) +
                                  std::string(3000, '\xFF'));
    } else if (name == "Unsupported") {
        song = folder / "a.wav";
        ASSERT_TRUE(MakeSong(folder, "a.wav", "-c:a pcm_s16le"));
    } else if (name == "Missing") {
        song = folder / "none.mp3";
    }
    const bool existed = std::filesystem::exists(song);
    const std::string before = existed ? test::ReadBytes(song) : "";
    const std::size_t entries = EntriesIn(folder.path());

    const SongTagResult result = WriteSongLyrics(song, SongLyricsFrom(TimedDocument(), ""), true);
    EXPECT_FALSE(result);
    EXPECT_THAT(result.message, HasSubstr(GetParam().message));
    EXPECT_THAT(result.message, HasSubstr(song.filename().string()));
    EXPECT_EQ(std::filesystem::exists(song), existed);
    if (existed) {
        EXPECT_EQ(test::ReadBytes(song), before);
    }
    EXPECT_EQ(EntriesIn(folder.path()), entries);
}

INSTANTIATE_TEST_SUITE_P(Cases, SongLyricsRefusalTest,
                         testing::Values(RefusalCase{"ReadOnly", "読み取り専用"},
                                         RefusalCase{"NotASong", "曲として開けません"},
                                         RefusalCase{"DamagedTag", "曲として開けません"},
                                         RefusalCase{"Unsupported", "この形式"},
                                         RefusalCase{"Missing", "ありません"}),
                         [](const auto& info) { return info.param.name; });

TEST(SongLyricsTags, NothingToWriteIsRefused) {
    TempFolder folder;
    folder.write("a.mp3", "x");
    const SongTagResult result = WriteSongLyrics(folder / "a.mp3", SongLyrics{}, true);
    EXPECT_FALSE(result);
    EXPECT_EQ(folder.read("a.mp3"), "x");
}

TEST(SongLyricsTags, ReadingASongTagLibCannotOpenFails) {
    TempFolder folder;
    folder.write("a.mp3", "not a song");
    EXPECT_EQ(ReadSongLyrics(folder / "a.mp3").status, SongLyricsStatus::Failed);
    EXPECT_EQ(ReadSongLyrics(folder / "none.mp3").status, SongLyricsStatus::Failed);
}

struct NamesCase {
    const char* name;
    const char* file;
    const char* codec;  // empty: a text file in the song's place
    const char* metadata;
    std::string title;               // Shift-JIS, as the fields end up
    std::string artist;              // Shift-JIS
    std::vector<bool> consent = {};  // the answers to the replacement question
};

class SongNamesTest : public testing::TestWithParam<NamesCase> {};

// The fields of the song before never stay: what the new song's tags say
// replaces them, and what they leave out is emptied.
TEST_P(SongNamesTest, FieldsBecomeTheSongsOwn) {
    const NamesCase& c = GetParam();
    TempFolder folder;
    if (*c.codec != '\0') {
        ASSERT_TRUE(MakeSong(folder, c.file, std::string(c.metadata) + " " + c.codec));
    } else {
        folder.write(c.file, "not a song");
    }
    Document document;
    UnsavedChanges changes(document);
    document.setTitle("earlier title");
    document.setArtist("earlier artist");
    changes.markSaved();
    std::vector<bool> answers = c.consent;
    int asked = 0;
    TakeSongNames(document, changes, folder / c.file, [&](const std::vector<char32_t>&) {
        ++asked;
        return answers.at(asked - 1);
    });
    EXPECT_EQ(document.title(), c.title);
    EXPECT_EQ(document.artist(), c.artist);
    EXPECT_EQ(asked, static_cast<int>(c.consent.size()));
    EXPECT_FALSE(changes.modified()) << "the song's names are no unsaved work";
    // One step, which brings the earlier names back.
    document.history.undo();
    EXPECT_EQ(document.title(), "earlier title");
    EXPECT_EQ(document.artist(), "earlier artist");
}

INSTANTIATE_TEST_SUITE_P(
    Songs, SongNamesTest,
    testing::Values(NamesCase{"Mp3BothNames", "a.mp3", "-c:a libmp3lame",
                              "-metadata title=夜明け -metadata artist=obrin", Sj("夜明け"),
                              "obrin"},
                    // A WAV's names stand in its RIFF INFO list.
                    NamesCase{"WavInfoList", "a.wav", "-c:a pcm_s16le",
                              "-metadata title=Dawn -metadata artist=Singer", "Dawn", "Singer"},
                    NamesCase{"NoTags", "a.mp3", "-c:a libmp3lame", "", "", ""},
                    NamesCase{"NotASong", "a.mp3", "", "", "", ""},
                    NamesCase{"UnmappableReplacedOnConsent",
                              "a.mp3",
                              "-c:a libmp3lame",
                              "-metadata title=é -metadata artist=é",
                              Sj("・"),
                              "",
                              {true, false}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace obrin
