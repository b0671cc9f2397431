#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace obrin {

class Dialogs;
class ExportTable;
class Exporter;
class Document;

// What the batch window shows while a run goes on.
class BatchView {
  public:
    enum class Status {
        Scanning,  // "ファイル検索中" on yellow
        Working,   // "i/N", the song under way
        Ended,     // "N/N" (or where a stopped run stood) on white
    };
    virtual ~BatchView() = default;
    virtual void showStatus(Status status, const std::string& text) = 0;
    virtual void clearResults() = 0;
    virtual void addResult(const std::string& line) = 0;
    // False once the run has ended: "開始" may be pressed again.
    virtual void setRunning(bool running) = 0;
};

struct BatchOptions {
    bool skipOverRemote = false;  // "△のファイルは出力しない"
    bool skipOverBody = false;    // "▲のファイルは出力しない"
};

// The batch conversion: for every MP3 file of the source folder with a
// lyrics file of the same name beside it (".txt", then ".lrc"; a song with
// both is made twice, the ".lrc" last), reads the lyrics into a document of
// the song's own, writes a lyric MP3 of the same name into the destination
// folder through the export table's lyric MP3 export, as its menu item does,
// and lists the song's BatchMark. The editor's open document is never read
// or changed: a run has nothing to do with the lyrics being worked on.
//
// A run moves on only when step() is called, one folder entry or one song
// at a time, so the caller keeps its window responsive between steps and
// may stop() the run. Folders below the source are not searched.
class BatchConversion {
  public:
    // Reads a lyrics file into `song`, a new document of the song's own, as
    // the editor's open does, and shows its messages; false when the file
    // could not be read.
    using LyricsReader =
        std::function<bool(Document& song, const std::filesystem::path& lyricsFile)>;

    // `exports` must hold the lyric MP3 export (std::logic_error otherwise)
    // and outlive the batch.
    BatchConversion(const ExportTable& exports, LyricsReader readLyrics, Dialogs& dialogs,
                    std::filesystem::path programFolder, BatchView& view);

    // Begins a run. Refuses with a message, and starts nothing, when the two
    // folders are one folder however they are written, or when either is
    // not a folder that can be used.
    [[nodiscard]] bool start(const std::filesystem::path& sourceFolder,
                             const std::filesystem::path& destinationFolder,
                             const BatchOptions& options);
    // Does the next piece of work. False when no run is under way any more.
    bool step();
    // The next step ends the run, with the songs done so far listed.
    void stop() { stopRequested_ = running_; }
    [[nodiscard]] bool running() const { return running_; }

  private:
    struct Song {
        std::filesystem::path lyricsFile;
        std::filesystem::path mp3File;
        // Both are plain files; anything else (a named pipe, a device) might
        // never end or never answer a read, so it is crossed, never opened.
        bool plainFiles = true;
    };
    void scanEntry();
    void convert(const Song& song);
    void finish(const char* closingLine);

    Exporter& lyricMp3_;
    LyricsReader readLyrics_;
    Dialogs& dialogs_;
    std::filesystem::path programFolder_;
    BatchView& view_;

    bool running_ = false;
    bool stopRequested_ = false;
    bool scanning_ = false;
    std::filesystem::path source_;
    std::filesystem::path destination_;
    BatchOptions options_;
    std::filesystem::directory_iterator entries_;
    std::vector<Song> songs_;
    std::size_t next_ = 0;
};

inline constexpr const char* kBatchScanningText = "ファイル検索中";
inline constexpr const char* kBatchEndLine = "--- 終了 ---";
inline constexpr const char* kBatchStoppedLine = "--- 中止 ---";
// Follows the × of a song whose MP3 or lyrics file is no plain file.
inline constexpr const char* kBatchNotPlainFile = "(通常のファイルではありません)";

}  // namespace obrin
