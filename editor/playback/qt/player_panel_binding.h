#pragma once

#include <QObject>

#include "base/player_panel_view.h"

namespace obrin {

class PlaybackControl;
class PlayerPanel;

// Gives the player panel its behaviour: the sliders run the playback
// commands (the buttons run theirs through the command table), the position bar shows the time
// under the mouse and seeks on a left press, and the displays show what playback control tells
// them.
class PlayerPanelBinding final : public QObject, public PlayerPanelView {
    Q_OBJECT
  public:
    PlayerPanelBinding(PlayerPanel& panel, PlaybackControl& playback);
    ~PlayerPanelBinding() override;

    void setCurrentPosText(const std::string& text) override;
    void setTotalPosText(const std::string& text) override;
    void setSeekPosText(const std::string& text) override;
    void setPositionMaximum(int maximumMs) override;
    void setPosition(int ms) override;
    void setPlayCaption(const std::string& caption) override;
    void setPitchLabel(const std::string& text) override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    PlayerPanel& panel_;
    PlaybackControl& playback_;
};

}  // namespace obrin
