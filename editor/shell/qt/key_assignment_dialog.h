#pragma once

#include <QDialog>
#include <array>
#include <cstdint>

class QLineEdit;

namespace obrin {

// The key assignment dialog `TKeyForm`: three read-only fields for Mark, the
// check of the previous line and play/pause. While a field has the focus,
// the key pressed (modifier keys included, Tab excepted so the fields can be
// reached) replaces its code. There is no OK or Cancel: however the dialog
// closes, codes() is what the user left.
class KeyAssignmentDialog : public QDialog {
    Q_OBJECT
  public:
    KeyAssignmentDialog(const std::array<std::uint16_t, 3>& codes, QWidget* parent = nullptr);

    [[nodiscard]] std::array<std::uint16_t, 3> codes() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::array<QLineEdit*, 3> fields_{};
};

}  // namespace obrin
