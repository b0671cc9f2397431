// The RIFF chunk reader walking every chunk of a file, lists included, and
// the format record of every "fmt " chunk.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "memory_file.h"
#include "obrin_riff/riff_reader.h"
#include "obrin_riff/wave_format.h"

namespace {

using obrin::riff::Chunk;
using obrin::riff::RiffReader;

constexpr obrin::riff::FourCC kList = obrin::riff::MakeFourCC("LIST");

void Walk(RiffReader& reader, std::uint64_t limit, int depth) {
    while (auto chunk = reader.descend(limit)) {
        const obrin::riff::FourCC id = chunk->id;
        if ((id == obrin::riff::kRiff || id == kList) && depth < 8 && chunk->bodySize >= 4 &&
            reader.seek(chunk->bodyOffset + 4)) {
            Walk(reader, chunk->bodyEnd(), depth + 1);
        } else if (id == obrin::riff::kFmt) {
            std::vector<std::byte> body(
                static_cast<std::size_t>(std::min<std::uint64_t>(chunk->bodySize, 0x10000)));
            body.resize(reader.read(body));
            (void)obrin::riff::WaveFormat::Parse(body).codingTag();
        }
        if (!reader.ascend(*chunk)) return;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const obrin::fuzz::MemoryFile file(data, size);
    std::error_code error;
    auto reader = RiffReader::Open(file.path(), error);
    if (!reader) return 0;
    Walk(*reader, reader->fileSize(), 0);
    return 0;
}
