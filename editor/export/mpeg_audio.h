#pragma once

#include <filesystem>
#include <string_view>

namespace obrin {

// Whether `head`, the first bytes of a file, begins MPEG audio: after any
// ID3v2 tags, a frame header whose frame is followed by another header of
// the same stream, or, when `wholeFile` says `head` holds the whole file, by
// its end (a frame right behind the tags may also be cut off by it). Leading
// bytes before the first frame are allowed within the first
// `kMpegSearchBytes`, as encoders and taggers leave them.
[[nodiscard]] bool BeginsMpegAudio(std::string_view head, bool wholeFile);

// Reads as much of `file` as BeginsMpegAudio needs; false when it cannot be
// read. A lyric MP3 is a tag in front of the song, so a source that is not
// MPEG audio (a text file named ".mp3") would make a file no player plays.
[[nodiscard]] bool FileIsMpegAudio(const std::filesystem::path& file);

inline constexpr std::size_t kMpegSearchBytes = 64 * 1024;

}  // namespace obrin
