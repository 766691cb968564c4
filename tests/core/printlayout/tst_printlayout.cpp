#include "core/printlayout/fakesurface.h"
#include "core/printlayout/printlayout.h"

#include <QTest>

namespace {

// Fake metrics at 9 pt: "あ" is 180 x 216 twips, so margins are 180 / 216, rows 324 high,
// and a one-line title (11 pt bold) is 264 high.
constexpr int Left = 180;
constexpr int Top = 216;
constexpr int RowH = 324;
constexpr int TitleH = 264;
constexpr int Inset = 27;

Grid makeGrid(int rows, QList<int> widths)
{
    Grid g;
    g.setSize(rows, int(widths.size()));
    for (int c = 0; c < widths.size(); ++c)
        g.setColWidth(c, widths.at(c));
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < widths.size(); ++c)
            g.setText(r, c, QStringLiteral("r%1c%2").arg(r).arg(c));
    return g;
}

// The table spans 15516 twips of a fallback-sized sheet: column widths summing to that map 1:1.
constexpr int TableWidth = 15516;

struct Fixture
{
    Fixture(Grid g, const QString &title = QString(), int height = 11568, int fontSize = 9)
        : grid(std::move(g)), surface(15876, height)
    {
        layout.preview = &surface;
        layout.date = QDate(2003, 12, 15);
        layout.setup(&grid, title, fontSize, false, false, false);
        layout.initPrintData();
    }
    QList<DrawnText> cellTexts() const
    {
        QList<DrawnText> out;
        for (const DrawnText &t : surface.texts)
            if (t.y >= layout.data[0].gridTop)
                out.append(t);
        return out;
    }
    Grid grid;
    FakeSurface surface;
    PrintLayout layout;
};

} // namespace

class tst_PrintLayout : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void pagination_data();
    void pagination();
    void rowsOfPage_data();
    void rowsOfPage();
    void titleLines_data();
    void titleLines();
    void titleMovesTable();
    void cellAlignment_data();
    void cellAlignment();
    void cellText_data();
    void cellText();
    void textColour_data();
    void textColour();
    void rowShading();
    void footer();
    void fontSizeAtEntry_data();
    void fontSizeAtEntry();
    void pageClamping_data();
    void pageClamping();
    void parseCases_data();
    void parseCases();
    void titles();
    void printerRecordWithoutPrinter();
    void recordingReplaysTheSamePage();
};

void tst_PrintLayout::pagination_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("fontSize");
    QTest::addColumn<int>("rowsPerPage");
    QTest::addColumn<int>("pages");
    // Bottom edge 4320: the 11th row reaches it, so 10 rows a page (one fewer than fit).
    QTest::newRow("21 rows at 10 a page make 3 pages") << 21 << "" << 4536 << 9 << 10 << 3;
    QTest::newRow("20 rows at 10 a page make 2 pages") << 20 << "" << 4536 << 9 << 10 << 2;
    QTest::newRow("rows that all fit make one page") << 10 << "" << 4536 << 9 << 10 << 1;
    QTest::newRow("a title line takes room from the table") << 21 << "T" << 4800 << 9 << 10 << 3;
    QTest::newRow("no rows is one empty page") << 0 << "" << 4536 << 9 << 0 << 1;
    QTest::newRow("fewer than two rows fit: one row a page") << 5 << "T" << 2400 << 30 << 1 << 5;
    QTest::newRow("not even one row fits: one row a page") << 3 << "T" << 600 << 30 << 1 << 3;
}

void tst_PrintLayout::pagination()
{
    QFETCH(int, rows);
    QFETCH(QString, title);
    QFETCH(int, height);
    QFETCH(int, fontSize);
    Fixture f(makeGrid(rows, {1000, 2000}), title, height, fontSize);
    QTEST(f.layout.data[0].rowsPerPage, "rowsPerPage");
    QTEST(f.layout.data[0].pageCount, "pages");
}

void tst_PrintLayout::rowsOfPage_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QStringList>("firstColumn");
    QTest::addColumn<int>("rules");
    QTest::newRow("page 1 shows rows 0-9 between 11 rules")
        << 1 << QStringList{"r0c0", "r1c0", "r2c0", "r3c0", "r4c0",
                            "r5c0", "r6c0", "r7c0", "r8c0", "r9c0"}
        << 11;
    QTest::newRow("last page shows row 20 only, with two rules") << 3 << QStringList{"r20c0"} << 2;
}

void tst_PrintLayout::rowsOfPage()
{
    QFETCH(int, page);
    QFETCH(QStringList, firstColumn);
    Fixture f(makeGrid(21, {1000, TableWidth - 1000}), QString(), 4536);
    f.layout.writeGrid(page, DevicePreview);
    QStringList drawn;
    for (const DrawnText &t : f.surface.texts)
        if (t.x < Left + 1000)
            drawn.append(t.text);
    QCOMPARE(drawn, firstColumn);
    const QList<DrawnLine> rules = f.surface.horizontalLines();
    QTEST(int(rules.size()), "rules");
    QCOMPARE(rules.first().y1, 2 * Top);
    QCOMPARE(rules.last().y1, 2 * Top + RowH * (int(rules.size()) - 1));
    // Vertical rules end at the table's bottom rule.
    for (const DrawnLine &l : f.surface.lines)
        if (l.x1 == l.x2)
            QCOMPARE(l.y2, rules.last().y1);
}

void tst_PrintLayout::titleLines_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QList<int>>("xs");
    QTest::addColumn<QList<int>>("ys");
    const int right = 15876 - Left;
    QTest::newRow("a title without markers is one line")
        << "Race 11" << QStringList{"Race 11"} << QList<int>{Left} << QList<int>{Top};
    QTest::newRow("text after (\\R) ends at the right edge")
        << "a(\\R)bc" << QStringList{"a", "bc"} << QList<int>{Left, right - 220}
        << QList<int>{Top, Top};
    QTest::newRow("markers match as text: (\\r) splits too")
        << "a(\\r)b" << QStringList{"a", "b"} << QList<int>{Left, right - 110}
        << QList<int>{Top, Top};
    QTest::newRow("(\\\\) starts a line 1.2 title lines lower")
        << "x(\\\\)y" << QStringList{"x", "y"} << QList<int>{Left, Left}
        << QList<int>{Top, Top + 317};
    QTest::newRow("an empty title draws nothing")
        << "" << QStringList{} << QList<int>{} << QList<int>{};
    // 15516 twips available, 220 a character at 11 pt: 70 characters with "…" reach it.
    QTest::newRow("a title wider than the page ends in an ellipsis")
        << QString(100, QChar(0x3042)) << QStringList{QString(69, QChar(0x3042)) + Ellipsis}
        << QList<int>{Left} << QList<int>{Top};
}

void tst_PrintLayout::titleLines()
{
    QFETCH(QString, title);
    QFETCH(QStringList, texts);
    QFETCH(QList<int>, xs);
    QFETCH(QList<int>, ys);
    Fixture f(makeGrid(3, {1000}), title);
    QVERIFY(f.layout.writeTitle(DevicePreview).ok());
    QStringList drawn;
    QList<int> dx, dy;
    for (const DrawnText &t : f.surface.texts) {
        drawn.append(t.text);
        dx.append(t.x);
        dy.append(t.y);
        QCOMPARE(t.size, 11);
        QVERIFY(t.bold);
    }
    QCOMPARE(drawn, texts);
    QCOMPARE(dx, xs);
    QCOMPARE(dy, ys);
}

void tst_PrintLayout::titleMovesTable()
{
    Fixture none(makeGrid(3, {1000}), QString());
    Fixture one(makeGrid(3, {1000}), QStringLiteral("x"));
    Fixture two(makeGrid(3, {1000}), QStringLiteral("x(\\\\)y"));
    QCOMPARE(none.layout.data[0].gridTop, 2 * Top);
    QCOMPARE(one.layout.data[0].gridTop, 2 * Top + TitleH);
    QCOMPARE(two.layout.data[0].gridTop, 2 * Top + 2 * TitleH);
}

void tst_PrintLayout::cellAlignment_data()
{
    QTest::addColumn<int>("alignment");
    QTest::addColumn<int>("x");
    // Column 0 is 1000 wide from x 180; "AB" is 180 wide, 207 with the inset.
    const int left = Left + 1 + Inset;
    const int centre = Left + 1 + (1000 - 207) / 2;
    const int right = Left + 1000 - 207 - 1;
    const char *names[] = {"left top",     "left centre",    "left bottom", "centre top",
                           "centre",       "centre bottom",  "right top",   "right centre",
                           "right bottom", "general is left"};
    const int xs[] = {left, left, left, centre, centre, centre, right, right, right, left};
    for (int a = 0; a <= 9; ++a)
        QTest::newRow(names[a]) << a << xs[a];
}

void tst_PrintLayout::cellAlignment()
{
    QFETCH(int, alignment);
    Grid g = makeGrid(1, {1000, TableWidth - 1000});
    g.setText(0, 0, QStringLiteral("AB"));
    g.setColAlignment(0, alignment);
    g.setColAlignment(1, alignment);
    Fixture f(std::move(g));
    f.layout.writeGrid(1, DevicePreview);
    const QList<DrawnText> cells = f.cellTexts();
    QCOMPARE(cells.size(), 2);
    QTEST(cells.at(0).x, "x");
    // Every text is centred vertically in its row, whatever the alignment says.
    QCOMPARE(cells.at(0).y, 2 * Top + 1 + (RowH - Top) / 2);
    // The last column's right edge is the table's right edge.
    const int textWidth = int(FakeSurface::widthAt(QStringLiteral("r0c1"), 9)) + Inset;
    if (alignment >= 6 && alignment <= 8)
        QCOMPARE(cells.at(1).x, 15876 - Left - textWidth - 1);
}

void tst_PrintLayout::cellText_data()
{
    QTest::addColumn<int>("columnWidth");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("drawn");
    QTest::newRow("a text that fits is drawn whole") << 1000 << "ABCDEFGH"
                                                     << "ABCDEFGH";
    // 8 characters + "…" + inset = 927 < 1000; 9 would reach it.
    QTest::newRow("a text too wide for its column ends in an ellipsis")
        << 1000 << "ABCDEFGHIJKLMNOP" << QString("ABCDEFGH" + Ellipsis);
    QTest::newRow("a column too narrow for one character shows the ellipsis alone")
        << 200 << "AB" << Ellipsis;
    QTest::newRow("line breaks are removed") << 1000 << "a\r\nb\nc\rd"
                                             << "abcd";
    QTest::newRow("a column of width 0 draws no text") << 0 << "X"
                                                       << "";
}

void tst_PrintLayout::cellText()
{
    QFETCH(int, columnWidth);
    QFETCH(QString, text);
    Grid g = makeGrid(1, {columnWidth, TableWidth - columnWidth});
    g.setText(0, 0, text);
    g.setText(0, 1, QString());
    Fixture f(std::move(g));
    f.layout.writeGrid(1, DevicePreview);
    const QList<DrawnText> cells = f.cellTexts();
    QTEST(cells.isEmpty() ? QString() : cells.first().text, "drawn");
}

void tst_PrintLayout::textColour_data()
{
    QTest::addColumn<bool>("reflect");
    QTest::addColumn<bool>("reverse");
    QTest::addColumn<Color>("cellColour");
    QTest::addColumn<Color>("drawn");
    QTest::newRow("without the option text is black") << false << false << rgb(255, 0, 0) << 0u;
    QTest::newRow("reflected cell colour") << true << false << rgb(255, 0, 0) << rgb(255, 0, 0);
    QTest::newRow("reversed black becomes white") << true << true << NoColor << 0xFFFFFFu;
    QTest::newRow("reversed red becomes cyan")
        << true << true << rgb(255, 0, 0) << rgb(0, 255, 255);
}

void tst_PrintLayout::textColour()
{
    QFETCH(bool, reflect);
    QFETCH(bool, reverse);
    QFETCH(Color, cellColour);
    Grid g = makeGrid(2, {1000, TableWidth - 1000});
    g.setCellForeColor(1, 0, cellColour);
    g.setCurrent(0, 1);
    g.setSelection(1, 1);
    FakeSurface surface;
    PrintLayout layout;
    layout.preview = &surface;
    layout.setup(&g, QString(), 9, reflect, reverse, false);
    layout.initPrintData();
    layout.writeGrid(1, DevicePreview);
    QCOMPARE(surface.texts.size(), 4);
    QTEST(surface.texts.at(2).color, "drawn");
    // Reading the colours leaves the document's selection alone.
    QCOMPARE(g.row(), 0);
    QCOMPARE(g.rowSel(), 1);
}

void tst_PrintLayout::rowShading()
{
    Fixture f(makeGrid(21, {1000, TableWidth - 1000}), QString(), 4536);
    f.layout.changeRowColor = true;
    f.layout.writeGrid(1, DevicePreview);
    QCOMPARE(f.surface.boxes.size(), 5); // rows 0, 2, 4, 6, 8
    QCOMPARE(f.surface.boxes.first().y1, 2 * Top);
    QCOMPARE(f.surface.boxes.first().y2, 2 * Top + RowH);
    f.surface.reset();
    f.layout.writeGrid(3, DevicePreview);
    QCOMPARE(f.surface.boxes.size(), 1); // row 20
}

void tst_PrintLayout::footer()
{
    Fixture f(makeGrid(21, {1000}), QString(), 4536);
    QVERIFY(f.layout.writeFooter(3, DevicePreview).ok());
    QCOMPARE(f.layout.data[0].currentPage, 3);
    QCOMPARE(f.surface.texts.size(), 2);
    const DrawnText date = f.surface.texts.at(0);
    const DrawnText page = f.surface.texts.at(1);
    QCOMPARE(date.text, QStringLiteral("2003/12/15"));
    QCOMPARE(page.text, QStringLiteral("3 / 3 ページ"));
    QCOMPARE(date.size, 7);
    QCOMPARE(date.x, Left);
    QCOMPARE(date.y, 4536 - Top - 7 * 24);
    QCOMPARE(page.y, date.y);
    QCOMPARE(page.x, 15876 - Left - 840);
}

void tst_PrintLayout::fontSizeAtEntry_data()
{
    QTest::addColumn<int>("requested");
    QTest::addColumn<double>("gridSize");
    QTest::addColumn<int>("used");
    QTest::newRow("0 takes the grid's size") << 0 << 11.4 << 11;
    QTest::newRow("0 takes the grid's size, halves to even") << 0 << 10.5 << 10;
    QTest::newRow("40 becomes 30") << 40 << 9.0 << 30;
    QTest::newRow("4 becomes 6") << 4 << 9.0 << 6;
    QTest::newRow("a tiny grid font becomes 6") << 0 << 3.0 << 6;
    QTest::newRow("9 stays") << 9 << 12.0 << 9;
}

void tst_PrintLayout::fontSizeAtEntry()
{
    QFETCH(int, requested);
    QFETCH(double, gridSize);
    Grid g = makeGrid(2, {1000});
    g.setFontSize(gridSize);
    PrintLayout layout;
    QTEST(layout.setup(&g, QString(), requested, false, false, false), "used");
    QTEST(layout.data[0].fontSize, "used");
    QTEST(layout.data[1].fontSize, "used");
}

void tst_PrintLayout::pageClamping_data()
{
    QTest::addColumn<int>("asked");
    QTest::addColumn<QString>("indicator");
    QTest::newRow("page 0 shows page 1") << 0 << "01/03";
    QTest::newRow("page 99 of 3 shows page 3") << 99 << "03/03";
    QTest::newRow("page 2 stays") << 2 << "02/03";
    QTest::newRow("a negative page shows page 1") << -4 << "01/03";
}

void tst_PrintLayout::pageClamping()
{
    QFETCH(int, asked);
    Fixture f(makeGrid(21, {1000}), QString(), 4536);
    const int page = f.layout.validPage(asked, DevicePreview);
    QTEST(pageIndicator(page, f.layout.data[0].pageCount), "indicator");
}

void tst_PrintLayout::parseCases_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("field");
    QTest::newRow("first field") << "10,20,30,40" << 1 << "10";
    QTest::newRow("middle field") << "10,20,30,40" << 3 << "30";
    QTest::newRow("last field is the rest") << "10,20,30,40" << 4 << "40";
    QTest::newRow("beyond the last field is empty") << "10,20,30,40" << 5 << "";
    QTest::newRow("empty field") << "a,,c" << 2 << "";
    QTest::newRow("text without delimiter is field 1") << "abc" << 1 << "abc";
    QTest::newRow("empty text") << "" << 2 << "";
}

void tst_PrintLayout::parseCases()
{
    QFETCH(QString, text);
    QFETCH(int, n);
    QTEST(parse(text, n, QStringLiteral(",")), "field");
}

void tst_PrintLayout::titles()
{
    QCOMPARE(plainTitle(QStringLiteral("A(\\\\)B")), QStringLiteral("A B"));
    QCOMPARE(plainTitle(QStringLiteral("A(\\R)B(\\\\)C")), QStringLiteral("A B C"));
    QCOMPARE(printTitle(QStringLiteral("Race 11"), QStringLiteral("2003/12/15"), false),
             QStringLiteral("集計:Race 11:2003/12/15"));
    QCOMPARE(printTitle(QStringLiteral("Race 11"), QStringLiteral("2003/12/15"), true),
             QStringLiteral("馬連:Race 11:2003/12/15"));
    QCOMPARE(pageIndicator(3, 12), QStringLiteral("03/12"));
}

void tst_PrintLayout::printerRecordWithoutPrinter()
{
    // Without a printer the printer record is measured on the preview, on the printer's sheet.
    Fixture f(makeGrid(21, {1000}), QString(), 4536);
    f.layout.printerHeight = 4536 + 5 * RowH;
    f.layout.initPrintData();
    QCOMPARE(f.layout.data[1].lineHeight, Top);
    QCOMPARE(f.layout.data[1].bottomEdge, 4536 + 5 * RowH - Top);
    QCOMPARE(f.layout.data[1].rowsPerPage, 15);
    QCOMPARE(f.layout.data[1].pageCount, 2);
    QCOMPARE(f.layout.data[0].pageCount, 3);
    // Drawing on a printer that is not there fails instead of drawing on the preview.
    f.surface.reset();
    QVERIFY(!f.layout.writeTitle(DevicePrinter).ok());
    QCOMPARE(f.layout.writeFooter(1, DevicePrinter).number, PrinterErrorNumber);
    QVERIFY(f.surface.texts.isEmpty());
}

void tst_PrintLayout::recordingReplaysTheSamePage()
{
    Fixture f(makeGrid(21, {1000, TableWidth - 1000}), QStringLiteral("t(\\R)u"), 4800);
    FakeSurface printer(15876, 4800);
    RecordingSurface recorder(printer);
    f.layout.printer = &recorder;
    f.layout.initPrintData();
    f.layout.writeTitle(DevicePrinter);
    f.layout.writeFooter(2, DevicePrinter);
    f.layout.writeGrid(2, DevicePrinter);
    QVERIFY(printer.texts.isEmpty());
    recorder.replay(printer);

    f.layout.writeTitle(DevicePreview);
    f.layout.writeFooter(2, DevicePreview);
    f.layout.writeGrid(2, DevicePreview);
    QCOMPARE(printer.texts.size(), f.surface.texts.size());
    for (qsizetype i = 0; i < printer.texts.size(); ++i) {
        QCOMPARE(printer.texts.at(i).text, f.surface.texts.at(i).text);
        QCOMPARE(printer.texts.at(i).x, f.surface.texts.at(i).x);
        QCOMPARE(printer.texts.at(i).size, f.surface.texts.at(i).size);
    }
    QCOMPARE(printer.lines.size(), f.surface.lines.size());
}

QTEST_GUILESS_MAIN(tst_PrintLayout)
#include "tst_printlayout.moc"
