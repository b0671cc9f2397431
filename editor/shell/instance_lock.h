#pragma once

#include <filesystem>
#include <optional>
#include <system_error>

namespace obrin {

// Marks a running editor for the whole life of the process: an exclusive
// flock on the file "obrin_mutex" in a per-user folder. The kernel drops the
// lock when the process ends in any way, so a crashed or killed editor never
// blocks the next start. The descriptor is close-on-exec, so programs the
// editor starts (a browser for the help) do not inherit the lock.
class InstanceLock {
  public:
    // std::nullopt when another process holds the lock. The folder is created
    // (mode 0700) if needed and must belong to the user. If the lock cannot be
    // set up at all (unwritable or foreign folder), the editor should still
    // run: the result then holds nothing (holdsLock() is false) rather than
    // pretending another copy runs.
    [[nodiscard]] static std::optional<InstanceLock> Acquire(const std::filesystem::path& folder);
    // The same, reporting why the lock could not be set up in `error`.
    [[nodiscard]] static std::optional<InstanceLock> Acquire(const std::filesystem::path& folder,
                                                             std::error_code& error);

    InstanceLock(InstanceLock&& other) noexcept;
    InstanceLock& operator=(InstanceLock&& other) noexcept;
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;
    ~InstanceLock();

    [[nodiscard]] bool holdsLock() const { return fd_ >= 0; }

  private:
    explicit InstanceLock(int fd) : fd_(fd) {}
    int fd_;
};

}  // namespace obrin
