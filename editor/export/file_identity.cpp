#include "export/file_identity.h"

#include <system_error>

namespace obrin {
namespace {

// "dir/" and "dir" name one folder.
std::filesystem::path WithoutTrailingSeparator(std::filesystem::path path) {
    path = path.lexically_normal();
    if (!path.has_filename() && path != path.root_path()) path = path.parent_path();
    return path;
}

}  // namespace

bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code error;
    const bool same = std::filesystem::equivalent(a, b, error);
    if (!error) return same;
    // Neither exists, or one could not be examined: compare what they would name.
    auto canonicalA = std::filesystem::weakly_canonical(a, error);
    if (error) canonicalA = std::filesystem::absolute(a);
    auto canonicalB = std::filesystem::weakly_canonical(b, error);
    if (error) canonicalB = std::filesystem::absolute(b);
    return WithoutTrailingSeparator(canonicalA) == WithoutTrailingSeparator(canonicalB);
}

}  // namespace obrin
