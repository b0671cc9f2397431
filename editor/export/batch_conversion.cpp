#include "export/batch_conversion.h"

#include <algorithm>
#include <cctype>
#include <system_error>

#include "base/command_ids.h"
#include "base/dialogs.h"
#include "document/document.h"
#include "export/batch_mark.h"
#include "export/export_messages.h"
#include "export/export_table.h"
#include "export/lyric_mp3_export.h"
#include "obrin_files/same_file.h"

namespace obrin {
namespace {

// "*.mp3" as a file search matches it: in any case.
bool IsMp3Name(const std::filesystem::path& file) {
    std::string extension = file.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".mp3";
}

bool IsFile(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::exists(path, error) && !std::filesystem::is_directory(path, error);
}

bool IsPlainFile(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

std::string FolderErrorMessage(const std::filesystem::path& folder, const std::error_code& error) {
    return "フォルダ " + folder.string() + " を開けません。\n" + error.message();
}

}  // namespace

BatchConversion::BatchConversion(const ExportTable& exports, LyricsReader readLyrics,
                                 Dialogs& dialogs, std::filesystem::path programFolder,
                                 BatchView& view)
    : lyricMp3_(exports.at(command::kExportLyricMp3)),
      readLyrics_(std::move(readLyrics)),
      dialogs_(dialogs),
      programFolder_(std::move(programFolder)),
      view_(view) {}

bool BatchConversion::start(const std::filesystem::path& sourceFolder,
                            const std::filesystem::path& destinationFolder,
                            const BatchOptions& options) {
    if (running_) return false;
    // Written any way, one folder would have each song's output replace the
    // song itself.
    if (IsSameFile(sourceFolder, destinationFolder)) {
        dialogs_.showError(kSameFolderMessage);
        return false;
    }
    std::error_code error;
    if (!std::filesystem::is_directory(destinationFolder, error)) {
        if (!error) error = std::make_error_code(std::errc::not_a_directory);
        dialogs_.showError(FolderErrorMessage(destinationFolder, error));
        return false;
    }
    entries_ = std::filesystem::directory_iterator(sourceFolder, error);
    if (error) {
        dialogs_.showError(FolderErrorMessage(sourceFolder, error));
        return false;
    }
    source_ = sourceFolder;
    destination_ = destinationFolder;
    options_ = options;
    songs_.clear();
    next_ = 0;
    running_ = true;
    stopRequested_ = false;
    scanning_ = true;
    view_.setRunning(true);
    view_.clearResults();
    view_.showStatus(BatchView::Status::Scanning, kBatchScanningText);
    return true;
}

bool BatchConversion::step() {
    if (!running_) return false;
    if (stopRequested_) {
        finish(kBatchStoppedLine);
        return false;
    }
    if (scanning_) {
        scanEntry();
        return true;
    }
    if (next_ < songs_.size()) {
        view_.showStatus(BatchView::Status::Working,
                         std::to_string(next_ + 1) + "/" + std::to_string(songs_.size()));
        convert(songs_[next_]);
        ++next_;
        return true;
    }
    finish(kBatchEndLine);
    return false;
}

void BatchConversion::scanEntry() {
    if (entries_ == std::filesystem::directory_iterator()) {
        scanning_ = false;
        // Songs in name order, whatever order the folder keeps them in; a
        // song's ".lrc" stays after its ".txt".
        std::stable_sort(songs_.begin(), songs_.end(), [](const Song& a, const Song& b) {
            return a.mp3File.filename() < b.mp3File.filename();
        });
        view_.clearResults();
        return;
    }
    const std::filesystem::directory_entry& entry = *entries_;
    std::error_code error;
    if (!entry.is_directory(error) && IsMp3Name(entry.path())) {
        for (const char* extension : {".txt", ".lrc"}) {
            std::filesystem::path lyricsFile = entry.path();
            lyricsFile.replace_extension(extension);
            if (IsFile(lyricsFile)) {
                songs_.push_back({lyricsFile, entry.path(),
                                  IsPlainFile(entry.path()) && IsPlainFile(lyricsFile)});
            }
        }
    }
    entries_.increment(error);
    if (error) {
        dialogs_.showError(FolderErrorMessage(source_, error));
        entries_ = std::filesystem::directory_iterator();
    }
}

void BatchConversion::convert(const Song& song) {
    const std::string mp3 = song.mp3File.string();
    if (!song.plainFiles) {
        view_.addResult(BatchResultLine(BatchMark::Failed, kLyricMp3NotWritten, mp3) + " " +
                        kBatchNotPlainFile);
        return;
    }
    Document lyrics;
    if (!readLyrics_(lyrics, song.lyricsFile)) {
        view_.addResult(BatchResultLine(BatchMark::Failed, kLyricMp3NotWritten, mp3));
        return;
    }
    std::filesystem::path output = destination_ / song.lyricsFile.filename();
    output.replace_extension(".mp3");
    const ExportResult result = lyricMp3_.run({.document = lyrics,
                                               .programFolder = programFolder_,
                                               .source = mp3,
                                               .output = output.string()});
    if (!result.errorMessage.empty()) dialogs_.showError(result.errorMessage);
    const BatchMark mark = GradeBatchResult({.code = result.code, .written = result.written});
    view_.addResult(BatchResultLine(mark, result.code, mp3));
    // Only a file this export made is taken back; a failed export made none
    // and leaves an earlier file of that name alone.
    const bool unwanted = (mark == BatchMark::OverRemote && options_.skipOverRemote) ||
                          (mark == BatchMark::OverBody && options_.skipOverBody);
    if (result.written && unwanted) {
        std::error_code error;
        std::filesystem::remove(output, error);
        if (error) {
            dialogs_.showError("ファイル " + output.string() + " を削除できません。\n" +
                               error.message());
        }
    }
}

void BatchConversion::finish(const char* closingLine) {
    const std::string count = std::to_string(songs_.size());
    view_.showStatus(BatchView::Status::Ended,
                     (scanning_ ? std::string("0") : std::to_string(next_)) + "/" + count);
    view_.addResult(closingLine);
    running_ = false;
    stopRequested_ = false;
    scanning_ = false;
    entries_ = std::filesystem::directory_iterator();
    view_.setRunning(false);
}

}  // namespace obrin
