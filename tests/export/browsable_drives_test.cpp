// The batch window's drives from a mount table, and its one-level folder
// creation.
#include "export/browsable_drives.h"

#include <gtest/gtest.h>

#include "temp_folder.h"

namespace obrin {
namespace {

using Kind = BrowsableDrive::Kind;

TEST(BrowsableDrives, RootHomeRemovableAndNetworkInTableOrder) {
    const std::string table =
        "overlay / overlay ro,relatime 0 0\n"
        "proc /proc proc rw,nosuid 0 0\n"
        "tmpfs /dev tmpfs rw 0 0\n"
        "/dev/sdb1 /media/ann/SP\\040250 vfat rw,nosuid 0 0\n"
        "server:/music /srv/music nfs4 rw 0 0\n"
        "/dev/sr0 /run/media/ann/CD iso9660 ro 0 0\n"
        "/dev/sda2 /home ext4 rw 0 0\n"
        "//nas/share /mnt/nas cifs rw 0 0\n"
        "/dev/sdb1 /media/ann/SP\\040250 vfat rw,nosuid 0 0\n"
        "garbage\n";
    const std::vector<BrowsableDrive> drives = BrowsableDrives(table, "/home/ann");
    const std::vector<BrowsableDrive> expected{
        {Kind::Root, "/", true},
        {Kind::Home, "/home/ann", false},
        {Kind::Removable, "/media/ann/SP 250", false},
        {Kind::Network, "/srv/music", false},
        {Kind::Removable, "/run/media/ann/CD", true},
        {Kind::Network, "/mnt/nas", false},
    };
    EXPECT_EQ(drives, expected);
    EXPECT_EQ(WritableDrives(drives),
              (std::vector<BrowsableDrive>{expected[1], expected[2], expected[3], expected[5]}));
}

TEST(BrowsableDrives, AnEmptyTableStillOffersRootAndHome) {
    EXPECT_EQ(BrowsableDrives("", "/root"),
              (std::vector<BrowsableDrive>{{Kind::Root, "/"}, {Kind::Home, "/root"}}));
    EXPECT_EQ(BrowsableDrives("", "/"), (std::vector<BrowsableDrive>{{Kind::Root, "/"}}));
}

TEST(DriveHolding, TheDeepestDriveThatHoldsTheFolder) {
    const std::vector<BrowsableDrive> drives{{Kind::Root, "/"},
                                             {Kind::Home, "/home/ann"},
                                             {Kind::Removable, "/media/ann/SP/"},
                                             {Kind::Removable, "/media/ann/SP 250"}};
    const struct {
        const char* folder;
        std::optional<std::size_t> drive;
    } cases[] = {
        {"/", 0},
        {"/tmp/x", 0},
        {"/home/ann", 1},
        {"/home/ann/music/", 1},
        {"/home/anna", 0},
        {"/media/ann/SP", 2},
        {"/media/ann/SP/lyrics", 2},
        {"/media/ann/SP 250/lyrics", 3},
    };
    for (const auto& c : cases) EXPECT_EQ(DriveHolding(drives, c.folder), c.drive) << c.folder;
    EXPECT_EQ(DriveHolding({{Kind::Home, "/home/ann"}}, "/tmp"), std::nullopt);
}

TEST(CreateOneFolder, MakesOneLevelOnly) {
    test::TempFolder folder;
    EXPECT_TRUE(CreateOneFolder(folder.path(), "新しいフォルダ"));
    EXPECT_TRUE(std::filesystem::is_directory(folder / "新しいフォルダ"));
    for (const char* name : {"", ".", "..", "a/b", "新しいフォルダ"}) {
        EXPECT_FALSE(CreateOneFolder(folder.path(), name)) << name;
    }
    EXPECT_FALSE(CreateOneFolder(folder / "missing", "x"));
    EXPECT_FALSE(std::filesystem::exists(folder / "a"));
}

}  // namespace
}  // namespace obrin
