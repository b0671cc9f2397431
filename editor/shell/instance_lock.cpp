#include "shell/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace obrin {

std::optional<InstanceLock> InstanceLock::Acquire(const std::filesystem::path& folder) {
    std::error_code ignored;
    return Acquire(folder, ignored);
}

std::optional<InstanceLock> InstanceLock::Acquire(const std::filesystem::path& folder,
                                                  std::error_code& error) {
    error.clear();
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        error = {errno, std::generic_category()};
        return InstanceLock(-1);
    }
    // Without $XDG_RUNTIME_DIR the folder lies in /tmp, where another user
    // could have made it first and hold the lock to keep this editor from
    // ever starting; only a folder of our own is trusted.
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0) {
        error = {errno, std::generic_category()};
        return InstanceLock(-1);
    }
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) {
        error = std::make_error_code(std::errc::permission_denied);
        return InstanceLock(-1);
    }
    const std::filesystem::path file = folder / "obrin_mutex";
    const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        error = {errno, std::generic_category()};
        return InstanceLock(-1);
    }
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const int cause = errno;
        ::close(fd);
        if (cause == EWOULDBLOCK) return std::nullopt;
        error = {cause, std::generic_category()};
        return InstanceLock(-1);
    }
    return InstanceLock(fd);
}

InstanceLock::InstanceLock(InstanceLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

InstanceLock& InstanceLock::operator=(InstanceLock&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

InstanceLock::~InstanceLock() {
    if (fd_ >= 0) ::close(fd_);
}

}  // namespace obrin
