#include "shell/text_options.h"

namespace obrin {

ExpansionOptions ExpansionOptionsFrom(const AppSettings& settings) {
    return {.star = settings.mnuStar,
            .nullLine = settings.mnuNullLine,
            .lastLine = settings.lastLine,
            .info = settings.mnuInfo};
}

SongInfoMode SongInfoModeFrom(const AppSettings& settings) {
    if (settings.mnuInfoAtMark) return SongInfoMode::AtMark;
    if (settings.mnuInfoFirst) return SongInfoMode::First;
    if (settings.mnuKeyValue) return SongInfoMode::KeyValue;
    return SongInfoMode::None;
}

CompletedTextOptions CompletedTextOptionsFrom(const AppSettings& settings) {
    return {.songInfo = SongInfoModeFrom(settings),
            .taggingBy = settings.i2,
            .author = settings.author};
}

ReaderOptions ReaderOptionsFrom(const AppSettings& settings) {
    return {.importInfo = settings.mnuInfo, .editedBy = settings.n15, .author = settings.author};
}

void SetSongInfoMode(AppSettings& settings, SongInfoMode mode) {
    settings.mnuInfoAtMark = mode == SongInfoMode::AtMark;
    settings.mnuInfoFirst = mode == SongInfoMode::First;
    settings.mnuKeyValue = mode == SongInfoMode::KeyValue;
    settings.mnuInfoNone = mode == SongInfoMode::None;
}

}  // namespace obrin
