#include "export/browsable_drives.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <sstream>
#include <system_error>

namespace obrin {
namespace {

// The table writes a space, tab, newline or backslash in a path as "\" and
// three octal digits.
bool IsOctal(char c) {
    return c >= '0' && c <= '7';
}

std::string Unescape(std::string_view field) {
    std::string text;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && IsOctal(field[i + 1]) &&
            IsOctal(field[i + 2]) && IsOctal(field[i + 3])) {
            text += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                      (field[i + 3] - '0'));
            i += 3;
        } else {
            text += field[i];
        }
    }
    return text;
}

bool Below(std::string_view folder, std::string_view parent) {
    return folder.size() > parent.size() && folder.starts_with(parent) &&
           folder[parent.size()] == '/';
}

bool IsNetworkType(std::string_view type) {
    constexpr std::array<std::string_view, 9> kTypes{
        "nfs", "nfs4", "cifs", "smb3", "smbfs", "fuse.sshfs", "sshfs", "davfs", "fuse.davfs2"};
    return std::find(kTypes.begin(), kTypes.end(), type) != kTypes.end();
}

bool IsReadOnly(std::string_view options) {
    std::size_t start = 0;
    while (start <= options.size()) {
        const std::size_t comma = std::min(options.find(',', start), options.size());
        if (options.substr(start, comma - start) == "ro") return true;
        start = comma + 1;
    }
    return false;
}

}  // namespace

std::vector<BrowsableDrive> BrowsableDrives(std::string_view mountTable,
                                            const std::filesystem::path& home) {
    std::vector<BrowsableDrive> drives{{BrowsableDrive::Kind::Root, "/"}};
    if (!home.empty() && home != "/") drives.push_back({BrowsableDrive::Kind::Home, home});

    std::istringstream lines{std::string(mountTable)};
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string device, folder, type, options;
        if (!(fields >> device >> folder >> type >> options)) continue;
        folder = Unescape(folder);
        const bool readOnly = IsReadOnly(options);
        if (folder == "/") {
            drives.front().readOnly = readOnly;
            continue;
        }
        BrowsableDrive::Kind kind;
        if (IsNetworkType(type)) {
            kind = BrowsableDrive::Kind::Network;
        } else if (Below(folder, "/media") || Below(folder, "/run/media") ||
                   Below(folder, "/mnt")) {
            kind = BrowsableDrive::Kind::Removable;
        } else {
            continue;
        }
        const bool known = std::any_of(drives.begin(), drives.end(),
                                       [&](const BrowsableDrive& d) { return d.folder == folder; });
        if (!known) drives.push_back({kind, folder, readOnly});
    }
    return drives;
}

std::vector<BrowsableDrive> WritableDrives(std::vector<BrowsableDrive> drives) {
    std::erase_if(drives, [](const BrowsableDrive& drive) { return drive.readOnly; });
    return drives;
}

std::optional<std::size_t> DriveHolding(const std::vector<BrowsableDrive>& drives,
                                        const std::filesystem::path& folder) {
    std::optional<std::size_t> holding;
    std::size_t longest = 0;
    for (std::size_t i = 0; i < drives.size(); ++i) {
        // Compared element by element, so "/media/a" does not hold "/media/ab".
        const std::filesystem::path drive = drives[i].folder.lexically_normal();
        const auto [end, unused] =
            std::mismatch(drive.begin(), drive.end(), folder.begin(), folder.end());
        // A trailing separator leaves an empty last element.
        const bool holds = end == drive.end() || (std::next(end) == drive.end() && end->empty());
        const auto depth = static_cast<std::size_t>(std::distance(drive.begin(), end));
        if (holds && (!holding || depth > longest)) {
            holding = i;
            longest = depth;
        }
    }
    return holding;
}

bool CreateOneFolder(const std::filesystem::path& parent, const std::string& name) {
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos)
        return false;
    std::error_code error;
    return std::filesystem::create_directory(parent / name, error) && !error;
}

}  // namespace obrin
