#pragma once

#include "shell/app_settings.h"
#include "text/completed_text.h"
#include "text/lyrics_expansion.h"
#include "text/tagged_lyrics_reader.h"

namespace obrin {

// The text commands' options as the user's settings hold them.
[[nodiscard]] ExpansionOptions ExpansionOptionsFrom(const AppSettings& settings);
// A settings file that marks no song-information item gives SongInfoMode::None.
[[nodiscard]] SongInfoMode SongInfoModeFrom(const AppSettings& settings);
[[nodiscard]] CompletedTextOptions CompletedTextOptionsFrom(const AppSettings& settings);
[[nodiscard]] ReaderOptions ReaderOptionsFrom(const AppSettings& settings);

}  // namespace obrin
