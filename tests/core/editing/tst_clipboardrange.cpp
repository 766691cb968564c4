#include "core/editing/clipboardrange.h"

#include <QTest>

namespace {

// A 6 x 10 grid whose cell (r, c) holds "r.c", with the given selection.
Grid numberedGrid(int row, int col, int rowSel, int colSel)
{
    Grid g;
    g.setSize(6, 10);
    for (int r = 0; r < g.rows(); ++r)
        for (int c = 0; c < g.cols(); ++c)
            g.setText(r, c, QStringLiteral("%1.%2").arg(r).arg(c));
    g.setCurrent(row, col);
    g.setSelection(rowSel, colSel);
    return g;
}

// Cell texts of a rectangle, rows by "|", cells by " ".
QString blockText(const Grid &g, int r1, int c1, int r2, int c2)
{
    QStringList rows;
    for (int r = r1; r <= r2; ++r) {
        QStringList cells;
        for (int c = c1; c <= c2; ++c)
            cells << g.text(r, c);
        rows << cells.join(QLatin1Char(' '));
    }
    return rows.join(QLatin1Char('|'));
}

} // namespace

class TestClipboardRange : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void copyAndCut_data();
    void copyAndCut();
    void paste_data();
    void paste();
};

void TestClipboardRange::copyAndCut_data()
{
    QTest::addColumn<QList<int>>("range"); // row, col, rowSel, colSel
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("afterCut"); // the range, rows 2-3 x columns 0-9

    const QString whole = "2.0 2.1 2.2 2.3 2.4 2.5 2.6 2.7 2.8 2.9|"
                          "3.0 3.1 3.2 3.3 3.4 3.5 3.6 3.7 3.8 3.9";
    QTest::newRow("3 x 2: one TAB a line, every line ends CR LF")
        << QList<int>{2, 7, 4, 8} << "2.7\t2.8\r\n3.7\t3.8\r\n4.7\t4.8\r\n"
        << "2.0 2.1 2.2 2.3 2.4 2.5 2.6   2.9|3.0 3.1 3.2 3.3 3.4 3.5 3.6   3.9";
    QTest::newRow("corner above-left is ordered first")
        << QList<int>{3, 1, 2, 0} << "2.0\t2.1\r\n3.0\t3.1\r\n"
        << whole;
    QTest::newRow("cut clears names and data only, not numbers, brackets, results")
        << QList<int>{2, 1, 3, 8}
        << "2.1\t2.2\t2.3\t2.4\t2.5\t2.6\t2.7\t2.8\r\n3.1\t3.2\t3.3\t3.4\t3.5\t3.6\t3.7\t3.8\r\n"
        << "2.0 2.1  2.3 2.4 2.5 2.6   2.9|3.0 3.1  3.3 3.4 3.5 3.6   3.9";
    QTest::newRow("cut leaves header and ratio rows") << QList<int>{0, 2, 1, 2} << "0.2\r\n1.2\r\n"
                                                      << whole;
}

void TestClipboardRange::copyAndCut()
{
    QFETCH(QList<int>, range);
    QFETCH(QString, text);
    QFETCH(QString, afterCut);

    Grid copy = numberedGrid(range[0], range[1], range[2], range[3]);
    QCOMPARE(copyRange(copy, false), text);
    QCOMPARE(blockText(copy, 2, 0, 3, 9), QString(blockText(numberedGrid(0, 0, 0, 0), 2, 0, 3, 9)));

    Grid cut = numberedGrid(range[0], range[1], range[2], range[3]);
    QCOMPARE(copyRange(cut, true), text);
    QCOMPARE(blockText(cut, 2, 0, 3, 9), afterCut);
    QCOMPARE(blockText(cut, 0, 0, 1, 9), blockText(copy, 0, 0, 1, 9));
}

void TestClipboardRange::paste_data()
{
    QTest::addColumn<QList<int>>("range");
    QTest::addColumn<QString>("plain");
    QTest::addColumn<QString>("second");
    QTest::addColumn<QString>("block");            // rows 2-4, columns 7-9 afterwards
    QTest::addColumn<QList<qsizetype>>("counted"); // clipboard cells, those pasted

    const QString untouched = "2.7 2.8 2.9|3.7 3.8 3.9|4.7 4.8 4.9";
    QTest::newRow("same shape fills every cell")
        << QList<int>{2, 7, 3, 8} << "a\tb\r\nc\td\r\n"
        << ""
        << "a b 2.9|c d 3.9|4.7 4.8 4.9" << QList<qsizetype>{4, 4};
    QTest::newRow("single cell takes the first field only")
        << QList<int>{2, 7, 2, 7} << "a\tb\r\nc\td\r\n"
        << ""
        << "a 2.8 2.9|3.7 3.8 3.9|4.7 4.8 4.9" << QList<qsizetype>{4, 1};
    QTest::newRow("taller selection: the row after the final CR LF stays")
        << QList<int>{2, 7, 4, 8} << "a\tb\r\n"
        << ""
        << "a b 2.9|3.7 3.8 3.9|4.7 4.8 4.9" << QList<qsizetype>{2, 2};
    QTest::newRow("no final line break: the last line repeats")
        << QList<int>{2, 7, 4, 8} << "x"
        << ""
        << "x 2.8 2.9|x 3.8 3.9|x 4.8 4.9" << QList<qsizetype>{1, 1};
    QTest::newRow("missing fields leave cells, empty fields clear them")
        << QList<int>{2, 7, 3, 9} << "a\r\n\tc\t\te\r\n"
        << ""
        << "a 2.8 2.9| c |4.7 4.8 4.9" << QList<qsizetype>{5, 4};
    QTest::newRow("empty clipboard changes nothing") << QList<int>{2, 7, 4, 9} << ""
                                                     << "" << untouched << QList<qsizetype>{0, 0};
    QTest::newRow("empty plain text falls back to the second copy")
        << QList<int>{2, 7, 2, 8} << ""
        << "r\ts\r\n"
        << "r s 2.9|3.7 3.8 3.9|4.7 4.8 4.9" << QList<qsizetype>{2, 2};
    QTest::newRow("commas, CR and LF go, nothing else does")
        << QList<int>{2, 7, 3, 9} << "1,234\t１，５\t牝4(地)\r\n12.5%\ta\rb\t\"x\"_#\r\n"
        << ""
        << "1234 １５ 牝4(地)|12.5% ab \"x\"_#|4.7 4.8 4.9" << QList<qsizetype>{6, 6};
    QTest::newRow("wave dash, minus and yen take the forms a file keeps")
        << QList<int>{2, 7, 2, 9} << "1〜3\t−5\t¥100\r\n"
        << ""
        << "1～3 －5 ￥100|3.7 3.8 3.9|4.7 4.8 4.9" << QList<qsizetype>{3, 3};
    QTest::newRow("number cells take full-width digits, points and signs as ASCII")
        << QList<int>{2, 7, 3, 9} << "１２００\t１２００\tー３．５　\r\n＋１｡５\t－２\t−３。ｰ\r\n"
        << ""
        << "1200 １２００ -3.5 |+1.5 －２ -3.-|4.7 4.8 4.9" << QList<qsizetype>{6, 6};
    QTest::newRow("corner above the current cell receives nothing")
        << QList<int>{4, 7, 2, 9} << "a\tb\tc\r\n"
        << "" << untouched << QList<qsizetype>{3, 0};
    QTest::newRow("corner left of the current cell receives nothing")
        << QList<int>{2, 9, 4, 7} << "a\tb\tc\r\n"
        << "" << untouched << QList<qsizetype>{3, 0};
}

void TestClipboardRange::paste()
{
    QFETCH(QList<int>, range);
    QFETCH(QString, plain);
    QFETCH(QString, second);
    QFETCH(QString, block);

    Grid g = numberedGrid(range[0], range[1], range[2], range[3]);
    QFETCH(QList<qsizetype>, counted);
    g.setText(1, 8, QStringLiteral("メモ")); // a text column among number columns
    const PasteCount count = pasteRange(g, plain, second);
    QCOMPARE(blockText(g, 2, 7, 4, 9), block);
    QCOMPARE((QList<qsizetype>{count.clipboardCells, count.pastedCells}), counted);
    QCOMPARE(blockText(g, 5, 6, 5, 7), QStringLiteral("5.6 5.7"));
    QCOMPARE(QList<int>({g.row(), g.col(), g.rowSel(), g.colSel()}), range);
}

QTEST_GUILESS_MAIN(TestClipboardRange)
#include "tst_clipboardrange.moc"
