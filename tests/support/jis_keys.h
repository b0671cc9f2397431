#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QMetaType>
#include <QString>
#include <QWidget>

namespace obrin::test {

// A key of a JIS keyboard as the X11 platform reports it under a JIS
// layout: the physical keycode, the keysym, the key Qt makes of it and the
// text it types.
struct JisKey {
    int key;
    Qt::KeyboardModifiers modifiers;
    quint32 keycode;
    quint32 keysym;
    QString text;
};

inline const JisKey kJisHenkan{Qt::Key_Henkan, Qt::NoModifier, 100, 0xFF23, {}};
inline const JisKey kJisMuhenkan{Qt::Key_Muhenkan, Qt::NoModifier, 102, 0xFF22, {}};
inline const JisKey kJisZenkaku{Qt::Key_Zenkaku_Hankaku, Qt::NoModifier, 49, 0xFF2A, {}};
inline const JisKey kJisShift2{Qt::Key_QuoteDbl, Qt::ShiftModifier, 11, 0x22, "\""};
inline const JisKey kJisAt{Qt::Key_At, Qt::NoModifier, 34, 0x40, "@"};
// The layout gives the ¥ key and the ろ key the same backslash.
inline const JisKey kJisYen{Qt::Key_Backslash, Qt::NoModifier, 132, 0x5C, "\\"};
inline const JisKey kJisRo{Qt::Key_Backslash, Qt::NoModifier, 97, 0x5C, "\\"};

// Presses and releases the key on `target`, through the application's
// event filters as a key from the window system goes.
inline void PressJisKey(QWidget* target, const JisKey& key) {
    const quint32 nativeModifiers = key.modifiers.testFlag(Qt::ShiftModifier) ? 1 : 0;
    for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent event(type, key.key, key.modifiers, key.keycode, key.keysym, nativeModifiers,
                        key.text);
        QApplication::sendEvent(target, &event);
    }
}

}  // namespace obrin::test

Q_DECLARE_METATYPE(obrin::test::JisKey)
