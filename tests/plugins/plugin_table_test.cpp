#include "playback/plugin_table.h"

#include <gtest/gtest.h>

#include "playback/music_file_names.h"

namespace obrin {
namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

PluginTable TableOf(const Entries& keys) {
    PluginTable table;
    for (const auto& [extension, library] : keys) table.add(extension, library);
    return table;
}

Entries EntriesOf(const PluginTable& table) {
    Entries out;
    for (const auto& entry : table.entries()) out.emplace_back(entry.extension, entry.library);
    return out;
}

struct TableCase {
    const char* what;
    Entries keys;  // in file order
    Entries entries;
};

void PrintTo(const TableCase& c, std::ostream* os) {
    *os << c.what;
}

class PluginTableTest : public testing::TestWithParam<TableCase> {};

TEST_P(PluginTableTest, KeepsOrderDropsEmptyKeepsFirst) {
    EXPECT_EQ(EntriesOf(TableOf(GetParam().keys)), GetParam().entries);
}

INSTANTIATE_TEST_SUITE_P(
    Reading, PluginTableTest,
    testing::Values(
        TableCase{"file order",
                  {{"wma", "wendax.dll"}, {"mp3", "wendax.dll"}, {"wav", "vellin.dll"}},
                  {{"wma", "wendax.dll"}, {"mp3", "wendax.dll"}, {"wav", "vellin.dll"}}},
        TableCase{
            "empty value not taken", {{"wav", "vellin.dll"}, {"mp3", ""}}, {{"wav", "vellin.dll"}}},
        TableCase{"same key in other case keeps the first",
                  {{"wav", "a.dll"}, {"mp3", "b.dll"}, {"WAV", "c.dll"}},
                  {{"wav", "a.dll"}, {"mp3", "b.dll"}}},
        TableCase{"empty value does not erase an earlier entry",
                  {{"wav", "a.dll"}, {"Wav", ""}},
                  {{"wav", "a.dll"}}},
        TableCase{"empty first, then a value: added",
                  {{"wav", ""}, {"WAV", "a.dll"}},
                  {{"WAV", "a.dll"}}}));

TEST(PluginTable, LookupIgnoresCaseAndMissesGiveEmpty) {
    const PluginTable table = TableOf({{"mp3", "wendax.dll"}, {"WAV", "vellin.dll"}});
    EXPECT_EQ(table.lookup("mp3"), "wendax.dll");
    EXPECT_EQ(table.lookup("MP3"), "wendax.dll");
    EXPECT_EQ(table.lookup("wav"), "vellin.dll");
    EXPECT_EQ(table.lookup("ogg"), "");
    EXPECT_EQ(table.lookup(""), "");
}

struct FilterCase {
    Entries keys;
    const char* filter;
};

class MusicFilterTest : public testing::TestWithParam<FilterCase> {};

TEST_P(MusicFilterTest, ExactText) {
    EXPECT_EQ(BuildMusicFilter(TableOf(GetParam().keys)), GetParam().filter);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, MusicFilterTest,
    testing::Values(FilterCase{{{"mp3", "w.dll"}, {"wma", "w.dll"}},
                               "対応ファイル(*.mp3 *.wma )|*.mp3;*.wma|全てのファイル(*.*)|*.*"},
                    FilterCase{{}, "対応ファイル()||全てのファイル(*.*)|*.*"},
                    FilterCase{{{"wav", "v.dll"}},
                               "対応ファイル(*.wav )|*.wav|全てのファイル(*.*)|*.*"},
                    FilterCase{{{"wav", "v.dll"}, {"rmp", ""}, {"mp3", "w.dll"}},
                               "対応ファイル(*.wav *.mp3 )|*.wav;*.mp3|全てのファイル(*.*)|*.*"}));

struct NameCase {
    const char* path;
    const char* key;
    const char* txt;
};

class MusicFileNameTest : public testing::TestWithParam<NameCase> {};

TEST_P(MusicFileNameTest, ExtensionKeyAndReplacement) {
    EXPECT_EQ(ExtensionKey(GetParam().path), GetParam().key);
    EXPECT_EQ(ReplaceExtension(GetParam().path, ".txt"), GetParam().txt);
}

INSTANTIATE_TEST_SUITE_P(Paths, MusicFileNameTest,
                         testing::Values(NameCase{"/music/song.mp3", "mp3", "/music/song.txt"},
                                         NameCase{"/music/SONG.MP3", "mp3", "/music/SONG.txt"},
                                         NameCase{"a.b.wma", "wma", "a.b.txt"},
                                         NameCase{"/music/noext", "", "/music/noext.txt"},
                                         NameCase{"/mu.sic/noext", "", "/mu.sic/noext.txt"},
                                         NameCase{"/music/trailing.", "", "/music/trailing.txt"},
                                         NameCase{"/music/.hidden", "hidden", "/music/.txt"}));

TEST(MusicFileName, KeyIsCutTo999Characters) {
    EXPECT_EQ(ExtensionKey("x." + std::string(1200, 'A')), std::string(999, 'a'));
}

}  // namespace
}  // namespace obrin
