#include "shell/recovery_writer.h"

#include <utility>

namespace obrin {

RecoveryWriter::RecoveryWriter(std::filesystem::path file, std::filesystem::path folder,
                               WriteFile writeFile)
    : file_(std::move(file)),
      folder_(std::move(folder)),
      writeFile_(std::move(writeFile)),
      thread_([this] { run(); }) {}

RecoveryWriter::~RecoveryWriter() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void RecoveryWriter::write(std::string bytes) {
    {
        const std::lock_guard lock(mutex_);
        pending_ = Request::Write;
        pendingBytes_ = std::move(bytes);
    }
    wake_.notify_one();
}

void RecoveryWriter::remove() {
    {
        const std::lock_guard lock(mutex_);
        pending_ = Request::Remove;
        pendingBytes_.clear();
    }
    wake_.notify_one();
}

void RecoveryWriter::waitIdle() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return pending_ == Request::None && !busy_; });
}

std::error_code RecoveryWriter::takeFailure() {
    const std::lock_guard lock(mutex_);
    return std::exchange(unreported_, {});
}

void RecoveryWriter::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return pending_ != Request::None || stopping_; });
        if (pending_ == Request::None) return;
        const Request request = std::exchange(pending_, Request::None);
        const std::string bytes = std::exchange(pendingBytes_, {});
        busy_ = true;
        lock.unlock();
        perform(request, bytes);
        lock.lock();
        busy_ = false;
        idle_.notify_all();
    }
}

void RecoveryWriter::perform(Request request, const std::string& bytes) {
    std::error_code error;
    if (request == Request::Remove) {
        std::filesystem::remove(file_, error);  // none written yet is the usual case
        return;
    }
    if (!folder_.empty()) std::filesystem::create_directories(folder_, error);
    if (!error) error = writeFile_(file_, bytes);
    const std::lock_guard lock(mutex_);
    if (!error) {
        failing_ = false;
    } else if (!std::exchange(failing_, true)) {
        unreported_ = error;
    }
}

}  // namespace obrin
