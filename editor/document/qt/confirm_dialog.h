#pragma once

#include <QDialog>
#include <functional>

#include "document/confirm_views.h"

class QLabel;
class QPushButton;

namespace obrin {

// `TKakuninForm`, the confirm dialog: stays on top and does not block the
// main window. Its panel shows the countdown or the lyric. Closing it by
// its close box or the window menu tells onClosed; the editor itself hides
// it through hideDialog, which does not.
class ConfirmDialog final : public QDialog, public ConfirmDialogView {
    Q_OBJECT
  public:
    // The main window is where the dialog opens; it does not own it.
    explicit ConfirmDialog(QWidget* mainWindow);

    std::function<void()> onCheck;
    std::function<void()> onAbort;
    std::function<void()> onClosed;

    QLabel* panel() const { return panel_; }
    QPushButton* checkButton() const { return check_; }
    QPushButton* abortButton() const { return abort_; }

    void showDialog() override;
    void hideDialog() override;
    void setPanelText(const std::string& utf8) override;
    void setPanelLyric(const std::string& sjis) override;
    void setPanelColour(PanelColour colour) override;

    // No cancel button: Escape leaves the dialog as it is.
    void reject() override {}

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    QWidget* mainWindow_;
    QLabel* panel_;
    QPushButton* check_;
    QPushButton* abort_;
};

}  // namespace obrin
