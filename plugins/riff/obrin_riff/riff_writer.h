#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <system_error>
#include <vector>

#include "obrin_riff/four_cc.h"

namespace obrin::riff {

// Writes a RIFF file chunk by chunk over plain stdio. A chunk's size is filled
// in and its pad byte written when it ends; close() ends every chunk still
// open, so an abandoned conversion still leaves a well-formed file.
//
// I/O failures are sticky: after the first one every call does nothing and
// close() reports it. Not thread-safe; callers on several threads must
// serialise their calls.
class RiffWriter {
  public:
    // Creates or truncates the file.
    [[nodiscard]] static std::optional<RiffWriter> Create(const std::filesystem::path& path,
                                                          std::error_code& error);
    RiffWriter(RiffWriter&&) noexcept = default;
    RiffWriter& operator=(RiffWriter&&) noexcept = default;
    ~RiffWriter();

    // A container chunk ("RIFF", "LIST") with its form type.
    void beginList(const FourCC& id, const FourCC& formType);
    void beginChunk(const FourCC& id);
    void write(std::span<const std::byte> bytes);
    void endChunk();

    bool ok() const { return !failed_; }
    // Ends the open chunks and closes the file; false if anything failed.
    [[nodiscard]] bool close();

  private:
    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    explicit RiffWriter(std::unique_ptr<std::FILE, FileCloser> file);
    void writeRaw(const void* data, std::size_t size);

    std::unique_ptr<std::FILE, FileCloser> file_;
    std::vector<std::uint64_t> openChunks_;  // offsets of the size fields
    std::uint64_t position_ = 0;
    bool failed_ = false;
};

}  // namespace obrin::riff
