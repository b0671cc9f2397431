#include "shell/instance_lock.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "temp_folder.h"

namespace obrin {
namespace {

using test::TempFolder;
using test::WriteBytes;

// Asks a forked process whether it can take the lock; its exit status answers.
bool OtherProcessCanAcquire(const std::filesystem::path& folder) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        auto lock = InstanceLock::Acquire(folder);
        ::_exit(lock && lock->holdsLock() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A process that takes the lock and sleeps until killed. With
// `startsChild`, it first starts another program (as the editor does for the
// help), which must not inherit the lock. Returns the holder and that child.
struct Holder {
    pid_t pid = -1;
    pid_t grandchild = -1;
};

Holder StartHolder(const std::filesystem::path& folder, bool startsChild) {
    int ready[2];
    if (::pipe(ready) != 0) return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(ready[0]);
        auto lock = InstanceLock::Acquire(folder);
        pid_t grandchild = 0;
        if (startsChild) {
            // The child holds the descriptor until its exec closes it; the
            // close-on-exec pipe tells when that has happened.
            int execed[2];
            if (::pipe2(execed, O_CLOEXEC) != 0) ::_exit(2);
            grandchild = ::fork();
            if (grandchild == 0) {
                ::execl("/bin/sleep", "sleep", "30", static_cast<char*>(nullptr));
                ::_exit(127);
            }
            ::close(execed[1]);
            char byte;
            (void)!::read(execed[0], &byte, 1);
        }
        if (!lock || !lock->holdsLock()) grandchild = -1;
        (void)!::write(ready[1], &grandchild, sizeof grandchild);
        for (;;) ::pause();
    }
    ::close(ready[1]);
    pid_t grandchild = -1;
    const bool ok = ::read(ready[0], &grandchild, sizeof grandchild) == sizeof grandchild;
    ::close(ready[0]);
    return {pid, ok ? grandchild : -1};
}

void Kill(pid_t pid) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

TEST(InstanceLock, SecondProcessIsRefusedWhileTheFirstHoldsIt) {
    TempFolder folder;
    auto lock = InstanceLock::Acquire(folder.path());
    ASSERT_TRUE(lock && lock->holdsLock());

    EXPECT_FALSE(OtherProcessCanAcquire(folder.path()));
    EXPECT_FALSE(InstanceLock::Acquire(folder.path()).has_value());

    lock.reset();
    EXPECT_TRUE(OtherProcessCanAcquire(folder.path()));
}

struct KilledHolderCase {
    const char* name;
    bool startsChild;
};

class InstanceLockKilledHolderTest : public testing::TestWithParam<KilledHolderCase> {};

TEST_P(InstanceLockKilledHolderTest, KilledHolderDoesNotBlockTheNextStart) {
    TempFolder folder;
    const Holder holder = StartHolder(folder.path(), GetParam().startsChild);
    ASSERT_GT(holder.pid, 0);
    ASSERT_GE(holder.grandchild, 0) << "holder could not take the lock";
    EXPECT_FALSE(InstanceLock::Acquire(folder.path()).has_value());

    Kill(holder.pid);

    auto lock = InstanceLock::Acquire(folder.path());
    EXPECT_TRUE(lock && lock->holdsLock());
    if (holder.grandchild > 0) ::kill(holder.grandchild, SIGKILL);
}

INSTANTIATE_TEST_SUITE_P(Holders, InstanceLockKilledHolderTest,
                         testing::Values(KilledHolderCase{"Alone", false},
                                         KilledHolderCase{"WithAStartedProgram", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(InstanceLock, CreatesAPrivateFolder) {
    TempFolder parent;
    const auto folder = parent / "runtime";

    auto lock = InstanceLock::Acquire(folder);

    ASSERT_TRUE(lock && lock->holdsLock());
    struct stat st {};
    ASSERT_EQ(::stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_TRUE(std::filesystem::exists(folder / "obrin_mutex"));
}

TEST(InstanceLock, UnusableFolderIsReportedAndDoesNotLookLikeAnotherCopy) {
    TempFolder parent;
    WriteBytes(parent / "plain-file", "x");
    std::error_code error;

    auto lock = InstanceLock::Acquire(parent / "plain-file" / "runtime", error);

    ASSERT_TRUE(lock.has_value());
    EXPECT_FALSE(lock->holdsLock());
    EXPECT_TRUE(error);
}

// A folder everyone may write to but another user owns: for root one given to
// nobody, for anyone else /tmp itself, which root owns.
TEST(InstanceLock, FolderOfAnotherUserIsNotTrusted) {
    TempFolder parent;
    std::filesystem::path folder = "/tmp";
    if (::geteuid() == 0) {
        folder = parent / "runtime";
        ASSERT_EQ(::mkdir(folder.c_str(), 0777), 0);
        ASSERT_EQ(::chown(folder.c_str(), 65534, 65534), 0);
    }
    struct stat owner {};
    ASSERT_EQ(::stat(folder.c_str(), &owner), 0);
    ASSERT_NE(owner.st_uid, ::geteuid()) << folder;
    std::error_code error;

    auto lock = InstanceLock::Acquire(folder, error);

    ASSERT_TRUE(lock.has_value());
    EXPECT_FALSE(lock->holdsLock());
    EXPECT_EQ(error, std::errc::permission_denied);
    EXPECT_FALSE(std::filesystem::exists(folder / "obrin_mutex"));
}

}  // namespace
}  // namespace obrin
