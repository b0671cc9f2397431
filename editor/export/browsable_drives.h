#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace obrin {

// A place the batch window's drive boxes offer: a mounted file system a
// user browses, standing where another system would list its drives.
struct BrowsableDrive {
    enum class Kind { Root, Home, Removable, Network };
    Kind kind;
    std::filesystem::path folder;
    bool readOnly = false;

    friend bool operator==(const BrowsableDrive&, const BrowsableDrive&) = default;
};

// The drives in `mountTable` (the text of /proc/self/mounts): the root, the
// home folder, then in the table's order the removable media (mounted below
// /media, /run/media or /mnt) and the network file systems. System mounts
// (/proc, /sys, /dev, /run and the like) are not offered.
[[nodiscard]] std::vector<BrowsableDrive> BrowsableDrives(std::string_view mountTable,
                                                          const std::filesystem::path& home);

// The drives a batch may write to: those not mounted read-only.
[[nodiscard]] std::vector<BrowsableDrive> WritableDrives(std::vector<BrowsableDrive> drives);

// The drive a folder lies on: the one whose folder is the longest leading
// part of `folder` (both absolute and lexically normal); none when no
// drive holds it.
[[nodiscard]] std::optional<std::size_t> DriveHolding(const std::vector<BrowsableDrive>& drives,
                                                      const std::filesystem::path& folder);

// Makes one folder level named `name` inside `parent`; false when the name
// is not a single folder name or the folder could not be made.
[[nodiscard]] bool CreateOneFolder(const std::filesystem::path& parent, const std::string& name);

inline constexpr const char* kCreateFolderFailedMessage = "フォルダの作成に失敗しました";

}  // namespace obrin
