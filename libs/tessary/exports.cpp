// The library's three exports over its one item list. Nothing may leave them
// as a C++ exception: the caller is C.
#include <type_traits>
#include <vector>

#include "lyric_mp3_file.h"
#include "lyric_tag.h"
#include "obrin/tessary.h"

extern "C" {
OBRIN_LIBRARY_EXPORT std::int32_t OBRIN_LIBRARY_CALL Init();
OBRIN_LIBRARY_EXPORT std::int32_t OBRIN_LIBRARY_CALL AddItem(const char* text,
                                                             std::int32_t milliseconds);
OBRIN_LIBRARY_EXPORT std::int32_t OBRIN_LIBRARY_CALL CreateTessary(const char* sourcePath,
                                                                   const char* outputPath);
}

static_assert(std::is_same_v<decltype(&Init), TessaryInitFunction>);
static_assert(std::is_same_v<decltype(&AddItem), TessaryAddItemFunction>);
static_assert(std::is_same_v<decltype(&CreateTessary), TessaryCreateFunction>);

namespace {

std::vector<obrin::tessary::LyricItem> items;

}  // namespace

std::int32_t OBRIN_LIBRARY_CALL Init() {
    items.clear();
    return 0;
}

std::int32_t OBRIN_LIBRARY_CALL AddItem(const char* text, std::int32_t milliseconds) {
    try {
        std::string line = text != nullptr ? text : "";
        line += "\r\n";
        items.push_back({std::move(line), milliseconds});
        return TESSARY_ITEM_ADDED;
    } catch (...) {
        return TESSARY_ITEM_NOT_ADDED;
    }
}

std::int32_t OBRIN_LIBRARY_CALL CreateTessary(const char* sourcePath, const char* outputPath) {
    if (sourcePath == nullptr) return TESSARY_SOURCE_UNREADABLE;
    if (outputPath == nullptr) return TESSARY_OUTPUT_UNWRITABLE;
    try {
        return obrin::tessary::WriteLyricMp3(items, sourcePath, outputPath);
    } catch (...) {
        // Only memory can run out here; the temporary output is gone with
        // its owner, so nothing was written.
        return TESSARY_OUTPUT_UNWRITABLE;
    }
}
