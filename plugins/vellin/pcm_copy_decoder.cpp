#include "block_decoder.h"

namespace obrin::vellin {

namespace {

// Integer PCM is already what the player wants: whole sample frames pass
// through unchanged. A torn frame at the very end of the data is dropped.
class PcmCopyDecoder final : public BlockDecoder {
  public:
    explicit PcmCopyDecoder(const riff::WaveFormat& format) : format_(format) {}

    void convert(std::span<const std::byte> block, const PcmSink& sink) override {
        sink(block.first(block.size() - block.size() % format_.blockAlign));
    }
    void finish(const PcmSink&) override {}
    riff::WaveFormat format() const override { return format_; }

  private:
    riff::WaveFormat format_;
};

}  // namespace

std::unique_ptr<BlockDecoder> MakePcmCopyDecoder(const riff::WaveFormat& destination) {
    return std::make_unique<PcmCopyDecoder>(destination);
}

}  // namespace obrin::vellin
