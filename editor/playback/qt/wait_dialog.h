#pragma once

#include <QDialog>
#include <functional>

#include "playback/wait_view.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace obrin {

// `TWaitForm`: shown without blocking while a music file is converted. The
// conversion holds the user-interface thread, so the dialog lives on the
// events that the progress reports let through; its only use is the
// force-quit button. It cannot be closed from its title bar or with Escape:
// the conversion closes it.
class WaitDialog final : public QDialog, public WaitView {
    Q_OBJECT
  public:
    static constexpr const char* kPleaseWait = "しばらくお待ちください";

    // The dialog opens over the main window, which carries the count in its
    // caption; it does not own the dialog.
    explicit WaitDialog(QWidget* mainWindow);

    // The "強制終了(&X)" button.
    std::function<void()> onForceQuit;

    QLabel* label() const { return label_; }
    QProgressBar* gauge() const { return gauge_; }
    QPushButton* forceQuitButton() const { return button_; }

    void showWait() override;
    void closeWait() override;
    void setWaitText(const std::string& text) override;
    void setGauge(int maximum, int progress, const std::string& text) override;
    void setMainCaption(const std::string& caption) override;
    void processPendingEvents() override;

    void reject() override {}

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    QWidget* mainWindow_;
    QLabel* label_;
    QProgressBar* gauge_;
    QPushButton* button_;
};

}  // namespace obrin
