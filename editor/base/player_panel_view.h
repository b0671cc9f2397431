#pragma once

#include <string>

namespace obrin {

// The displays of the player panel that playback control writes to. Texts are
// UTF-8. The Qt panel implements it; tests record what it is told.
class PlayerPanelView {
  public:
    virtual ~PlayerPanelView() = default;
    virtual void setCurrentPosText(const std::string& text) = 0;
    virtual void setTotalPosText(const std::string& text) = 0;
    virtual void setSeekPosText(const std::string& text) = 0;
    // The position bar runs from 0 to maximumMs.
    virtual void setPositionMaximum(int maximumMs) = 0;
    virtual void setPosition(int ms) = 0;
    virtual void setPlayCaption(const std::string& caption) = 0;
    virtual void setPitchLabel(const std::string& text) = 0;
};

}  // namespace obrin
