#pragma once

#include <QDialog>
#include <array>
#include <cstdint>

#include "shell/key_codes.h"

class QLabel;
class QLineEdit;

namespace obrin {

// The key assignment dialog `TKeyForm`: three read-only fields for Mark, the
// check of the previous line and play/pause, each with the key's name beside
// its code and a button 「なし」 that takes the key off. While a field has the
// focus, the key pressed (modifier keys included, Tab excepted so the fields
// can be reached) replaces its code.
// There is no OK or Cancel: however the dialog closes, codes() is what the
// user left.
class KeyAssignmentDialog : public QDialog {
    Q_OBJECT
  public:
    KeyAssignmentDialog(const std::array<std::uint16_t, 3>& codes, QWidget* parent = nullptr);

    [[nodiscard]] std::array<std::uint16_t, 3> codes() const;
    // The name of the key beside field `index`, as "KeyName1" ... "KeyName3".
    QLabel* keyName(int index) const { return names_.at(index); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void setCode(int index, const KeyIdentity& key);

    std::array<QLineEdit*, 3> fields_{};
    std::array<QLabel*, 3> names_{};
};

}  // namespace obrin
