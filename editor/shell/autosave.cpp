#include "shell/autosave.h"

#include "base/timer.h"
#include "document/unsaved_changes.h"

namespace obrin {

Autosave::Autosave(UnsavedChanges& changes, TimerFactory& timers, std::function<void()> write,
                   std::function<void()> discard)
    : write_(std::move(write)), discard_(std::move(discard)), due_(timers.createTimer()) {
    due_->onTimeout = [this] { flush(); };
    connections_.push_back(changes.changed.connect([this] { changed(); }));
    connections_.push_back(changes.modifiedChanged.connect([this](bool modified) {
        if (!modified) saved();
    }));
}

Autosave::~Autosave() = default;

void Autosave::changed() {
    // A later change rides along with the write the first one is waiting
    // for; restarting the timer would put that write off for as long as
    // the changes keep coming.
    if (pending_) return;
    pending_ = true;
    due_->start(kLatestMs);
}

void Autosave::saved() {
    due_->stop();
    pending_ = false;
    discard_();
}

void Autosave::flush() {
    due_->stop();
    if (!pending_) return;
    pending_ = false;
    write_();
}

}  // namespace obrin
