// The ruby dialog offscreen: its rows, the button that takes every
// suggestion, the check of what the user typed, and the command that writes
// the readings as one step.
#include "text/qt/ruby_dialog.h"

#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include "base/command_ids.h"
#include "base/command_table.h"
#include "recording_dialogs.h"
#include "sjis_lines.h"
#include "table_readings.h"

using namespace obrin;
using test::Sj;

namespace {

RubyReading Reading(const char* base, std::initializer_list<const char*> morae) {
    RubyReading reading{.base = Sj(base)};
    for (const char* mora : morae) reading.morae.push_back({Sj(mora), kNoUnitTime});
    return reading;
}

const test::TableReadings kDictionary({Reading("明日", {"あ", "し", "た"}),
                                       Reading("空", {"そ", "ら"})});

std::vector<RubyRow> Rows() {
    return BuildRubyRows({Sj("明日の空と星")}, {Reading("空", {"く", "う"})}, &kDictionary);
}

QStringList Column(const QTableWidget& table, int column) {
    QStringList texts;
    for (int r = 0; r < table.rowCount(); ++r) texts << table.item(r, column)->text();
    return texts;
}

}  // namespace

class RubyDialogTest : public QObject {
    Q_OBJECT
  private slots:
    void showsEachRunAndTakesEverySuggestion();
    void okChecksWhatWasTyped_data();
    void okChecksWhatWasTyped();
    void theCommandWritesOneStepAndCancelChangesNothing();
};

void RubyDialogTest::showsEachRunAndTakesEverySuggestion() {
    test::RecordingDialogs dialogs;
    RubyDialog form(Rows(), dialogs);
    const QTableWidget& table = *form.table();
    QCOMPARE(Column(table, RubyDialog::BaseColumn), (QStringList{"空", "明日", "星"}));
    QCOMPARE(Column(table, RubyDialog::SuggestedColumn), (QStringList{"そら", "あした", ""}));
    QCOMPARE(Column(table, RubyDialog::ReadingColumn), (QStringList{"くう", "", ""}));
    QVERIFY(!(table.item(0, RubyDialog::BaseColumn)->flags() & Qt::ItemIsEditable));
    QVERIFY(table.item(0, RubyDialog::ReadingColumn)->flags() & Qt::ItemIsEditable);

    table.item(2, RubyDialog::ReadingColumn)->setText("ほし");
    QTest::mouseClick(form.acceptAllButton(), Qt::LeftButton);
    QCOMPARE(Column(table, RubyDialog::ReadingColumn), (QStringList{"そら", "あした", "ほし"}));
}

void RubyDialogTest::okChecksWhatWasTyped_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("reading");  // as accepted; the error instead when refused
    QTest::addColumn<QString>("error");
    QTest::newRow("kana, spaces around") << " ほし "
                                         << "ほし"
                                         << "";
    QTest::newRow("katakana and ー") << "スター"
                                     << "スター"
                                     << "";
    QTest::newRow("empty: no reading") << ""
                                       << ""
                                       << "";
    QTest::newRow("kanji") << "星"
                           << ""
                           << "かなで入力してください";
    QTest::newRow("Latin") << "hoshi"
                           << ""
                           << "かなで入力してください";
    QTest::newRow("not in Shift-JIS") << "ほ별"
                                      << ""
                                      << "Shift-JISにない文字";
}

void RubyDialogTest::okChecksWhatWasTyped() {
    QFETCH(QString, typed);
    QFETCH(QString, reading);
    QFETCH(QString, error);
    test::RecordingDialogs dialogs;
    RubyDialog form(Rows(), dialogs);
    form.show();
    form.table()->item(2, RubyDialog::ReadingColumn)->setText(typed);
    QTest::mouseClick(form.okButton(), Qt::LeftButton);
    const bool accepted = error.isEmpty();
    QCOMPARE(form.result() == QDialog::Accepted, accepted);
    QCOMPARE(form.isVisible(), !accepted);
    if (accepted) {
        QCOMPARE(dialogs.errors(), std::vector<std::string>{});
        QCOMPARE(form.rows().at(2).reading, Sj(reading.toStdString()));
    } else {
        QCOMPARE(dialogs.errors().size(), size_t(1));
        QVERIFY2(QString::fromStdString(dialogs.errors()[0]).contains(error),
                 dialogs.errors()[0].c_str());
        QCOMPARE(form.table()->currentRow(), 2);
    }
}

void RubyDialogTest::theCommandWritesOneStepAndCancelChangesNothing() {
    Document document;
    document.lyrics.assignLines({{.lyricText = Sj("明日の空"), .timeText = "00:01:00"}});
    test::RecordingDialogs dialogs;
    CommandTable table;
    QWidget parent;
    RegisterRubyCommand(
        table, document, dialogs, [] { return &kDictionary; }, &parent);

    const auto answerWith = [](bool ok) {
        QTimer::singleShot(0, [ok] {
            auto* form = qobject_cast<RubyDialog*>(QApplication::activeModalWidget());
            QVERIFY(form);
            QTest::mouseClick(form->acceptAllButton(), Qt::LeftButton);
            if (ok)
                form->accept();
            else
                form->reject();
        });
    };
    answerWith(false);
    QVERIFY(table.trigger(command::kEditRuby));
    QVERIFY(document.ruby().empty());
    QVERIFY(!document.history.canUndo());

    answerWith(true);
    QVERIFY(table.trigger(command::kEditRuby));
    QCOMPARE(document.ruby().size(), size_t(2));
    QCOMPARE(document.ruby()[0].reading(), Sj("あした"));
    QCOMPARE(document.history.undoCaption(), std::string("ルビの編集"));
    document.history.undo();
    QVERIFY(document.ruby().empty());
    QVERIFY(!document.history.canUndo());
}

QTEST_MAIN(RubyDialogTest)
#include "ruby_dialog_test.moc"
