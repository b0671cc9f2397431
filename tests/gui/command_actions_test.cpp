// One window's command items and buttons over a table of its own.
#include "base/qt/command_actions.h"

#include <QAction>
#include <QPushButton>
#include <QtTest>

#include "base/command_table.h"

using namespace obrin;

namespace {

constexpr CommandId kItem{"Item1"};

// A command whose enabled-check the test sets, counting its runs.
struct Fixture {
    Fixture() {
        table.add({.id = kItem,
                   .caption = "項目(&I)",
                   .shortcut = "Ctrl+I",
                   .enabled = [this] { return enabled; },
                   .run = [this] { ++runs; }});
    }

    bool enabled = true;
    int runs = 0;
    CommandTable table;
    QWidget window;
    CommandActions actions{table, &window};
};

}  // namespace

class CommandActionsTest : public QObject {
    Q_OBJECT
  private slots:
    void disabledCommandDoesNothing_data();
    void disabledCommandDoesNothing();
};

// The item and the button still show the command enabled when it no longer
// is (no notice told them yet); the table decides at the moment of the click.
void CommandActionsTest::disabledCommandDoesNothing_data() {
    QTest::addColumn<QString>("way");
    QTest::newRow("menu item") << "item";
    QTest::newRow("button") << "button";
    QTest::newRow("shortcut") << "key";
}

void CommandActionsTest::disabledCommandDoesNothing() {
    QFETCH(QString, way);
    Fixture f;
    QPushButton button(&f.window);
    f.actions.bindButton(button, kItem);
    QAction* item = f.actions.action(kItem);
    f.window.addAction(item);
    f.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f.window));
    const auto use = [&] {
        if (way == "item") {
            item->trigger();
        } else if (way == "button") {
            button.click();
        } else {
            QTest::keyClick(&f.window, Qt::Key_I, Qt::ControlModifier);
        }
    };
    use();
    QCOMPARE(f.runs, 1);

    f.enabled = false;
    QVERIFY(item->isEnabled() && button.isEnabled());
    use();
    QCOMPARE(f.runs, 1);
    // The refused command shows its state now.
    QVERIFY(!item->isEnabled());
    QVERIFY(!button.isEnabled());

    f.enabled = true;
    f.actions.refresh();
    use();
    QCOMPARE(f.runs, 2);
}

QTEST_MAIN(CommandActionsTest)
#include "command_actions_test.moc"
