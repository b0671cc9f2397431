#pragma once

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

namespace obrin::test {

// Makes a folder refuse new entries to this test, for as long as it lives,
// so that a writer's failure path runs for any user. Folder permissions do
// not stop root (as CI runs), so for root the folder is bind-mounted
// read-only instead, in a mount namespace of the calling thread's own that
// nothing outside the test sees. Either way the folder is tried before the
// test goes on: a test that cannot get a folder it may not write to fails
// with the reason instead of passing without its failure.
//
//     const ReadOnlyFolder readOnly(folder.path());
//     ASSERT_TRUE(readOnly) << readOnly.why();
class ReadOnlyFolder {
  public:
    explicit ReadOnlyFolder(std::filesystem::path folder) : folder_(std::move(folder)) {
        if (::geteuid() == 0) {
            mountReadOnly();
        } else {
            takeAwayWriting();
        }
        if (why_.empty()) tryWriting();
    }
    ~ReadOnlyFolder() {
        if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
        if (savedMode_) ::chmod(folder_.c_str(), *savedMode_);
    }
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

    explicit operator bool() const { return why_.empty(); }
    // Why the folder could not be made read-only; empty when it was.
    const std::string& why() const { return why_; }
    // The error the system gives a write there: no permission, or a
    // read-only file system.
    std::errc refusal() const {
        return mounted_ ? std::errc::read_only_file_system : std::errc::permission_denied;
    }

  private:
    void fail(const char* step) {
        why_ =
            "cannot make " + folder_.string() + " read-only: " + step + ": " + std::strerror(errno);
    }

    void mountReadOnly() {
        // A private copy of the mount table, so the bind mount stays in it.
        if (::unshare(CLONE_NEWNS) != 0) return fail("unshare(CLONE_NEWNS)");
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
            return fail("mount --make-rprivate /");
        }
        if (::mount(folder_.c_str(), folder_.c_str(), nullptr, MS_BIND, nullptr) != 0) {
            return fail("mount --bind");
        }
        mounted_ = true;
        const unsigned long readOnly = MS_BIND | MS_REMOUNT | MS_RDONLY;
        if (::mount(nullptr, folder_.c_str(), nullptr, readOnly, nullptr) != 0) {
            return fail("mount -o remount,bind,ro");
        }
    }

    void takeAwayWriting() {
        struct stat st {};
        if (::stat(folder_.c_str(), &st) != 0) return fail("stat");
        if (::chmod(folder_.c_str(), 0500) != 0) return fail("chmod 0500");
        savedMode_ = st.st_mode & 07777;
    }

    void tryWriting() {
        const std::filesystem::path probe = folder_ / ".read-only-probe";
        const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (std::errc(errno) != refusal()) fail("trying it");
            return;
        }
        ::close(fd);
        ::unlink(probe.c_str());
        why_ = "this process may still write into " + folder_.string();
    }

    std::filesystem::path folder_;
    bool mounted_ = false;
    std::optional<mode_t> savedMode_;
    std::string why_;
};

}  // namespace obrin::test
