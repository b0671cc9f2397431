#include "shell/app_paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>
#include <vector>

namespace obrin {

std::filesystem::path ProgramFolder() {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return {};
    return exe.parent_path();
}

std::string LoginName() {
    // The section name once came from a 100-byte buffer, so longer names are
    // cut the same way to keep finding the same section.
    constexpr std::size_t kMaxBytes = 99;
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
        found == nullptr || found->pw_name == nullptr || found->pw_name[0] == '\0') {
        return "setting";
    }
    std::string name = found->pw_name;
    if (name.size() > kMaxBytes) name.resize(kMaxBytes);
    return name;
}

std::filesystem::path RuntimeFolder() {
    const char* xdg = std::getenv("XDG_RUNTIME_DIR");
    if (xdg != nullptr && xdg[0] == '/') return xdg;
    return "/tmp/obrin-" + std::to_string(::getuid());
}

namespace {

// A relative value would scatter the user's files over whatever folders obrin
// was started from, so it counts as unset.
std::filesystem::path UserFolder(const char* variable, const std::filesystem::path& belowHome) {
    const char* xdg = std::getenv(variable);
    if (xdg != nullptr && xdg[0] == '/') return std::filesystem::path(xdg) / "obrin";
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') return std::filesystem::path(home) / belowHome / "obrin";
    return {};
}

}  // namespace

std::filesystem::path ConfigFolder() {
    return UserFolder("XDG_CONFIG_HOME", ".config");
}

std::filesystem::path CacheFolder() {
    return UserFolder("XDG_CACHE_HOME", ".cache");
}

std::filesystem::path StateFolder() {
    return UserFolder("XDG_STATE_HOME", std::filesystem::path(".local") / "state");
}

bool IsWritableFolder(const std::filesystem::path& folder) {
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

}  // namespace obrin
