#include "base/qt/qt_dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "shell/qt/qt_translations.h"

using namespace obrin;

namespace {

// What the modal box looked like when it came up.
struct Seen {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QString text;
};

// Answers the next modal message box by pressing `answer`, after noting
// what it showed.
void AnswerNextBox(Seen& seen, QMessageBox::StandardButton answer) {
    QTimer::singleShot(0, [&seen, answer] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        seen = {box->icon(), box->standardButtons(), box->text()};
        if (QAbstractButton* button = box->button(answer)) {
            button->click();
        } else {
            box->reject();
        }
    });
}

}  // namespace

class QtDialogsTest : public QObject {
    Q_OBJECT
  private slots:
    void messageBoxes_data();
    void messageBoxes();
    void inputBoxGivesTextOrNothing_data();
    void inputBoxGivesTextOrNothing();
    void filtersInQtForm_data();
    void filtersInQtForm();
    void qtOwnTextsAreJapanese();
    void fileDialogsStartInTheSongFolderOrTheLastOneUsed();
    void openDialogGivesTheFileWithTheItemPickedBesideIt();
    void optionsDialogGivesEachPickOrNothing_data();
    void optionsDialogGivesEachPickOrNothing();
};

void QtDialogsTest::messageBoxes_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("icon");
    QTest::addColumn<int>("buttons");
    QTest::addColumn<bool>("result");
    const int ok = QMessageBox::Ok, cancel = QMessageBox::Cancel;
    QTest::newRow("error") << "error" << ok << int(QMessageBox::Critical) << ok << true;
    QTest::newRow("information") << "info" << ok << int(QMessageBox::Information) << ok << true;
    QTest::newRow("confirm ok") << "confirm" << ok << int(QMessageBox::Question) << (ok | cancel)
                                << true;
    QTest::newRow("confirm cancel")
        << "confirm" << cancel << int(QMessageBox::Question) << (ok | cancel) << false;
    // Escape or the title bar's close box: anything but OK is no.
    QTest::newRow("confirm closed") << "confirm" << int(QMessageBox::NoButton)
                                    << int(QMessageBox::Question) << (ok | cancel) << false;
}

void QtDialogsTest::messageBoxes() {
    QFETCH(QString, kind);
    QFETCH(int, answer);
    QFETCH(int, icon);
    QFETCH(int, buttons);
    QFETCH(bool, result);
    QtDialogs dialogs;
    Seen seen;
    AnswerNextBox(seen, QMessageBox::StandardButton(answer));
    bool answered = true;
    if (kind == "error") {
        dialogs.showError("ヘルプが見つかりません");
    } else if (kind == "info") {
        dialogs.showInformation("ヘルプが見つかりません");
    } else {
        answered = dialogs.confirm("ヘルプが見つかりません");
    }
    QCOMPARE(int(seen.icon), icon);
    QCOMPARE(int(seen.buttons), buttons);
    QCOMPARE(seen.text, QStringLiteral("ヘルプが見つかりません"));
    QCOMPARE(answered, result);
}

void QtDialogsTest::inputBoxGivesTextOrNothing_data() {
    QTest::addColumn<bool>("accept");
    QTest::newRow("ok") << true;
    QTest::newRow("cancel") << false;
}

void QtDialogsTest::inputBoxGivesTextOrNothing() {
    QFETCH(bool, accept);
    QtDialogs dialogs;
    QString caption;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        if (!box) return;
        caption = box->windowTitle();
        QCOMPARE(box->textValue(), QStringLiteral("前の名前"));
        box->setTextValue(QStringLiteral("新しい名前"));
        accept ? box->accept() : box->reject();
    });
    const auto text = dialogs.inputText("作成者情報", "", "前の名前");
    QCOMPARE(caption, QStringLiteral("作成者情報"));
    QCOMPARE(text.has_value(), accept);
    if (accept) QCOMPARE(*text, std::string("新しい名前"));
}

void QtDialogsTest::filtersInQtForm_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("qt");
    // A description that names its patterns is not followed by them again.
    QTest::newRow("two") << QStringLiteral(
                                "通常歌詞ファイル(*.txt *.lrc)|*.txt;*.lrc|全てのファイル(*.*)|*.*")
                         << QStringLiteral("通常歌詞ファイル(*.txt *.lrc);;全てのファイル(*.*)");
    QTest::newRow("one") << QStringLiteral("obrinタイムタグ情報ファイル(*.obt)|*.obt")
                         << QStringLiteral("obrinタイムタグ情報ファイル(*.obt)");
    QTest::newRow("other patterns named") << QStringLiteral("歌詞ファイル(*.txt)|*.txt;*.lrc")
                                          << QStringLiteral("歌詞ファイル(*.txt) (*.txt *.lrc)");
    QTest::newRow("none named") << QStringLiteral("歌詞|*.txt") << QStringLiteral("歌詞 (*.txt)");
    QTest::newRow("empty") << QString() << QString();
    // A description without patterns is dropped rather than shown empty.
    QTest::newRow("dangling") << QStringLiteral("a|*.a|b") << QStringLiteral("a (*.a)");
}

void QtDialogsTest::filtersInQtForm() {
    QFETCH(QString, filter);
    QFETCH(QString, qt);
    QCOMPARE(QtNameFilters(filter.toStdString()), qt);
}

void QtDialogsTest::qtOwnTextsAreJapanese() {
    QVERIFY2(LoadJapaneseQtTranslations(*QCoreApplication::instance()),
             "the distribution's Qt translations (qt6-translations-l10n) are missing");
    QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("キャンセル"));
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    QVERIFY(dialog.labelText(QFileDialog::LookIn) != QStringLiteral("Look in:"));
    QVERIFY(dialog.labelText(QFileDialog::FileName).contains(QStringLiteral("ファイル")));
}

void QtDialogsTest::fileDialogsStartInTheSongFolderOrTheLastOneUsed() {
    QTemporaryDir song;
    QTemporaryDir chosen;
    QtDialogs dialogs;
    std::string songFolder;
    dialogs.songFolder = [&songFolder] { return songFolder; };
    QStringList startedIn;
    // Notes where the next file dialog starts, then picks `file` or cancels.
    const auto answerNext = [&startedIn](const QString& file) {
        QTimer::singleShot(0, [&startedIn, file] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            startedIn << dialog->directory().absolutePath();
            if (file.isEmpty()) return dialog->reject();
            dialog->selectFile(file);
            static_cast<QDialog*>(dialog)->accept();  // as the Open button does
        });
    };
    const QString picked = chosen.path() + QStringLiteral("/lyrics.txt");
    QFile(picked).open(QIODevice::WriteOnly);

    answerNext(picked);
    QCOMPARE(dialogs.openFile({}), std::optional<std::string>(picked.toStdString()));
    answerNext({});
    QVERIFY(!dialogs.saveFile({}));
    songFolder = song.path().toStdString();
    answerNext({});
    QVERIFY(!dialogs.openFile({}));
    QCOMPARE(startedIn.size(), 3);
    QCOMPARE(startedIn[1], chosen.path());  // the last one used
    QCOMPARE(startedIn[2], song.path());    // the song's
}

void QtDialogsTest::openDialogGivesTheFileWithTheItemPickedBesideIt() {
    QTemporaryDir folder;
    const QString picked = folder.path() + QStringLiteral("/lyrics.txt");
    QFile(picked).open(QIODevice::WriteOnly);
    QtDialogs dialogs;
    int shownFirst = -1;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        auto* box = dialog->findChild<QComboBox*>(QStringLiteral("fileChoice"));
        if (!box) return dialog->reject();
        shownFirst = box->currentIndex();
        box->setCurrentIndex(2);
        dialog->selectFile(picked);
        static_cast<QDialog*>(dialog)->accept();
    });
    const auto chosen = dialogs.openFileWithChoice(
        {}, {.label = "文字コード(&E):", .items = {"自動", "Shift-JIS", "UTF-8"}, .selected = 1});
    QCOMPARE(shownFirst, 1);
    QVERIFY(chosen);
    QCOMPARE(chosen->path, picked.toStdString());
    QCOMPARE(chosen->choice, 2);
}

void QtDialogsTest::optionsDialogGivesEachPickOrNothing_data() {
    QTest::addColumn<bool>("accept");
    QTest::newRow("ok") << true;
    QTest::newRow("cancel") << false;
}

void QtDialogsTest::optionsDialogGivesEachPickOrNothing() {
    QFETCH(bool, accept);
    QtDialogs dialogs;
    QString caption;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        caption = dialog->windowTitle();
        if (auto* second = dialog->findChild<QComboBox*>(QStringLiteral("choice1")))
            second->setCurrentIndex(0);
        accept ? dialog->accept() : dialog->reject();
    });
    const auto picked = dialogs.chooseOptions(
        "標準LRC形式で保存", {{.label = "文字コード(&E):", .items = {"UTF-8", "Shift-JIS"}},
                              {.label = "改行(&N):", .items = {"LF", "CR LF"}, .selected = 1}});
    QCOMPARE(caption, QStringLiteral("標準LRC形式で保存"));
    QCOMPARE(picked.has_value(), accept);
    if (accept) QCOMPARE(*picked, (std::vector<int>{0, 0}));
}

QTEST_MAIN(QtDialogsTest)
#include "qt_dialogs_test.moc"
