#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "playback/input_plugin_call.h"
#include "playback/plugin_table.h"

namespace obrin {

class Dialogs;

// What to do with lyrics found for a newly opened music file, in a file
// beside it or in its own tags: the radio items under "存在する歌詞(&L)".
enum class ExistingLyrics { OpenAutomatically, Ask, DoNothing };

// The main window and the wait dialog as opening a music file drives them.
// Texts are UTF-8. Implemented by the GUI; tests record the calls.
class MusicOpenView {
  public:
    virtual ~MusicOpenView() = default;
    virtual void setMainCaption(const std::string& caption) = 0;
    virtual void setMainEnabled(bool enabled) = 0;
    virtual void setBusyCursor(bool busy) = 0;
    // Foreground, enabled and active.
    virtual void bringMainToFront() = 0;
    // Shown without blocking, reading "しばらくお待ちください".
    virtual void showWait() = 0;
    virtual void setWaitText(const std::string& text) = 0;
    virtual void closeWait() = 0;
    virtual void processPendingEvents() = 0;
};

// The pieces of the editor that opening a music file calls on; each is owned
// elsewhere (playback control, the progress report, the lyrics reader).
struct MusicOpenHooks {
    // Releases the player's file so the temporary WAV can be overwritten.
    std::function<void()> unloadPlayer;
    // Loads the converted WAV and shows its length; throws when refused.
    std::function<void(const std::string& wavPath)> loadIntoPlayer;
    // Forgets a stop the user asked for during the previous conversion.
    std::function<void()> clearConversionAbort;
    // Shows the progress in the wait dialog's caption and gauge, lets pending
    // events run, and returns whether the user asked to stop.
    InputProgress reportProgress;
    // Reads a tagged lyrics file into the document, reporting its own failure.
    std::function<void(const std::string& lyricsPath)> readLyrics;
    // Reads the lyrics found in the song's own tags (UTF-8 text) into the
    // document, reporting its own failure. Unset: the tags are not looked at.
    std::function<void(const std::string& utf8Lyrics)> readTagLyrics;
    // The song is now the one in the player, before any lyrics are offered:
    // the document takes the song's own title and artist (lyrics read next
    // may set them again).
    std::function<void(const std::string& songPath)> songOpened;
    // A running "すべて" confirm run stops following the player.
    std::function<void()> stopFollowingPlayer;
};

// The decode window's caption; the progress adds "done/total".
inline constexpr const char* kDecodingCaption =
    "ファイルをデコード中です。しばらくお待ちください...";
inline constexpr const char* kOpeningWaitText = "ファイルを開いています";
inline constexpr const char* kOpenLyricsQuestion = "歌詞を開きますか?";
inline constexpr const char* kOtherLyricsNote =
    "同じ名前の歌詞ファイルがほかにもあります(いちばん新しいものを開きます):";
inline constexpr const char* kOpenTagLyricsQuestion = "曲のタグにある歌詞を開きますか?";
inline constexpr const char* kCannotOpenMessage = "ファイルを開けません";
inline constexpr const char* kPluginCannotConvertMessage =
    "プラグインがこのファイルの音声を変換できませんでした";

// The lyrics files that lie beside a song under its name.
struct LyricsBeside {
    std::string offered;              // the newest; empty when there is none
    std::vector<std::string> others;  // the rest, in the order looked for
};
// kOpenLyricsQuestion naming the file offered, and the others when there are.
[[nodiscard]] std::string OpenLyricsQuestion(const LyricsBeside& lyrics);

// The decode failure's first line, with its InputResult.
[[nodiscard]] std::string DecodeFailedMessage(int result);
// The whole error box after a failed decode of `path` through `library` (as
// the table names it): the code line, the file, then why. When no plug-in
// could be called (103, 104) a line names the extension that none opens,
// then no entry in the registry or `reason`, the plug-in host's. After the
// plug-in's own failure, `reason` is what is wrong with the file's audio
// (kPluginCannotConvertMessage when nothing is found wrong with it).
[[nodiscard]] std::string DecodeFailureText(int result, const std::string& path,
                                            const std::string& library, const std::string& reason);

// Converts a music file through the plug-in its extension
// names into the temporary WAV, loads that into the player, and offers a
// lyrics file lying beside it or, without one, the lyrics in the song's own
// tags. Everything runs on the user-interface thread;
// the plug-in holds it except while it reports progress.
class MusicFileOpener {
  public:
    MusicFileOpener(const PluginTable& plugins, std::filesystem::path programFolder,
                    Dialogs& dialogs, MusicOpenView& view, MusicOpenHooks hooks);

    // The temporary WAV in the work folder, and the lyrics option: settings
    // the user may change between opens.
    std::function<std::filesystem::path()> temporaryWavPath;
    std::function<ExistingLyrics()> existingLyrics = [] { return ExistingLyrics::Ask; };

    // Opens `path`; every failure is shown to the user, after the wait dialog
    // has closed and the main window is usable again. True when the music
    // file is now the one in the player. A conversion that fails, or that
    // the user stops (not an error), leaves the song open before in the
    // player; only a converted song the player then refuses leaves none.
    bool open(const std::string& path);

    // The music file in the player (never the temporary WAV); empty before
    // the first open and after a refused one.
    const std::string& musicFilePath() const { return musicFilePath_; }

    // The lyrics files beside `path` (".txt", ".lrc"): an open offers the one
    // written last, as an older one would put old times over newer work; of
    // two written at the same time, the ".lrc".
    [[nodiscard]] static LyricsBeside FindLyricsBeside(const std::string& path);

  private:
    bool convertAndLoad(const std::string& path);
    void offerLyrics(const LyricsBeside& lyrics, const std::string& song);
    void offer(const std::string& question, const std::function<void()>& read);
    // Closes the wait dialog and gives the window back, with the caption of
    // the song in the player.
    void endWait();
    void failed(const std::string& message);

    const PluginTable& plugins_;
    std::filesystem::path programFolder_;
    Dialogs& dialogs_;
    MusicOpenView& view_;
    MusicOpenHooks hooks_;
    std::string musicFilePath_;
};

}  // namespace obrin
