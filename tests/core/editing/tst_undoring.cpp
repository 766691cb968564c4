#include "core/document/oddsdocument.h"
#include "core/editing/undoring.h"
#include "core/file/documentfile.h"

#include <QTest>

namespace {

QString state(const OddsDocument &doc)
{
    return documentText(doc, doc.runnerTable);
}

} // namespace

class TestUndoRing : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void undoSteps_data();
    void undoSteps();
    void restoreIsExactAndKeepsCurrentCell();
    void restoreSplitsTitlesAsText();
    void restoreCountChangeWithTable();
};

void TestUndoRing::undoSteps_data()
{
    QTest::addColumn<int>("edits");
    QTest::addColumn<QList<int>>("undos"); // per undo: the edit it goes back before, 0 = none
    QTest::addColumn<int>("pos");          // undoPos afterwards

    QTest::newRow("empty ring: nothing, walking back through slot 50")
        << 0 << QList<int>{0, 0} << 49;
    QTest::newRow("three edits, three undos, then nothing") << 3 << QList<int>{3, 2, 1, 0} << 50;
    QTest::newRow("52 edits: 51 undos reach the state before the second")
        << 52 << QList<int>(50, -1) + QList<int>{2} << 1;
}

void TestUndoRing::undoSteps()
{
    QFETCH(int, edits);
    QFETCH(QList<int>, undos);
    QFETCH(int, pos);

    OddsDocument doc;
    doc.buildTable();
    UndoRing ring;
    QStringList before; // before[k] = the document before edit k + 1
    for (int k = 0; k < edits; ++k) {
        before << state(doc);
        ring.pushUndo(doc); // as a committed cell edit does: snapshot, then the change
        doc.runnerTable.setText(2 + k % 18, 7, QStringLiteral("v%1").arg(k + 1));
    }
    for (int edit : undos) {
        const QString was = state(doc);
        const bool restored = ring.undo(doc);
        if (edit < 0)
            continue;
        QCOMPARE(restored, edit > 0);
        QCOMPARE(state(doc), edit > 0 ? before.at(edit - 1) : was);
    }
    QCOMPARE(ring.undoPos(), pos);
}

void TestUndoRing::restoreIsExactAndKeepsCurrentCell()
{
    OddsDocument doc;
    doc.buildTable();
    doc.setTitleText(0, QStringLiteral("Race"));
    doc.setPayoutRatioText(QStringLiteral("75"));
    doc.setPoolText(QStringLiteral("12345"));
    doc.runnerTable.setText(3, 2, QStringLiteral("名前"));
    const QString before = state(doc);
    UndoRing ring;
    ring.pushUndo(doc);
    QCOMPARE(state(doc), before);

    // A paste-like change of every cell and field; the cursor moved meanwhile.
    for (int r = 0; r < doc.runnerTable.rows(); ++r)
        for (int c = 0; c < doc.runnerTable.cols(); ++c)
            doc.runnerTable.setText(r, c, r == 4 ? QString() : QStringLiteral("x"));
    doc.setTitleText(0, QStringLiteral("other"));
    doc.setPayoutRatioText(QStringLiteral("90"));
    doc.setPoolText(QStringLiteral("1"));
    doc.runnerTable.setCurrent(5, 8);
    doc.runnerTable.setSelection(9, 10);

    QVERIFY(ring.undo(doc));
    QCOMPARE(state(doc), before);
    QCOMPARE(QList<int>({doc.runnerTable.row(), doc.runnerTable.col(), doc.runnerTable.rowSel(),
                         doc.runnerTable.colSel()}),
             QList<int>({5, 8, 5, 8}));

    // A snapshot taken now goes into the slot just restored.
    ring.pushUndo(doc);
    QCOMPARE(ring.undoPos(), 1);
}

void TestUndoRing::restoreSplitsTitlesAsText()
{
    OddsDocument doc;
    doc.buildTable();
    doc.setTitleText(0, QStringLiteral("A，B")); // a full-width comma splits like ","
    doc.setTitleText(1, QStringLiteral("date"));
    UndoRing ring;
    ring.pushUndo(doc);
    QVERIFY(ring.undo(doc));
    QCOMPARE(QStringList({doc.titleText(0), doc.titleText(1), doc.titleText(2)}),
             QStringList({"A", "B", "date"}));
}

void TestUndoRing::restoreCountChangeWithTable()
{
    OddsDocument doc;
    doc.buildTable(); // 18 runners, 8 data columns: 20 x 15
    doc.runnerTable.setText(5, 14, QStringLiteral("last column"));
    doc.runnerTable.setText(2, 7, QStringLiteral("100"));
    doc.runnerTable.setText(3, 7, QStringLiteral("300"));
    doc.recalculate();
    const QString before = state(doc);
    const Grid table = doc.runnerTable;
    UndoRing ring;
    ring.pushUndo(doc); // as Enter in a count box does before a change of shape
    doc.runnerTable.setText(2, 7, QStringLiteral("900")); // ranks and their colours change
    for (const char *count : {"2", "8"}) {
        doc.setCountText(1, QString::fromLatin1(count));
        doc.buildTable();
    }
    doc.setCountText(0, QStringLiteral("10")); // typed, not confirmed: files keep the built count
    QVERIFY(valuesLine(doc).startsWith(QStringLiteral("18,8,")));

    QVERIFY(ring.undo(doc));
    QCOMPARE(state(doc), before);
    QCOMPARE(doc.countText(0), QStringLiteral("18"));
    QVERIFY(!doc.countsChangeShape());
    for (int r = 0; r < table.rows(); ++r) // colours come back with the texts
        for (int c = 0; c < table.cols(); ++c)
            QCOMPARE(doc.runnerTable.cellBackColor(r, c), table.cellBackColor(r, c));
}

QTEST_GUILESS_MAIN(TestUndoRing)
#include "tst_undoring.moc"
