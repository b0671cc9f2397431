#pragma once

#include <filesystem>
#include <string>

namespace obrin {

// Whether `copy` holds the audio of `song`: the same audio streams (codec,
// rate, channels) and, read through FFmpeg's demuxer, the same packets of
// each in the same order, byte for byte. Tags, padding and the layout of
// the container may differ; a packet lost, cut or changed may not. When the
// audio differs or either file cannot be read to its end, `why` names what
// was found (for the user).
[[nodiscard]] bool HoldsSameAudio(const std::filesystem::path& song,
                                  const std::filesystem::path& copy, std::string& why);

// Why `song` holds no audio FFmpeg's demuxer can read to its end, for the
// user (a missing or unreadable file, a damaged one, one without sound), with
// FFmpeg's own reason; empty when it reads it whole. Reads packets only,
// decodes nothing.
[[nodiscard]] std::string UnreadableAudioReason(const std::filesystem::path& song);

}  // namespace obrin
