#pragma once

#include <QDialog>
#include <QTimer>
#include <functional>
#include <string>

#include "playback/latency_calibration.h"

class QKeyEvent;
class QLabel;
class QPushButton;

namespace obrin {

// "タイミング調整": plays the click track on `player` and takes a press of the
// Mark key (or of the dialog's mark button) for every click heard; at the end
// it shows how late the presses came and how much they spread, and proposes a
// mark offset when they agree (see LatencyCalibration). OK is enabled only
// with a proposal; the caller writes proposedOffset() where it belongs.
class LatencyCalibrationDialog final : public QDialog {
    Q_OBJECT
  public:
    // `isMarkKey` tells whether a key press is the user's Mark key.
    LatencyCalibrationDialog(Player& player, ClickTrack track,
                             std::function<bool(const QKeyEvent&)> isMarkKey,
                             QWidget* parent = nullptr);
    ~LatencyCalibrationDialog() override;

    // The accepted result's mark offset text; empty before one.
    std::string proposedOffset() const;

    QPushButton* startButton() const { return start_; }
    QPushButton* markButton() const { return mark_; }
    QPushButton* okButton() const { return ok_; }
    QLabel* resultLabel() const { return result_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void begin();
    void showProgress();
    void showResult();

    LatencyCalibration calibration_;
    Connection finished_;
    std::function<bool(const QKeyEvent&)> isMarkKey_;
    QTimer progressTimer_;
    QLabel* progress_;
    QLabel* result_;
    QPushButton* start_;
    QPushButton* mark_;
    QPushButton* ok_;
};

}  // namespace obrin
