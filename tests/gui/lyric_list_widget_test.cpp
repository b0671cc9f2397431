#include "document/qt/lyric_list_widget.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QPixmap>
#include <QPointer>
#include <QtTest>

#include "base/sjis_codec.h"
#include "recording_dialogs.h"

using namespace obrin;

namespace {

// The list with lines "a0".."aN" and its widget, shown.
struct Fixture {
    Document document;
    LyricList& lyrics = document.lyrics;
    test::RecordingDialogs dialogs;
    LyricListWidget widget{document, dialogs};

    explicit Fixture(int lines = 5) {
        std::vector<std::string> texts;
        for (int i = 0; i < lines; ++i) texts.push_back("a" + std::to_string(i));
        lyrics.assign(texts);
        widget.resize(400, 300);
        widget.show();
    }
    bool viewSelected(int row) const { return widget.selectionModel()->isRowSelected(row, {}); }
    std::vector<int> viewSelection() const {
        std::vector<int> rows;
        for (int row = 0; row < lyrics.count(); ++row) {
            if (viewSelected(row)) rows.push_back(row);
        }
        return rows;
    }
    void click(int row, Qt::KeyboardModifiers modifiers = {}) {
        const QRect cell = widget.visualRect(widget.model()->index(row, 1));
        QTest::mouseClick(widget.viewport(), Qt::LeftButton, modifiers, cell.center());
    }
};

using Rows = std::vector<int>;

}  // namespace

Q_DECLARE_METATYPE(Rows)

class LyricListWidgetTest : public QObject {
    Q_OBJECT
  private slots:
    void showsColumnsAsDesigned();
    void showsShiftJisAsText();
    void tickIsTheOnlyStateImage();
    void clicksSelectWholeRowsIntoTheDocument_data();
    void clicksSelectWholeRowsIntoTheDocument();
    void documentSelectionShowsInTheView();
    void selectionFollowsInsertedAndRemovedLines();
    void replacingTheListShowsItsSelection();
    void selectionStaysVisibleWithoutFocus();
    void editingStoresShiftJis_data();
    void editingStoresShiftJis();
    void editingRefusesCharactersWithoutShiftJisForm();
    void beginEditOpensTheLyricEditor();
    void timeIsNotEditable();
    void makeVisibleScrollsOnlyWhenHidden();
    void slowSecondClickEditsWithTheCaretAtTheEnd();
    void escapeCancelsTheEdit();
    void timeColumnFitsTheFont();
    void lyricsColumnFollowsTheListsWidth();
};

void LyricListWidgetTest::showsColumnsAsDesigned() {
    Fixture f;
    QCOMPARE(f.widget.objectName(), QStringLiteral("List"));
    QCOMPARE(f.widget.model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("歌詞"));
    QCOMPARE(f.widget.model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("時間"));
    QCOMPARE(f.widget.columnWidth(1), f.widget.fittedTimeColumnWidth());
    QVERIFY(f.widget.columnWidth(1) >= 60);
    QVERIFY(!f.widget.horizontalHeader()->sectionsClickable());
    QCOMPARE(f.widget.selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(f.widget.selectionMode(), QAbstractItemView::ExtendedSelection);
    QCOMPARE(f.widget.font().pixelSize(), 12);
    f.widget.setGridLinesVisible(false);
    QVERIFY(!f.widget.showGrid());
    f.widget.setGridLinesVisible(true);
    QVERIFY(f.widget.showGrid());
}

void LyricListWidgetTest::showsShiftJisAsText() {
    Fixture f(1);
    f.lyrics.setLyricText(0, "\x82\xb1\x82\xf1\x82\xc9\x82\xbf\x82\xcd");  // こんにちは
    f.lyrics.setTimeText(0, "01:23:45");
    QCOMPARE(f.widget.model()->index(0, 0).data().toString(), QStringLiteral("こんにちは"));
    QCOMPARE(f.widget.model()->index(0, 1).data().toString(), QStringLiteral("01:23:45"));
    // Bytes that are not Shift-JIS still show, as replacement characters.
    f.lyrics.setLyricText(0, "a\x81");
    QCOMPARE(f.widget.model()->index(0, 0).data().toString(), QStringLiteral("a\uFFFD"));
}

void LyricListWidgetTest::tickIsTheOnlyStateImage() {
    Fixture f(2);
    f.lyrics.setChecked(0, true);
    const auto image = [&](int row) {
        return f.widget.model()->index(row, 0).data(Qt::DecorationRole).value<QPixmap>();
    };
    QCOMPARE(image(0).size(), QSize(16, 16));
    QCOMPARE(image(1).size(), QSize(16, 16));  // same room, so texts line up
    QVERIFY(image(0).toImage() != image(1).toImage());
    QVERIFY(!f.widget.model()->index(0, 1).data(Qt::DecorationRole).isValid());
    f.lyrics.setStateIndex(0, 3);  // anything but 0 is not checked
    QCOMPARE(image(0).toImage(), image(1).toImage());
}

void LyricListWidgetTest::clicksSelectWholeRowsIntoTheDocument_data() {
    QTest::addColumn<Rows>("clicks");
    QTest::addColumn<QList<int>>("modifiers");
    QTest::addColumn<Rows>("selected");
    const int none = Qt::NoModifier, ctrl = Qt::ControlModifier, shift = Qt::ShiftModifier;
    QTest::newRow("single") << Rows{2} << QList<int>{none} << Rows{2};
    QTest::newRow("plain click replaces") << Rows{1, 3} << QList<int>{none, none} << Rows{3};
    QTest::newRow("ctrl adds") << Rows{1, 3} << QList<int>{none, ctrl} << Rows{1, 3};
    QTest::newRow("ctrl toggles off") << Rows{1, 3, 1} << QList<int>{none, ctrl, ctrl} << Rows{3};
    QTest::newRow("shift range") << Rows{1, 3} << QList<int>{none, shift} << Rows{1, 2, 3};
}

void LyricListWidgetTest::clicksSelectWholeRowsIntoTheDocument() {
    QFETCH(Rows, clicks);
    QFETCH(QList<int>, modifiers);
    QFETCH(Rows, selected);
    Fixture f;
    for (size_t i = 0; i < clicks.size(); ++i) {
        f.click(clicks[i], Qt::KeyboardModifiers(modifiers[i]));
    }
    QCOMPARE(f.lyrics.selectedLines(), selected);
    QCOMPARE(f.viewSelection(), selected);
    QCOMPARE(f.lyrics.currentLine(), selected.front());
    // Whole rows: the time cell is selected with the lyric.
    QVERIFY(f.widget.selectionModel()->isSelected(f.widget.model()->index(selected.front(), 0)));
    QVERIFY(f.widget.selectionModel()->isSelected(f.widget.model()->index(selected.front(), 1)));
}

void LyricListWidgetTest::documentSelectionShowsInTheView() {
    Fixture f;
    f.lyrics.select(1);
    f.lyrics.select(4);
    QCOMPARE(f.viewSelection(), (Rows{1, 4}));
    f.lyrics.deselect(1);
    QCOMPARE(f.viewSelection(), (Rows{4}));
    f.lyrics.selectAll();
    QCOMPARE(f.viewSelection(), (Rows{0, 1, 2, 3, 4}));
    f.lyrics.clearSelection();
    QCOMPARE(f.viewSelection(), Rows{});
    QCOMPARE(f.lyrics.selectedLines(), Rows{});
}

void LyricListWidgetTest::selectionFollowsInsertedAndRemovedLines() {
    Fixture f;
    f.lyrics.select(1);
    f.lyrics.select(3);
    f.lyrics.insert(0);
    QCOMPARE(f.lyrics.selectedLines(), (Rows{2, 4}));
    QCOMPARE(f.viewSelection(), (Rows{2, 4}));
    f.lyrics.remove(2);
    QCOMPARE(f.lyrics.selectedLines(), (Rows{3}));
    QCOMPARE(f.viewSelection(), (Rows{3}));
    QCOMPARE(f.widget.model()->rowCount(), 5);
    QCOMPARE(f.widget.model()->index(0, 0).data().toString(), QString());
    QCOMPARE(f.widget.model()->index(0, 1).data().toString(), QStringLiteral("00:00:00"));
}

void LyricListWidgetTest::replacingTheListShowsItsSelection() {
    Fixture f;
    f.click(2);
    f.lyrics.assign({"x", "y"});
    QCOMPARE(f.widget.model()->rowCount(), 2);
    QCOMPARE(f.viewSelection(), Rows{});
    QCOMPARE(f.lyrics.selectedLines(), Rows{});
    f.lyrics.clear();
    QCOMPARE(f.widget.model()->rowCount(), 0);
    QCOMPARE(f.lyrics.topVisibleLine(), LyricList::kNone);
}

void LyricListWidgetTest::selectionStaysVisibleWithoutFocus() {
    Fixture f;
    const QPalette& palette = f.widget.palette();
    QCOMPARE(palette.color(QPalette::Inactive, QPalette::Highlight),
             palette.color(QPalette::Active, QPalette::Highlight));
    QCOMPARE(palette.color(QPalette::Inactive, QPalette::HighlightedText),
             palette.color(QPalette::Active, QPalette::HighlightedText));
}

void LyricListWidgetTest::editingStoresShiftJis_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("stored");
    QTest::newRow("ascii") << QStringLiteral("abc") << QByteArray("abc");
    QTest::newRow("kana") << QStringLiteral("こんにちは")
                          << QByteArray("\x82\xb1\x82\xf1\x82\xc9\x82\xbf\x82\xcd");
    QTest::newRow("wave dash") << QStringLiteral("～") << QByteArray("\x81\x60");
    QTest::newRow("circled one") << QStringLiteral("①") << QByteArray("\x87\x40");
    QTest::newRow("empty") << QString() << QByteArray();
    // A pasted line break would split the line in every file written later.
    QTest::newRow("line break") << QStringLiteral("a\nb") << QByteArray("a b");
}

void LyricListWidgetTest::editingStoresShiftJis() {
    QFETCH(QString, typed);
    QFETCH(QByteArray, stored);
    Fixture f(1);
    QVERIFY(f.widget.model()->setData(f.widget.model()->index(0, 0), typed));
    QCOMPARE(QByteArray::fromStdString(f.lyrics.line(0).lyricText), stored);
    QVERIFY(f.dialogs.calls.empty());
}

void LyricListWidgetTest::editingRefusesCharactersWithoutShiftJisForm() {
    Fixture f(1);
    f.lyrics.setLyricText(0, "old");
    QVERIFY(!f.widget.model()->setData(f.widget.model()->index(0, 0), QStringLiteral("a😀b")));
    QCOMPARE(f.lyrics.line(0).lyricText, std::string("old"));
    QTRY_COMPARE(f.dialogs.errors().size(), size_t{1});
    QVERIFY(!f.dialogs.errors().front().empty());
}

void LyricListWidgetTest::beginEditOpensTheLyricEditor() {
    Fixture f(3);
    f.widget.activateWindow();
    f.lyrics.beginEdit(1);
    auto* editor = f.widget.viewport()->findChild<QLineEdit*>();
    QVERIFY(editor);
    QCOMPARE(editor->text(), QStringLiteral("a1"));
    editor->setText(QStringLiteral("かな"));  // keyClicks takes Latin-1 only
    QTest::keyClick(editor, Qt::Key_Return);
    // The delegate commits on the next turn of the event loop.
    QTRY_COMPARE(QByteArray::fromStdString(f.lyrics.line(1).lyricText),
                 QByteArray("\x82\xa9\x82\xc8"));
    QCOMPARE(f.lyrics.line(1).timeText, std::string("00:00:00"));
}

void LyricListWidgetTest::timeIsNotEditable() {
    Fixture f(1);
    QVERIFY(!(f.widget.model()->flags(f.widget.model()->index(0, 1)) & Qt::ItemIsEditable));
    QVERIFY(!f.widget.model()->setData(f.widget.model()->index(0, 1), QStringLiteral("01:00:00")));
    QCOMPARE(f.lyrics.line(0).timeText, std::string("00:00:00"));
}

void LyricListWidgetTest::makeVisibleScrollsOnlyWhenHidden() {
    Fixture f(200);
    QCOMPARE(f.lyrics.topVisibleLine(), 0);
    f.lyrics.makeVisible(3);
    QCOMPARE(f.lyrics.topVisibleLine(), 0);
    f.lyrics.makeVisible(150);
    const int top = f.lyrics.topVisibleLine();
    QVERIFY(top > 0 && top <= 150);
    QVERIFY(f.widget.visualRect(f.widget.model()->index(150, 0))
                .intersects(f.widget.viewport()->rect()));
}

// A user clicks a lyric, then, a moment later, clicks it again: the editor
// opens with nothing selected, so the next key adds to the lyric.
void LyricListWidgetTest::slowSecondClickEditsWithTheCaretAtTheEnd() {
    Fixture f(3);
    f.widget.activateWindow();
    const QPoint lyric = f.widget.visualRect(f.widget.model()->index(1, 0)).center();
    QTest::mouseClick(f.widget.viewport(), Qt::LeftButton, {}, lyric);
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    QTest::mouseClick(f.widget.viewport(), Qt::LeftButton, {}, lyric);
    QLineEdit* editor = nullptr;
    QTRY_VERIFY((editor = f.widget.viewport()->findChild<QLineEdit*>()) != nullptr);
    QCOMPARE(editor->text(), QStringLiteral("a1"));
    QVERIFY(!editor->hasSelectedText());
    QCOMPARE(editor->cursorPosition(), 2);
    QTest::keyClick(editor, Qt::Key_X);
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(f.lyrics.line(1).lyricText, std::string("a1x"));
}

void LyricListWidgetTest::escapeCancelsTheEdit() {
    Fixture f(3);
    f.widget.activateWindow();
    f.lyrics.beginEdit(2);
    QPointer<QLineEdit> editor = f.widget.viewport()->findChild<QLineEdit*>();
    QVERIFY(editor);
    QVERIFY(!editor->hasSelectedText());
    QTest::keyClicks(editor, "zz");
    QCOMPARE(editor->text(), QStringLiteral("a2zz"));
    QTest::keyClick(editor, Qt::Key_Escape);
    QTRY_VERIFY(editor.isNull());
    QCOMPARE(f.lyrics.line(2).lyricText, std::string("a2"));
}

void LyricListWidgetTest::timeColumnFitsTheFont() {
    Fixture f(1);
    QFont large = f.widget.font();
    large.setPixelSize(40);
    f.widget.setFont(large);
    const int times = f.widget.fontMetrics().horizontalAdvance(QStringLiteral("00:00:00"));
    QVERIFY2(f.widget.columnWidth(1) > times, qPrintable(QString::number(f.widget.columnWidth(1))));
    QVERIFY(f.widget.rowHeight(0) >= f.widget.fontMetrics().height());

    // Widths kept from the last run, but never too narrow for the times.
    f.widget.restoreColumnWidths(333, 10);
    QCOMPARE(f.widget.columnWidth(0), 333);
    QCOMPARE(f.widget.columnWidth(1), f.widget.fittedTimeColumnWidth());
    f.widget.restoreColumnWidths(0, f.widget.fittedTimeColumnWidth() + 40);
    QCOMPARE(f.widget.columnWidth(0), 333);
    QCOMPARE(f.widget.columnWidth(1), f.widget.fittedTimeColumnWidth() + 40);
}

void LyricListWidgetTest::lyricsColumnFollowsTheListsWidth() {
    Fixture f;
    const auto fill = [&f] { return f.widget.viewport()->width() - f.widget.columnWidth(1); };
    f.widget.fitLyricsColumn();
    QCOMPARE(f.widget.columnWidth(0), fill());
    f.widget.resize(900, 300);  // maximised
    QTRY_VERIFY(f.widget.columnWidth(0) > 700);
    QCOMPARE(f.widget.columnWidth(0), fill());
    f.widget.resize(400, 300);
    QTRY_VERIFY(f.widget.columnWidth(0) < 400);
    QCOMPARE(f.widget.columnWidth(0), fill());

    // A width of the user's own stays.
    f.widget.setColumnWidth(0, 1000);
    f.widget.resize(600, 300);
    QTRY_COMPARE(f.widget.width(), 600);
    QCOMPARE(f.widget.columnWidth(0), 1000);
}

QTEST_MAIN(LyricListWidgetTest)
#include "lyric_list_widget_test.moc"
