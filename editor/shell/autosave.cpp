#include "shell/autosave.h"

#include "base/timer.h"
#include "document/unsaved_changes.h"

namespace obrin {

Autosave::Autosave(UnsavedChanges& changes, TimerFactory& timers, std::function<void()> write,
                   std::function<void()> discard)
    : write_(std::move(write)),
      discard_(std::move(discard)),
      quiet_(timers.createTimer()),
      period_(timers.createTimer()) {
    quiet_->onTimeout = [this] {
        quiet_->stop();
        flush();
    };
    period_->onTimeout = [this] {
        if (!pending_) period_->stop();
        flush();
    };
    connections_.push_back(changes.changed.connect([this] { changed(); }));
    connections_.push_back(changes.modifiedChanged.connect([this](bool modified) {
        if (!modified) saved();
    }));
}

Autosave::~Autosave() = default;

void Autosave::changed() {
    pending_ = true;
    quiet_->start(kQuietMs);
    if (!period_->isActive()) period_->start(kPeriodMs);
}

void Autosave::saved() {
    quiet_->stop();
    period_->stop();
    pending_ = false;
    discard_();
}

void Autosave::flush() {
    if (!pending_) return;
    pending_ = false;
    write_();
}

}  // namespace obrin
