#pragma once

#include <QWidget>

namespace obrin {

// Moves a dialog to the middle of the window that owns it, as the editor's
// dialogs open.
inline void CentreOn(QWidget* dialog, const QWidget* owner) {
    if (!owner) return;
    const QRect frame = owner->frameGeometry();
    dialog->move(frame.center() - QPoint(dialog->width() / 2, dialog->height() / 2));
}

}  // namespace obrin
