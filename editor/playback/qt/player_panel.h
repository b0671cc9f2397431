#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;
class QSlider;

namespace obrin {

// The player panel `Panel2` of the main window: time displays, position bar,
// play/pause, stop, pitch and volume. It only lays the controls out in their
// start-up state; the playback commands connect to them.
class PlayerPanel : public QWidget {
    Q_OBJECT
  public:
    explicit PlayerPanel(QWidget* parent = nullptr);

    QLabel* currentPosition() const { return panCurrentPos_; }
    QLabel* totalPosition() const { return panTotalPos_; }
    QLabel* seekPosition() const { return panSeekPos_; }
    QProgressBar* positionBar() const { return pbrPosition_; }
    QPushButton* playButton() const { return btnPlayStop_; }
    QPushButton* stopButton() const { return btnStop_; }
    QLabel* pitchLabel() const { return lblPitch_; }
    QSlider* pitchSlider() const { return tbrPitch_; }
    QSlider* volumeSlider() const { return tbrVolume_; }

    void setBarColour(const QColor& colour);

  private:
    QLabel* panCurrentPos_;
    QLabel* panTotalPos_;
    QLabel* panSeekPos_;
    QProgressBar* pbrPosition_;
    QPushButton* btnPlayStop_;
    QPushButton* btnStop_;
    QLabel* lblPitch_;
    QSlider* tbrPitch_;
    QSlider* tbrVolume_;
};

}  // namespace obrin
