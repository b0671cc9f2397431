#include "playback/music_file_opener.h"

#include <exception>
#include <system_error>

#include "base/dialogs.h"
#include "obrin_files/file_replacement.h"
#include "playback/music_file_names.h"
#include "text/song_audio.h"
#include "text/song_lyrics_tags.h"

namespace obrin {

std::string DecodeFailedMessage(int result) {
    return "ファイルのデコードに失敗しました(コード:" + std::to_string(result) + ")";
}

std::string DecodeFailureText(int result, const std::string& path, const std::string& library,
                              const std::string& reason) {
    std::string text = DecodeFailedMessage(result) + "\n" + path;
    if (result != kInputExportMissing && result != kInputLibraryNotLoaded)
        return text + "\n" + (reason.empty() ? std::string(kPluginCannotConvertMessage) : reason);
    const std::string extension = ExtensionKey(path);
    text += extension.empty() ? "\n拡張子のないファイルを開けるプラグインはありません"
                              : "\n「." + extension + "」のファイルを開けるプラグインはありません";
    if (library.empty()) {
        text += "\n" + std::string(kPluginRegistryFileName) + "に登録がありません";
    } else if (!reason.empty()) {
        text += "\n" + reason;
    }
    return text;
}

MusicFileOpener::MusicFileOpener(const PluginTable& plugins, std::filesystem::path programFolder,
                                 Dialogs& dialogs, MusicOpenView& view, MusicOpenHooks hooks)
    : plugins_(plugins),
      programFolder_(std::move(programFolder)),
      dialogs_(dialogs),
      view_(view),
      hooks_(std::move(hooks)) {}

std::string OpenLyricsQuestion(const LyricsBeside& lyrics) {
    std::string question = std::string(kOpenLyricsQuestion) + "\n" +
                           std::filesystem::path(lyrics.offered).filename().string();
    if (lyrics.others.empty()) return question;
    question += std::string("\n\n") + kOtherLyricsNote;
    for (const std::string& other : lyrics.others)
        question += "\n" + std::filesystem::path(other).filename().string();
    return question;
}

LyricsBeside MusicFileOpener::FindLyricsBeside(const std::string& path) {
    LyricsBeside lyrics;
    std::filesystem::file_time_type newest;
    for (const char* extension : {".txt", ".lrc"}) {
        const std::string beside = ReplaceExtension(path, extension);
        std::error_code error;
        if (!std::filesystem::exists(beside, error)) continue;
        // A file whose time cannot be read still lies there; it counts as old.
        const std::filesystem::file_time_type written =
            std::filesystem::last_write_time(beside, error);
        const auto time = error ? std::filesystem::file_time_type::min() : written;
        if (lyrics.offered.empty() || time >= newest) {
            if (!lyrics.offered.empty()) lyrics.others.push_back(lyrics.offered);
            lyrics.offered = beside;
            newest = time;
        } else {
            lyrics.others.push_back(beside);
        }
    }
    return lyrics;
}

bool MusicFileOpener::open(const std::string& path) {
    if (hooks_.stopFollowingPlayer) hooks_.stopFollowingPlayer();
    const LyricsBeside lyrics = FindLyricsBeside(path);
    try {
        if (!convertAndLoad(path)) return false;
    } catch (const std::exception& error) {
        // The player was unloaded for the new song: no song is open now.
        musicFilePath_.clear();
        failed(std::string(kCannotOpenMessage) + "\n" + error.what());
        return false;
    }
    if (hooks_.songOpened) hooks_.songOpened(path);
    offerLyrics(lyrics, path);
    return true;
}

void MusicFileOpener::endWait() {
    // The wait dialog stays on top of every window and an error box belongs
    // to the main window: both are put right before a box opens, or it
    // would open disabled and hidden.
    view_.closeWait();
    view_.setMainEnabled(true);
    view_.setBusyCursor(false);
    view_.setMainCaption(musicFilePath_);
}

void MusicFileOpener::failed(const std::string& message) {
    endWait();
    dialogs_.showError(message);
}

bool MusicFileOpener::convertAndLoad(const std::string& path) {
    const std::filesystem::path wavPath = temporaryWavPath();

    view_.setMainCaption(kDecodingCaption);
    view_.setMainEnabled(false);
    view_.setBusyCursor(true);
    hooks_.clearConversionAbort();
    view_.showWait();

    // The song open until now stays in the player, and its WAV in place,
    // until the new one is ready: the plug-in fills a file of its own beside
    // it, which replaces it only after a finished conversion.
    FileReplacement wav;
    if (const std::error_code error = wav.begin(wavPath, "part")) {
        failed(std::string(kCannotOpenMessage) + "\n" + wavPath.string() + ": " + error.message());
        return false;
    }
    const std::string library = plugins_.lookup(ExtensionKey(path));
    std::string hostReason;
    bool stopAsked = false;
    const InputProgress progress = [this, &stopAsked](std::int32_t total, std::int32_t done) {
        const std::int32_t stop = hooks_.reportProgress(total, done);
        stopAsked = stopAsked || stop != 0;
        return stop;
    };
    const int result = CallInputPlugin(library, programFolder_, path, wav.temporary().string(),
                                       progress, &hostReason);
    view_.setMainCaption("");
    if (result != 0) {
        wav.discard();
        // A stop the user asked for is no failure: the window goes back to
        // the song it had.
        if (stopAsked) {
            endWait();
        } else {
            const bool pluginCalled =
                result != kInputExportMissing && result != kInputLibraryNotLoaded;
            failed(DecodeFailureText(result, path, library,
                                     pluginCalled ? UnreadableAudioReason(path) : hostReason));
        }
        return false;
    }

    view_.setWaitText(kOpeningWaitText);
    view_.processPendingEvents();
    hooks_.unloadPlayer();
    musicFilePath_.clear();
    if (const std::error_code error = wav.commit()) {
        failed(std::string(kCannotOpenMessage) + "\n" + wavPath.string() + ": " + error.message());
        return false;
    }
    musicFilePath_ = path;
    hooks_.loadIntoPlayer(wavPath.string());
    view_.closeWait();
    view_.bringMainToFront();
    view_.processPendingEvents();
    view_.setBusyCursor(false);
    view_.setMainCaption(path);
    return true;
}

void MusicFileOpener::offerLyrics(const LyricsBeside& lyrics, const std::string& song) {
    if (!lyrics.offered.empty()) {
        offer(OpenLyricsQuestion(lyrics), [&] { hooks_.readLyrics(lyrics.offered); });
        return;
    }
    if (!hooks_.readTagLyrics || existingLyrics() == ExistingLyrics::DoNothing) return;
    // The song has opened; tags TagLib cannot read only mean there is
    // nothing to offer.
    const SongLyricsRead tags = ReadSongLyrics(song);
    if (tags.status == SongLyricsStatus::Found)
        offer(kOpenTagLyricsQuestion, [&] { hooks_.readTagLyrics(tags.text); });
}

void MusicFileOpener::offer(const std::string& question, const std::function<void()>& read) {
    switch (existingLyrics()) {
        case ExistingLyrics::OpenAutomatically:
            read();
            break;
        case ExistingLyrics::Ask:
            if (dialogs_.confirm(question)) read();
            break;
        case ExistingLyrics::DoNothing:
            break;
    }
}

}  // namespace obrin
