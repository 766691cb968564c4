// The text-cell grid: resizing, cell access, colours, current cell and block text.
#include "core/document/grid.h"

#include <QTest>

namespace {

// A grid whose cell (r, c) holds "r,c" and whose background encodes the position.
Grid numbered(int rows, int cols)
{
    Grid g;
    g.setSize(rows, cols);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            g.setText(r, c, QStringLiteral("%1,%2").arg(r).arg(c));
            g.setCellBackColor(r, c, rgb(r, c, 7));
        }
    return g;
}

} // namespace

class TestGrid : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void resizeKeepsCells_data();
    void resizeKeepsCells();
    void resizeKeepsWidths();
    void outOfRange();
    void effectiveColours();
    void currentCellIsClamped();
    void clip_data();
    void clip();
    void setClipCases_data();
    void setClipCases();
    void clearKeepsShape();
    void revisionCountsChanges();
};

void TestGrid::resizeKeepsCells_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("cols");

    QTest::newRow("fewer rows keep the top rows") << 3 << 5;
    QTest::newRow("fewer columns keep the left columns") << 5 << 2;
    QTest::newRow("more of both keep every cell") << 8 << 9;
    QTest::newRow("more rows, fewer columns") << 7 << 3;
    QTest::newRow("empty grid") << 0 << 0;
}

void TestGrid::resizeKeepsCells()
{
    QFETCH(int, rows);
    QFETCH(int, cols);
    Grid g = numbered(5, 5);
    g.setSize(rows, cols);
    QCOMPARE(g.rows(), rows);
    QCOMPARE(g.cols(), cols);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            const bool old = r < 5 && c < 5;
            QCOMPARE(g.text(r, c), old ? QStringLiteral("%1,%2").arg(r).arg(c) : QString());
            QCOMPARE(g.cellBackColor(r, c), old ? rgb(r, c, 7) : NoColor);
        }
    // Growing back brings empty cells, not the dropped ones.
    g.setSize(5, 5);
    if (rows < 5)
        QCOMPARE(g.text(4, 0), QString());
    if (cols < 5)
        QCOMPARE(g.text(0, 4), QString());
}

void TestGrid::resizeKeepsWidths()
{
    Grid g;
    g.setCols(4);
    g.setColWidth(1, 1234);
    g.setColAlignment(1, 7);
    g.setCols(2);
    g.setCols(6);
    QCOMPARE(g.colWidth(1), 1234);
    QCOMPARE(g.colAlignment(1), 7);
    QCOMPARE(g.colWidth(5), g.colWidth(3));
    g.setColWidth(2, -10);
    QCOMPARE(g.colWidth(2), 0);
    g.setColAlignment(2, 12);
    QCOMPARE(g.colAlignment(2), 9);
}

void TestGrid::outOfRange()
{
    Grid g = numbered(2, 2);
    const quint64 before = g.revision();
    g.setText(2, 0, QStringLiteral("x"));
    g.setText(0, -1, QStringLiteral("x"));
    g.setCellBackColor(5, 5, rgb(1, 2, 3));
    g.setColWidth(2, 100);
    QCOMPARE(g.revision(), before);
    QCOMPARE(g.text(2, 0), QString());
    QCOMPARE(g.text(-1, 0), QString());
    QCOMPARE(g.cellForeColor(0, 9), NoColor);
    QCOMPARE(g.colWidth(-1), 0);
    g.setSize(-3, 4);
    QCOMPARE(g.rows(), 0);
    QCOMPARE(g.clip(), QString());
}

void TestGrid::effectiveColours()
{
    Grid g;
    g.setSize(3, 3);
    g.setFixedRows(0);
    g.setFixedCols(1);
    g.setBackColor(rgb(240, 240, 240));
    QCOMPARE(g.effectiveBackColor(0, 0), g.backColorFixed());
    QCOMPARE(g.effectiveBackColor(0, 1), rgb(240, 240, 240));
    g.setCellBackColor(0, 0, rgb(1, 2, 3));
    QCOMPARE(g.effectiveBackColor(0, 0), rgb(1, 2, 3));
    QCOMPARE(g.effectiveForeColor(2, 2), g.foreColor());
    g.setCellForeColor(2, 2, rgb(9, 9, 9));
    QCOMPARE(g.effectiveForeColor(2, 2), rgb(9, 9, 9));
    QCOMPARE(colorName(rgb(255, 128, 0)), QStringLiteral("#ff8000"));
}

void TestGrid::currentCellIsClamped()
{
    Grid g = numbered(5, 5);
    g.setCurrent(9, -2);
    QCOMPARE(g.row(), 4);
    QCOMPARE(g.col(), 0);
    g.setSelection(1, 3);
    g.setSize(3, 2);
    QCOMPARE(g.row(), 2);
    QCOMPARE(g.rowSel(), 1);
    QCOMPARE(g.colSel(), 1);
    g.setRow(0);
    QCOMPARE(g.rowSel(), 0);
    QCOMPARE(g.colSel(), 0);
}

void TestGrid::clip_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");
    QTest::addColumn<int>("rowSel");
    QTest::addColumn<int>("colSel");
    QTest::addColumn<QString>("text");

    QTest::newRow("single cell") << 1 << 2 << 1 << 2 << "1,2";
    QTest::newRow("cells by tab, rows by CR") << 0 << 0 << 1 << 1 << "0,0\t0,1\r1,0\t1,1";
    QTest::newRow("selection corner above and left") << 2 << 2 << 1 << 1 << "1,1\t1,2\r2,1\t2,2";
    QTest::newRow("no trailing separator") << 0 << 2 << 2 << 2 << "0,2\r1,2\r2,2";
}

void TestGrid::clip()
{
    QFETCH(int, row);
    QFETCH(int, col);
    QFETCH(int, rowSel);
    QFETCH(int, colSel);
    QFETCH(QString, text);
    Grid g = numbered(3, 3);
    g.setCurrent(row, col);
    g.setSelection(rowSel, colSel);
    QCOMPARE(g.clip(), text);
}

void TestGrid::setClipCases_data()
{
    QTest::addColumn<QString>("block");
    QTest::addColumn<QStringList>("rows");

    QTest::newRow("fills from the top-left cell") << "a\tb\rc\td" << QStringList{"a b", "c d"};
    QTest::newRow("extra cells and rows are ignored")
        << "a\tb\tc\rd\te\tf\rg" << QStringList{"a b", "d e"};
    QTest::newRow("short block leaves the rest") << "a" << QStringList{"a 1,2", "2,1 2,2"};
    QTest::newRow("empty fields clear cells") << "\t\r" << QStringList{" ", " 2,2"};
}

void TestGrid::setClipCases()
{
    QFETCH(QString, block);
    QFETCH(QStringList, rows);
    Grid g = numbered(4, 4);
    g.setCurrent(2, 2);
    g.setSelection(1, 1);
    g.setClip(block);
    for (int i = 0; i < 2; ++i)
        QCOMPARE(g.text(1 + i, 1) + QLatin1Char(' ') + g.text(1 + i, 2), rows[i]);
    // Cells outside the selection are never written.
    QCOMPARE(g.text(1, 3), QStringLiteral("1,3"));
    QCOMPARE(g.text(3, 1), QStringLiteral("3,1"));
}

void TestGrid::clearKeepsShape()
{
    Grid g = numbered(3, 4);
    g.setColWidth(2, 500);
    g.clear();
    QCOMPARE(g.rows(), 3);
    QCOMPARE(g.cols(), 4);
    QCOMPARE(g.text(2, 3), QString());
    QCOMPARE(g.cellBackColor(2, 3), NoColor);
    QCOMPARE(g.colWidth(2), 500);
}

void TestGrid::revisionCountsChanges()
{
    Grid g;
    quint64 last = g.revision();
    auto changed = [&] {
        const bool bumped = g.revision() != last;
        last = g.revision();
        return bumped;
    };
    g.setSize(3, 3);
    QVERIFY(changed());
    g.setText(1, 1, QStringLiteral("x"));
    QVERIFY(changed());
    g.setCellForeColor(1, 1, rgb(1, 1, 1));
    QVERIFY(changed());
    g.setCurrent(2, 2);
    QVERIFY(changed());
    g.clear();
    QVERIFY(changed());
    // Grid-wide properties change what a view draws as well.
    g.setFixedCols(0);
    QVERIFY(changed());
    g.setFixedRows(0);
    QVERIFY(changed());
    g.setBackColor(rgb(240, 240, 240));
    QVERIFY(changed());
    g.setForeColor(rgb(1, 1, 1));
    QVERIFY(changed());
    g.setFontSize(12.75);
    QVERIFY(changed());
    g.setFontName(QStringLiteral("IPAGothic"));
    QVERIFY(changed());
    g.setGridLineWidth(2);
    QVERIFY(changed());
    // Setting the same value again is no change.
    g.setBackColor(rgb(240, 240, 240));
    g.setGridLineWidth(2);
    QVERIFY(!changed());
}

QTEST_GUILESS_MAIN(TestGrid)
#include "tst_grid.moc"
