#include "obrin_files/file_replacement.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

#include "read_only_folder.h"
#include "temp_folder.h"

namespace obrin {
namespace {

using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

std::size_t EntryCount(const std::filesystem::path& folder) {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++n;
    return n;
}

struct WriteCase {
    const char* name;
    const char* before;  // nullptr: no file yet
    std::string bytes;
};

class AtomicWriteTest : public testing::TestWithParam<WriteCase> {};

TEST_P(AtomicWriteTest, LeavesExactlyTheNewBytesAndNoTempFile) {
    TempFolder folder;
    const auto target = folder / "obrin.ini";
    if (GetParam().before != nullptr) WriteBytes(target, GetParam().before);

    ASSERT_FALSE(WriteFileAtomically(target, GetParam().bytes));

    EXPECT_EQ(ReadBytes(target), GetParam().bytes);
    EXPECT_EQ(EntryCount(folder.path()), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Contents, AtomicWriteTest,
    testing::Values(WriteCase{"NewFile", nullptr, "[a]\r\nk=1\r\n"},
                    WriteCase{"ReplacesLongerFile", "0123456789abcdef", "short"},
                    WriteCase{"EmptyBytes", "old", ""},
                    WriteCase{"BinaryWithNul", nullptr, std::string("\x82\xA0\0\xFF", 4)},
                    WriteCase{"FourMegabytes", "old", std::string(4 << 20, 'x')}),
    [](const auto& info) { return std::string(info.param.name); });

// The temporary name is made from the target's; it must still fit when the
// target's own name is near the file system's limit.
TEST(AtomicWrite, NameNearTheLengthLimit) {
    TempFolder folder;
    const auto target = folder / (std::string(250, 'n') + ".ini");
    ASSERT_FALSE(WriteFileAtomically(target, "new"));
    EXPECT_EQ(ReadBytes(target), "new");
    EXPECT_EQ(EntryCount(folder.path()), 1u);
}

TEST(AtomicWrite, KeepsTheModeOfTheReplacedFile) {
    TempFolder folder;
    const auto target = folder / "settings.ini";
    WriteBytes(target, "old");
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);

    ASSERT_FALSE(WriteFileAtomically(target, "new"));

    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST(AtomicWrite, ReadOnlyFolderFailsAndKeepsTheOldFile) {
    TempFolder folder;
    const auto target = folder / "obrin.ini";
    WriteBytes(target, "old contents");
    const test::ReadOnlyFolder readOnly(folder.path());
    ASSERT_TRUE(readOnly) << readOnly.why();

    const std::error_code ec = WriteFileAtomically(target, "new contents");

    EXPECT_EQ(ec, readOnly.refusal());
    EXPECT_EQ(ReadBytes(target), "old contents");
    EXPECT_EQ(EntryCount(folder.path()), 1u);
}

// A write that fails part-way (here the file-size limit, which holds for root
// as well, standing in for a full disk) must not touch the old file.
TEST(AtomicWrite, FailedWriteKeepsTheOldFileAndRemovesTheTempFile) {
    TempFolder folder;
    const auto target = folder / "lyrics.txt";
    WriteBytes(target, "old contents");

    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto* savedHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);

    const std::error_code ec = WriteFileAtomically(target, std::string(64 * 1024, 'n'));

    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, savedHandler);
    EXPECT_EQ(ec, std::errc::file_too_large);
    EXPECT_EQ(ReadBytes(target), "old contents");
    EXPECT_EQ(EntryCount(folder.path()), 1u);
}

TEST(AtomicWrite, TargetThatIsAFolderFailsAndLeavesNoTempFile) {
    TempFolder folder;
    std::filesystem::create_directory(folder / "taken");

    EXPECT_TRUE(WriteFileAtomically(folder / "taken", "bytes"));

    EXPECT_TRUE(std::filesystem::is_directory(folder / "taken"));
    EXPECT_EQ(EntryCount(folder.path()), 1u);
}

TEST(AtomicWrite, MissingFolderFails) {
    TempFolder folder;
    EXPECT_EQ(WriteFileAtomically(folder / "no" / "file.ini", "x"),
              std::errc::no_such_file_or_directory);
}

}  // namespace
}  // namespace obrin
