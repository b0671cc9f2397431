// marlet loaded by name as the editor loads it: the ".snc" records, the
// display grades, the file slot and how the file is saved.
#include "obrin/marlet.h"

#include <gtest/gtest.h>

#include "export_library.h"
#include "temp_folder.h"

namespace obrin {
namespace {

using test::FolderNames;
using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

// Two Shift-JIS full-width characters: "あ" and "ソ", whose second byte is
// the ASCII backslash.
const std::string kA = "\x82\xA0";
const std::string kSo = "\x83\x5C";

std::string Repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

std::string Record(const std::string& digits, const std::string& text) {
    return "\xA2\xE2" + digits + "\xA2\xD0" + text + "\r\n";
}

class MarletTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(init_, nullptr);
        ASSERT_NE(check_, nullptr);
        ASSERT_NE(add_, nullptr);
        ASSERT_NE(close_, nullptr);
    }

    TempFolder folder_;
    std::filesystem::path snc_ = folder_ / "song.snc";
    test::ExportLibrary library_{"marlet.dll"};
    MarletInitFunction init_ = library_.get<MarletInitFunction>(MARLET_INIT_SYMBOL);
    MarletCheckFunction check_ = library_.get<MarletCheckFunction>(MARLET_CHECK_SYMBOL);
    MarletAddFunction add_ = library_.get<MarletAddFunction>(MARLET_ADD_SYMBOL);
    MarletCloseFunction close_ = library_.get<MarletCloseFunction>(MARLET_CLOSE_SYMBOL);
};

struct RecordCase {
    const char* name;
    std::int32_t milliseconds;
    std::string text;
    std::string digits;
};

class MarletRecordTest : public MarletTest, public testing::WithParamInterface<RecordCase> {};

TEST_P(MarletRecordTest, WritesOneRecord) {
    const RecordCase& c = GetParam();
    ASSERT_EQ(init_(snc_.c_str()), MARLET_OPENED);
    EXPECT_EQ(add_(c.milliseconds, c.text.c_str()), MARLET_ADDED);
    EXPECT_EQ(close_(), MARLET_CLOSED);
    EXPECT_EQ(ReadBytes(snc_), Record(c.digits, c.text));
}

INSTANTIATE_TEST_SUITE_P(
    Times, MarletRecordTest,
    testing::Values(RecordCase{"Zero", 0, "a", "00000000"},
                    RecordCase{"TenthsOnly", 83456, "abc", "00012340"},
                    RecordCase{"LastTenthOfTheFirstMinute", 59999, "a", "00005990"},
                    RecordCase{"OneMinute", 60000, "a", "00010000"},
                    RecordCase{"UnreadableTime", -1, "a", "00000000"},
                    RecordCase{"OtherNegativeTime", -61000, "a", "00000000"},
                    RecordCase{"TenThousandMinutes", 600000000, "a", "100000000"},
                    RecordCase{"LargestTime", 2147483647, "a", "357912360"},
                    RecordCase{"EmptyText", 1000, "", "00000100"},
                    RecordCase{"FullWidthText", 1000, kA + kSo, "00000100"}),
    [](const auto& info) { return std::string(info.param.name); });

struct GradeCase {
    const char* name;
    std::string text;
    std::int32_t grade;
};

class MarletGradeTest : public MarletTest, public testing::WithParamInterface<GradeCase> {};

TEST_P(MarletGradeTest, GradesByBytesWithoutAnOpenFile) {
    EXPECT_EQ(check_(GetParam().text.c_str()), GetParam().grade) << GetParam().text.size();
}

INSTANTIATE_TEST_SUITE_P(
    Widths, MarletGradeTest,
    testing::Values(GradeCase{"Empty", "", MARLET_FITS},
                    GradeCase{"FullWidth32", Repeat(kA, 16), MARLET_FITS},
                    GradeCase{"FullWidth33", Repeat(kA, 16) + "a", MARLET_OVER_REMOTE},
                    GradeCase{"FullWidth34", Repeat(kSo, 17), MARLET_OVER_REMOTE},
                    GradeCase{"FullWidth48", Repeat(kSo, 24), MARLET_OVER_REMOTE},
                    GradeCase{"FullWidth49", "a" + Repeat(kA, 24), MARLET_OVER_BODY},
                    GradeCase{"Ascii49", std::string(49, 'x'), MARLET_OVER_BODY}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MarletTest, EveryAddReachesTheTemporaryFileAndCloseReplacesTheOldFile) {
    WriteBytes(snc_, "old");
    ASSERT_EQ(init_(snc_.c_str()), MARLET_OPENED);
    const std::vector<std::string> records = {Record("00000100", "one"), Record("00000250", "two")};
    std::string written;
    for (std::size_t i = 0; i < records.size(); ++i) {
        ASSERT_EQ(add_(static_cast<std::int32_t>(1000 + 1500 * i), i == 0 ? "one" : "two"), 0);
        written += records[i];
        // Flushed: the bytes are in the temporary file beside the target,
        // while the old file is still whole.
        const auto names = FolderNames(folder_.path());
        ASSERT_EQ(names.size(), 2u);
        EXPECT_EQ(ReadBytes(folder_ / names[0]), written) << names[0];
        EXPECT_EQ(ReadBytes(snc_), "old");
    }
    EXPECT_EQ(close_(), MARLET_CLOSED);
    EXPECT_EQ(ReadBytes(snc_), written);
    EXPECT_EQ(FolderNames(folder_.path()), std::vector<std::string>{"song.snc"});
}

TEST_F(MarletTest, SlotStates) {
    EXPECT_EQ(add_(0, "a"), MARLET_NOT_OPEN);
    EXPECT_EQ(close_(), MARLET_CLOSED);
    EXPECT_EQ(close_(), MARLET_CLOSED);

    ASSERT_EQ(init_(snc_.c_str()), MARLET_OPENED);
    EXPECT_EQ(close_(), MARLET_CLOSED);
    EXPECT_EQ(close_(), MARLET_CLOSED);
    EXPECT_EQ(add_(0, "a"), MARLET_NOT_OPEN);
    EXPECT_EQ(ReadBytes(snc_), "");  // a file with no lines is still a file
}

TEST_F(MarletTest, RefusedPathsLeaveTheSlotEmpty) {
    std::filesystem::create_directory(folder_ / "folder.snc");
    for (const auto& path :
         {folder_ / "missing" / "song.snc", folder_ / "folder.snc", folder_.path() / ""}) {
        EXPECT_EQ(init_(path.c_str()), MARLET_CANNOT_OPEN) << path;
        EXPECT_EQ(add_(0, "a"), MARLET_NOT_OPEN) << path;
    }
    EXPECT_EQ(init_(nullptr), MARLET_CANNOT_OPEN);
    EXPECT_EQ(FolderNames(folder_.path()), std::vector<std::string>{"folder.snc"});
}

TEST_F(MarletTest, InitWhileOpenSavesTheFirstFile) {
    const auto second = folder_ / "second.snc";
    ASSERT_EQ(init_(snc_.c_str()), MARLET_OPENED);
    ASSERT_EQ(add_(0, "first"), MARLET_ADDED);
    ASSERT_EQ(init_(second.c_str()), MARLET_OPENED);
    ASSERT_EQ(add_(0, "second"), MARLET_ADDED);
    EXPECT_EQ(close_(), MARLET_CLOSED);

    EXPECT_EQ(ReadBytes(snc_), Record("00000000", "first"));
    EXPECT_EQ(ReadBytes(second), Record("00000000", "second"));
}

TEST_F(MarletTest, ALinkedFileIsReplacedThroughTheLink) {
    const auto real = folder_ / "real.snc";
    WriteBytes(real, "old");
    std::filesystem::create_symlink(real, snc_);
    ASSERT_EQ(init_(snc_.c_str()), MARLET_OPENED);
    ASSERT_EQ(add_(0, "a"), MARLET_ADDED);
    EXPECT_EQ(close_(), MARLET_CLOSED);

    EXPECT_TRUE(std::filesystem::is_symlink(snc_));
    EXPECT_EQ(ReadBytes(real), Record("00000000", "a"));
}

TEST_F(MarletTest, ARefusedWriteKeepsTheOldFile) {
    WriteBytes(snc_, "old");
    ASSERT_EQ(init_(snc_.c_str()), MARLET_OPENED);
    ASSERT_EQ(add_(0, "fits"), MARLET_ADDED);
    {
        test::FileSizeLimit limit(20);
        EXPECT_EQ(add_(0, "does not fit any more"), MARLET_ADD_FAILED);
    }
    EXPECT_EQ(close_(), MARLET_NOT_SAVED);
    EXPECT_EQ(ReadBytes(snc_), "old");
    EXPECT_EQ(FolderNames(folder_.path()), std::vector<std::string>{"song.snc"});
}

TEST(MarletRelease, ReleasedWithoutCloseDropsTheUnfinishedFile) {
    TempFolder folder;
    const auto snc = folder / "song.snc";
    WriteBytes(snc, "old");
    {
        test::ExportLibrary library("marlet.dll");
        auto init = library.get<MarletInitFunction>(MARLET_INIT_SYMBOL);
        auto add = library.get<MarletAddFunction>(MARLET_ADD_SYMBOL);
        ASSERT_TRUE(init != nullptr && add != nullptr);
        ASSERT_EQ(init(snc.c_str()), MARLET_OPENED);
        ASSERT_EQ(add(0, "a"), MARLET_ADDED);
    }
    EXPECT_EQ(ReadBytes(snc), "old");
    EXPECT_EQ(FolderNames(folder.path()), std::vector<std::string>{"song.snc"});
}

}  // namespace
}  // namespace obrin
