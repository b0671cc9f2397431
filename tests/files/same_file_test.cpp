#include "obrin_files/same_file.h"

#include <gtest/gtest.h>

#include "temp_folder.h"

namespace obrin {
namespace {

using test::TempFolder;

struct SameFileCase {
    const char* name;
    const char* a;  // in the test's folder
    const char* b;
    bool same;
};

class SameFileTest : public testing::TestWithParam<SameFileCase> {};

TEST_P(SameFileTest, ComparesTheFileNotTheName) {
    TempFolder folder;
    folder.write("a.mp3", "audio");
    folder.write("b.mp3", "audio");
    std::filesystem::create_directory(folder / "dir");
    std::filesystem::create_symlink(folder / "a.mp3", folder / "link.mp3");
    std::filesystem::create_hard_link(folder / "a.mp3", folder / "hard.mp3");
    std::filesystem::create_symlink("new.mp3", folder / "dangling.mp3");
    std::filesystem::create_directory_symlink("dir", folder / "linkdir");

    EXPECT_EQ(IsSameFile(folder / GetParam().a, folder / GetParam().b), GetParam().same);
    EXPECT_EQ(IsSameFile(folder / GetParam().b, folder / GetParam().a), GetParam().same);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, SameFileTest,
    testing::Values(SameFileCase{"DotInThePath", "a.mp3", "./a.mp3", true},
                    SameFileCase{"DotDotInThePath", "a.mp3", "dir/../a.mp3", true},
                    SameFileCase{"SymbolicLink", "a.mp3", "link.mp3", true},
                    SameFileCase{"HardLink", "a.mp3", "hard.mp3", true},
                    SameFileCase{"SameBytesOtherFile", "a.mp3", "b.mp3", false},
                    SameFileCase{"OneNotWrittenYet", "a.mp3", "new.mp3", false},
                    SameFileCase{"NotWrittenYetSpeltTwoWays", "new.mp3", "dir/../new.mp3", true},
                    SameFileCase{"NotWrittenYetThroughALink", "dangling.mp3", "new.mp3", true},
                    SameFileCase{"NotWrittenYetInALinkedFolder", "linkdir/new.mp3", "dir/new.mp3",
                                 true},
                    SameFileCase{"TwoNotWrittenYet", "new.mp3", "other.mp3", false},
                    SameFileCase{"FolderWithTrailingSeparator", "dir", "dir/", true},
                    SameFileCase{"MissingFolderWithTrailingSeparator", "none", "none/", true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SameFile, AnEmptyPathIsNoFile) {
    EXPECT_FALSE(IsSameFile("", ""));
    EXPECT_FALSE(IsSameFile("", "."));
}

}  // namespace
}  // namespace obrin
