#include "base/file_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>

namespace obrin {
namespace {

std::error_code LastError() {
    return {errno, std::generic_category()};
}

}  // namespace

// Plain read(2) rather than a stream: libstdc++'s file buffer throws on a
// read error, and a stream cannot say which error it met.
std::optional<std::string> ReadDescriptorBytes(int fd, std::error_code& error) {
    error.clear();
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        error = LastError();
        return std::nullopt;
    }
    if (S_ISDIR(status.st_mode)) {
        error = std::make_error_code(std::errc::is_a_directory);
        return std::nullopt;
    }
    try {
        std::string bytes;
        // A regular file's size is only a hint: it may grow or shrink while read.
        if (S_ISREG(status.st_mode) && status.st_size > 0)
            bytes.reserve(static_cast<std::size_t>(status.st_size));
        char buffer[64 * 1024];
        for (;;) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n == 0) return bytes;
            if (n < 0) {
                if (errno == EINTR) continue;
                error = LastError();
                return std::nullopt;
            }
            bytes.append(buffer, static_cast<std::size_t>(n));
        }
    } catch (const std::bad_alloc&) {
        error = std::make_error_code(std::errc::not_enough_memory);
    } catch (const std::length_error&) {
        error = std::make_error_code(std::errc::not_enough_memory);
    }
    return std::nullopt;
}

std::optional<std::string> ReadFileBytes(const std::filesystem::path& path,
                                         std::error_code& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        error = LastError();
        return std::nullopt;
    }
    auto bytes = ReadDescriptorBytes(fd, error);
    ::close(fd);
    return bytes;
}

}  // namespace obrin
