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

    QLabel* currentPosition() const { return currentPosition_; }
    QLabel* totalPosition() const { return totalPosition_; }
    QLabel* seekPosition() const { return seekPosition_; }
    QProgressBar* positionBar() const { return positionBar_; }
    QPushButton* playButton() const { return playButton_; }
    QPushButton* stopButton() const { return stopButton_; }
    QLabel* pitchLabel() const { return pitchLabel_; }
    QSlider* pitchSlider() const { return pitchSlider_; }
    QSlider* volumeSlider() const { return volumeSlider_; }

    void setBarColour(const QColor& colour);

  private:
    QLabel* currentPosition_;
    QLabel* totalPosition_;
    QLabel* seekPosition_;
    QProgressBar* positionBar_;
    QPushButton* playButton_;
    QPushButton* stopButton_;
    QLabel* pitchLabel_;
    QSlider* pitchSlider_;
    QSlider* volumeSlider_;
};

}  // namespace obrin
