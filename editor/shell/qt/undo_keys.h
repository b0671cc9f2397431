#pragma once

#include <QKeySequence>
#include <QList>
#include <QObject>

class QKeyEvent;
class QWidget;

namespace obrin {

class CommandTable;

// The keys of undo and redo (Ctrl+Z, Ctrl+Y, Ctrl+Shift+Z) take back the
// document's steps only where no text is being typed: in an editable field
// of the window (title, artist, information pane, the list's in-place
// editor, the completed text) they stay the field's own undo and redo. Which
// of them a field claims by itself depends on the desktop's key scheme (some
// give redo Ctrl+Shift+Z only), so the window hands all three to the field.
// They are never an assigned key.
class UndoKeys final : public QObject {
    Q_OBJECT
  public:
    UndoKeys(QWidget& window, const CommandTable& table);
    ~UndoKeys() override;

    // Whether the key press is one of the undo or redo keys.
    [[nodiscard]] bool matches(const QKeyEvent& event) const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget& window_;
    QList<QKeySequence> keys_;
};

}  // namespace obrin
