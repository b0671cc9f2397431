#pragma once

#include <QTimer>

#include "base/timer.h"

namespace obrin {

class QtTimer final : public Timer {
  public:
    QtTimer();
    void start(int intervalMs) override;
    void stop() override;
    bool isActive() const override;

  private:
    QTimer timer_;
};

class QtTimerFactory final : public TimerFactory {
  public:
    std::unique_ptr<Timer> createTimer() override;
};

}  // namespace obrin
