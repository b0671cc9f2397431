#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace obrin {

// The progress of 「タイミングの下書き」 while it runs in the background: a
// gauge and "中止". Modal over the main window, so the lines stay as the
// draft read them; "中止", Escape and the title bar's close all stop it.
class DraftDialog final : public QDialog {
    Q_OBJECT
  public:
    static constexpr const char* kWorking = "タイミングの下書きを作っています...";

    explicit DraftDialog(QWidget* parent);

    void setPercent(int percent);

    QProgressBar* gauge() const { return gauge_; }
    QPushButton* stopButton() const { return stop_; }

  private:
    QProgressBar* gauge_;
    QPushButton* stop_;
};

}  // namespace obrin
