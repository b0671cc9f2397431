#include "base/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string>

namespace obrin {
namespace {

std::error_code LastError() {
    return {errno, std::generic_category()};
}

std::filesystem::path FolderOf(const std::filesystem::path& target) {
    return target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
}

std::size_t NameLimit(const std::filesystem::path& folder) {
    const long limit = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    return limit > 0 ? static_cast<std::size_t>(limit) : 255;
}

// Owns the temporary file until it has been renamed into place.
class TempFile {
  public:
    ~TempFile() {
        if (fd_ >= 0) ::close(fd_);
        if (!path_.empty()) ::unlink(path_.c_str());
    }

    std::error_code create(const std::filesystem::path& target) {
        std::filesystem::path path;
        if (auto ec = CreateFileBeside(target, "tmp", fd_, path)) return ec;
        path_ = path.string();
        return {};
    }

    std::error_code write(std::string_view bytes) {
        while (!bytes.empty()) {
            const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
            if (n < 0) {
                if (errno == EINTR) continue;
                return LastError();
            }
            bytes.remove_prefix(static_cast<std::size_t>(n));
        }
        return {};
    }

    // Keeps the mode of the file being replaced, so a save does not quietly
    // change who may read the settings.
    std::error_code copyModeFrom(const std::filesystem::path& target) {
        struct stat st {};
        if (::stat(target.c_str(), &st) != 0) return {};
        if (::fchmod(fd_, st.st_mode & 07777) != 0) return LastError();
        return {};
    }

    std::error_code syncAndClose() {
        if (::fsync(fd_) != 0) return LastError();
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) return LastError();
        return {};
    }

    std::error_code renameOver(const std::filesystem::path& target) {
        if (::rename(path_.c_str(), target.c_str()) != 0) return LastError();
        path_.clear();
        return {};
    }

  private:
    int fd_ = -1;
    std::string path_;
};

// Makes the rename itself durable. Some file systems refuse fsync on a
// folder; the new contents are already on disk, so that is not a failure.
void SyncFolderOf(const std::filesystem::path& target) {
    const int fd = ::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    (void)::fsync(fd);
    ::close(fd);
}

}  // namespace

std::error_code CreateFileBeside(const std::filesystem::path& target, std::string_view tag, int& fd,
                                 std::filesystem::path& created) {
    static std::atomic<unsigned> counter{0};
    const std::filesystem::path folder = FolderOf(target);
    const std::string name = target.filename().string();
    const std::size_t limit = NameLimit(folder);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string tail = std::string(".")
                                     .append(tag)
                                     .append(std::to_string(::getpid()))
                                     .append("-")
                                     .append(std::to_string(counter++));
        // The target's name is cut rather than the number, which keeps the
        // name unique; a cut inside a multi-byte character is harmless here.
        const std::size_t room = limit > tail.size() + 1 ? limit - tail.size() - 1 : 0;
        const std::string path = (folder / ("." + name.substr(0, room) + tail)).string();
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd >= 0) {
            created = path;
            return {};
        }
        if (errno != EEXIST) return LastError();
    }
    return std::make_error_code(std::errc::file_exists);
}

std::error_code WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes) {
    if (target.empty() || !target.has_filename()) {
        return std::make_error_code(std::errc::invalid_argument);
    }
    TempFile temp;
    if (auto ec = temp.create(target)) return ec;
    if (auto ec = temp.write(bytes)) return ec;
    if (auto ec = temp.copyModeFrom(target)) return ec;
    if (auto ec = temp.syncAndClose()) return ec;
    if (auto ec = temp.renameOver(target)) return ec;
    SyncFolderOf(target);
    return {};
}

}  // namespace obrin
