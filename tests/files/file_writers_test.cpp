// Every writer that replaces a file the user named (lyrics, INI files,
// standard LRC, tag-information files, a song's tags in the editor and in
// obrin-cli, the SP250 and lyric-MP3 libraries) over every shape that file can
// have on disk: each must follow the one set of rules in
// obrin_files/file_replacement.h.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "base/ini_file.h"
#include "cli_run.h"
#include "export_library.h"
#include "obrin/marlet.h"
#include "obrin/tessary.h"
#include "obrin_files/file_replacement.h"
#include "temp_folder.h"
#include "text/completed_text.h"
#include "text/lyrics_expansion.h"
#include "text/song_lyrics_tags.h"
#include "text/tag_info_file.h"

namespace obrin {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

// Longer than the file-size limit of the failing case, whatever the writer
// adds around it.
const std::string kNewText = "new lyrics line";
const std::string kOld = "old contents";

// A one-second MP3 made by ffmpeg, once; empty without ffmpeg.
const std::string& SongBytes() {
    static const std::string bytes = [] {
        TempFolder folder;
        const std::string command =
            "ffmpeg -v error -nostdin -f lavfi -i sine=frequency=440:duration=1 -c:a libmp3lame "
            "'" +
            (folder / "song.mp3").string() + "' 2>/dev/null";
        return std::system(command.c_str()) == 0 ? ReadBytes(folder / "song.mp3") : std::string();
    }();
    return bytes;
}

// What the writers read from outside the folder under test.
struct Bench {
    TempFolder folder;
    fs::path lyrics = folder / "in.lrc";
    fs::path source = folder / "source.mp3";
    Bench() {
        WriteBytes(lyrics, "@Title=ABC\r\n[00:01:00]" + kNewText + "\r\n");
        WriteBytes(source, "\xFF\xFB\x90\x64 source audio");
    }
};

Document NewDocument() {
    Document document;
    document.lyrics.assignLines({{.lyricText = kNewText, .timeText = "00:01:00"}});
    return document;
}

bool HoldsNewText(const fs::path& file) {
    return ReadBytes(file).find(kNewText) != std::string::npos;
}

bool HoldsNewLyricsTag(const fs::path& file) {
    const SongLyricsRead read = ReadSongLyrics(file);
    return read.status == SongLyricsStatus::Found && read.text.find(kNewText) != std::string::npos;
}

struct Writer {
    const char* name;
    const char* extension;
    bool needsSong;  // refuses a target that is not a song already
    bool (*write)(const Bench& bench, const fs::path& target);
    bool (*isNew)(const fs::path& file);
};

const Writer kWriters[] = {
    {"Bytes", ".txt", false,
     [](const Bench&, const fs::path& target) { return !WriteFileAtomically(target, kNewText); },
     HoldsNewText},
    {"Ini", ".ini", false,
     [](const Bench&, const fs::path& target) {
         IniFile ini;
         ini.writeString("Main", "Line", kNewText);
         return !ini.save(target);
     },
     HoldsNewText},
    {"LyricsText", ".txt", false,
     [](const Bench&, const fs::path& target) { return !WriteTextFile(target, {kNewText}); },
     HoldsNewText},
    {"TagInfo", ".obt", false,
     [](const Bench&, const fs::path& target) {
         return !SaveTagInfoFile(target, NewDocument(), ExpansionOptions{});
     },
     [](const fs::path& file) {
         return ReadBytes(file) == FormatTagInfoFile(NewDocument(), ExpansionOptions{});
     }},
    {"CliStandardLrc", ".lrc", false,
     [](const Bench& bench, const fs::path& target) {
         return test::RunCli(bench.folder,
                             {"std-lrc", "-o", target.string(), bench.lyrics.string()})
                    .status == 0;
     },
     HoldsNewText},
    {"Marlet", ".snc", false,
     [](const Bench&, const fs::path& target) {
         test::ExportLibrary library("marlet.dll");
         auto init = library.get<MarletInitFunction>(MARLET_INIT_SYMBOL);
         auto add = library.get<MarletAddFunction>(MARLET_ADD_SYMBOL);
         auto close = library.get<MarletCloseFunction>(MARLET_CLOSE_SYMBOL);
         if (!init || !add || !close || init(target.c_str()) != MARLET_OPENED) return false;
         const bool added = add(1000, kNewText.c_str()) == MARLET_ADDED;
         return close() == MARLET_CLOSED && added;
     },
     HoldsNewText},
    {"Tessary", ".mp3", false,
     [](const Bench& bench, const fs::path& target) {
         test::ExportLibrary library("tessary.dll");
         auto add = library.get<TessaryAddItemFunction>(TESSARY_ADD_ITEM_SYMBOL);
         auto create = library.get<TessaryCreateFunction>(TESSARY_CREATE_SYMBOL);
         return add && create && add(kNewText.c_str(), 1000) == TESSARY_ITEM_ADDED &&
                create(bench.source.c_str(), target.c_str()) == TESSARY_WRITTEN;
     },
     HoldsNewText},
    {"SongTags", ".mp3", true,
     [](const Bench&, const fs::path& target) {
         return WriteSongLyrics(target, SongLyricsFrom(NewDocument(), ""), true).ok;
     },
     HoldsNewLyricsTag},
    {"CliSongTags", ".mp3", true,
     [](const Bench& bench, const fs::path& target) {
         return test::RunCli(bench.folder, {"tag", target.string(), bench.lyrics.string()})
                    .status == 0;
     },
     HoldsNewLyricsTag},
};

enum class Shape {
    Plain,
    Link,          // target -> sub/real
    LinkChain,     // target -> sub/mid -> sub/real
    DanglingLink,  // target -> sub/made, which does not exist yet
    HardLink,      // target and sub/other are one file
    Mode0640,
    OwnerAndGroup,  // another user's file, written by root
    LongName,       // 80 Japanese characters
    FailsMidway,    // the disk fills up during the write
};

const char* NameOf(Shape shape) {
    switch (shape) {
        case Shape::Plain:
            return "Plain";
        case Shape::Link:
            return "Link";
        case Shape::LinkChain:
            return "LinkChain";
        case Shape::DanglingLink:
            return "DanglingLink";
        case Shape::HardLink:
            return "HardLink";
        case Shape::Mode0640:
            return "Mode0640";
        case Shape::OwnerAndGroup:
            return "OwnerAndGroup";
        case Shape::LongName:
            return "LongName";
        case Shape::FailsMidway:
            return "FailsMidway";
    }
    return "";
}

constexpr Shape kShapes[] = {Shape::Plain,         Shape::Link,     Shape::LinkChain,
                             Shape::DanglingLink,  Shape::HardLink, Shape::Mode0640,
                             Shape::OwnerAndGroup, Shape::LongName, Shape::FailsMidway};

// Every entry under `folder`, with its kind, so a link turned into a file or
// a temporary file left behind shows.
void AddEntries(const fs::path& root, const fs::path& folder, std::vector<std::string>& entries) {
    for (const auto& entry : fs::directory_iterator(folder)) {
        const fs::file_type type = entry.symlink_status().type();
        const char kind = type == fs::file_type::symlink     ? 'l'
                          : type == fs::file_type::directory ? 'd'
                                                             : 'f';
        entries.push_back(kind + (":" + entry.path().lexically_relative(root).string()));
        if (kind == 'd') AddEntries(root, entry.path(), entries);
    }
}

std::vector<std::string> Entries(const fs::path& folder) {
    std::vector<std::string> entries;
    AddEntries(folder, folder, entries);
    std::sort(entries.begin(), entries.end());
    return entries;
}

constexpr uid_t kOtherUser = 4321;
constexpr gid_t kOtherGroup = 4322;

using WriterCase = std::tuple<Writer, Shape>;

class FileWritersTest : public testing::TestWithParam<WriterCase> {};

TEST_P(FileWritersTest, ReplaceTheFileByOneRule) {
    const auto& [writer, shape] = GetParam();
    if (writer.needsSong && SongBytes().empty()) GTEST_SKIP() << "ffmpeg is not installed";
    if (shape == Shape::OwnerAndGroup && ::geteuid() != 0)
        GTEST_SKIP() << "only root may give a file to another user";
    const std::string old = writer.needsSong ? SongBytes() : kOld;
    const std::string ext = writer.extension;
    Bench bench;
    TempFolder folder;
    fs::create_directory(folder / "sub");
    fs::path target = folder / ("target" + ext);
    fs::path holder = target;  // the file that gets the new content
    switch (shape) {
        case Shape::Link:
            holder = folder / "sub" / ("real" + ext);
            WriteBytes(holder, old);
            fs::create_symlink("sub/real" + ext, target);
            break;
        case Shape::LinkChain:
            holder = folder / "sub" / ("real" + ext);
            WriteBytes(holder, old);
            fs::create_symlink("real" + ext, folder / "sub" / ("mid" + ext));
            fs::create_symlink("sub/mid" + ext, target);
            break;
        case Shape::DanglingLink:
            holder = folder / "sub" / ("made" + ext);
            fs::create_symlink("sub/made" + ext, target);
            break;
        case Shape::HardLink:
            WriteBytes(target, old);
            fs::create_hard_link(target, folder / "sub" / ("other" + ext));
            break;
        case Shape::LongName: {
            std::string name;
            for (int i = 0; i < 80; ++i) name += "あ";
            target = holder = folder / (name + ext);
            WriteBytes(target, old);
            break;
        }
        default:
            WriteBytes(target, old);
    }
    if (shape == Shape::Mode0640) {
        ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    }
    if (shape == Shape::OwnerAndGroup) {
        ASSERT_EQ(::chown(target.c_str(), kOtherUser, kOtherGroup), 0);
    }
    const std::vector<std::string> before = Entries(folder.path());

    bool written = false;
    {
        std::optional<test::FileSizeLimit> full;
        if (shape == Shape::FailsMidway) full.emplace(8);
        written = writer.write(bench, target);
    }

    // A song's tags need a song: a link to none is refused.
    if (shape == Shape::FailsMidway || (writer.needsSong && shape == Shape::DanglingLink)) {
        EXPECT_FALSE(written);
        EXPECT_EQ(Entries(folder.path()), before);
        if (fs::exists(holder)) {
            EXPECT_EQ(ReadBytes(holder), old);
        }
        return;
    }
    ASSERT_TRUE(written);
    EXPECT_TRUE(writer.isNew(holder));
    std::vector<std::string> after = before;
    if (shape == Shape::DanglingLink) {
        after.push_back("f:sub/made" + ext);
        std::sort(after.begin(), after.end());
    }
    EXPECT_EQ(Entries(folder.path()), after);

    struct stat status {};
    ASSERT_EQ(::stat(holder.c_str(), &status), 0);
    if (shape == Shape::HardLink) {
        EXPECT_EQ(ReadBytes(folder / "sub" / ("other" + ext)), old);
        EXPECT_EQ(status.st_nlink, 1u);
    }
    if (shape == Shape::Mode0640) {
        EXPECT_EQ(status.st_mode & 07777, 0640u);
    }
    if (shape == Shape::OwnerAndGroup) {
        EXPECT_EQ(status.st_uid, kOtherUser);
        EXPECT_EQ(status.st_gid, kOtherGroup);
    }
}

INSTANTIATE_TEST_SUITE_P(Writers, FileWritersTest,
                         testing::Combine(testing::ValuesIn(kWriters), testing::ValuesIn(kShapes)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_" +
                                    NameOf(std::get<1>(info.param));
                         });

// The temporary file: hidden, beside the file it replaces, short whatever the
// target's name, with the target's extension, and gone once it is in place.
TEST(FileReplacement, TemporaryNameIsHiddenShortAndKeepsTheExtension) {
    TempFolder folder;
    std::string name;
    for (int i = 0; i < 80; ++i) name += "歌";
    fs::create_directory(folder / "sub");
    fs::create_symlink("sub/" + name + ".flac", folder / "link.flac");

    FileReplacement replacement;
    ASSERT_FALSE(replacement.begin(folder / "link.flac", "tag"));
    const fs::path temporary = replacement.temporary();
    EXPECT_EQ(temporary.parent_path(), folder / "sub");
    EXPECT_EQ(temporary.filename().string().front(), '.');
    EXPECT_LE(temporary.filename().string().size(), 100u);
    EXPECT_EQ(temporary.extension(), ".flac");
    EXPECT_TRUE(fs::exists(temporary));
    ASSERT_FALSE(replacement.write("flac"));
    ASSERT_FALSE(replacement.commit());

    EXPECT_FALSE(fs::exists(temporary));
    EXPECT_EQ(ReadBytes(folder / "sub" / (name + ".flac")), "flac");
}

struct RefusalCase {
    const char* name;
    const char* target;  // in a folder holding file.txt, folder/, loop -> loop
    std::errc error;
};

class FileReplacementRefusalTest : public testing::TestWithParam<RefusalCase> {};

TEST_P(FileReplacementRefusalTest, RefusesBeforeWritingAnything) {
    TempFolder folder;
    folder.write("file.txt", kOld);
    fs::create_directory(folder / "folder");
    fs::create_symlink("loop", folder / "loop");
    fs::create_symlink("folder", folder / "folder-link");
    const std::vector<std::string> before = Entries(folder.path());

    FileReplacement replacement;
    EXPECT_EQ(replacement.begin(folder.path() / GetParam().target), GetParam().error);
    replacement.discard();
    EXPECT_EQ(Entries(folder.path()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Targets, FileReplacementRefusalTest,
    testing::Values(RefusalCase{"Folder", "folder", std::errc::is_a_directory},
                    RefusalCase{"LinkToAFolder", "folder-link", std::errc::is_a_directory},
                    RefusalCase{"NoName", "folder/", std::errc::invalid_argument},
                    RefusalCase{"Device", "/dev/null", std::errc::invalid_argument},
                    RefusalCase{"LinkLoop", "loop", std::errc::too_many_symbolic_link_levels},
                    RefusalCase{"MissingFolder", "none/file.txt",
                                std::errc::no_such_file_or_directory}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace obrin
