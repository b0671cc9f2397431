#include "obrin_riff/riff_reader.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cerrno>

#include "little_endian.h"

namespace obrin::riff {

std::optional<RiffReader> RiffReader::Open(const std::filesystem::path& path,
                                           std::error_code& error) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        error.assign(errno, std::generic_category());
        return std::nullopt;
    }
    struct stat info {};
    if (fstat(fileno(file.get()), &info) != 0) {
        error.assign(errno, std::generic_category());
        return std::nullopt;
    }
    // A directory opens for reading here but has no bytes; a device or pipe
    // may never end. Only a regular file has a size to bound every chunk by.
    if (!S_ISREG(info.st_mode)) {
        error = std::make_error_code(S_ISDIR(info.st_mode) ? std::errc::is_a_directory
                                                           : std::errc::invalid_argument);
        return std::nullopt;
    }
    return RiffReader(std::move(file), static_cast<std::uint64_t>(info.st_size));
}

RiffReader::RiffReader(std::unique_ptr<std::FILE, FileCloser> file, std::uint64_t size)
    : file_(std::move(file)), fileSize_(size) {}

std::optional<Chunk> RiffReader::descend(std::uint64_t limit) {
    limit = std::min(limit, fileSize_);
    if (position_ > limit || limit - position_ < 8) return std::nullopt;
    std::array<std::byte, 8> header{};
    if (read(header) != header.size()) return std::nullopt;
    Chunk chunk;
    std::copy_n(reinterpret_cast<const char*>(header.data()), 4, chunk.id.begin());
    chunk.declaredSize = ReadLe32(header.data() + 4);
    chunk.bodyOffset = position_;
    chunk.bodySize = std::min<std::uint64_t>(chunk.declaredSize, limit - position_);
    return chunk;
}

bool RiffReader::ascend(const Chunk& chunk) {
    const std::uint64_t padded = std::uint64_t{chunk.declaredSize} + (chunk.declaredSize & 1u);
    return seek(chunk.bodyOffset + padded);
}

bool RiffReader::seek(std::uint64_t offset) {
    // Past the end there is nothing to read; remember the position so that the
    // next descend() reports no chunk, without asking stdio to seek there.
    if (offset >= fileSize_) {
        position_ = offset;
        return true;
    }
    if (fseeko(file_.get(), static_cast<off_t>(offset), SEEK_SET) != 0) return false;
    position_ = offset;
    return true;
}

std::size_t RiffReader::read(std::span<std::byte> buffer) {
    if (position_ >= fileSize_) return 0;
    const auto wanted =
        static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), fileSize_ - position_));
    const std::size_t got = std::fread(buffer.data(), 1, wanted, file_.get());
    position_ += got;
    return got;
}

}  // namespace obrin::riff
