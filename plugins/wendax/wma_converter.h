#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "media_reader.h"
#include "obrin/input_plugin.h"
#include "obrin_riff/riff_writer.h"

namespace obrin::wendax {

// InputResult codes of wendax.
inline constexpr std::int32_t kConverted = 0;
inline constexpr std::int32_t kNoReader = 1;    // the reader could not be created
inline constexpr std::int32_t kNoAudio = 2;     // not opened, no audio output, or no sample
inline constexpr std::int32_t kNotDecoded = 3;  // no WAV, no duration, no start, or stopped
inline constexpr std::int32_t kUnexpected = 4;  // an error raised in a step, or the WAV
                                                // could not be written whole

// One conversion: a music file decoded by the MediaReader into a PCM WAV
// file, in three steps (create the reader, open the source, decode into the
// WAV). Lives for one call of Input.
//
// Threads: the calling thread runs the steps and is the only one to call
// `progress`; the reader's thread runs the ReaderCallback. They share the
// status flags and the WAV file. Sample data reaches the file only under
// `fileLock_` and only while the "data" chunk is open, so nothing is written
// after the file was finished. Destroying the converter closes the reader
// and waits for its thread before the file is let go.
class WmaConverter final : private ReaderCallback {
  public:
    explicit WmaConverter(ProgressCallback progress);
    ~WmaConverter();
    WmaConverter(const WmaConverter&) = delete;
    WmaConverter& operator=(const WmaConverter&) = delete;

    // Runs the three steps; the code of the first that fails, or kConverted.
    [[nodiscard]] std::int32_t Convert(const char* sourcePath, const char* wavPath);

  private:
    [[nodiscard]] std::int32_t createReader();
    [[nodiscard]] std::int32_t openSource(const char* sourcePath);
    [[nodiscard]] std::int32_t decodeToWave(const char* wavPath);
    // kConverted once the file is open, kNoAudio when it cannot be, kNotDecoded
    // when `progress` asked to stop first.
    [[nodiscard]] std::int32_t waitForOpened();
    [[nodiscard]] bool finishWave();
    void grantNextSecond();

    void OnStatus(ReaderStatus status, bool succeeded) override;
    void OnSample(unsigned output, std::uint64_t sampleTime, std::uint64_t sampleDuration,
                  std::span<const std::byte> samples) override;
    void OnTime(std::uint64_t time) override;

    ProgressCallback progress_;
    std::vector<std::byte> format_;  // the audio output's WAVEFORMATEX, extra bytes included
    unsigned audioOutput_ = 0;
    std::uint64_t duration_ = 0;  // 100 ns units
    std::uint64_t clock_ = 0;     // the next grant; the reader's thread only

    // Shared with the reader's thread.
    std::atomic<std::uint64_t> deliveredTime_ = 0;
    std::mutex statusLock_;
    std::condition_variable statusChanged_;
    std::optional<bool> opened_;  // the outcome of Open, once reported
    bool readerDone_ = false;
    bool writeFailed_ = false;

    std::mutex fileLock_;
    std::optional<riff::RiffWriter> output_;
    bool dataOpen_ = false;
    // Whether any sample reached the "data" chunk: a reader that reaches the
    // end of a damaged file without decoding anything has made no audio.
    bool decodedAny_ = false;

    // Last, so that it is destroyed first: no callback runs once it is gone.
    std::unique_ptr<MediaReader> reader_;
};

}  // namespace obrin::wendax
