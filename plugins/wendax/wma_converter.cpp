#include "wma_converter.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <limits>
#include <new>

#include "utf16_text.h"

namespace obrin::wendax {

namespace {

constexpr std::uint64_t kOneSecond = 10'000'000;  // 100 ns units
constexpr std::uint64_t kHundredth = 100'000;
// The reader reads the file's headers in the background; some formats are
// scanned further to learn their streams, and a slow disk or share needs
// its time. Only a reader that never answers meets this limit.
constexpr auto kOpenTimeout = std::chrono::seconds(30);
// Progress reports while the file opens, and thus the longest a stop waits
// then; the editor's window stays alive meanwhile.
constexpr auto kOpenPollPeriod = std::chrono::milliseconds(250);
// Progress reports while decoding runs, and thus the longest a stop waits.
constexpr auto kPollPeriod = std::chrono::seconds(1);

std::int32_t Hundredths(std::uint64_t time) {
    return static_cast<std::int32_t>(
        std::min<std::uint64_t>(time / kHundredth, std::numeric_limits<std::int32_t>::max()));
}

void PrintInternalError(const char* text, int number) {
    std::printf(text, static_cast<unsigned long>(number));
    std::fflush(stdout);
}

// The source path in the reader's UTF-16. A path that cannot be converted is
// reported and becomes empty, which the reader then refuses to open.
std::u16string ReaderPath(const char* sourcePath) {
    try {
        auto path = Utf8ToUtf16(sourcePath);
        if (!path) {
            PrintInternalError("Internal error %lu\n", errno);
            return {};
        }
        return std::move(*path);
    } catch (const std::bad_alloc&) {
        PrintInternalError("Internal Error %lu\n", ENOMEM);
        return {};
    }
}

// The WAVEFORMATEX record with the extra bytes its size field announces.
std::optional<std::vector<std::byte>> FormatCopy(const std::vector<std::byte>& media) {
    constexpr std::size_t kRecord = 18;
    if (media.size() < kRecord) return std::nullopt;
    const std::size_t extra =
        std::to_integer<std::size_t>(media[16]) | std::to_integer<std::size_t>(media[17]) << 8;
    if (media.size() < kRecord + extra) return std::nullopt;
    return std::vector<std::byte>(media.begin(), media.begin() + kRecord + extra);
}

}  // namespace

WmaConverter::WmaConverter(ProgressCallback progress) : progress_(progress) {}

WmaConverter::~WmaConverter() {
    // The reader's thread must be gone before the file and the flags it uses.
    reader_.reset();
}

std::int32_t WmaConverter::Convert(const char* sourcePath, const char* wavPath) {
    if (const auto code = createReader(); code != kConverted) return code;
    if (const auto code = openSource(sourcePath); code != kConverted) return code;
    return decodeToWave(wavPath);
}

std::int32_t WmaConverter::createReader() {
    reader_ = MediaReader::Create();
    return reader_ ? kConverted : kNoReader;
}

std::int32_t WmaConverter::openSource(const char* sourcePath) {
    const std::u16string path = ReaderPath(sourcePath);
    if (!reader_->Open(path, *this)) return kNoAudio;
    if (const auto code = waitForOpened(); code != kConverted) return code;
    const auto count = reader_->GetOutputCount();
    if (!count) return kNoAudio;
    // The first audio output, wherever it stands among the others.
    std::optional<std::vector<std::byte>> format;
    for (unsigned output = 0; output < *count && !format; ++output) {
        const auto props = reader_->GetOutputProps(output);
        if (!props) return kNoAudio;
        if (props->major != MajorType::kAudio) continue;
        format = FormatCopy(props->format);
        if (!format) return kNoAudio;
        audioOutput_ = output;
    }
    if (!format) return kNoAudio;
    format_ = std::move(*format);
    if (!reader_->SetManualStreamSelection(true) || !reader_->SelectOutput(audioOutput_) ||
        !reader_->SetUserProvidedClock(true)) {
        return kNoAudio;
    }
    return kConverted;
}

std::int32_t WmaConverter::waitForOpened() {
    const auto deadline = std::chrono::steady_clock::now() + kOpenTimeout;
    for (;;) {
        {
            std::unique_lock lock(statusLock_);
            if (statusChanged_.wait_for(lock, kOpenPollPeriod,
                                        [this] { return opened_.has_value(); })) {
                return *opened_ ? kConverted : kNoAudio;
            }
        }
        // The length is not known yet, so the total is 0 until the file is open.
        if (progress_(0, 0) != 0) {
            reader_->Stop();
            return kNotDecoded;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            reader_->Stop();
            return kNoAudio;
        }
    }
}

std::int32_t WmaConverter::decodeToWave(const char* wavPath) {
    // Asked before the WAV is created, so that a source without a duration
    // does not empty an existing file for nothing.
    const auto duration = reader_->GetDuration();
    if (!duration) return kNotDecoded;
    duration_ = *duration;

    std::error_code error;
    auto writer = riff::RiffWriter::Create(wavPath, error);
    if (!writer) return kNotDecoded;
    {
        const std::lock_guard lock(fileLock_);
        output_ = std::move(writer);
        output_->beginList(riff::kRiff, riff::kWave);
        output_->beginChunk(riff::kFmt);
        output_->write(format_);
        output_->endChunk();
        output_->beginChunk(riff::kData);
        dataOpen_ = true;
    }
    deliveredTime_ = 0;
    if (!reader_->Start()) return finishWave() ? kNotDecoded : kUnexpected;

    // Decoding runs at the reader's full speed; this thread reports progress
    // once a second meanwhile and wakes as soon as the reader is done.
    const std::int32_t total = Hundredths(duration_);
    bool stopped = false;
    bool writeFailed = false;
    for (;;) {
        if (progress_(total, std::min(Hundredths(deliveredTime_), total)) != 0) {
            reader_->Stop();
            stopped = true;
            break;
        }
        std::unique_lock lock(statusLock_);
        if (statusChanged_.wait_for(lock, kPollPeriod,
                                    [this] { return readerDone_ || writeFailed_; })) {
            writeFailed = writeFailed_;
            break;
        }
    }
    if (writeFailed) reader_->Stop();
    (void)progress_(total, total);
    const bool written = finishWave();
    reader_->Close();
    if (!written) return kUnexpected;
    if (stopped) return kNotDecoded;
    // A header with no sample behind it is no song; the host then drops it.
    return decodedAny_ ? kConverted : kNoAudio;
}

bool WmaConverter::finishWave() {
    const std::lock_guard lock(fileLock_);
    dataOpen_ = false;
    return output_->close();
}

void WmaConverter::grantNextSecond() {
    // The last grant lets the reader run to the end of the file even when
    // the header's duration falls short of the audio.
    if (clock_ >= duration_) {
        deliveredTime_ = duration_;
        reader_->DeliverTime(std::numeric_limits<std::uint64_t>::max());
        return;
    }
    reader_->DeliverTime(clock_);
}

void WmaConverter::OnStatus(ReaderStatus status, bool succeeded) {
    switch (status) {
        case ReaderStatus::kOpened: {
            const std::lock_guard lock(statusLock_);
            opened_ = succeeded;
            break;
        }
        case ReaderStatus::kStarted:
            clock_ = kOneSecond;
            grantNextSecond();
            return;
        case ReaderStatus::kEndOfFile:
        case ReaderStatus::kError:
        case ReaderStatus::kMissingCodec: {
            const std::lock_guard lock(statusLock_);
            readerDone_ = true;
            break;
        }
        case ReaderStatus::kStopped:
            return;
    }
    statusChanged_.notify_all();
}

void WmaConverter::OnSample(unsigned output, std::uint64_t, std::uint64_t,
                            std::span<const std::byte> samples) {
    // Only the chosen audio output's samples belong in the "data" chunk.
    if (output != audioOutput_) return;
    const std::lock_guard lock(fileLock_);
    if (!dataOpen_) return;
    decodedAny_ = decodedAny_ || !samples.empty();
    output_->write(samples);
    if (output_->ok()) return;
    {
        const std::lock_guard status(statusLock_);
        writeFailed_ = true;
    }
    statusChanged_.notify_all();
}

void WmaConverter::OnTime(std::uint64_t) {
    clock_ += kOneSecond;
    if (clock_ < duration_) deliveredTime_ = clock_;
    grantNextSecond();
}

}  // namespace obrin::wendax
