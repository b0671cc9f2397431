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
#include <functional>
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
using testing::UnorderedElementsAre;

// A one-second tone made by ffmpeg in the test's own folder.
bool MakeSong(const TempFolder& folder, const std::string& name, const std::string& codec) {
    const std::string command =
        "ffmpeg -v error -nostdin -f lavfi -i sine=frequency=440:duration=1 " + codec + " '" +
        (folder / name).string() + "'";
    return std::system(command.c_str()) == 0;
}

bool HaveFfmpeg() {
    static const bool have = std::system("ffmpeg -version >/dev/null 2>&1") == 0;
    return have;
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
    if (!HaveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
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
    if (!HaveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
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

TagLib::String U(const std::string& utf8) {
    return TagLib::String(utf8, TagLib::String::UTF8);
}

void AddUslt(TagLib::ID3v2::Tag& tag, const char* language, const char* description,
             const std::string& text) {
    auto* frame = new UnsynchronizedLyricsFrame(TagLib::String::UTF16);
    frame->setLanguage(language);
    frame->setDescription(U(description));
    frame->setText(U(text));
    tag.addFrame(frame);
}

using Entries = std::vector<std::pair<unsigned, std::string>>;

void AddSylt(
    TagLib::ID3v2::Tag& tag, const char* language, const char* description, const Entries& entries,
    SynchronizedLyricsFrame::TimestampFormat format = SynchronizedLyricsFrame::AbsoluteMilliseconds,
    SynchronizedLyricsFrame::Type type = SynchronizedLyricsFrame::Lyrics) {
    auto* frame = new SynchronizedLyricsFrame(TagLib::String::UTF16);
    frame->setLanguage(language);
    frame->setDescription(U(description));
    frame->setTimestampFormat(format);
    frame->setType(type);
    SynchronizedLyricsFrame::SynchedTextList list;
    for (const auto& [time, text] : entries)
        list.append(SynchronizedLyricsFrame::SynchedText(time, U(text)));
    frame->setSynchedText(list);
    tag.addFrame(frame);
}

// Frames as "USLT lang/description: text" or "SYLT lang/description type:
// time text|time text".
std::vector<std::string> LyricsFrames(const std::filesystem::path& song) {
    TagLib::MPEG::File mp3(song.c_str());
    std::vector<std::string> frames;
    for (auto* frame : mp3.ID3v2Tag()->frameList("USLT")) {
        const auto* uslt = dynamic_cast<UnsynchronizedLyricsFrame*>(frame);
        frames.push_back("USLT " + std::string(uslt->language().data(), 3) + "/" +
                         uslt->description().to8Bit(true) + ": " + uslt->text().to8Bit(true));
    }
    for (auto* frame : mp3.ID3v2Tag()->frameList("SYLT")) {
        const auto* sylt = dynamic_cast<SynchronizedLyricsFrame*>(frame);
        std::string line = "SYLT " + std::string(sylt->language().data(), 3) + "/" +
                           sylt->description().to8Bit(true) + " " + std::to_string(sylt->type()) +
                           ":";
        for (const auto& entry : sylt->synchedText())
            line += " " + std::to_string(entry.time) + " " + entry.text.to8Bit(true) + "|";
        frames.push_back(line);
    }
    return frames;
}

// obrin replaces what it wrote before (USLT and lyrics SYLT in "jpn" without
// a description) and no frame of another tool or language; SYLT entries go
// in time order whatever the list order.
TEST(SongLyricsTags, ReplacesOnlyItsOwnFramesAndSortsSylt) {
    if (!HaveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
    TempFolder folder;
    ASSERT_TRUE(MakeSong(folder, "a.mp3", "-c:a libmp3lame"));
    const auto song = folder / "a.mp3";
    {
        TagLib::MPEG::File mp3(song.c_str());
        TagLib::ID3v2::Tag& tag = *mp3.ID3v2Tag(true);
        AddUslt(tag, "eng", "", "English");
        AddUslt(tag, "jpn", "translation", "訳");
        AddUslt(tag, "jpn", "", "old");
        AddSylt(tag, "jpn", "", {{100, "old"}});
        AddSylt(tag, "jpn", "", {{0, "Am"}}, SynchronizedLyricsFrame::AbsoluteMilliseconds,
                SynchronizedLyricsFrame::Chord);
        ASSERT_TRUE(mp3.save());
    }
    const SongLyrics lyrics{.text = "[00:01.25]b\n[00:00.50]a\n",
                            .synced = {{1250, "b"}, {500, "a"}}};
    ASSERT_TRUE(WriteSongLyrics(song, lyrics, true));
    EXPECT_THAT(LyricsFrames(song),
                UnorderedElementsAre("USLT eng/: English", "USLT jpn/translation: 訳",
                                     "USLT jpn/: [00:01.25]b\n[00:00.50]a\n", "SYLT jpn/ 5: 0 Am|",
                                     "SYLT jpn/ 1: 500 a| 1250 b|"));
}

struct TagReadCase {
    const char* name;
    const char* file;
    const char* codec;
    std::function<void(const std::filesystem::path&)> put;
    std::string text;  // what ReadSongLyrics finds
};

void PutMp3(const std::filesystem::path& song,
            const std::function<void(TagLib::ID3v2::Tag&)>& put) {
    TagLib::MPEG::File mp3(song.c_str());
    put(*mp3.ID3v2Tag(true));
    ASSERT_TRUE(mp3.save());
}

class SongLyricsChoiceTest : public testing::TestWithParam<TagReadCase> {};

TEST_P(SongLyricsChoiceTest, ReadsTheLyricsAUserMeans) {
    if (!HaveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
    TempFolder folder;
    ASSERT_TRUE(MakeSong(folder, GetParam().file, GetParam().codec));
    const auto song = folder / GetParam().file;
    GetParam().put(song);
    const SongLyricsRead read = ReadSongLyrics(song);
    ASSERT_EQ(read.status, SongLyricsStatus::Found) << read.message;
    EXPECT_EQ(read.text, GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SongLyricsChoiceTest,
    testing::Values(
        TagReadCase{"MainLyricsBeforeATranslation", "a.mp3", "-c:a libmp3lame",
                    [](const auto& song) {
                        PutMp3(song, [](auto& tag) {
                            AddUslt(tag, "jpn", "translation", "訳");
                            AddUslt(tag, "eng", "", "main");
                        });
                    },
                    "main"},
        TagReadCase{"JapaneseBeforeAnotherLanguage", "a.mp3", "-c:a libmp3lame",
                    [](const auto& song) {
                        PutMp3(song, [](auto& tag) {
                            AddUslt(tag, "eng", "", "English");
                            AddUslt(tag, "jpn", "", "日本語");
                        });
                    },
                    "日本語"},
        TagReadCase{"TimedSyltBeforePlainUslt", "a.mp3", "-c:a libmp3lame",
                    [](const auto& song) {
                        PutMp3(song, [](auto& tag) {
                            AddUslt(tag, "jpn", "", "plain");
                            AddSylt(tag, "eng", "", {{500, "a"}, {1250, "b"}});
                        });
                    },
                    "[00:00.50]a\n[00:01.25]b\n"},
        TagReadCase{"ChordsAreNoLyrics", "a.mp3", "-c:a libmp3lame",
                    [](const auto& song) {
                        PutMp3(song, [](auto& tag) {
                            AddSylt(tag, "jpn", "", {{0, "Am"}},
                                    SynchronizedLyricsFrame::AbsoluteMilliseconds,
                                    SynchronizedLyricsFrame::Chord);
                            AddUslt(tag, "jpn", "", "歌");
                        });
                    },
                    "歌"},
        // 100 frames of 1152 samples at 44.1 kHz.
        TagReadCase{"MpegFrameTimes", "a.mp3", "-c:a libmp3lame",
                    [](const auto& song) {
                        PutMp3(song, [](auto& tag) {
                            AddSylt(tag, "jpn", "", {{0, "a"}, {100, "b"}},
                                    SynchronizedLyricsFrame::AbsoluteMpegFrames);
                        });
                    },
                    "[00:00.00]a\n[00:02.61]b\n"},
        // kid3 opens each line with the ID3 new line; entries without it
        // carry on the line before.
        TagReadCase{
            "NewLineOpensALine", "a.mp3", "-c:a libmp3lame",
            [](const auto& song) {
                PutMp3(song, [](auto& tag) {
                    AddSylt(tag, "jpn", "", {{500, "\n夜明け"}, {900, "の"}, {1500, "\n街"}});
                });
            },
            "[00:00.50]夜明けの\n[00:01.50]街\n"},
        TagReadCase{"VorbisUnsyncedLyrics", "a.flac", "-c:a flac",
                    [](const auto& song) {
                        TagLib::FLAC::File flac(song.c_str());
                        flac.xiphComment(true)->addField("UNSYNCEDLYRICS", U("歌"));
                        ASSERT_TRUE(flac.save());
                    },
                    "歌"}),
    [](const auto& info) { return info.param.name; });

struct RefusalCase {
    const char* name;
    const char* message;
};

class SongLyricsRefusalTest : public testing::TestWithParam<RefusalCase> {};

// Whatever stops a write, the song is byte for byte as it was and no copy is
// left beside it.
TEST_P(SongLyricsRefusalTest, LeavesTheSongAsItWas) {
    if (!HaveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
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

}  // namespace
}  // namespace obrin
