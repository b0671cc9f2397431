#include "playback/music_file_opener.h"

#include <exception>
#include <system_error>

#include "playback/music_file_names.h"
#include "base/dialogs.h"

namespace obrin {

std::string DecodeFailedMessage(int result) {
    return "ファイルのデコードに失敗しました(コード:" + std::to_string(result) + ")";
}

MusicFileOpener::MusicFileOpener(const PluginTable& plugins, std::filesystem::path programFolder,
                                 Dialogs& dialogs, MusicOpenView& view, MusicOpenHooks hooks)
    : plugins_(plugins),
      programFolder_(std::move(programFolder)),
      dialogs_(dialogs),
      view_(view),
      hooks_(std::move(hooks)) {}

std::string MusicFileOpener::LyricsCandidate(const std::string& path) {
    std::string candidate;
    for (const char* extension : {".txt", ".lrc"}) {
        const std::string beside = ReplaceExtension(path, extension);
        std::error_code ignored;
        if (std::filesystem::exists(beside, ignored)) candidate = beside;
    }
    return candidate;
}

bool MusicFileOpener::open(const std::string& path) {
    if (hooks_.stopFollowingPlayer) hooks_.stopFollowingPlayer();
    try {
        return convertAndLoad(path, LyricsCandidate(path));
    } catch (const std::exception&) {
        view_.setMainEnabled(true);
        view_.setBusyCursor(false);
        dialogs_.showError(kCannotOpenMessage);
        view_.setMainCaption("");
        view_.closeWait();
        return false;
    }
}

bool MusicFileOpener::convertAndLoad(const std::string& path, const std::string& lyricsCandidate) {
    hooks_.unloadPlayer();
    const std::string wavPath = temporaryWavPath().string();

    view_.setMainCaption(kDecodingCaption);
    view_.setMainEnabled(false);
    view_.setBusyCursor(true);
    hooks_.clearConversionAbort();
    view_.showWait();

    const std::string library = plugins_.lookup(ExtensionKey(path));
    const int result =
        CallInputPlugin(library, programFolder_, path, wavPath, hooks_.reportProgress);
    view_.setMainCaption("");
    if (result != 0) {
        dialogs_.showError(DecodeFailedMessage(result));
        view_.setMainEnabled(true);
        view_.setBusyCursor(false);
        view_.closeWait();
        return false;
    }

    view_.setWaitText(kOpeningWaitText);
    view_.processPendingEvents();
    musicFilePath_ = path;
    hooks_.loadIntoPlayer(wavPath);
    view_.closeWait();
    view_.bringMainToFront();
    view_.processPendingEvents();
    view_.setBusyCursor(false);
    view_.setMainCaption(path);

    if (lyricsCandidate.empty()) return true;
    switch (existingLyrics()) {
        case ExistingLyrics::OpenAutomatically:
            hooks_.readLyrics(lyricsCandidate);
            break;
        case ExistingLyrics::Ask:
            if (dialogs_.confirm(kOpenLyricsQuestion)) hooks_.readLyrics(lyricsCandidate);
            break;
        case ExistingLyrics::DoNothing:
            break;
    }
    return true;
}

}  // namespace obrin
