#include "shell/text_options.h"

namespace obrin {

ExpansionOptions ExpansionOptionsFrom(const AppSettings& settings) {
    return {.star = settings.expandRepeats,
            .nullLine = settings.dropRepeatedBlankLines,
            .lastLine = settings.appendBlankLastLine,
            .info = settings.importInfoLines};
}

SongInfoMode SongInfoModeFrom(const AppSettings& settings) {
    return settings.songInfo.value_or(SongInfoMode::None);
}

CompletedTextOptions CompletedTextOptionsFrom(const AppSettings& settings) {
    return {.songInfo = SongInfoModeFrom(settings),
            .taggingBy = settings.addTaggingBy,
            .author = settings.author};
}

ReaderOptions ReaderOptionsFrom(const AppSettings& settings) {
    return {.importInfo = settings.importInfoLines, .editedBy = settings.addEditedBy, .author = settings.author};
}

}  // namespace obrin
