#pragma once

#include <QWidget>

#include "base/command_ids.h"
#include "base/signal.h"

class QAbstractButton;
class QCheckBox;
class QLabel;
class QPushButton;

namespace obrin {

class Dialogs;
class Document;

// The control panel between the player panel and the list: Mark and the
// check buttons, the confirm group, the MarkOffset group and the nudge
// group with the ListEditMode check box. The MarkOffset and ListEditMode
// show the document's and write to it; the timing commands connect to the
// other buttons.
class ControlPanel : public QWidget {
    Q_OBJECT
  public:
    ControlPanel(Document& document, Dialogs& dialogs, QWidget* parent = nullptr);

    QPushButton* markButton() const { return button(command::kMark); }
    QPushButton* button(CommandId command) const;

    void stepMarkOffsetUp();
    void stepMarkOffsetDown();

  private:
    void stepMarkOffset(bool up);
    void showDocument();

    Document& document_;
    Dialogs& dialogs_;
    QLabel* markOffset_;
    QCheckBox* listEditBox_;
    Connection documentChanged_;
};

// The pair of arrow buttons beside the MarkOffset (`SpinButton`).
class SpinButton : public QWidget {
    Q_OBJECT
  public:
    explicit SpinButton(QWidget* parent = nullptr);
  signals:
    void upClicked();
    void downClicked();

  private:
    QAbstractButton* up_;
    QAbstractButton* down_;
};

}  // namespace obrin
