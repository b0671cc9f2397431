#pragma once

#include <string>

namespace obrin {

// The wait dialog shown while a music file is converted, and the main
// window's caption, which carries the count meanwhile. Texts are UTF-8.
class WaitView {
  public:
    virtual ~WaitView() = default;
    // Shows the dialog without blocking, with its label reset to
    // "しばらくお待ちください"; it cannot be closed from its title bar.
    virtual void showWait() = 0;
    virtual void closeWait() = 0;
    virtual void setWaitText(const std::string& text) = 0;
    // The gauge runs from 0 to maximum and shows text in its middle.
    virtual void setGauge(int maximum, int progress, const std::string& text) = 0;
    virtual void setMainCaption(const std::string& caption) = 0;
    // Lets pending user-interface events run, so the force-quit button can be
    // pressed while the conversion holds the thread.
    virtual void processPendingEvents() = 0;
};

}  // namespace obrin
