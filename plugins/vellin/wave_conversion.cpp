#include "wave_conversion.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <vector>

#include "block_decoder.h"
#include "obrin_riff/riff_reader.h"
#include "obrin_riff/riff_writer.h"

namespace obrin::vellin {

namespace {

using riff::Chunk;
using riff::RiffReader;
using riff::RiffWriter;
using riff::WaveFormat;

constexpr int kSucceeded = 0;
constexpr int kFailed = 1;

// Nothing of a format chunk past its 16-bit extra-byte count is ever used, so
// a chunk claiming gigabytes is not read into memory.
constexpr std::uint64_t kLargestFormat = WaveFormat::kRecordSize + 0xFFFF;

std::optional<WaveFormat> ReadFormat(RiffReader& reader, const Chunk& chunk) {
    std::vector<std::byte> body(
        std::max<std::uint64_t>(std::min(chunk.bodySize, kLargestFormat), WaveFormat::kRecordSize));
    const std::size_t wanted = static_cast<std::size_t>(std::min(chunk.bodySize, kLargestFormat));
    if (reader.read(std::span(body).first(wanted)) != wanted) return std::nullopt;
    if (!reader.ascend(chunk)) return std::nullopt;
    return WaveFormat::Parse(body);
}

// Skips the chunks before the one wanted: recorders put "JUNK", "bext" or
// "LIST" ahead of "fmt ", and any chunk may stand between "fmt " and "data".
std::optional<Chunk> FindChunk(RiffReader& reader, const Chunk& container, const riff::FourCC& id) {
    // Every step moves at least one header forward and descend() stops at the
    // container's real end, so a damaged size cannot make this loop forever.
    while (auto chunk = reader.descend(container.bodyEnd())) {
        if (chunk->id == id) return chunk;
        if (!reader.ascend(*chunk)) return std::nullopt;
    }
    return std::nullopt;
}

// The callback speaks signed 32-bit numbers; a source over 2 GiB reports in
// larger units so that done still runs up to total.
struct ProgressScale {
    explicit ProgressScale(std::uint64_t total) {
        while ((total >> shift) > std::numeric_limits<std::int32_t>::max()) ++shift;
    }
    std::int32_t operator()(std::uint64_t bytes) const {
        return static_cast<std::int32_t>(bytes >> shift);
    }
    unsigned shift = 0;
};

}  // namespace

int ConvertWave(const std::filesystem::path& source, const std::filesystem::path& wav,
                const ProgressFunction& progress) {
    std::error_code error;
    // Creating the WAV truncates it; when it is the source itself that would
    // destroy the user's file before a byte of it was read.
    if (std::filesystem::equivalent(source, wav, error)) return kFailed;

    auto output = RiffWriter::Create(wav, error);
    if (!output) return kFailed;
    output->beginList(riff::kRiff, riff::kWave);

    auto reader = RiffReader::Open(source, error);
    if (!reader) return kFailed;
    // Anything else (a bare MPEG stream, a text file) is not ours to read.
    const auto container = reader->descend();
    if (!container || container->id != riff::kRiff || container->bodySize < 4 ||
        !reader->seek(container->bodyOffset + 4)) {
        return kFailed;
    }
    const auto formatChunk = FindChunk(*reader, *container, riff::kFmt);
    if (!formatChunk) return kFailed;
    const auto sourceFormat = ReadFormat(*reader, *formatChunk);
    if (!sourceFormat) return kFailed;
    const auto data = FindChunk(*reader, *container, riff::kData);
    if (!data) return kFailed;

    auto opened = OpenBlockDecoder(*sourceFormat, SuggestPcmFormat(*sourceFormat));
    if (auto* failure = std::get_if<AcmResult>(&opened)) {
        PrintAcmResult(*failure);
        return kFailed;
    }
    auto& decoder = *std::get<std::unique_ptr<BlockDecoder>>(opened);

    // The format chunk goes out with the first PCM (or at the end), once the
    // decoder knows what the stream really holds.
    bool headerWritten = false;
    const auto writeHeader = [&] {
        if (headerWritten) return;
        output->beginChunk(riff::kFmt);
        output->write(decoder.format().serialize());
        output->endChunk();
        output->beginChunk(riff::kData);
        headerWritten = true;
    };
    std::uint64_t written = 0;
    const PcmSink sink = [&](std::span<const std::byte> pcm) {
        writeHeader();
        output->write(pcm);
        written += pcm.size();
    };

    // A "data" chunk claiming more than the file holds ends at the file's end.
    const std::uint64_t total = data->bodySize;
    const ProgressScale scale(total);
    std::vector<std::byte> block(static_cast<std::size_t>(
        std::min<std::uint64_t>(std::size_t{sourceFormat->blockAlign} * 1024, total)));
    std::uint64_t remaining = total;
    bool stopped = false;
    try {
        while (remaining > 0) {
            const auto wanted =
                static_cast<std::size_t>(std::min<std::uint64_t>(block.size(), remaining));
            const std::size_t got = reader->read(std::span(block).first(wanted));
            // A read that comes up short means the file ended early after all
            // (it shrank, or a read failed): what was read is the last block.
            remaining = got == wanted ? remaining - wanted : 0;
            if (progress(scale(total), scale(total - remaining)) != 0) {
                stopped = true;
                break;
            }
            decoder.convert(std::span(block).first(got), sink);
        }
        if (!stopped) decoder.finish(sink);
    } catch (const DecodeFailure& failure) {
        PrintAcmResult(failure.result);
        writeHeader();
        (void)output->close();
        return kFailed;
    }
    writeHeader();
    // A WAV that could not be written whole is a failure, not a success; so
    // is audio data that gave no audio at all (a block alignment larger than
    // the data, a stream the decoder rejects throughout).
    if (!output->close()) return kFailed;
    if (stopped || (total > 0 && written == 0)) return kFailed;
    return kSucceeded;
}

}  // namespace obrin::vellin
