#include "editing/clipboardrange.h"

#include <QTest>

namespace {

// A 6 x 10 grid whose cell (r, c) holds "r.c".
Grid NumberedGrid()
{
    Grid g;
    g.setSize(6, 10);
    for (int r = 0; r < g.rows(); ++r)
        for (int c = 0; c < g.cols(); ++c)
            g.setText(r, c, QStringLiteral("%1.%2").arg(r).arg(c));
    return g;
}

void Select(Grid &g, int row, int col, int rowSel, int colSel)
{
    g.setCurrent(row, col);
    g.setSelection(rowSel, colSel);
}

// Cell texts of a rectangle, rows by "|", cells by " ".
QString Block(const Grid &g, int r1, int c1, int r2, int c2)
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
    void copyText_data();
    void copyText();
    void cutClearsOnlyNamesAndData_data();
    void cutClearsOnlyNamesAndData();
    void paste_data();
    void paste();
    void pasteKeepsCurrentCellAndSelection();
    void copyThenPasteRoundTrip();
};

void TestClipboardRange::copyText_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");
    QTest::addColumn<int>("rowSel");
    QTest::addColumn<int>("colSel");
    QTest::addColumn<QString>("expected");

    QTest::newRow("single cell ends in CR LF") << 2 << 3 << 2 << 3 << "2.3\r\n";
    QTest::newRow("3 rows x 2 columns: one TAB per line")
        << 2 << 7 << 4 << 8 << "2.7\t2.8\r\n3.7\t3.8\r\n4.7\t4.8\r\n";
    QTest::newRow("corner above and left is ordered first")
        << 4 << 8 << 3 << 7 << "3.7\t3.8\r\n4.7\t4.8\r\n";
}

void TestClipboardRange::copyText()
{
    QFETCH(int, row);
    QFETCH(int, col);
    QFETCH(int, rowSel);
    QFETCH(int, colSel);
    QFETCH(QString, expected);

    Grid g = NumberedGrid();
    Select(g, row, col, rowSel, colSel);
    QCOMPARE(FxGridCopyis(g, false), expected);
    QCOMPARE(g.text(row, col), QStringLiteral("%1.%2").arg(row).arg(col));
    QCOMPARE(g.row(), row);
    QCOMPARE(g.rowSel(), rowSel);
}

void TestClipboardRange::cutClearsOnlyNamesAndData_data()
{
    QTest::addColumn<int>("r1");
    QTest::addColumn<int>("c1");
    QTest::addColumn<int>("r2");
    QTest::addColumn<int>("c2");
    QTest::addColumn<QString>("after");

    QTest::newRow("runner rows, columns 1-8: only 2, 7 and 8 cleared")
        << 2 << 1 << 3 << 8 << "2.1  2.3 2.4 2.5 2.6  |3.1  3.3 3.4 3.5 3.6  ";
    QTest::newRow("header and ratio rows stay")
        << 0 << 2 << 1 << 8 << "0.2 0.3 0.4 0.5 0.6 0.7 0.8|1.2 1.3 1.4 1.5 1.6 1.7 1.8";
    QTest::newRow("runner number column stays") << 2 << 0 << 2 << 0 << "2.0";
    QTest::newRow("computed columns 3 to 6 stay") << 5 << 3 << 5 << 6 << "5.3 5.4 5.5 5.6";
    QTest::newRow("corner above-left: same cells") << 3 << 8 << 2 << 7 << " | ";
}

void TestClipboardRange::cutClearsOnlyNamesAndData()
{
    QFETCH(int, r1);
    QFETCH(int, c1);
    QFETCH(int, r2);
    QFETCH(int, c2);
    QFETCH(QString, after);

    Grid g = NumberedGrid();
    Select(g, r1, c1, r2, c2);
    Grid copy = NumberedGrid();
    Select(copy, r1, c1, r2, c2);
    // The cut text is what copy gives from the untouched cells.
    QCOMPARE(FxGridCopyis(g, true), FxGridCopyis(copy, false));
    const QString block =
        Block(g, std::min(r1, r2), std::min(c1, c2), std::max(r1, r2), std::max(c1, c2));
    QCOMPARE(block, after);
    // Outside the range nothing changes.
    QCOMPARE(g.text(5, 9), QStringLiteral("5.9"));
}

void TestClipboardRange::paste_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");
    QTest::addColumn<int>("rowSel");
    QTest::addColumn<int>("colSel");
    QTest::addColumn<QString>("plain");
    QTest::addColumn<QString>("rtf");
    QTest::addColumn<QString>("block"); // rows 2-4, columns 7-9 afterwards

    const QString untouched = "2.7 2.8 2.9|3.7 3.8 3.9|4.7 4.8 4.9";
    QTest::newRow("same shape fills every cell") << 2 << 7 << 3 << 8 << "a\tb\r\nc\td\r\n"
                                                 << ""
                                                 << "a b 2.9|c d 3.9|4.7 4.8 4.9";
    QTest::newRow("single cell takes the first field only")
        << 2 << 7 << 2 << 7 << "a\tb\r\nc\td\r\n"
        << ""
        << "a 2.8 2.9|3.7 3.8 3.9|4.7 4.8 4.9";
    QTest::newRow("taller selection: row after CR LF meets the empty line")
        << 2 << 7 << 4 << 8 << "a\tb\r\n"
        << ""
        << "a b 2.9|3.7 3.8 3.9|4.7 4.8 4.9";
    QTest::newRow("no final line break: last line repeats") << 2 << 7 << 4 << 8 << "x"
                                                            << ""
                                                            << "x 2.8 2.9|x 3.8 3.9|x 4.8 4.9";
    QTest::newRow("missing fields leave cells") << 2 << 7 << 3 << 9 << "a\r\nb\tc\td\te\r\n"
                                                << ""
                                                << "a 2.8 2.9|b c d|4.7 4.8 4.9";
    QTest::newRow("empty field clears its cell") << 2 << 7 << 2 << 9 << "\tb\t"
                                                 << ""
                                                 << " b |3.7 3.8 3.9|4.7 4.8 4.9";
    QTest::newRow("empty clipboard changes nothing") << 2 << 7 << 4 << 9 << ""
                                                     << "" << untouched;
    QTest::newRow("empty plain text falls back to rich text") << 2 << 7 << 2 << 8 << ""
                                                              << "r\ts\r\n"
                                                              << "r s 2.9|3.7 3.8 3.9|4.7 4.8 4.9";
    QTest::newRow("plain text wins over rich text") << 2 << 7 << 2 << 7 << "p"
                                                    << "r"
                                                    << "p 2.8 2.9|3.7 3.8 3.9|4.7 4.8 4.9";
    QTest::newRow("corner above current cell: nothing") << 4 << 7 << 2 << 9 << "a\tb\tc\r\n"
                                                        << "" << untouched;
    QTest::newRow("corner left of current cell: nothing") << 2 << 9 << 4 << 7 << "a\tb\tc\r\n"
                                                          << "" << untouched;
    QTest::newRow("lone LF is part of the cell") << 2 << 7 << 2 << 8 << "a\nb\tc"
                                                 << ""
                                                 << "a\nb c 2.9|3.7 3.8 3.9|4.7 4.8 4.9";
}

void TestClipboardRange::paste()
{
    QFETCH(int, row);
    QFETCH(int, col);
    QFETCH(int, rowSel);
    QFETCH(int, colSel);
    QFETCH(QString, plain);
    QFETCH(QString, rtf);
    QFETCH(QString, block);

    Grid g = NumberedGrid();
    Select(g, row, col, rowSel, colSel);
    FxGridPaste(g, plain, rtf);
    QCOMPARE(Block(g, 2, 7, 4, 9), block);
    QCOMPARE(g.text(5, 7), QStringLiteral("5.7"));
    QCOMPARE(g.text(2, 6), QStringLiteral("2.6"));
}

void TestClipboardRange::pasteKeepsCurrentCellAndSelection()
{
    Grid g = NumberedGrid();
    Select(g, 2, 7, 3, 8);
    FxGridPaste(g, QStringLiteral("a\tb\r\nc\td\r\n"));
    QCOMPARE(g.row(), 2);
    QCOMPARE(g.col(), 7);
    QCOMPARE(g.rowSel(), 3);
    QCOMPARE(g.colSel(), 8);
}

void TestClipboardRange::copyThenPasteRoundTrip()
{
    Grid from = NumberedGrid();
    Select(from, 1, 2, 5, 9);
    const QString text = FxGridCopyis(from, false);

    Grid to;
    to.setSize(6, 10);
    Select(to, 1, 2, 5, 9);
    FxGridPaste(to, text);
    QCOMPARE(Block(to, 1, 2, 5, 9), Block(from, 1, 2, 5, 9));
    QCOMPARE(to.text(0, 2), QString());
}

QTEST_GUILESS_MAIN(TestClipboardRange)
#include "tst_clipboardrange.moc"
