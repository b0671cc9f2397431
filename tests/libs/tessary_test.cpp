// tessary loaded by name as the editor loads it: the tag byte for byte, the
// copy of the source, and every refusal.
#include "obrin/tessary.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <random>

#include "export_library.h"
#include "temp_folder.h"

namespace obrin {
namespace {

using test::FolderNames;
using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

// "49 44 33" → the three bytes.
std::string Hex(std::string_view text) {
    std::string bytes;
    std::string digits;
    for (char c : text) {
        if (c == ' ') continue;
        digits += c;
        if (digits.size() == 2) {
            bytes += static_cast<char>(std::stoi(digits, nullptr, 16));
            digits.clear();
        }
    }
    return bytes;
}

const std::string kPadding(10, '\0');

struct Item {
    std::string text;
    std::int32_t milliseconds;
};

class TessaryTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(init_, nullptr);
        ASSERT_NE(addItem_, nullptr);
        ASSERT_NE(create_, nullptr);
        WriteBytes(source_, kAudio);
    }

    void add(const std::vector<Item>& items) {
        for (const Item& item : items) {
            ASSERT_EQ(addItem_(item.text.c_str(), item.milliseconds), TESSARY_ITEM_ADDED);
        }
    }
    std::int32_t create(const std::filesystem::path& source, const std::filesystem::path& output) {
        return create_(source.c_str(), output.c_str());
    }
    // The output's tag: what precedes the source's bytes.
    std::string tagOf(const std::filesystem::path& output, const std::string& source) {
        const std::string bytes = ReadBytes(output);
        EXPECT_GE(bytes.size(), source.size());
        EXPECT_EQ(bytes.substr(bytes.size() - source.size()), source);
        return bytes.substr(0, bytes.size() - source.size());
    }

    const std::string kAudio = "\xFF\xFB\x90\x64 not really audio";
    TempFolder folder_;
    std::filesystem::path source_ = folder_ / "a.mp3";
    std::filesystem::path output_ = folder_ / "out.mp3";
    test::ExportLibrary library_{"tessary.dll"};
    TessaryInitFunction init_ = library_.get<TessaryInitFunction>(TESSARY_INIT_SYMBOL);
    TessaryAddItemFunction addItem_ = library_.get<TessaryAddItemFunction>(TESSARY_ADD_ITEM_SYMBOL);
    TessaryCreateFunction create_ = library_.get<TessaryCreateFunction>(TESSARY_CREATE_SYMBOL);
};

struct TagCase {
    const char* name;
    std::vector<Item> items;
    std::string tag;
};

class TessaryTagTest : public TessaryTest, public testing::WithParamInterface<TagCase> {};

TEST_P(TessaryTagTest, PutsTheTagBeforeTheSource) {
    add(GetParam().items);
    ASSERT_EQ(create(source_, output_), TESSARY_WRITTEN);
    EXPECT_EQ(ReadBytes(output_), GetParam().tag + kAudio);
}

INSTANTIATE_TEST_SUITE_P(
    Items, TessaryTagTest,
    testing::Values(
        TagCase{"OneItem",
                {{"abc", 83456}},
                Hex("49 44 33 03 00 00 00 00 00 0F  54 58 58 58 00 00 00 20 20 00  00"
                    "53 4F 87 D6 12 00  1F 00 00 00  01 00 00 00  53 00 00 00  00 00 09 00"
                    "30 30 A2 D0 61 62 63 0D 0A") +
                    kPadding},
        TagCase{"NoItems",
                {},
                Hex("49 44 33 03 00 00 00 00 00 00  54 58 58 58 00 00 00 0F 20 00  00"
                    "53 4F 87 D6 12 00  0E 00 00 00  00 00 00 00") +
                    kPadding},
        TagCase{"WholeSecondsTruncated",
                {{"a", 999}, {"b", 61000}, {"c", -1500}},
                Hex("49 44 33 03 00 00 00 00 00 1B  54 58 58 58 00 00 00 3C 20 00  00"
                    "53 4F 87 D6 12 00  3B 00 00 00  03 00 00 00"
                    "00 00 00 00  3D 00 00 00  FF FF FF FF"
                    "00 00 07 00  00 00 07 00  00 00 07 00"
                    "30 30 A2 D0 61 0D 0A  30 30 A2 D0 62 0D 0A  30 30 A2 D0 63 0D 0A") +
                    kPadding},
        TagCase{"EmptyText",
                {{"", 5000}},
                Hex("49 44 33 03 00 00 00 00 00 06  54 58 58 58 00 00 00 1D 20 00  00"
                    "53 4F 87 D6 12 00  1C 00 00 00  01 00 00 00  05 00 00 00  00 00 06 00"
                    "30 30 A2 D0 0D 0A") +
                    kPadding}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TessaryTest, SizeFieldsWrapAsThePlayerReadsThem) {
    // Eleven items of 2002 bytes: the tag size field is 3 × 22022 modulo
    // 65536, not the tag's length and not syncsafe.
    for (int i = 0; i < 11; ++i) add({{std::string(2000, 'x'), i * 1000}});
    ASSERT_EQ(create(source_, output_), TESSARY_WRITTEN);
    const std::string tag = tagOf(output_, kAudio);
    const std::size_t end = 35 + 8 * 11 + 11 * 2006;
    ASSERT_EQ(tag.size(), end + 10);
    EXPECT_EQ(tag.substr(6, 4), Hex("00 00 02 12"));
    EXPECT_EQ(tag.substr(14, 4), Hex("00 00 56 99"));  // E − 20 = 0x5699
    EXPECT_EQ(tag.substr(27, 8), Hex("98 56 00 00  0B 00 00 00"));
}

TEST_F(TessaryTest, AnExistingTagStaysBehindOurs) {
    const std::string tagged = Hex("49 44 33 04 00 00 00 00 00 0A") + std::string(10, 'T') + kAudio;
    WriteBytes(source_, tagged);
    add({{"abc", 83456}});
    ASSERT_EQ(create(source_, output_), TESSARY_WRITTEN);
    EXPECT_EQ(tagOf(output_, tagged).size(), 62u);
}

TEST_F(TessaryTest, AnySourceIsCopiedByteForByte) {
    std::mt19937 random(7);
    for (std::size_t size : {0, 1, 4095, 4096, 4097, 3 * 4096 + 5}) {
        std::string bytes(size, '\0');
        for (char& c : bytes) c = static_cast<char>(random());
        WriteBytes(source_, bytes);
        ASSERT_EQ(create(source_, output_), TESSARY_WRITTEN) << size;
        EXPECT_EQ(tagOf(output_, bytes).size(), 45u) << size;
    }
}

TEST_F(TessaryTest, TheItemListLastsUntilInit) {
    add({{"abc", 83456}});
    ASSERT_EQ(create(source_, output_), TESSARY_WRITTEN);
    const std::string first = ReadBytes(output_);
    ASSERT_EQ(create(source_, output_), TESSARY_WRITTEN);
    EXPECT_EQ(ReadBytes(output_), first);

    EXPECT_EQ(init_(), 0);
    ASSERT_EQ(create(source_, output_), TESSARY_WRITTEN);
    EXPECT_EQ(tagOf(output_, kAudio).size(), 45u);
}

TEST(TessaryRelease, AReloadedLibraryStartsWithNoItems) {
    // The editor never calls Init: it counts on each load starting empty.
    TempFolder folder;
    WriteBytes(folder / "a.mp3", "audio");
    for (int load = 0; load < 2; ++load) {
        test::ExportLibrary library("tessary.dll");
        auto addItem = library.get<TessaryAddItemFunction>(TESSARY_ADD_ITEM_SYMBOL);
        auto create = library.get<TessaryCreateFunction>(TESSARY_CREATE_SYMBOL);
        ASSERT_TRUE(addItem != nullptr && create != nullptr);
        ASSERT_EQ(create((folder / "a.mp3").c_str(), (folder / "out.mp3").c_str()), 0);
        EXPECT_EQ(ReadBytes(folder / "out.mp3").size(), 45u + 5u) << "load " << load;
        ASSERT_EQ(addItem("line", 0), TESSARY_ITEM_ADDED);
    }
}

TEST_F(TessaryTest, RefusesToWriteOverTheSourceUnderAnyName) {
    std::filesystem::create_directory(folder_ / "sub");
    std::filesystem::create_symlink(source_, folder_ / "link.mp3");
    std::filesystem::create_hard_link(source_, folder_ / "hard.mp3");
    const auto names = FolderNames(folder_.path());
    const auto savedCwd = std::filesystem::current_path();
    std::filesystem::current_path(folder_.path());
    add({{"abc", 1000}});

    for (const std::string& output : std::vector<std::string>{
             "a.mp3", "./a.mp3", "sub/../a.mp3", "link.mp3", "hard.mp3", source_.string()}) {
        EXPECT_EQ(create_("a.mp3", output.c_str()), TESSARY_OUTPUT_UNWRITABLE) << output;
    }
    EXPECT_EQ(create_("link.mp3", "a.mp3"), TESSARY_OUTPUT_UNWRITABLE);
    std::filesystem::current_path(savedCwd);

    EXPECT_EQ(ReadBytes(source_), kAudio);
    EXPECT_EQ(FolderNames(folder_.path()), names);
}

struct LimitCase {
    const char* name;
    std::vector<std::size_t> textSizes;  // without the CR LF the library adds
    std::int32_t result;
};

class TessaryLimitTest : public TessaryTest, public testing::WithParamInterface<LimitCase> {};

TEST_P(TessaryLimitTest, RefusesItemsBeyondTheFormat) {
    WriteBytes(output_, "earlier output");
    for (std::size_t size : GetParam().textSizes) add({{std::string(size, 'x'), 0}});

    ASSERT_EQ(create(source_, output_), GetParam().result);

    if (GetParam().result == TESSARY_WRITTEN) {
        std::size_t tag = 45;
        for (std::size_t size : GetParam().textSizes) tag += 8 + 4 + size + 2;
        EXPECT_EQ(tagOf(output_, kAudio).size(), tag);
    } else {
        EXPECT_EQ(ReadBytes(output_), "earlier output");
        EXPECT_EQ(FolderNames(folder_.path()), (std::vector<std::string>{"a.mp3", "out.mp3"}));
    }
}

// 15 items of 2041 + 2 bytes and one of 1116 + 2 make a tag of 32000 bytes.
std::vector<std::size_t> FullTag(std::size_t lastSize) {
    std::vector<std::size_t> sizes(15, 2041);
    sizes.push_back(lastSize);
    return sizes;
}

INSTANTIATE_TEST_SUITE_P(
    Limits, TessaryLimitTest,
    testing::Values(LimitCase{"LongestItem", {2041}, TESSARY_WRITTEN},
                    LimitCase{"ItemOneByteTooLong", {10, 2042}, TESSARY_BEYOND_LIMITS},
                    LimitCase{"FullTag", FullTag(1116), TESSARY_WRITTEN},
                    LimitCase{"TagOneByteTooLong", FullTag(1117), TESSARY_BEYOND_LIMITS}),
    [](const auto& info) { return std::string(info.param.name); });

struct PathCase {
    const char* name;
    std::string source;  // names in the test's folder; "" for a null pointer
    std::string output;
    std::int32_t result;
};

class TessaryPathTest : public TessaryTest, public testing::WithParamInterface<PathCase> {};

TEST_P(TessaryPathTest, ReportsUnusablePathsAndKeepsTheEarlierOutput) {
    WriteBytes(output_, "earlier output");
    WriteBytes(folder_ / "empty.mp3", "");
    std::filesystem::create_directory(folder_ / "folder");
    ASSERT_EQ(::mkfifo((folder_ / "pipe.mp3").c_str(), 0600), 0);
    const auto names = FolderNames(folder_.path());
    add({{"abc", 1000}});
    const std::string source = (folder_ / GetParam().source).string();
    const std::string output = (folder_ / GetParam().output).string();

    const std::int32_t result = create_(GetParam().source.empty() ? nullptr : source.c_str(),
                                        GetParam().output.empty() ? nullptr : output.c_str());

    EXPECT_EQ(result, GetParam().result);
    EXPECT_EQ(ReadBytes(output_), "earlier output");
    EXPECT_EQ(FolderNames(folder_.path()), names);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, TessaryPathTest,
    testing::Values(PathCase{"MissingSource", "none.mp3", "out.mp3", TESSARY_SOURCE_UNREADABLE},
                    PathCase{"SourceIsAFolder", "folder", "out.mp3", TESSARY_SOURCE_UNREADABLE},
                    PathCase{"NullSource", "", "out.mp3", TESSARY_SOURCE_UNREADABLE},
                    // Opening it must not wait for a writer that never comes.
                    PathCase{"SourceIsANamedPipe", "pipe.mp3", "out.mp3",
                             TESSARY_SOURCE_UNREADABLE},
                    PathCase{"OutputInAMissingFolder", "a.mp3", "none/out.mp3",
                             TESSARY_OUTPUT_UNWRITABLE},
                    PathCase{"OutputIsAFolder", "a.mp3", "folder", TESSARY_OUTPUT_UNWRITABLE},
                    PathCase{"NullOutput", "a.mp3", "", TESSARY_OUTPUT_UNWRITABLE}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TessaryTest, AnEmptySourceGivesTheTagAlone) {
    WriteBytes(source_, "");
    ASSERT_EQ(create(source_, output_), TESSARY_WRITTEN);
    EXPECT_EQ(ReadBytes(output_).size(), 45u);
}

TEST_F(TessaryTest, AFailedWriteKeepsTheEarlierOutput) {
    WriteBytes(output_, "earlier output");
    WriteBytes(source_, std::string(3 * 4096, 'a'));
    {
        test::FileSizeLimit limit(4096);
        EXPECT_EQ(create(source_, output_), TESSARY_OUTPUT_UNWRITABLE);
    }
    EXPECT_EQ(ReadBytes(output_), "earlier output");
    EXPECT_EQ(FolderNames(folder_.path()), (std::vector<std::string>{"a.mp3", "out.mp3"}));
}

TEST_F(TessaryTest, ALinkedOutputIsReplacedThroughTheLink) {
    const auto real = folder_ / "real.mp3";
    WriteBytes(real, "earlier output");
    std::filesystem::create_symlink(real, output_);
    ASSERT_EQ(create(source_, output_), TESSARY_WRITTEN);
    EXPECT_TRUE(std::filesystem::is_symlink(output_));
    EXPECT_EQ(tagOf(real, kAudio).size(), 45u);
}

}  // namespace
}  // namespace obrin
