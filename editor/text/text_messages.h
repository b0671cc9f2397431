#pragma once

#include <filesystem>
#include <string>
#include <system_error>

namespace obrin {

// The messages of the lyrics text commands (UTF-8), shared by the editor's
// error boxes and obrin-cli.
inline constexpr const char* kClipboardInvalidMessage = "クリップボードの内容が不正です";
inline constexpr const char* kLyricsOpenFailedMessage = "歌詞を開くのに失敗しました";
inline constexpr const char* kCombineFailedMessage = "合成に失敗しました";
inline constexpr const char* kCombinePasteQuestion = "クリップボードのデータを貼り付けますか?";
inline constexpr const char* kCombineMismatchQuestion = "元の歌詞と異なりますが強制的に開きますか?";
// Work that does not fit in memory (a runaway expansion, a huge input, an
// export); nothing was changed.
inline constexpr const char* kOutOfMemoryMessage = "メモリが不足しています";
// A command asked to write over the file it reads.
inline constexpr const char* kSameFileMessage = "入力と同じファイルには書き込めません";

// The report of a file that could not be created or written; it names the
// file and the cause.
[[nodiscard]] inline std::string FileWriteErrorMessage(const std::filesystem::path& path,
                                                       const std::error_code& error) {
    return "ファイル " + path.string() + " を作成できません。\n" + error.message();
}

// The report of a file that could not be read.
[[nodiscard]] inline std::string FileReadErrorMessage(const std::filesystem::path& path,
                                                      const std::error_code& error) {
    return "ファイル " + path.string() + " を開けません。\n" + error.message();
}

}  // namespace obrin
