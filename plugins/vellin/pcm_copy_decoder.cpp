#include "block_decoder.h"

namespace obrin::vellin {

namespace {

// Integer PCM is already what the player wants: whole sample frames pass
// through unchanged. A torn frame at the very end of the data is dropped.
class PcmCopyDecoder final : public BlockDecoder {
  public:
    explicit PcmCopyDecoder(std::uint16_t blockAlign) : blockAlign_(blockAlign) {}

    void convert(std::span<const std::byte> block, std::vector<std::byte>& pcm) override {
        const std::size_t whole = block.size() - block.size() % blockAlign_;
        pcm.insert(pcm.end(), block.begin(), block.begin() + whole);
    }
    void finish(std::vector<std::byte>&) override {}

  private:
    std::uint16_t blockAlign_;
};

}  // namespace

std::unique_ptr<BlockDecoder> MakePcmCopyDecoder(std::uint16_t blockAlign) {
    return std::make_unique<PcmCopyDecoder>(blockAlign);
}

}  // namespace obrin::vellin
