#include "lyric_mp3_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "obrin/tessary.h"
#include "obrin_files/file_replacement.h"
#include "obrin_files/same_file.h"

namespace obrin::tessary {
namespace {

constexpr std::size_t kCopyBlock = 4096;

class ReadOnlyFile {
  public:
    // Without O_NONBLOCK, opening a named pipe would wait for a writer that
    // may never come; a plain file reads the same either way.
    explicit ReadOnlyFile(const std::filesystem::path& path)
        : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)) {}
    ~ReadOnlyFile() {
        if (fd_ >= 0) ::close(fd_);
    }
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    // Open and a plain file: a folder or a device has no song to copy, and
    // a pipe or a device like /dev/zero might never end.
    [[nodiscard]] bool isPlainFile(struct stat& info) const {
        return fd_ >= 0 && ::fstat(fd_, &info) == 0 && S_ISREG(info.st_mode);
    }

    // The count read, 0 at the end, -1 on an error.
    [[nodiscard]] ssize_t read(char* buffer, std::size_t size) const {
        for (;;) {
            const ssize_t n = ::read(fd_, buffer, size);
            if (n >= 0 || errno != EINTR) return n;
        }
    }

  private:
    int fd_;
};

}  // namespace

std::int32_t WriteLyricMp3(const std::vector<LyricItem>& items, const std::filesystem::path& source,
                           const std::filesystem::path& output) {
    ReadOnlyFile in(source);
    struct stat sourceInfo {};
    if (!in.isPlainFile(sourceInfo)) return TESSARY_SOURCE_UNREADABLE;
    if (IsSameFile(source, output)) return TESSARY_OUTPUT_UNWRITABLE;

    const std::optional<std::string> tag = BuildLyricTag(items);
    if (!tag) return TESSARY_BEYOND_LIMITS;

    FileReplacement out;
    if (out.begin(output) || out.write(*tag)) return TESSARY_OUTPUT_UNWRITABLE;
    char block[kCopyBlock];
    for (;;) {
        const ssize_t n = in.read(block, sizeof block);
        if (n == 0) break;
        if (n < 0) return TESSARY_SOURCE_UNREADABLE;
        if (out.write(std::string_view(block, static_cast<std::size_t>(n)))) {
            return TESSARY_OUTPUT_UNWRITABLE;
        }
    }
    return out.commit() ? TESSARY_OUTPUT_UNWRITABLE : TESSARY_WRITTEN;
}

}  // namespace obrin::tessary
