#pragma once

#include <string>

#include "export/lyric_mp3_export.h"

namespace obrin {

// The grade the batch gives a song, by its longest line against the SP250's
// displays.
enum class BatchMark {
    Normal,      // ○ written; every line fits the remote control (32 bytes)
    OverRemote,  // △ written; the longest line is 33 to 48 bytes
    OverBody,    // ▲ written; the longest line is over 48 bytes
    Failed,      // × nothing written
};

// × for every export that wrote nothing, also one that ended with a message
// and the code 0 (tessary missing), so a run that wrote nothing never reads
// as a success.
[[nodiscard]] BatchMark GradeBatchResult(const LyricMp3Result& result);

// The line of the result list: "○ " + path, "△(n) " + path, "▲(n) " + path
// with n the longest line's bytes, or "×(code) " + path.
[[nodiscard]] std::string BatchResultLine(BatchMark mark, int code, const std::string& mp3Path);

// The legend the batch window shows.
inline constexpr const char* kBatchLegend =
    "○正常   △リモコン文字数オーバ    ▲本体文字数オーバ   ×不正終了";

}  // namespace obrin
