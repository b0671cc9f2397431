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
