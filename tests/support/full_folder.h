#pragma once

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace obrin::test {

// Makes `folder` a disk with no room left for as long as it lives: a small
// tmpfs mounted over it and filled. The mount lies in a mount namespace of
// the process's own (for a user other than root, inside a user namespace
// where the user is root), so nothing outside the test sees it. Call it
// before the test starts any thread: a user namespace cannot be entered by
// a process with more than one. The disk is tried before the test goes on.
//
//     const FullFolder full(folder);
//     ASSERT_TRUE(full) << full.why();
class FullFolder {
  public:
    explicit FullFolder(std::filesystem::path folder) : folder_(std::move(folder)) {
        if (enterNamespace() && mountSmallDisk()) fill();
    }
    ~FullFolder() {
        if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
    }
    FullFolder(const FullFolder&) = delete;
    FullFolder& operator=(const FullFolder&) = delete;

    explicit operator bool() const { return why_.empty(); }
    const std::string& why() const { return why_; }

  private:
    bool fail(const char* step) {
        why_ = "cannot fill " + folder_.string() + ": " + step + ": " + std::strerror(errno);
        return false;
    }

    static bool writeFile(const char* path, const std::string& text) {
        const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
        if (fd < 0) return false;
        const bool written = ::write(fd, text.data(), text.size()) == ssize_t(text.size());
        ::close(fd);
        return written;
    }

    bool enterNamespace() {
        if (::geteuid() == 0) {
            if (::unshare(CLONE_NEWNS) != 0) return fail("unshare(CLONE_NEWNS)");
        } else {
            const std::string uid = std::to_string(::geteuid());
            const std::string gid = std::to_string(::getegid());
            if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) return fail("unshare(CLONE_NEWUSER)");
            // The user stays who they are: their own id mapped onto itself.
            if (!writeFile("/proc/self/setgroups", "deny") ||
                !writeFile("/proc/self/uid_map", uid + " " + uid + " 1") ||
                !writeFile("/proc/self/gid_map", gid + " " + gid + " 1")) {
                return fail("mapping the user");
            }
        }
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            return fail("mount --make-rprivate /");
        return true;
    }

    bool mountSmallDisk() {
        if (::mount("obrin-full", folder_.c_str(), "tmpfs", 0, "size=16k,mode=0777") != 0)
            return fail("mount -t tmpfs");
        mounted_ = true;
        return true;
    }

    void fill() {
        std::ofstream filler(folder_ / "filler", std::ios::binary);
        const std::vector<char> block(4096, 'x');
        for (int i = 0; i < 64 && filler.write(block.data(), block.size()) && filler.flush(); ++i) {
        }
        filler.close();
        const std::filesystem::path probe = folder_ / "probe";
        const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        const bool full = fd < 0 ? errno == ENOSPC : ::write(fd, "x", 1) < 0 && errno == ENOSPC;
        if (fd >= 0) ::close(fd);
        if (!full) why_ = folder_.string() + " still takes a byte";
    }

    std::filesystem::path folder_;
    bool mounted_ = false;
    std::string why_;
};

}  // namespace obrin::test
