#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <system_error>

#include "obrin_riff/four_cc.h"

namespace obrin::riff {

// One chunk header as read, with its body clipped to what the enclosing chunk
// and the file really hold: a size field is never trusted to lie inside the
// file, so a damaged or truncated file cannot make a reader run past its end.
struct Chunk {
    FourCC id{};
    std::uint32_t declaredSize = 0;  // the size field as written
    std::uint64_t bodyOffset = 0;    // first byte after the eight-byte header
    std::uint64_t bodySize = 0;      // declaredSize clipped to the enclosing end

    std::uint64_t bodyEnd() const { return bodyOffset + bodySize; }
    bool truncated() const { return bodySize < declaredSize; }
};

// Sequential reader of RIFF chunks over plain stdio. Opens regular files only
// (a directory or a device is refused), so every read ends at the file's end.
// Not thread-safe; one reader per file.
class RiffReader {
  public:
    [[nodiscard]] static std::optional<RiffReader> Open(const std::filesystem::path& path,
                                                        std::error_code& error);

    std::uint64_t fileSize() const { return fileSize_; }

    // Reads the chunk header at the current position if a whole header lies
    // before `limit` (clipped to the file's end); std::nullopt when there is no
    // further chunk. Afterwards the position is the chunk's first body byte.
    [[nodiscard]] std::optional<Chunk> descend(std::uint64_t limit);
    [[nodiscard]] std::optional<Chunk> descend() { return descend(fileSize_); }

    // Moves past the chunk's declared body and its pad byte. The position may
    // then lie beyond the enclosing end; the next descend() reports no chunk.
    [[nodiscard]] bool ascend(const Chunk& chunk);

    [[nodiscard]] bool seek(std::uint64_t offset);
    std::uint64_t position() const { return position_; }

    // Reads up to buffer.size() bytes; returns how many were read (fewer only
    // at the end of the file or on a read error).
    [[nodiscard]] std::size_t read(std::span<std::byte> buffer);

  private:
    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    RiffReader(std::unique_ptr<std::FILE, FileCloser> file, std::uint64_t size);

    std::unique_ptr<std::FILE, FileCloser> file_;
    std::uint64_t fileSize_ = 0;
    std::uint64_t position_ = 0;
};

}  // namespace obrin::riff
