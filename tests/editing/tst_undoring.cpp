#include "editing/undoring.h"
#include "files/documentfile.h"
#include "model/oddsdocument.h"

#include <QTest>

namespace {

// The document in file form: every field and cell.
QString State(const OddsDocument &doc)
{
    return DocumentText(doc, doc.MSFlex);
}

// A committed cell edit as the editor makes it: snapshot first, then the change.
void Edit(UndoRing &ring, OddsDocument &doc, int row, int col, const QString &text)
{
    ring.UndoStock(doc);
    doc.MSFlex.setText(row, col, text);
}

} // namespace

class TestUndoRing : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void emptyRingWalksBack();
    void undoSteps_data();
    void undoSteps();
    void ringHolds51Snapshots();
    void snapshotAfterUndoReusesSlot();
    void restoreIsExact();
    void restoreSplitsTitlesAsText();
    void restoreKeepsGridShape();
    void restoreKeepsCurrentCellCollapsesSelection();
    void snapshotLeavesDocumentAlone();
};

void TestUndoRing::emptyRingWalksBack()
{
    OddsDocument doc;
    doc.InitForm();
    const QString before = State(doc);
    UndoRing ring;
    QCOMPARE(ring.UndoPos(), 0);
    QVERIFY(!ring.UndoBack(doc));
    QCOMPARE(ring.UndoPos(), 50);
    QVERIFY(!ring.UndoBack(doc));
    QCOMPARE(ring.UndoPos(), 49);
    QCOMPARE(State(doc), before);
}

void TestUndoRing::undoSteps_data()
{
    QTest::addColumn<int>("edits");
    QTest::addColumn<int>("undos");
    QTest::addColumn<int>("restoredBeforeEdit"); // 0 = the last undo restored nothing

    QTest::newRow("one edit, one undo") << 1 << 1 << 1;
    QTest::newRow("three edits, three undos: before the first") << 3 << 3 << 1;
    QTest::newRow("three edits, two undos: before the second") << 3 << 2 << 2;
    QTest::newRow("fourth undo after three edits does nothing") << 3 << 4 << 0;
    QTest::newRow("52 edits, 51 undos: before the second (first overwritten)") << 52 << 51 << 2;
}

void TestUndoRing::undoSteps()
{
    QFETCH(int, edits);
    QFETCH(int, undos);
    QFETCH(int, restoredBeforeEdit);

    OddsDocument doc;
    doc.InitForm();
    UndoRing ring;
    QStringList states; // states[k] = the document before edit k + 1
    for (int k = 0; k < edits; ++k) {
        states << State(doc);
        Edit(ring, doc, 2 + k % 18, 7, QStringLiteral("v%1").arg(k + 1));
    }
    bool restored = false;
    QString afterLast;
    for (int u = 0; u < undos; ++u) {
        restored = ring.UndoBack(doc);
        afterLast = State(doc);
    }
    if (restoredBeforeEdit == 0) {
        QVERIFY(!restored);
        QCOMPARE(afterLast, states.first());
    } else {
        QVERIFY(restored);
        QCOMPARE(afterLast, states.at(restoredBeforeEdit - 1));
    }
}

void TestUndoRing::ringHolds51Snapshots()
{
    OddsDocument doc;
    doc.InitForm();
    UndoRing ring;
    for (int k = 0; k < 51; ++k)
        ring.UndoStock(doc);
    QCOMPARE(ring.UndoPos(), 51);
    for (int s = 0; s < UndoRing::Slots; ++s)
        QVERIFY(ring.isFilled(s));
    ring.UndoStock(doc); // wraps to slot 0
    QCOMPARE(ring.UndoPos(), 1);
}

void TestUndoRing::snapshotAfterUndoReusesSlot()
{
    OddsDocument doc;
    doc.InitForm();
    UndoRing ring;
    Edit(ring, doc, 2, 2, QStringLiteral("a"));
    Edit(ring, doc, 2, 2, QStringLiteral("b"));
    QVERIFY(ring.UndoBack(doc)); // back to "a", slot 1
    QCOMPARE(ring.UndoPos(), 1);
    Edit(ring, doc, 2, 2, QStringLiteral("c")); // snapshot of "a" into slot 1
    QCOMPARE(ring.UndoPos(), 2);
    QVERIFY(ring.UndoBack(doc));
    QCOMPARE(doc.MSFlex.text(2, 2), QStringLiteral("a"));
    QVERIFY(ring.UndoBack(doc));
    QCOMPARE(doc.MSFlex.text(2, 2), QString());
}

void TestUndoRing::restoreIsExact()
{
    OddsDocument doc;
    doc.InitForm();
    doc.setTxtTitle(0, QStringLiteral("Race"));
    doc.setTxtTitle(5, QStringLiteral("結果"));
    doc.setTxtKoujyo(QStringLiteral("75"));
    doc.setTxtHaitou(QStringLiteral("12345"));
    doc.MSFlex.setText(3, 2, QStringLiteral("名前"));
    const QString before = State(doc);
    UndoRing ring;
    ring.UndoStock(doc);

    // A paste-like change of many cells and fields.
    for (int r = 0; r < doc.MSFlex.rows(); ++r)
        for (int c = 0; c < doc.MSFlex.cols(); ++c)
            doc.MSFlex.setText(r, c, QStringLiteral("x"));
    doc.setTxtTitle(0, QStringLiteral("other"));
    doc.setTxtKoujyo(QStringLiteral("90"));
    doc.setTxtHaitou(QStringLiteral("1"));
    doc.MSFlex.setText(4, 4, QString());

    QVERIFY(ring.UndoBack(doc));
    QCOMPARE(State(doc), before);
}

void TestUndoRing::restoreSplitsTitlesAsText()
{
    OddsDocument doc;
    doc.InitForm();
    doc.setTxtTitle(0, QStringLiteral("A，B")); // a full-width comma splits like ","
    doc.setTxtTitle(1, QStringLiteral("date"));
    UndoRing ring;
    ring.UndoStock(doc);
    QVERIFY(ring.UndoBack(doc));
    QCOMPARE(doc.txtTitle(0), QStringLiteral("A"));
    QCOMPARE(doc.txtTitle(1), QStringLiteral("B"));
    QCOMPARE(doc.txtTitle(2), QStringLiteral("date"));
}

void TestUndoRing::restoreKeepsGridShape()
{
    OddsDocument doc;
    doc.InitForm(); // 18 runners: 20 rows
    UndoRing ring;
    ring.UndoStock(doc);
    doc.setTxtKazu(0, QStringLiteral("10"));
    doc.InitForm(); // 12 rows
    doc.MSFlex.setText(11, 2, QStringLiteral("changed"));

    QVERIFY(ring.UndoBack(doc));
    QCOMPARE(doc.txtKazu(0), QStringLiteral("18"));
    QCOMPARE(doc.MSFlex.rows(), 12);
    // Filled from the top-left: row 11 gets runner 10's row of the snapshot.
    QCOMPARE(doc.MSFlex.text(11, 0), QStringLiteral("10"));
    QCOMPARE(doc.MSFlex.text(11, 2), QString());
}

void TestUndoRing::restoreKeepsCurrentCellCollapsesSelection()
{
    OddsDocument doc;
    doc.InitForm();
    UndoRing ring;
    ring.UndoStock(doc);
    doc.MSFlex.setCurrent(5, 8);
    doc.MSFlex.setSelection(9, 10);
    QVERIFY(ring.UndoBack(doc));
    QCOMPARE(doc.MSFlex.row(), 5);
    QCOMPARE(doc.MSFlex.col(), 8);
    QCOMPARE(doc.MSFlex.rowSel(), 5);
    QCOMPARE(doc.MSFlex.colSel(), 8);
}

void TestUndoRing::snapshotLeavesDocumentAlone()
{
    OddsDocument doc;
    doc.InitForm();
    doc.MSFlex.setCurrent(3, 3);
    doc.MSFlex.setSelection(6, 9);
    const QString before = State(doc);
    UndoRing ring;
    ring.UndoStock(doc);
    QCOMPARE(State(doc), before);
    QCOMPARE(doc.MSFlex.rowSel(), 6);
    QCOMPARE(ring.UndoClip(0), TableText(doc.MSFlex, QLatin1Char('\t'), QLatin1Char('\r')));
    QCOMPARE(ring.UndoHead(0), HeaderLine(doc));
    QCOMPARE(ring.UndoData(0), ValuesLine(doc));
}

QTEST_GUILESS_MAIN(TestUndoRing)
#include "tst_undoring.moc"
