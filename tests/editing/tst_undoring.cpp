#include "editing/undoring.h"
#include "files/documentfile.h"
#include "model/oddsdocument.h"

#include <QTest>

namespace {

QString State(const OddsDocument &doc)
{
    return DocumentText(doc, doc.MSFlex);
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
    void restoreKeepsGridShape();
};

void TestUndoRing::undoSteps_data()
{
    QTest::addColumn<int>("edits");
    QTest::addColumn<QList<int>>("undos"); // per undo: the edit it goes back before, 0 = none
    QTest::addColumn<int>("pos");          // UndoPos afterwards

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
    doc.InitForm();
    UndoRing ring;
    QStringList before; // before[k] = the document before edit k + 1
    for (int k = 0; k < edits; ++k) {
        before << State(doc);
        ring.UndoStock(doc); // as a committed cell edit does: snapshot, then the change
        doc.MSFlex.setText(2 + k % 18, 7, QStringLiteral("v%1").arg(k + 1));
    }
    for (int edit : undos) {
        const QString was = State(doc);
        const bool restored = ring.UndoBack(doc);
        if (edit < 0)
            continue;
        QCOMPARE(restored, edit > 0);
        QCOMPARE(State(doc), edit > 0 ? before.at(edit - 1) : was);
    }
    QCOMPARE(ring.UndoPos(), pos);
}

void TestUndoRing::restoreIsExactAndKeepsCurrentCell()
{
    OddsDocument doc;
    doc.InitForm();
    doc.setTxtTitle(0, QStringLiteral("Race"));
    doc.setTxtKoujyo(QStringLiteral("75"));
    doc.setTxtHaitou(QStringLiteral("12345"));
    doc.MSFlex.setText(3, 2, QStringLiteral("名前"));
    const QString before = State(doc);
    UndoRing ring;
    ring.UndoStock(doc);
    QCOMPARE(State(doc), before);

    // A paste-like change of every cell and field; the cursor moved meanwhile.
    for (int r = 0; r < doc.MSFlex.rows(); ++r)
        for (int c = 0; c < doc.MSFlex.cols(); ++c)
            doc.MSFlex.setText(r, c, r == 4 ? QString() : QStringLiteral("x"));
    doc.setTxtTitle(0, QStringLiteral("other"));
    doc.setTxtKoujyo(QStringLiteral("90"));
    doc.setTxtHaitou(QStringLiteral("1"));
    doc.MSFlex.setCurrent(5, 8);
    doc.MSFlex.setSelection(9, 10);

    QVERIFY(ring.UndoBack(doc));
    QCOMPARE(State(doc), before);
    QCOMPARE(
        QList<int>({doc.MSFlex.row(), doc.MSFlex.col(), doc.MSFlex.rowSel(), doc.MSFlex.colSel()}),
        QList<int>({5, 8, 5, 8}));

    // A snapshot taken now goes into the slot just restored.
    ring.UndoStock(doc);
    QCOMPARE(ring.UndoPos(), 1);
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
    QCOMPARE(QStringList({doc.txtTitle(0), doc.txtTitle(1), doc.txtTitle(2)}),
             QStringList({"A", "B", "date"}));
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

QTEST_GUILESS_MAIN(TestUndoRing)
#include "tst_undoring.moc"
