#include "obrin_riff/riff_writer.h"

#include <array>
#include <cerrno>
#include <limits>

#include "little_endian.h"

namespace obrin::riff {

namespace {
constexpr std::size_t kBufferSize = 256 * 1024;
}  // namespace

std::optional<RiffWriter> RiffWriter::Create(const std::filesystem::path& path,
                                             std::error_code& error) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file) {
        error.assign(errno, std::generic_category());
        return std::nullopt;
    }
    // Decoders hand over a few kilobytes at a time; a larger buffer saves a
    // system call for nearly every one of them.
    std::setvbuf(file.get(), nullptr, _IOFBF, kBufferSize);
    return RiffWriter(std::move(file));
}

RiffWriter::RiffWriter(std::unique_ptr<std::FILE, FileCloser> file) : file_(std::move(file)) {}

RiffWriter::~RiffWriter() {
    if (file_) (void)close();
}

void RiffWriter::writeRaw(const void* data, std::size_t size) {
    if (failed_ || size == 0) return;
    if (std::fwrite(data, 1, size, file_.get()) != size) {
        failed_ = true;
        return;
    }
    position_ += size;
}

void RiffWriter::beginChunk(const FourCC& id) {
    writeRaw(id.data(), id.size());
    openChunks_.push_back(position_);
    const std::array<std::byte, 4> placeholder{};
    writeRaw(placeholder.data(), placeholder.size());
}

void RiffWriter::beginList(const FourCC& id, const FourCC& formType) {
    beginChunk(id);
    writeRaw(formType.data(), formType.size());
}

void RiffWriter::write(std::span<const std::byte> bytes) {
    writeRaw(bytes.data(), bytes.size());
}

void RiffWriter::endChunk() {
    if (openChunks_.empty()) return;
    const std::uint64_t sizeField = openChunks_.back();
    openChunks_.pop_back();
    if (failed_) return;
    const std::uint64_t size = position_ - sizeField - 4;
    if (size % 2 == 1) {
        const std::byte pad{0};
        writeRaw(&pad, 1);
    }
    // The size field holds the unpadded length; a chunk past 4 GiB cannot be
    // described, so the file is reported as failed rather than mislabelled.
    if (size > std::numeric_limits<std::uint32_t>::max()) {
        failed_ = true;
        return;
    }
    std::array<std::byte, 4> field{};
    WriteLe32(field.data(), static_cast<std::uint32_t>(size));
    if (failed_ || fseeko(file_.get(), static_cast<off_t>(sizeField), SEEK_SET) != 0 ||
        std::fwrite(field.data(), 1, field.size(), file_.get()) != field.size() ||
        fseeko(file_.get(), static_cast<off_t>(position_), SEEK_SET) != 0) {
        failed_ = true;
    }
}

bool RiffWriter::close() {
    if (!file_) return !failed_;
    while (!openChunks_.empty()) endChunk();
    if (std::fclose(file_.release()) != 0) failed_ = true;
    return !failed_;
}

}  // namespace obrin::riff
