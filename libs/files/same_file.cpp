#include "obrin_files/same_file.h"

#include <sys/stat.h>

#include <system_error>

#include "obrin_files/file_replacement.h"

namespace obrin {
namespace {

namespace fs = std::filesystem;

// Where a file not written yet would be: its folder made canonical and its
// name, after the links a write would follow.
fs::path WouldBeAt(fs::path path) {
    if (!path.has_filename() && path.has_relative_path()) path = path.parent_path();
    fs::path resolved;
    if (ResolveWriteTarget(path, resolved)) resolved = path;
    const fs::path folder = resolved.has_parent_path() ? resolved.parent_path() : fs::path(".");
    std::error_code error;
    fs::path canonical = fs::weakly_canonical(folder, error);
    if (error) canonical = fs::absolute(folder, error).lexically_normal();
    return canonical / resolved.filename();
}

}  // namespace

bool IsSameFile(const fs::path& a, const fs::path& b) {
    if (a.empty() || b.empty()) return false;
    struct stat first {
    }, second{};
    const bool firstExists = ::stat(a.c_str(), &first) == 0;
    const bool secondExists = ::stat(b.c_str(), &second) == 0;
    if (firstExists && secondExists)
        return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
    if (firstExists != secondExists) return false;
    return WouldBeAt(a) == WouldBeAt(b);
}

}  // namespace obrin
