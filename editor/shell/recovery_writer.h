#pragma once

#include <condition_variable>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>

namespace obrin {

// Writes the recovery file on a thread of its own: flushing it to the disk
// takes about ten milliseconds, and a tap handled on the user-interface
// thread meanwhile would be stamped that much late.
//
// Only the latest request counts. A write replaces one not started yet, and
// a removal cancels a write not started yet and follows one in progress, so
// the file ends as the last request left it. Nothing asked is ever dropped:
// the destructor finishes the last request before it returns.
class RecoveryWriter {
  public:
    using WriteFile =
        std::function<std::error_code(const std::filesystem::path& file, std::string_view bytes)>;

    // `folder`, when not empty, is made before each write (the user's own
    // folder, which may vanish while the editor runs). `writeFile` replaces
    // the file as a whole.
    RecoveryWriter(std::filesystem::path file, std::filesystem::path folder, WriteFile writeFile);
    ~RecoveryWriter();
    RecoveryWriter(const RecoveryWriter&) = delete;
    RecoveryWriter& operator=(const RecoveryWriter&) = delete;

    void write(std::string bytes);
    void remove();
    // Returns once every request so far is done.
    void waitIdle();
    // The failure that began the current run of failed writes, once: a
    // write that keeps failing every few seconds is told once, until one
    // succeeds again. Empty when there is nothing new to tell.
    [[nodiscard]] std::error_code takeFailure();

  private:
    enum class Request { None, Write, Remove };

    void run();
    void perform(Request request, const std::string& bytes);

    const std::filesystem::path file_;
    const std::filesystem::path folder_;
    const WriteFile writeFile_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    Request pending_ = Request::None;
    std::string pendingBytes_;
    bool busy_ = false;
    bool stopping_ = false;
    bool failing_ = false;
    std::error_code unreported_;
    std::thread thread_;
};

}  // namespace obrin
