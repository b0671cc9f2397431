#include "shell/qt/virtual_keys.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "jis_keys.h"
#include "shell/qt/key_assignment_dialog.h"

using namespace obrin;
using test::JisKey;

class VirtualKeysTest : public QObject {
    Q_OBJECT
  private slots:
    void codeOfKey_data();
    void codeOfKey();
    void dialogShowsTheNameBesideTheCode();
    void dialogTakesTheKeysOfAJisKeyboard_data();
    void dialogTakesTheKeysOfAJisKeyboard();
    void dialogTakesAKeyOff();
};

// Made-up presses, without a physical key: by the key Qt names.
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
    QTest::newRow("henkan") << int(Qt::Key_Henkan) << none << 0x1C;
    QTest::newRow("muhenkan") << int(Qt::Key_Muhenkan) << none << 0x1D;
    QTest::newRow("hiragana katakana") << int(Qt::Key_Hiragana_Katakana) << none << 0x15;
    QTest::newRow("zenkaku hankaku") << int(Qt::Key_Zenkaku_Hankaku) << none << 0xF3;
    QTest::newRow("kanji") << int(Qt::Key_Kanji) << none << 0xF3;
    QTest::newRow("eisu") << int(Qt::Key_Eisu_toggle) << none << 0xF0;
    QTest::newRow("yen") << int(Qt::Key_yen) << none << 0xDC;
    QTest::newRow("no code") << int(Qt::Key_Dead_Acute) << none << 0;
}

void VirtualKeysTest::codeOfKey() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, code);
    const QKeyEvent event(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers));
    QCOMPARE(int(VirtualKeyOf(event)), code);
}

void VirtualKeysTest::dialogShowsTheNameBesideTheCode() {
    KeyAssignmentDialog dialog({32, 0xDC, 0});
    QCOMPARE(dialog.keyName(0)->text(), QStringLiteral("Space"));
    QCOMPARE(dialog.keyName(1)->text(), QStringLiteral("¥"));
    QCOMPARE(dialog.keyName(2)->text(), QString());

    auto* play = dialog.findChild<QLineEdit*>(QStringLiteral("Edit3"));
    QTest::keyClick(play, Qt::Key_F5);
    QCOMPARE(play->text(), QStringLiteral("116"));
    QCOMPARE(dialog.keyName(2)->text(), QStringLiteral("F5"));
    QCOMPARE(dialog.codes(), (std::array<std::uint16_t, 3>{32, 0xDC, 116}));
}

void VirtualKeysTest::dialogTakesTheKeysOfAJisKeyboard_data() {
    QTest::addColumn<JisKey>("key");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("name");
    QTest::newRow("変換") << test::kJisHenkan << 0x1C << QStringLiteral("変換");
    QTest::newRow("半角/全角") << test::kJisZenkaku << 0xF3 << QStringLiteral("半角/全角");
    QTest::newRow("Shift+2 is the 2 key") << test::kJisShift2 << int('2') << QStringLiteral("2");
    QTest::newRow("@") << test::kJisAt << 0xC0 << QStringLiteral("@");
    QTest::newRow("¥") << test::kJisYen << 0xDC << QStringLiteral("¥");
    QTest::newRow("ろ") << test::kJisRo << 0xE2 << QStringLiteral("ろ");
}

void VirtualKeysTest::dialogTakesTheKeysOfAJisKeyboard() {
    QFETCH(JisKey, key);
    QFETCH(int, code);
    QFETCH(QString, name);
    KeyAssignmentDialog dialog({32, 8, 13});
    auto* mark = dialog.findChild<QLineEdit*>(QStringLiteral("Edit1"));
    test::PressJisKey(mark, key);
    QCOMPARE(mark->text(), QString::number(code));
    QCOMPARE(dialog.keyName(0)->text(), name);
    QCOMPARE(dialog.codes(), (std::array<std::uint16_t, 3>{std::uint16_t(code), 8, 13}));
}

void VirtualKeysTest::dialogTakesAKeyOff() {
    KeyAssignmentDialog dialog({32, 8, 13});
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("Clear2")), Qt::LeftButton);
    QCOMPARE(dialog.keyName(1)->text(), QString());
    QCOMPARE(dialog.codes(), (std::array<std::uint16_t, 3>{32, 0, 13}));
}

QTEST_MAIN(VirtualKeysTest)
#include "virtual_keys_test.moc"
