#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace obrin::wendax {

// What the reader reports through ReaderCallback::OnStatus.
enum class ReaderStatus {
    kOpened,        // Open finished; `succeeded` says whether the file can be read
    kStarted,       // Start took effect; samples follow once time is granted
    kStopped,       // Stop took effect; no sample follows
    kEndOfFile,     // every sample of the selected output was delivered
    kError,         // reading or decoding failed part-way; no sample follows
    kMissingCodec,  // the selected output has no decoder; no sample follows
};

enum class MajorType { kAudio, kVideo, kOther };

// One output of an opened file. For audio, `format` is the WAVEFORMATEX
// (with its extra bytes) of the samples that OnSample delivers; other outputs
// are listed but never decoded.
struct MediaType {
    MajorType major = MajorType::kOther;
    std::vector<std::byte> format;
};

// The reader's calls into its user. Every call comes on the reader's own
// thread, one at a time, never while the reader holds its lock, so a
// callback may call DeliverTime, Stop or the getters.
class ReaderCallback {
  public:
    virtual void OnStatus(ReaderStatus status, bool succeeded) = 0;
    // One decoded buffer of `output`: interleaved 16-bit PCM in the output's
    // format. `sampleTime` and `sampleDuration` are in 100 ns units from the
    // start of the stream. The bytes are the reader's and valid during the
    // call only.
    virtual void OnSample(unsigned output, std::uint64_t sampleTime, std::uint64_t sampleDuration,
                          std::span<const std::byte> samples) = 0;
    // With a user-provided clock: every sample before `time` (the last grant)
    // was delivered; the reader waits for the next DeliverTime.
    virtual void OnTime(std::uint64_t time) = 0;

  protected:
    ~ReaderCallback() = default;
};

// A media file reader on FFmpeg: opens asynchronously, lists its outputs,
// and decodes the selected audio output into 16-bit PCM at the source's
// sample rate (mono stays mono, anything above two channels is mixed down to
// stereo), delivered through a ReaderCallback on the reader's own thread.
//
// Sequence: Create, Open, wait for kOpened, query the outputs, choose options,
// Start, then grant time with DeliverTime as OnTime asks for it, until
// kEndOfFile, kError or kMissingCodec (or Stop). Close, or destroying the
// reader, stops it and waits for its thread; after that no callback runs.
// The calls below are for one controlling thread and the reader's callbacks.
class MediaReader {
  public:
    // nullptr when the reader's thread cannot be started.
    [[nodiscard]] static std::unique_ptr<MediaReader> Create();
    ~MediaReader();
    MediaReader(const MediaReader&) = delete;
    MediaReader& operator=(const MediaReader&) = delete;

    // Starts opening `path` in the background and returns at once; false when
    // an open cannot begin (one already began, or the path is empty). The
    // outcome arrives as kOpened. Only regular files are opened. A Stop or
    // Close before kOpened abandons the open at once (kOpened fails): FFmpeg
    // reads some headers in one call no stop reaches, so the open goes on on
    // a thread of its own, which frees what it opened and ends by itself.
    [[nodiscard]] bool Open(std::u16string_view path, ReaderCallback& callback);

    // After a successful kOpened; std::nullopt before or after a failed open.
    [[nodiscard]] std::optional<unsigned> GetOutputCount() const;
    [[nodiscard]] std::optional<MediaType> GetOutputProps(unsigned output) const;
    // The header attribute "Duration" in 100 ns units; std::nullopt when the
    // file does not say how long it is.
    [[nodiscard]] std::optional<std::uint64_t> GetDuration() const;

    // Options, before Start. With manual selection only the outputs selected
    // here are decoded; without it, the first audio output is. With a
    // user-provided clock the reader delivers samples only up to the time
    // granted by DeliverTime; without it, as fast as it decodes.
    [[nodiscard]] bool SetManualStreamSelection(bool manual);
    [[nodiscard]] bool SelectOutput(unsigned output);
    [[nodiscard]] bool SetUserProvidedClock(bool userClock);

    // Decoding from the start to the end of the file. false when nothing is
    // open, or Start was already called.
    [[nodiscard]] bool Start();
    // Grants the reader every sample before `time`. Any thread.
    void DeliverTime(std::uint64_t time);
    // Asks the reader to stop at its next sample; returns at once.
    void Stop();
    // Stops, waits until the reader's thread is idle, and closes the file.
    void Close();

  private:
    struct Source;
    struct OpenJob;
    enum class Command { kNone, kOpen, kStart, kQuit };

    MediaReader();
    void run();
    void open(std::string path);
    // Opens the file and finds its streams into `source`; false when it
    // cannot be read or the open was abandoned.
    [[nodiscard]] bool openFormat(std::string path, Source& source);
    void decode();
    [[nodiscard]] bool waitForClock(std::uint64_t sampleTime);
    [[nodiscard]] bool stopping() const;
    void abandonOpen();
    static int Interrupt(void* reader);

    mutable std::mutex lock_;
    std::condition_variable wake_;  // the reader's thread: a command, a grant, a stop
    std::condition_variable idle_;  // Close: the reader's thread finished its command
    Command command_ = Command::kNone;
    bool busy_ = false;
    bool started_ = false;
    bool stopRequested_ = false;
    bool manualSelection_ = false;
    bool userClock_ = false;
    std::uint64_t granted_ = 0;
    std::uint64_t reportedGrant_ = 0;
    std::vector<bool> selected_;
    unsigned decodedOutput_ = 0;
    std::string path_;
    ReaderCallback* callback_ = nullptr;
    std::unique_ptr<Source> source_;  // touched by the reader's thread only while busy_
    bool opened_ = false;
    std::shared_ptr<OpenJob> openJob_;  // while an open runs
    // Read by FFmpeg's interrupt check inside blocking reads, so no lock.
    std::atomic<bool> abort_ = false;
    // The file's bytes read when the current packet was asked for; the
    // decoding thread and its interrupt check only.
    std::int64_t packetReadStart_ = 0;
    bool readRunaway_ = false;
    std::thread thread_;
};

}  // namespace obrin::wendax
