#include "shell/qt/virtual_keys.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

#include "shell/qt/key_assignment_dialog.h"

using namespace obrin;

class VirtualKeysTest : public QObject {
    Q_OBJECT
  private slots:
    void codeOfKey_data();
    void codeOfKey();
    void nameOfCode_data();
    void nameOfCode();
    void dialogShowsTheNameBesideTheCode();
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

void VirtualKeysTest::nameOfCode_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("name");
    QTest::newRow("space") << 32 << QStringLiteral("Space");
    QTest::newRow("letter") << int('B') << QStringLiteral("B");
    QTest::newRow("digit") << int('0') << QStringLiteral("0");
    QTest::newRow("keypad digit") << 0x69 << QStringLiteral("Num 9");
    QTest::newRow("F1") << 0x70 << QStringLiteral("F1");
    QTest::newRow("F24") << 0x87 << QStringLiteral("F24");
    QTest::newRow("ctrl") << 17 << QStringLiteral("Ctrl");
    QTest::newRow("return") << 13 << QStringLiteral("Enter");
    QTest::newRow("backslash") << 0xDC << QStringLiteral("\\");
    QTest::newRow("none") << 0 << QString();
    QTest::newRow("unknown") << 0xFF << QString();
}

void VirtualKeysTest::nameOfCode() {
    QFETCH(int, code);
    QFETCH(QString, name);
    QCOMPARE(VirtualKeyName(static_cast<std::uint16_t>(code)), name);
}

void VirtualKeysTest::dialogShowsTheNameBesideTheCode() {
    KeyAssignmentDialog dialog({32, 66, 0});
    QCOMPARE(dialog.keyName(0)->text(), QStringLiteral("Space"));
    QCOMPARE(dialog.keyName(1)->text(), QStringLiteral("B"));
    QCOMPARE(dialog.keyName(2)->text(), QString());

    auto* play = dialog.findChild<QLineEdit*>(QStringLiteral("Edit3"));
    QTest::keyClick(play, Qt::Key_F5);
    QCOMPARE(play->text(), QStringLiteral("116"));
    QCOMPARE(dialog.keyName(2)->text(), QStringLiteral("F5"));
    QCOMPARE(dialog.codes(), (std::array<std::uint16_t, 3>{32, 66, 116}));
}

QTEST_MAIN(VirtualKeysTest)
#include "virtual_keys_test.moc"
