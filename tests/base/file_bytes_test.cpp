// Every way a path can fail to give its bytes is an error code, never an
// exception: the readers of lyrics, INI files and plug-in tables rely on it.
#include "base/file_bytes.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "base/ini_file.h"
#include "base/shared_library.h"
#include "temp_folder.h"

namespace obrin {
namespace {

using test::TempFolder;

struct UnreadableCase {
    const char* name;
    std::string path;  // relative to a folder holding loop -> loop and sub/
    std::errc error;
};

class UnreadablePathTest : public testing::TestWithParam<UnreadableCase> {
  protected:
    void SetUp() override {
        std::filesystem::create_symlink("loop", folder / "loop");
        std::filesystem::create_directory(folder / "sub");
    }
    std::filesystem::path resolve(const std::string& path) const {
        return path.starts_with("/") ? std::filesystem::path(path) : folder / path;
    }
    TempFolder folder;
};

TEST_P(UnreadablePathTest, ReadFileBytesGivesTheCause) {
    std::error_code error;
    EXPECT_EQ(ReadFileBytes(resolve(GetParam().path), error), std::nullopt);
    EXPECT_EQ(error, std::make_error_code(GetParam().error)) << error.message();
}

TEST_P(UnreadablePathTest, IniFileLoadGivesTheCause) {
    IniFile ini;
    EXPECT_EQ(ini.load(resolve(GetParam().path)), std::make_error_code(GetParam().error));
}

INSTANTIATE_TEST_SUITE_P(
    Paths, UnreadablePathTest,
    testing::Values(
        UnreadableCase{"Missing", "none.txt", std::errc::no_such_file_or_directory},
        UnreadableCase{"Folder", "sub", std::errc::is_a_directory},
        UnreadableCase{"LinkLoop", "loop", std::errc::too_many_symbolic_link_levels},
        UnreadableCase{"ThroughLinkLoop", "loop/x.txt", std::errc::too_many_symbolic_link_levels},
        UnreadableCase{"NameTooLong", std::string(300, 'n') + ".txt", std::errc::filename_too_long},
        // Reading a process's unmapped memory fails part-way, like a bad disk.
        UnreadableCase{"ReadError", "/proc/self/mem", std::errc::io_error}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReadDescriptorBytes, FolderAndClosedDescriptorAreErrors) {
    TempFolder folder;
    std::error_code error;
    const int fd = ::open(folder.path().c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(ReadDescriptorBytes(fd, error), std::nullopt);
    EXPECT_EQ(error, std::errc::is_a_directory);
    ::close(fd);
    EXPECT_EQ(ReadDescriptorBytes(fd, error), std::nullopt);
    EXPECT_EQ(error, std::errc::bad_file_descriptor);
}

TEST(ReadFileBytes, ReadsEveryByte) {
    TempFolder folder;
    const std::string bytes = std::string("\x82\xA0\0\r\n", 5) + std::string(200000, 'x');
    folder.write("in.bin", bytes);
    std::error_code error;
    EXPECT_EQ(ReadFileBytes(folder / "in.bin", error), bytes);
    EXPECT_FALSE(error);
}

// A library name in filetype.ini that leads nowhere gives a reason, and the
// decode its "no library" result, instead of an exception.
TEST(SharedLibraryNames, UnreachableNamesBesideTheProgramAreReported) {
    TempFolder folder;
    std::filesystem::create_symlink("loop.so", folder / "loop.so");
    for (const std::string& name : {std::string("loop.dll"), std::string(300, 'n') + ".dll"}) {
        std::string error;
        EXPECT_FALSE(SharedLibrary::Open(name, folder.path(), error)) << name;
        EXPECT_NE(error, "") << name;
    }
}

}  // namespace
}  // namespace obrin
