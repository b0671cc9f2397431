#include "obrin_files/file_replacement.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string>
#include <utility>

#include "obrin_files/temporary_files.h"

namespace obrin {
namespace {

namespace fs = std::filesystem;

// As many links as the system itself follows before it reports a loop.
constexpr int kMaxLinks = 40;
// The start of the target's name in a temporary name: enough to tell whose it
// is, short enough that the whole name fits any folder however long the
// target's own name is (80 Japanese characters are 240 bytes).
constexpr std::size_t kNameHead = 32;
constexpr std::size_t kMaxExtension = 16;

std::error_code LastError() {
    return {errno, std::generic_category()};
}

fs::path FolderOf(const fs::path& file) {
    return file.has_parent_path() ? file.parent_path() : fs::path(".");
}

// Cut on a UTF-8 character's first byte, so the temporary name stays
// readable; a name in another encoding is only cut less neatly.
std::string Head(const std::string& text, std::size_t size) {
    if (text.size() <= size) return text;
    while (size > 0 && (static_cast<unsigned char>(text[size]) & 0xC0) == 0x80) --size;
    return text.substr(0, size);
}

std::string TemporaryName(const fs::path& target, std::string_view tag, unsigned number) {
    std::string extension = target.extension().string();
    if (extension.size() > kMaxExtension) extension.clear();
    return std::string(".")
        .append(Head(target.stem().string(), kNameHead))
        .append(".")
        .append(tag)
        .append(std::to_string(::getpid()))
        .append("-")
        .append(std::to_string(number))
        .append(extension);
}

// Mirrors what opening the target for writing would refuse, so the caller
// learns of it before any work rather than at the rename.
std::error_code CheckReplaceable(const fs::path& target, struct stat& existing, bool& exists) {
    exists = ::stat(target.c_str(), &existing) == 0;
    if (!exists) return errno == ENOENT ? std::error_code() : LastError();
    if (S_ISDIR(existing.st_mode)) return std::make_error_code(std::errc::is_a_directory);
    if (!S_ISREG(existing.st_mode)) return std::make_error_code(std::errc::invalid_argument);
    if (::access(target.c_str(), W_OK) != 0) return LastError();
    return {};
}

// The replaced file's owner and group where the system lets us give them
// (root, or a group we belong to); its mode always, after the owner, since a
// change of owner clears the set-id bits.
std::error_code TakeOverAttributes(int fd, const struct stat& existing) {
    struct stat mine {};
    if (::fstat(fd, &mine) != 0) return LastError();
    if (mine.st_uid != existing.st_uid || mine.st_gid != existing.st_gid) {
        if (::fchown(fd, existing.st_uid, existing.st_gid) != 0)
            (void)::fchown(fd, static_cast<uid_t>(-1), existing.st_gid);
    }
    if (::fchmod(fd, existing.st_mode & 07777) != 0) return LastError();
    return {};
}

// Makes the rename itself durable. Some file systems refuse fsync on a
// folder; the new content is already on disk, so that is not a failure.
void SyncFolderOf(const fs::path& file) {
    const int fd = ::open(FolderOf(file).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    (void)::fsync(fd);
    ::close(fd);
}

// Holds back the signals that remove temporary files while one is created
// and not yet registered, so none is left between the two.
class CleanupSignalsHeld {
  public:
    CleanupSignalsHeld() {
        sigset_t held;
        sigemptyset(&held);
        for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&held, signal);
        pthread_sigmask(SIG_BLOCK, &held, &previous_);
    }
    ~CleanupSignalsHeld() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    CleanupSignalsHeld(const CleanupSignalsHeld&) = delete;
    CleanupSignalsHeld& operator=(const CleanupSignalsHeld&) = delete;

  private:
    sigset_t previous_{};
};

}  // namespace

std::error_code ResolveWriteTarget(const fs::path& target, fs::path& resolved) {
    fs::path current = target;
    for (int links = 0; links <= kMaxLinks; ++links) {
        struct stat status {};
        if (::lstat(current.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
            resolved = std::move(current);
            return {};
        }
        std::error_code error;
        const fs::path next = fs::read_symlink(current, error);
        if (error) return error;
        current = next.is_absolute() ? next : current.parent_path() / next;
    }
    return std::make_error_code(std::errc::too_many_symbolic_link_levels);
}

std::error_code FileReplacement::begin(const fs::path& target, std::string_view tag) {
    discard();
    target_.clear();
    if (target.empty() || !target.has_filename())
        return std::make_error_code(std::errc::invalid_argument);
    fs::path resolved;
    if (auto error = ResolveWriteTarget(target, resolved)) return error;
    struct stat existing {};
    bool exists = false;
    if (auto error = CheckReplaceable(resolved, existing, exists)) return error;

    // Several libraries in one process each have their own counter; the pid
    // and O_EXCL settle any clash.
    static std::atomic<unsigned> counter{0};
    const fs::path folder = FolderOf(resolved);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path path = folder / TemporaryName(resolved, tag, counter++);
        // A replaced file's content is never more readable than the file was,
        // not even in its temporary file.
        const CleanupSignalsHeld held;
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                              exists ? 0600 : 0666);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return LastError();
        }
        fd_ = fd;
        temporary_ = path;
        slot_ = RegisterTemporaryFile(path);
        target_ = std::move(resolved);
        if (exists) {
            if (auto error = TakeOverAttributes(fd_, existing)) {
                discard();
                return error;
            }
        }
        return {};
    }
    return std::make_error_code(std::errc::file_exists);
}

std::error_code FileReplacement::write(std::string_view bytes) {
    if (fd_ < 0) return std::make_error_code(std::errc::bad_file_descriptor);
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

std::error_code FileReplacement::commit() {
    if (fd_ < 0) return std::make_error_code(std::errc::bad_file_descriptor);
    std::error_code error;
    if (::fsync(fd_) != 0) error = LastError();
    if (::close(std::exchange(fd_, -1)) != 0 && !error) error = LastError();
    if (!error && ::rename(temporary_.c_str(), target_.c_str()) != 0) error = LastError();
    if (error) {
        discard();
        return error;
    }
    temporary_.clear();
    UnregisterTemporaryFile(std::exchange(slot_, -1));
    SyncFolderOf(target_);
    return {};
}

void FileReplacement::discard() {
    if (fd_ >= 0) ::close(std::exchange(fd_, -1));
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
    temporary_.clear();
    UnregisterTemporaryFile(std::exchange(slot_, -1));
}

FileReplacement::FileReplacement(FileReplacement&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      slot_(std::exchange(other.slot_, -1)),
      temporary_(std::exchange(other.temporary_, {})),
      target_(std::move(other.target_)) {}

FileReplacement& FileReplacement::operator=(FileReplacement&& other) noexcept {
    if (this != &other) {
        discard();
        fd_ = std::exchange(other.fd_, -1);
        slot_ = std::exchange(other.slot_, -1);
        temporary_ = std::exchange(other.temporary_, {});
        target_ = std::move(other.target_);
    }
    return *this;
}

FileReplacement::~FileReplacement() {
    discard();
}

std::error_code WriteFileAtomically(const fs::path& target, std::string_view bytes) {
    FileReplacement replacement;
    if (auto error = replacement.begin(target)) return error;
    if (auto error = replacement.write(bytes)) return error;
    return replacement.commit();
}

}  // namespace obrin
