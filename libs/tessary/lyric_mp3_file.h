#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "lyric_tag.h"

namespace obrin::tessary {

// Writes the output: the tag of `items`, then the source byte for byte.
// Returns a CreateTessary result (obrin/tessary.h).
std::int32_t WriteLyricMp3(const std::vector<LyricItem>& items, const std::filesystem::path& source,
                           const std::filesystem::path& output);

}  // namespace obrin::tessary
