// Undo and redo in the main window: the Edit menu, its keys, the text fields
// that keep their own, and the lyrics commands that live in the window.
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>
#include <QtTest>
#include <fstream>
#include <functional>
#include <sstream>

#include "base/command_ids.h"
#include "base/sjis_codec.h"
#include "document/qt/lyric_list_widget.h"
#include "main_window_rig.h"
#include "text/qt/paste_window.h"
#include "text/tag_info_file.h"

using namespace obrin;

namespace {

struct Fixture : test::MainWindowRig<> {
    Document& document = editor.document();

    QAction* undoItem() const { return window.action(command::kUndo); }
    QAction* redoItem() const { return window.action(command::kRedo); }

    void showActive() {
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }
    void press(QWidget* target, Qt::Key key, Qt::KeyboardModifiers modifiers) {
        target->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), target);
        QTest::keyClick(target, key, modifiers);
    }
};

std::string StateOf(const Document& document) {
    std::ostringstream out;
    for (const LyricLine& line : document.lyrics.lines())
        out << line.lyricText << '|' << line.timeText << '|' << line.checked() << '\n';
    out << document.title() << '|' << document.artist() << '|' << document.headerLines().size()
        << '|' << document.infoLines().size() << '|' << document.loadedFromFile() << '\n';
    return out.str();
}

}  // namespace

class UndoGuiTest : public QObject {
    Q_OBJECT
  private slots:
    void editMenuNamesTheStep();
    void keysUndoAndRedoOutsideTextFields();
    void textFieldsKeepTheirOwnUndoKeys();
    void typingIntoAFieldIsOneStep();
    void editingALineIsOneStep();
    void lyricsCommands_data();
    void lyricsCommands();
    void undoKeyIsNeverAnAssignedKey();
};

void UndoGuiTest::editMenuNamesTheStep() {
    Fixture f;
    QCOMPARE(f.undoItem()->text(), QStringLiteral("元に戻す(&U)"));
    QCOMPARE(f.redoItem()->text(), QStringLiteral("やり直し(&R)"));
    QVERIFY(!f.undoItem()->isEnabled());
    QVERIFY(!f.redoItem()->isEnabled());
    QCOMPARE(f.undoItem()->shortcuts(),
             QList<QKeySequence>{QKeySequence(QStringLiteral("Ctrl+Z"))});
    QCOMPARE(f.redoItem()->shortcuts(),
             (QList<QKeySequence>{QKeySequence(QStringLiteral("Ctrl+Y")),
                                  QKeySequence(QStringLiteral("Ctrl+Shift+Z"))}));

    // The items follow the history at once, not only when the menu opens.
    f.window.action(command::kAppendLine)->trigger();
    QVERIFY(f.undoItem()->isEnabled());
    QCOMPARE(f.undoItem()->text(), QStringLiteral("元に戻す: 最終行へ追加(&U)"));
    f.undoItem()->trigger();
    QCOMPARE(f.document.lyrics.count(), 0);
    QVERIFY(!f.undoItem()->isEnabled());
    QCOMPARE(f.undoItem()->text(), QStringLiteral("元に戻す(&U)"));
    QCOMPARE(f.redoItem()->text(), QStringLiteral("やり直し: 最終行へ追加(&R)"));
    f.redoItem()->trigger();
    QCOMPARE(f.document.lyrics.count(), 1);
    QVERIFY(!f.redoItem()->isEnabled());
}

void UndoGuiTest::keysUndoAndRedoOutsideTextFields() {
    Fixture f;
    f.showActive();
    f.document.lyrics.assign({"a", "b"});
    f.document.lyrics.select(0);
    f.window.action(command::kDeleteLines)->trigger();
    QCOMPARE(f.document.lyrics.count(), 1);

    f.press(f.window.lyricList(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(f.document.lyrics.count(), 2);
    f.press(f.window.lyricList(), Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(f.document.lyrics.count(), 1);
    auto* mark = f.window.findChild<QWidget*>(QStringLiteral("Button2"));
    f.press(mark, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(f.document.lyrics.count(), 2);
    f.press(mark, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(f.document.lyrics.count(), 1);
}

void UndoGuiTest::textFieldsKeepTheirOwnUndoKeys() {
    Fixture f;
    f.showActive();
    f.window.action(command::kAppendLine)->trigger();
    f.window.action(command::kAppendLine)->trigger();
    f.undoItem()->trigger();  // one step to undo, one to redo
    for (QWidget* field : {static_cast<QWidget*>(f.window.titleField()),
                           static_cast<QWidget*>(f.window.infoPane())}) {
        for (const Qt::KeyboardModifiers modifiers :
             {Qt::KeyboardModifiers(Qt::ControlModifier),
              Qt::KeyboardModifiers(Qt::ControlModifier | Qt::ShiftModifier)}) {
            f.press(field, Qt::Key_Z, modifiers);
            f.press(field, Qt::Key_Y, Qt::ControlModifier);
            QCOMPARE(f.document.lyrics.count(), 1);
            QVERIFY(f.document.history.canUndo());
            QVERIFY(f.document.history.canRedo());
        }
    }
}

void UndoGuiTest::typingIntoAFieldIsOneStep() {
    Fixture f;
    f.showActive();
    QLineEdit* title = f.window.titleField();
    title->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), title);
    QTest::keyClicks(title, QStringLiteral("abc"));
    f.window.lyricList()->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), f.window.lyricList());
    title->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), title);
    QTest::keyClicks(title, QStringLiteral("de"));
    f.press(f.window.lyricList(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(f.document.title(), std::string("abc"));
    QCOMPARE(title->text(), QStringLiteral("abc"));
    QCOMPARE(f.undoItem()->text(), QStringLiteral("元に戻す: 曲名の入力(&U)"));
    f.undoItem()->trigger();
    QCOMPARE(title->text(), QString());
    QVERIFY(!f.document.history.canUndo());
}

void UndoGuiTest::editingALineIsOneStep() {
    Fixture f;
    f.document.lyrics.assign({"old"});
    QAbstractItemModel* model = f.window.lyricList()->model();
    QVERIFY(
        model->setData(model->index(0, LyricListModel::kLyricColumn), QStringLiteral("新しい")));
    QCOMPARE(f.undoItem()->text(), QStringLiteral("元に戻す: 行を編集(&U)"));
    f.undoItem()->trigger();
    QCOMPARE(f.document.lyrics.line(0).lyricText, std::string("old"));
    QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("old"));
}

void UndoGuiTest::lyricsCommands_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("caption");
    QTest::newRow("paste") << "N3"
                           << "自動展開して貼り付け";
    QTest::newRow("edit and paste") << "P4"
                                    << "編集して貼り付け";
    QTest::newRow("read") << "N7"
                          << "歌詞ファイルの読み込み";
    QTest::newRow("combine") << "mnuCombineObrin"
                             << "タグ情報とプレーン歌詞を合成";
}

void UndoGuiTest::lyricsCommands() {
    QFETCH(QString, item);
    QFETCH(QString, caption);
    Fixture f;
    // The times of "x" and "y", kept apart from the words.
    {
        Document timed;
        timed.lyrics.assign({"x", "y"});
        timed.lyrics.setTimeText(0, "00:01:00");
        timed.lyrics.setTimeText(1, "00:02:00");
        timed.setInfoLines({"@obt"});
        QVERIFY(!SaveTagInfoFile(f.path("song.obt"), timed, {}));
    }
    std::ofstream(f.path("in.lrc"), std::ios::binary) << "@Title=T\r\n[00:01:00]r\r\n@Note=n\r\n";
    f.document.lyrics.assign({"x", "y"});
    f.document.lyrics.setChecked(1, true);
    f.document.setHeaderLines({"head"});
    f.document.setInfoLines({"@info"});
    const std::string before = StateOf(f.document);
    f.editor.changes().markSaved();  // no question about unsaved lines first

    f.clipboard.text = "p\r\nq\r\n";
    f.dialogs.fileAnswers = {item == "N7" ? f.path("in.lrc") : f.path("song.obt")};
    if (item == "P4") {
        QTimer::singleShot(0, [] {
            auto* form = qobject_cast<PasteWindow*>(QApplication::activeModalWidget());
            QVERIFY(form);
            form->editPane()->setPlainText(QStringLiteral("e1\ne2\n"));
            form->close();
        });
    }
    f.window.findChild<QAction*>(item)->trigger();
    const std::string after = StateOf(f.document);
    QVERIFY(after != before);
    QCOMPARE(f.undoItem()->text(), QStringLiteral("元に戻す: ") + caption + QStringLiteral("(&U)"));

    f.undoItem()->trigger();
    QCOMPARE(StateOf(f.document), before);
    QCOMPARE(f.window.infoPane()->toPlainText(), QStringLiteral("@info\n"));
    f.redoItem()->trigger();
    QCOMPARE(StateOf(f.document), after);
    QVERIFY(!f.document.history.canRedo());
    QVERIFY(f.document.history.canUndo());
    f.undoItem()->trigger();
    QVERIFY(!f.document.history.canUndo());  // the whole command was one step
}

void UndoGuiTest::undoKeyIsNeverAnAssignedKey() {
    Fixture f;
    f.showActive();
    f.editor.settings().keyMark = 'Z';
    f.document.lyrics.assign({"a"});
    f.document.lyrics.select(0);
    auto* mark = f.window.findChild<QWidget*>(QStringLiteral("Button2"));
    // Nothing to undo: the key does nothing, and is no Mark either (which,
    // without a song, would say so).
    f.press(mark, Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(f.dialogs.errors().empty());
    f.press(mark, Qt::Key_Z, Qt::NoModifier);
    QCOMPARE(f.dialogs.errors().size(), 1u);  // the plain key still marks
}

QTEST_MAIN(UndoGuiTest)
#include "undo_gui_test.moc"
