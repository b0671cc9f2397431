#pragma once

#include <cstdint>
#include <string>

#include "playback/wait_view.h"

namespace obrin {

// Progress of the conversion of a music file, reported by the input plug-in
// from inside its conversion call on the user-interface thread, and the
// force-quit flag handed back to it.
class ConversionProgress {
  public:
    explicit ConversionProgress(WaitView& view) : view_(view) {}

    // Cleared before each conversion.
    void clearAbort() { conversionAbort_ = 0; }
    // The wait dialog's "強制終了(&X)" button.
    void forceQuit() { conversionAbort_ = 1; }

    // Shows done of total in the caption and the gauge, lets events run, and
    // returns 0 to go on or 1 to stop.
    [[nodiscard]] std::int32_t reportProgress(std::int32_t total, std::int32_t done);

    // "N%" for the gauge: done of total, truncated; 0 when total is 0.
    static std::string GaugeText(std::int32_t total, std::int32_t done);

  private:
    WaitView& view_;
    std::int32_t conversionAbort_ = 0;
};

}  // namespace obrin
