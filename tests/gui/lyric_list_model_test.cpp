#include <QAbstractItemModelTester>
#include <QtTest>
#include <functional>

#include "document/qt/lyric_list_widget.h"
#include "text/lyrics_expansion.h"
#include "text/tagged_lyrics_reader.h"
#include "timing_rig.h"

using namespace obrin;

namespace {

std::vector<std::string> Lines(int count) {
    std::vector<std::string> lines;
    for (int i = 0; i < count; ++i) lines.push_back("line " + std::to_string(i));
    return lines;
}

// The list's model under Qt's own checker, which stops the test at the first
// broken promise, and the view over it, whose selection must show the
// document's after every command.
struct Fixture {
    test::TimingRig rig;
    LyricListWidget widget{rig.document, rig.dialogs};
    QAbstractItemModelTester tester{widget.model(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal};

    Fixture() {
        widget.resize(400, 300);
        widget.show();
    }
    LyricList& lyrics() { return rig.document.lyrics; }
    std::vector<int> viewSelection() const {
        std::vector<int> rows;
        for (int row = 0; row < widget.model()->rowCount(); ++row) {
            if (widget.selectionModel()->isRowSelected(row, {})) rows.push_back(row);
        }
        return rows;
    }
};

}  // namespace

class LyricListModelTest : public QObject {
    Q_OBJECT
  private slots:
    void keepsItsContractThroughEveryCommand_data();
    void keepsItsContractThroughEveryCommand();
};

using Step = std::function<void(Fixture&)>;
Q_DECLARE_METATYPE(Step)

void LyricListModelTest::keepsItsContractThroughEveryCommand_data() {
    QTest::addColumn<Step>("step");
    QTest::addColumn<int>("rows");
    QTest::newRow("paste") << Step([](Fixture& f) {
        PasteWithExpansion(f.rig.document, Lines(6), {.lastLine = false});
    }) << 6;
    QTest::newRow("insert before the current line") << Step([](Fixture& f) {
        f.lyrics().select(2);
        f.rig.commands.insertLine();
    }) << 6;
    QTest::newRow("append") << Step([](Fixture& f) { f.rig.commands.appendLine(); }) << 6;
    QTest::newRow("delete the selected lines") << Step([](Fixture& f) {
        f.lyrics().select(1);
        f.lyrics().select(3);
        f.lyrics().select(4);
        f.rig.commands.deleteLines();
    }) << 2;
    QTest::newRow("merge") << Step([](Fixture& f) {
        f.lyrics().select(1);
        f.rig.commands.mergeWithNext();
    }) << 4;
    QTest::newRow("mark moves the selection") << Step([](Fixture& f) {
        f.rig.load();
        f.lyrics().select(0);
        f.rig.commands.mark();
        f.rig.commands.mark();
    }) << 5;
    QTest::newRow("read") << Step([](Fixture& f) {
        ReadTaggedLyricsText(f.rig.document, "head\r\n[00:01:00]a\r\n[00:02:00]b\r\n", {});
    }) << 2;
    QTest::newRow("clear") << Step([](Fixture& f) { f.lyrics().clear(); }) << 0;
    QTest::newRow("10,000 lines pasted, all selected and deleted") << Step([](Fixture& f) {
        PasteWithExpansion(f.rig.document, Lines(10'000), {.lastLine = false});
        QCOMPARE(f.widget.model()->rowCount(), 10'000);
        f.rig.commands.selectAll();
        QCOMPARE(f.viewSelection().size(), 10'000u);
        f.rig.commands.deleteLines();
    }) << 0;
}

void LyricListModelTest::keepsItsContractThroughEveryCommand() {
    QFETCH(Step, step);
    QFETCH(int, rows);
    Fixture f;
    PasteWithExpansion(f.rig.document, Lines(5), {.lastLine = false});
    step(f);
    QCOMPARE(f.widget.model()->rowCount(), rows);
    QCOMPARE(f.lyrics().count(), rows);
    QCOMPARE(f.viewSelection(), f.lyrics().selectedLines());
}

QTEST_MAIN(LyricListModelTest)
#include "lyric_list_model_test.moc"
