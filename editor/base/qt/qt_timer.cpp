#include "base/qt/qt_timer.h"

namespace obrin {

QtTimer::QtTimer() {
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        if (onTimeout) onTimeout();
    });
}

void QtTimer::start(int intervalMs) {
    timer_.start(intervalMs);
}

void QtTimer::stop() {
    timer_.stop();
}

bool QtTimer::isActive() const {
    return timer_.isActive();
}

std::unique_ptr<Timer> QtTimerFactory::createTimer() {
    return std::make_unique<QtTimer>();
}

}  // namespace obrin
