#pragma once

#include <string>

// kOutOfMemoryMessage, shared with the text commands.
#include "text/text_messages.h"

namespace obrin {

// The messages of the two player exports and the batch (UTF-8), shared by
// the editor's error boxes and obrin-cli.
inline constexpr const char* kTessaryMissingMessage = "tessary.dllが見つかりません";
inline constexpr const char* kTessaryInvalidMessage = "tessary.dllが不正です";
inline constexpr const char* kMarletNotLoadedMessage = "marlet.dllが読み込みません";
inline constexpr const char* kMarletInvalidMessage = "marlet.dllが不正です";
inline constexpr const char* kSncNotCreatedMessage = "ファイルが作成できません";
inline constexpr const char* kSameFolderMessage = "同じフォルダは指定できません";

// The display warnings of the SP250 export; `lineNumber` counts from 1.
[[nodiscard]] inline std::string RemoteDisplayWarning(int lineNumber) {
    return std::to_string(lineNumber) + "行目がリモコンへ表示しきれません";
}
[[nodiscard]] inline std::string BodyDisplayWarning(int lineNumber) {
    return std::to_string(lineNumber) + "行目が本体へ表示しきれません";
}

}  // namespace obrin
