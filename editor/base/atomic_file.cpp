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

// Owns the temporary file until it has been renamed into place.
class TempFile {
  public:
    ~TempFile() {
        if (fd_ >= 0) ::close(fd_);
        if (!path_.empty()) ::unlink(path_.c_str());
    }

    std::error_code create(const std::filesystem::path& target) {
        static std::atomic<unsigned> counter{0};
        const std::filesystem::path folder =
            target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::string name = std::string(".")
                                         .append(target.filename().string())
                                         .append(".tmp")
                                         .append(std::to_string(::getpid()))
                                         .append("-")
                                         .append(std::to_string(counter++));
            std::string path = (folder / name).string();
            fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd_ >= 0) {
                path_ = std::move(path);
                return {};
            }
            if (errno != EEXIST) return LastError();
        }
        return std::make_error_code(std::errc::file_exists);
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
    const std::filesystem::path folder =
        target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    (void)::fsync(fd);
    ::close(fd);
}

}  // namespace

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
