#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace obrin::libs {

// An output file that appears under its name only when it is complete.
//
// The bytes go to a temporary file created exclusively in the target's own
// folder (a rename is atomic only within one file system); commit() stores
// it and renames it over the target. Until then the target, if it exists,
// is left as it was, and an output dropped without commit() removes its
// temporary file. A target that is a symbolic link is written through: the
// file it points to is replaced and the link stays.
class AtomicOutput {
  public:
    // Fails when the target's folder is missing or may not be written, or
    // when the target exists and is not a plain file or may not be written,
    // as opening it for writing would.
    [[nodiscard]] static std::optional<AtomicOutput> Create(const std::filesystem::path& target);

    // Hands all the bytes to the system before returning, so they survive a
    // crash of the program. False if the system refused any of them.
    [[nodiscard]] bool write(std::string_view bytes);

    // Stores the file on disk and renames it over the target. False if any
    // step failed; the temporary file is then removed and the target left
    // as it was. Call once.
    [[nodiscard]] bool commit();

    // The file the bytes will replace: the target with a symbolic link
    // resolved.
    [[nodiscard]] const std::filesystem::path& target() const { return target_; }

    AtomicOutput(AtomicOutput&& other) noexcept;
    AtomicOutput& operator=(AtomicOutput&& other) noexcept;
    AtomicOutput(const AtomicOutput&) = delete;
    AtomicOutput& operator=(const AtomicOutput&) = delete;
    ~AtomicOutput();

  private:
    AtomicOutput(int fd, std::string tempPath, std::filesystem::path target)
        : fd_(fd), tempPath_(std::move(tempPath)), target_(std::move(target)) {}
    void discard();

    int fd_;
    std::string tempPath_;
    std::filesystem::path target_;
};

}  // namespace obrin::libs
