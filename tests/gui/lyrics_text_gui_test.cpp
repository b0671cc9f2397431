// The lyrics text in the main window and the paste window, offscreen.
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>
#include <fstream>
#include <functional>
#include <iterator>

#include "base/command_ids.h"
#include "base/sjis_codec.h"
#include "main_window_rig.h"
#include "text/clipboard_paste.h"
#include "text/completed_text_tab.h"
#include "text/lyrics_file_open.h"
#include "text/qt/paste_window.h"
#include "text/text_messages.h"

using namespace obrin;

namespace {

struct Fixture : test::MainWindowRig<> {
    std::string read(const char* name) const {
        std::ifstream in(path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    QString shownText() const { return window.completedText()->toPlainText(); }
    void showTab(int index) { window.pages()->setCurrentIndex(index); }
};

// Runs `action` on the paste window once it is up, then the window must close.
void WhenPasteFormShows(const std::function<void(PasteWindow&)>& action) {
    QTimer::singleShot(0, [action] {
        auto* form = qobject_cast<PasteWindow*>(QApplication::activeModalWidget());
        QVERIFY(form);
        action(*form);
        if (form->isVisible()) form->close();
    });
}

}  // namespace

class LyricsTextGuiTest : public QObject {
    Q_OBJECT
  private slots:
    void pasteWindowHasNoCancel_data();
    void pasteWindowHasNoCancel();
    void pasteWindowUntouchedEmptiesTheList();
    void pasteWindowExpansionEmptiesInfoLines();
    void pasteWindowHorizontalResizeHalvesTheSource();
    void manualEditSurvivesSaveFromCompletedTab();
    void typedTextIsKeptOnlyByTheUsersWord();
    void saveFromListTabRebuildsAndShowsTheText();
    void saveWithEmptyListDoesNothing();
    void ctrlURebuildsOnlyOnCompletedTab();
    void unreadableClipboardShowsError();
    void openingUnreadableLyricsShowsError();
    void openedLyricsFillFields();
    void plainLyricsFileIsOfferedForThePaste();
    void typedFieldsGoIntoTheDocumentAtOnce();
    void inputBoxes_data();
    void inputBoxes();
};

void LyricsTextGuiTest::pasteWindowHasNoCancel_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("Exit1") << "Exit1";
    QTest::newRow("Escape") << "Escape";
    QTest::newRow("frame") << "frame";
}

void LyricsTextGuiTest::pasteWindowHasNoCancel() {
    QFETCH(QString, how);
    Fixture f;
    f.editor.document().setHeaderLines({"head"});
    f.editor.document().setLoadedFromFile(true);
    WhenPasteFormShows([how](PasteWindow& form) {
        form.editPane()->setPlainText(QStringLiteral(" 夜明け \n\n※くり返し\n"));
        if (how == "Exit1") {
            form.findChild<QAction*>(QStringLiteral("Exit1"))->trigger();
        } else if (how == "Escape") {
            QTest::keyClick(&form, Qt::Key_Escape);
        } else {
            form.close();
        }
    });
    f.item("P4")->trigger();

    const Document& document = f.editor.document();
    QCOMPARE(document.lyrics.count(), 3);
    QCOMPARE(document.lyrics.line(0).lyricText, Utf8ToSjis(" 夜明け "));  // verbatim
    QCOMPARE(document.lyrics.line(2).lyricText, Utf8ToSjis("※くり返し"));
    QVERIFY(document.headerLines().empty());
    QVERIFY(!document.loadedFromFile());
}

void LyricsTextGuiTest::pasteWindowUntouchedEmptiesTheList() {
    Fixture f;
    f.editor.document().lyrics.assign({"a", "b"});
    WhenPasteFormShows([](PasteWindow&) {});
    f.item("P4")->trigger();
    QCOMPARE(f.editor.document().lyrics.count(), 0);
}

void LyricsTextGuiTest::pasteWindowExpansionEmptiesInfoLines() {
    Fixture f;
    f.window.infoPane()->setPlainText(QStringLiteral("@info"));
    f.clipboard.text = Utf8ToSjis("※サビ\r\n※\r\n");
    WhenPasteFormShows([](PasteWindow& form) {
        form.findChild<QAction*>(QStringLiteral("A1"))->trigger();
        QCOMPARE(form.sourcePane()->toPlainText(), QStringLiteral("※サビ\n※\n"));
        QCOMPARE(form.editPane()->toPlainText(), QStringLiteral("サビ\n\n"));
    });
    f.item("P4")->trigger();
    QCOMPARE(f.editor.document().lyrics.count(), 2);
    QVERIFY(f.editor.document().infoLines().empty());
    QCOMPARE(f.window.infoPane()->toPlainText(), QString());
}

void LyricsTextGuiTest::pasteWindowHorizontalResizeHalvesTheSource() {
    Fixture f;
    PasteWindow form(
        f.editor.document(), f.clipboard, f.dialogs, [] { return ExpansionOptions{}; },
        f.editor.settings().textEncoding);
    form.applyLayout({.vertical = false, .width = 600, .height = 400, .sourceSize = 100});
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.resize(500, 400);
    QTRY_COMPARE(form.width(), 500);
    QVERIFY(qAbs(form.sourcePane()->width() - 250) <= 8);
    QCOMPARE(form.layout({}).vertical, false);
    form.findChild<QAction*>(QStringLiteral("T1"))->trigger();
    QVERIFY(form.isVertical());
    QVERIFY(form.sourcePane()->geometry().bottom() < form.editPane()->geometry().top());
}

void LyricsTextGuiTest::manualEditSurvivesSaveFromCompletedTab() {
    Fixture f;
    f.editor.document().lyrics.assign({"x"});
    f.showTab(1);
    QCOMPARE(f.shownText(), QStringLiteral("[00:00:00]x\n\n@TimeRatio=1\n"));
    f.window.completedText()->setPlainText(QStringLiteral("手で直した\n@TimeRatio=1\n"));
    f.dialogs.fileAnswers.push_back(f.path("a.txt"));
    f.item("P1")->trigger();
    QCOMPARE(f.read("a.txt"), Utf8ToSjis("手で直した\r\n@TimeRatio=1\r\n"));
    QCOMPARE(f.dialogs.calls.at(0).request.defaultExt, std::string("txt"));
}

// Typed text is never dropped silently: leaving the tab asks, and so does a
// change of the list while the typing is kept (here a mark, once it has been
// made); the answers keep it, and a save from the list writes it.
void LyricsTextGuiTest::typedTextIsKeptOnlyByTheUsersWord() {
    Fixture f;
    f.editor.document().lyrics.assign({"x"});
    f.showTab(1);
    f.window.completedText()->setPlainText(QStringLiteral("typed line\n"));
    f.dialogs.chooseAnswers = {1, 1};  // 「編集した文章」 both times
    f.showTab(0);
    QCOMPARE(f.dialogs.chooseQuestions(), std::vector<std::string>{kKeepTypedQuestion});
    f.editor.document().lyrics.setTimeText(0, "00:01:00");
    QTRY_COMPARE(f.dialogs.chooseQuestions().size(), std::size_t{2});
    QCOMPARE(f.dialogs.chooseQuestions().back(), std::string(kListChangedQuestion));
    f.dialogs.fileAnswers.push_back(f.path("a.txt"));
    f.item("P1")->trigger();
    QCOMPARE(f.read("a.txt"), std::string("typed line\r\n"));
    QCOMPARE(f.dialogs.chooseQuestions().size(), std::size_t{2});

    // 「リストから作り直す」 on leaving: the tab shows the list's text again.
    f.window.completedText()->setPlainText(QStringLiteral("other\n"));
    f.dialogs.chooseAnswers = {0};
    f.showTab(0);
    f.showTab(1);
    QCOMPARE(f.shownText(), QStringLiteral("[00:01:00]x\n\n@TimeRatio=1\n"));
}

void LyricsTextGuiTest::saveFromListTabRebuildsAndShowsTheText() {
    Fixture f;
    f.editor.document().lyrics.assign({"x"});
    f.window.titleField()->setText(QStringLiteral("曲"));
    f.dialogs.fileAnswers.push_back(f.path("b.txt"));
    f.item("P1")->trigger();
    QCOMPARE(f.window.pages()->currentIndex(), 1);
    QCOMPARE(f.read("b.txt"), Utf8ToSjis("@Title=曲\r\n[00:00:00]x\r\n\r\n@TimeRatio=1\r\n"));
    // The dialog remembers the name it had.
    f.dialogs.fileAnswers.push_back(std::nullopt);
    f.item("P1")->trigger();
    QCOMPARE(f.dialogs.calls.back().request.initialPath, f.path("b.txt"));
}

void LyricsTextGuiTest::saveWithEmptyListDoesNothing() {
    Fixture f;
    f.item("P1")->trigger();
    QVERIFY(f.dialogs.calls.empty());
    QCOMPARE(f.window.pages()->currentIndex(), 0);
}

void LyricsTextGuiTest::ctrlURebuildsOnlyOnCompletedTab() {
    Fixture f;
    f.editor.document().lyrics.assign({"x"});
    QAction* update = f.window.action(command::kRefreshCompletedText);
    QVERIFY(f.window.completedText()->actions().contains(update));
    QCOMPARE(update->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_U));
    update->trigger();
    QCOMPARE(f.shownText(), QString());
    f.showTab(1);
    f.editor.document().lyrics.assign({"y"});
    update->trigger();
    QCOMPARE(f.shownText(), QStringLiteral("[00:00:00]y\n\n@TimeRatio=1\n"));
}

void LyricsTextGuiTest::unreadableClipboardShowsError() {
    Fixture f;
    f.editor.document().lyrics.assign({"kept"});
    f.clipboard.text = std::nullopt;
    f.item("N3")->trigger();
    QCOMPARE(f.dialogs.errors(), std::vector<std::string>{kClipboardInvalidMessage});
    QCOMPARE(f.editor.document().lyrics.count(), 1);
}

void LyricsTextGuiTest::openingUnreadableLyricsShowsError() {
    Fixture f;
    f.editor.document().lyrics.assign({"kept"});
    f.editor.changes().markSaved();  // nothing to ask about
    f.dialogs.fileAnswers.push_back(f.path("missing.txt"));
    f.item("N7")->trigger();
    QCOMPARE(f.dialogs.errors(), std::vector<std::string>{kLyricsOpenFailedMessage});
    QCOMPARE(f.editor.document().lyrics.count(), 1);
    QVERIFY(f.editor.document().loadedFromFile());
}

void LyricsTextGuiTest::openedLyricsFillFields() {
    Fixture f;
    {
        std::ofstream(f.path("in.lrc"), std::ios::binary)
            << Utf8ToSjis("@Title=夜明け\r\n[00:01:00]歌\r\n@Note=x\r\n");
    }
    f.window.artistField()->setText(QStringLiteral("typed"));
    f.dialogs.fileAnswers.push_back(f.path("in.lrc"));
    f.dialogs.chooseAnswers.push_back(1);  // the typed artist is not saved first
    f.item("N7")->trigger();
    QCOMPARE(f.window.titleField()->text(), QStringLiteral("夜明け"));
    QCOMPARE(f.window.artistField()->text(), QStringLiteral("typed"));
    QCOMPARE(f.window.infoPane()->toPlainText(), QStringLiteral("@Note=x\n"));
    QCOMPARE(f.editor.document().lyrics.line(0).timeText, std::string("00:01:00"));
}

void LyricsTextGuiTest::plainLyricsFileIsOfferedForThePaste() {
    Fixture f;
    { std::ofstream(f.path("plain.txt"), std::ios::binary) << Utf8ToSjis("ひかる\r\nうたう\r\n"); }
    f.dialogs.fileAnswers.push_back(f.path("plain.txt"));
    f.dialogs.confirmAnswers.push_back(true);
    f.item("N7")->trigger();
    QCOMPARE(f.dialogs.questions(), std::vector<std::string>{kUntimedLyricsQuestion});
    QVERIFY(f.dialogs.informations().empty());
    QCOMPARE(f.editor.document().lyrics.count(), 3);
    QCOMPARE(f.editor.document().lyrics.line(1).lyricText, Utf8ToSjis("うたう"));
    QVERIFY(!f.editor.document().loadedFromFile());
    QVERIFY(f.editor.changes().modified());
}

void LyricsTextGuiTest::typedFieldsGoIntoTheDocumentAtOnce() {
    Fixture f;
    // Typed, as the input method hands over its text.
    f.window.titleField()->insert(QStringLiteral("夜"));
    f.window.artistField()->insert(QStringLiteral("歌手"));
    f.window.infoPane()->insertPlainText(QStringLiteral("@A=1\n@B"));
    const Document& document = f.editor.document();
    QCOMPARE(document.title(), Utf8ToSjis("夜"));
    QCOMPARE(document.artist(), Utf8ToSjis("歌手"));
    QCOMPARE(document.infoLines(), (std::vector<std::string>{"@A=1", "@B"}));

    // A character Shift-JIS lacks is refused where it is typed.
    f.window.titleField()->insert(QStringLiteral("\U0001F600"));
    f.window.infoPane()->insertPlainText(QStringLiteral("\U0001F600"));
    QTRY_COMPARE(f.dialogs.errors().size(), 2u);
    QCOMPARE(f.window.titleField()->text(), QStringLiteral("夜"));
    QCOMPARE(f.window.infoPane()->toPlainText(), QStringLiteral("@A=1\n@B\n"));
    QCOMPARE(document.title(), Utf8ToSjis("夜"));

    // What the document gets from elsewhere shows in the fields, and bytes
    // that show only as replacement characters stay as they were.
    f.editor.document().setTitle("a\x81");
    QCOMPARE(f.window.titleField()->text(), QStringLiteral("a\uFFFD"));
    QCOMPARE(document.title(), std::string("a\x81"));
    f.editor.document().setInfoLines({"@C"});
    QCOMPARE(f.window.infoPane()->toPlainText(), QStringLiteral("@C\n"));
}

void LyricsTextGuiTest::inputBoxes_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("prompt");
    QTest::newRow("Edit2") << "Edit2"
                           << "作成者情報"
                           << "";
    QTest::newRow("Edit3") << "Edit3"
                           << "歌詞入手元"
                           << "歌詞入手元";
}

void LyricsTextGuiTest::inputBoxes() {
    QFETCH(QString, item);
    QFETCH(QString, caption);
    QFETCH(QString, prompt);
    Fixture f;
    std::string& value =
        item == "Edit2" ? f.editor.settings().author : f.editor.settings().plainLyricsSource;
    value = Utf8ToSjis("前");
    const QByteArray name = item.toLatin1();
    f.dialogs.inputAnswers = {std::string("新しい名前"), std::nullopt, std::string()};
    f.item(name.constData())->trigger();
    QCOMPARE(f.dialogs.calls.at(0).text, caption.toStdString());
    QCOMPARE(f.dialogs.calls.at(0).prompt, prompt.toStdString());
    QCOMPARE(f.dialogs.calls.at(0).initial, std::string("前"));
    QCOMPARE(value, Utf8ToSjis("新しい名前"));
    f.item(name.constData())->trigger();  // Cancel keeps the name
    QCOMPARE(value, Utf8ToSjis("新しい名前"));
    f.item(name.constData())->trigger();  // OK with nothing stores nothing
    QCOMPARE(value, std::string());
}

QTEST_MAIN(LyricsTextGuiTest)
#include "lyrics_text_gui_test.moc"
