#include "atomic_output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace obrin::libs {
namespace {

namespace fs = std::filesystem;

fs::path ResolveLink(const fs::path& target) {
    std::error_code ec;
    if (!fs::is_symlink(target, ec)) return target;
    fs::path resolved = fs::weakly_canonical(target, ec);
    return ec ? target : resolved;
}

fs::path FolderOf(const fs::path& target) {
    return target.has_parent_path() ? target.parent_path() : fs::path(".");
}

// Mirrors what opening the target for writing would refuse, so a caller
// learns of it before any work rather than at the rename.
bool MayReplace(const fs::path& target, struct stat& existing, bool& exists) {
    exists = ::stat(target.c_str(), &existing) == 0;
    if (!exists) return errno == ENOENT;
    return S_ISREG(existing.st_mode) && ::access(target.c_str(), W_OK) == 0;
}

void SyncFolderOf(const fs::path& target) {
    const int fd = ::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    // Some file systems refuse fsync on a folder; the file itself is
    // already stored, so that is no failure.
    (void)::fsync(fd);
    ::close(fd);
}

}  // namespace

std::optional<AtomicOutput> AtomicOutput::Create(const fs::path& requested) {
    if (requested.empty() || !requested.has_filename()) return std::nullopt;
    fs::path target = ResolveLink(requested);
    struct stat existing {};
    bool exists = false;
    if (!MayReplace(target, existing, exists)) return std::nullopt;

    // Several libraries of one process may write beside one target; the
    // counter is per library, the pid per process, O_EXCL settles the rest.
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = std::string(".")
                                     .append(target.filename().string())
                                     .append(".tmp")
                                     .append(std::to_string(::getpid()))
                                     .append("-")
                                     .append(std::to_string(counter++));
        std::string tempPath = (FolderOf(target) / name).string();
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return std::nullopt;
        }
        AtomicOutput output(fd, std::move(tempPath), std::move(target));
        // A replaced file keeps who may read it.
        if (exists && ::fchmod(fd, existing.st_mode & 07777) != 0) return std::nullopt;
        return output;
    }
    return std::nullopt;
}

bool AtomicOutput::write(std::string_view bytes) {
    if (fd_ < 0) return false;
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool AtomicOutput::commit() {
    if (fd_ < 0) return false;
    const int fd = std::exchange(fd_, -1);
    const bool stored = ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!stored || !closed || ::rename(tempPath_.c_str(), target_.c_str()) != 0) {
        discard();
        return false;
    }
    tempPath_.clear();
    SyncFolderOf(target_);
    return true;
}

void AtomicOutput::discard() {
    if (fd_ >= 0) ::close(std::exchange(fd_, -1));
    if (!tempPath_.empty()) ::unlink(tempPath_.c_str());
    tempPath_.clear();
}

AtomicOutput::AtomicOutput(AtomicOutput&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      tempPath_(std::exchange(other.tempPath_, {})),
      target_(std::move(other.target_)) {}

AtomicOutput& AtomicOutput::operator=(AtomicOutput&& other) noexcept {
    if (this != &other) {
        discard();
        fd_ = std::exchange(other.fd_, -1);
        tempPath_ = std::exchange(other.tempPath_, {});
        target_ = std::move(other.target_);
    }
    return *this;
}

AtomicOutput::~AtomicOutput() {
    discard();
}

}  // namespace obrin::libs
