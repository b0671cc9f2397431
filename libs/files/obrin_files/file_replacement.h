#pragma once

#include <filesystem>
#include <string_view>
#include <system_error>

namespace obrin {

// Every file obrin saves (lyrics, INI files, exports, converted music, a
// song's tags) replaces its target through one FileReplacement, so these
// rules hold for all of them:
//
// - The new content goes to a hidden temporary file in the folder of the
//   file being replaced (a rename is atomic only within one file system), is
//   flushed to disk and renamed over it. A reader sees the old file or the
//   whole new one; a failure at any step leaves the old file as it was and
//   removes the temporary file. So does SIGINT, SIGTERM or SIGHUP in a
//   program that asks for it (obrin_files/temporary_files.h).
// - A symbolic link stays a link: the file it leads to, through any chain of
//   links, is the one replaced. A link that leads nowhere yet gets its file
//   created where it points.
// - A file with several hard links is replaced under the name written; the
//   other names keep the old content. Writing into the shared file in place
//   would put the only copy at risk of a half-written state.
// - A replaced file keeps its mode, and its owner and group where the system
//   allows. A new file gets 0666 less the umask.
// - A target that exists and is not a plain file, or that the user may not
//   write, is refused before anything is written, as opening it would be.
//
// Results are error codes, never exceptions (but for memory), so the export
// libraries use it behind their C boundary.
class FileReplacement {
  public:
    FileReplacement() = default;
    // Removes the temporary file unless it was committed.
    ~FileReplacement();
    FileReplacement(FileReplacement&& other) noexcept;
    FileReplacement& operator=(FileReplacement&& other) noexcept;
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // Resolves `target` as above and creates the temporary file, exclusively
    // (nothing already at its name is followed or truncated). Its name is
    // short whatever the target's length, made of the start of the target's
    // name, `tag`, a number and the target's extension (some writers pick the
    // format by it).
    [[nodiscard]] std::error_code begin(const std::filesystem::path& target,
                                        std::string_view tag = "tmp");

    // Appends to the temporary file; all bytes reach the system or an error
    // is returned.
    [[nodiscard]] std::error_code write(std::string_view bytes);

    // Stores the temporary file, however it was filled (by write, or by a
    // writer that opens temporary() by name and writes it in place), and
    // renames it over the target. On failure the temporary file is removed.
    [[nodiscard]] std::error_code commit();

    // Removes the temporary file now, leaving the target as it was.
    void discard();

    [[nodiscard]] const std::filesystem::path& temporary() const { return temporary_; }
    // The file being replaced: the target with its links followed.
    [[nodiscard]] const std::filesystem::path& target() const { return target_; }

  private:
    int fd_ = -1;
    int slot_ = -1;  // the temporary file's place in the signal handler's table
    std::filesystem::path temporary_;
    std::filesystem::path target_;
};

// The path a write to `target` replaces: symbolic links followed, one after
// another, to a file that is not a link or does not exist yet. Fails with
// too_many_symbolic_link_levels on a loop.
[[nodiscard]] std::error_code ResolveWriteTarget(const std::filesystem::path& target,
                                                 std::filesystem::path& resolved);

// Replaces `target` with `bytes` through a FileReplacement.
[[nodiscard]] std::error_code WriteFileAtomically(const std::filesystem::path& target,
                                                  std::string_view bytes);

}  // namespace obrin
