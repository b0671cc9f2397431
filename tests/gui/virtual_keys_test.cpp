#include "shell/qt/virtual_keys.h"

#include <QKeyEvent>
#include <QtTest>

using namespace obrin;

class VirtualKeysTest : public QObject {
    Q_OBJECT
  private slots:
    void codeOfKey_data();
    void codeOfKey();
};

void VirtualKeysTest::codeOfKey_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("code");
    const int none = Qt::NoModifier, shift = Qt::ShiftModifier, keypad = Qt::KeypadModifier;
    QTest::newRow("letter") << int(Qt::Key_A) << none << 65;
    QTest::newRow("shifted letter") << int(Qt::Key_Z) << shift << 90;
    QTest::newRow("digit") << int(Qt::Key_5) << none << 53;
    QTest::newRow("shifted digit") << int(Qt::Key_Exclam) << shift << 49;
    QTest::newRow("keypad digit") << int(Qt::Key_5) << keypad << 0x65;
    QTest::newRow("F1") << int(Qt::Key_F1) << none << 112;
    QTest::newRow("F12") << int(Qt::Key_F12) << none << 123;
    QTest::newRow("shift") << int(Qt::Key_Shift) << shift << 16;
    QTest::newRow("ctrl") << int(Qt::Key_Control) << int(Qt::ControlModifier) << 17;
    QTest::newRow("alt") << int(Qt::Key_Alt) << int(Qt::AltModifier) << 18;
    QTest::newRow("space") << int(Qt::Key_Space) << none << 32;
    QTest::newRow("return") << int(Qt::Key_Return) << none << 13;
    QTest::newRow("keypad enter") << int(Qt::Key_Enter) << keypad << 13;
    QTest::newRow("keypad plus") << int(Qt::Key_Plus) << keypad << 0x6B;
    QTest::newRow("plus") << int(Qt::Key_Plus) << shift << 0xBB;
    QTest::newRow("comma") << int(Qt::Key_Comma) << none << 0xBC;
    QTest::newRow("down") << int(Qt::Key_Down) << none << 40;
    QTest::newRow("delete") << int(Qt::Key_Delete) << none << 46;
    QTest::newRow("no code") << int(Qt::Key_Kanji) << none << 0;
}

void VirtualKeysTest::codeOfKey() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, code);
    const QKeyEvent event(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers));
    QCOMPARE(int(VirtualKeyOf(event)), code);
}

QTEST_GUILESS_MAIN(VirtualKeysTest)
#include "virtual_keys_test.moc"
