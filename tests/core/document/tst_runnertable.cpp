// Shape of the runner table: defaults, counts, colours, brackets, field rules, column fitting.
#include "core/document/oddsdocument.h"

#include <QTest>

namespace {

// Every character 10 pixels wide, whatever the point size.
class FixedMeasurer : public TextMeasurer
{
public:
    double textWidth(const QString &text, double pointSize) const override
    {
        lastPointSize = pointSize;
        return 10.0 * text.size();
    }
    mutable double lastPointSize = 0;
};

QStringList rowTexts(const Grid &g, int row)
{
    QStringList out;
    for (int c = 0; c < g.cols(); ++c)
        out << g.text(row, c);
    return out;
}

QStringList columnTexts(const Grid &g, int col, int firstRow = FirstRunnerRow)
{
    QStringList out;
    for (int r = firstRow; r < g.rows(); ++r)
        out << g.text(r, col);
    return out;
}

QString backColorAt(const Grid &g, int row, int col)
{
    return colorName(g.cellBackColor(row, col));
}
QString fore(const Grid &g, int row, int col)
{
    return colorName(g.cellForeColor(row, col));
}

} // namespace

class TestRunnerTable : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void constructorDefaults();
    void defaultTable();
    void defaultTableColours_data();
    void defaultTableColours();
    void runnerCount_data();
    void runnerCount();
    void dataColumnCount_data();
    void dataColumnCount();
    void shrinkingKeepsTexts();
    void emptiedDefaultsComeBack();
    void bracketTextColourDoesNotLinger();
    void bracketTableCases_data();
    void bracketTableCases();
    void countRule_data();
    void countRule();
    void payoutRatioRule_data();
    void payoutRatioRule();
    void columnFitting();
    void columnFittingEstimate();
};

void TestRunnerTable::constructorDefaults()
{
    OddsDocument d;
    QCOMPARE(d.countText(0), QStringLiteral("18"));
    QCOMPARE(d.countText(1), QStringLiteral("8"));
    QCOMPARE(d.payoutRatioText(), QStringLiteral("85"));
    QCOMPARE(d.poolText(), QStringLiteral("100000"));
    const QStringList titles{"タイトル", "作成日", "予想", "備考", "備考", "結果"};
    for (int i = 0; i < 6; ++i)
        QCOMPARE(d.titleText(i), titles[i]);
    QCOMPARE(d.titleText(6), QString());
    QCOMPARE(d.runnerCount, 2);
    QCOMPARE(d.runnerTable.fixedRows(), 0);
    QCOMPARE(d.runnerTable.fixedCols(), 1);
    QCOMPARE(d.runnerTable.fontSize(), 12.0);
    QCOMPARE(d.quinellaMatrix.fontSize(), 12.75);
    QVERIFY(!d.quinellaVisible());
}

void TestRunnerTable::defaultTable()
{
    OddsDocument d;
    d.buildTable();
    const Grid &g = d.runnerTable;
    QCOMPARE(d.runnerCount, 18);
    QCOMPARE(g.rows(), 20);
    QCOMPARE(g.cols(), 15);
    QCOMPARE(g.fixedRows(), 0);
    QCOMPARE(g.fixedCols(), 1);
    QVERIFY(!d.quinellaVisible());
    QCOMPARE(rowTexts(g, HeaderRow),
             QStringList({"番", "枠", "名前", "順位", "オッズ", "当選金", "人気", "投票金", "単勝",
                          "騎手", "ﾃﾞｰﾀ", "性齢", "ﾃﾞｰﾀ", "内容", "ﾃﾞｰﾀA"}));
    QCOMPARE(rowTexts(g, RatioRow), QStringList({"…", "…", "……", "……", "………", "………", "比率→", "1",
                                                 "-1", "0", "1", "0", "1", "1", "1"}));
    QStringList numbers;
    for (int r = 1; r <= 18; ++r)
        numbers << QString::number(r);
    QCOMPARE(columnTexts(g, ColNumber), numbers);
    QCOMPARE(columnTexts(g, ColBracket),
             QStringList({"1", "1", "2", "2", "3", "3", "4", "4", "5", "5", "6", "6", "7", "7", "7",
                          "8", "8", "8"}));
    // No data: the recalculation leaves the computed columns empty.
    QCOMPARE(columnTexts(g, ColOdds), QStringList(18, QString()));
    QCOMPARE(d.poolText(), QStringLiteral("100000"));
}

void TestRunnerTable::defaultTableColours_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");
    QTest::addColumn<Color>("back");
    QTest::addColumn<Color>("fore");

    QTest::newRow("even row is white") << 2 << 2 << rgb(255, 255, 255) << NoColor;
    QTest::newRow("odd row is light grey") << 3 << 9 << rgb(240, 240, 240) << NoColor;
    QTest::newRow("header row of the name column stays white")
        << 0 << 2 << rgb(255, 255, 255) << NoColor;
    QTest::newRow("ratio row of fixed layout is dark")
        << 1 << 0 << rgb(80, 80, 80) << rgb(200, 200, 200);
    QTest::newRow("ratio row keeps dark over computed column colour")
        << 1 << 4 << rgb(80, 80, 80) << rgb(200, 200, 200);
    QTest::newRow("header of a data column") << 0 << 7 << rgb(230, 230, 230) << NoColor;
    QTest::newRow("ratio of a data column") << 1 << 14 << rgb(230, 250, 230) << NoColor;
    QTest::newRow("rank column header") << 0 << 3 << rgb(255, 200, 200) << NoColor;
    QTest::newRow("odds column overrides odd row") << 19 << 4 << rgb(200, 255, 200) << NoColor;
    QTest::newRow("payout column") << 10 << 5 << rgb(200, 200, 255) << NoColor;
    QTest::newRow("support column") << 7 << 6 << rgb(200, 255, 255) << NoColor;
    QTest::newRow("bracket 1") << 2 << 1 << rgb(255, 255, 255) << rgb(0, 0, 0);
    QTest::newRow("bracket 2 overrides odd row") << 5 << 1 << rgb(30, 30, 30) << rgb(250, 250, 250);
    QTest::newRow("bracket 3") << 6 << 1 << rgb(255, 60, 60) << rgb(250, 250, 250);
    QTest::newRow("bracket 4") << 8 << 1 << rgb(60, 60, 255) << rgb(255, 255, 255);
    QTest::newRow("bracket 5") << 10 << 1 << rgb(255, 255, 120) << rgb(0, 0, 0);
    QTest::newRow("bracket 6") << 12 << 1 << rgb(50, 255, 50) << rgb(0, 0, 0);
    QTest::newRow("bracket 7 has three runners at 18")
        << 16 << 1 << rgb(255, 128, 0) << rgb(0, 0, 0);
    QTest::newRow("bracket 8") << 19 << 1 << rgb(255, 192, 203) << rgb(0, 0, 0);
}

void TestRunnerTable::defaultTableColours()
{
    QFETCH(int, row);
    QFETCH(int, col);
    QFETCH(Color, back);
    QFETCH(Color, fore);
    OddsDocument d;
    d.buildTable();
    QCOMPARE(backColorAt(d.runnerTable, row, col), colorName(back));
    QCOMPARE(d.runnerTable.cellForeColor(row, col), fore);
}

void TestRunnerTable::runnerCount_data()
{
    QTest::addColumn<QString>("countText");
    QTest::addColumn<int>("runners");
    QTest::addColumn<QStringList>("brackets");

    QTest::newRow("1 builds two runners, field keeps 1") << "1" << 2 << QStringList{"", ""};
    QTest::newRow("0 builds two runners, field keeps 0") << "0" << 2 << QStringList{"", ""};
    QTest::newRow("letters read as 0") << "abc" << 2 << QStringList{"", ""};
    QTest::newRow("7 runners get no brackets") << "7" << 7 << QStringList(7, QString());
    QTest::newRow("8 runners one per bracket")
        << "8" << 8 << QStringList{"1", "2", "3", "4", "5", "6", "7", "8"};
    QTest::newRow("30 runners get no brackets") << "30" << 30 << QStringList(30, QString());
}

void TestRunnerTable::runnerCount()
{
    QFETCH(QString, countText);
    QFETCH(int, runners);
    QFETCH(QStringList, brackets);
    OddsDocument d;
    d.setCountText(0, countText);
    d.buildTable();
    QCOMPARE(d.countText(0), countText);
    QCOMPARE(d.runnerCount, runners);
    QCOMPARE(d.runnerTable.rows(), runners + 2);
    QCOMPARE(d.runnerTable.text(runners + 1, ColNumber), QString::number(runners));
    QCOMPARE(columnTexts(d.runnerTable, ColBracket), brackets);
    if (brackets.first().isEmpty()) {
        QCOMPARE(backColorAt(d.runnerTable, 2, ColBracket), colorName(rgb(255, 255, 255)));
        QCOMPARE(backColorAt(d.runnerTable, 3, ColBracket), colorName(rgb(240, 240, 240)));
        QCOMPARE(d.runnerTable.cellForeColor(3, ColBracket), NoColor);
    }
}

void TestRunnerTable::dataColumnCount_data()
{
    QTest::addColumn<QString>("countText");
    QTest::addColumn<int>("cols");
    QTest::addColumn<QStringList>("tailHeaders");
    QTest::addColumn<QStringList>("tailWeights");

    QTest::newRow("0 data columns leaves the fixed layout")
        << "0" << 7 << QStringList{"人気"} << QStringList{"比率→"};
    QTest::newRow("14 data columns: forecast headers then 予, weight 1 beyond 13")
        << "14" << 21 << QStringList{"ﾃﾞｰﾀA", "予想B", "予想C", "予想D", "予想E", "予", "予"}
        << QStringList(7, QStringLiteral("1"));
}

void TestRunnerTable::dataColumnCount()
{
    QFETCH(QString, countText);
    QFETCH(int, cols);
    QFETCH(QStringList, tailHeaders);
    QFETCH(QStringList, tailWeights);
    OddsDocument d;
    d.setCountText(1, countText);
    d.buildTable();
    QCOMPARE(d.runnerTable.cols(), cols);
    const QStringList headers = rowTexts(d.runnerTable, HeaderRow);
    const QStringList weights = rowTexts(d.runnerTable, RatioRow);
    QCOMPARE(headers.mid(cols - tailHeaders.size()), tailHeaders);
    QCOMPARE(weights.mid(cols - tailWeights.size()), tailWeights);
}

void TestRunnerTable::shrinkingKeepsTexts()
{
    OddsDocument d;
    d.buildTable();
    for (int r = 1; r <= 18; ++r) {
        d.runnerTable.setText(r + 1, ColName, QStringLiteral("馬%1").arg(r));
        d.runnerTable.setText(r + 1, 9, QStringLiteral("騎手%1").arg(r));
    }
    d.runnerTable.setText(HeaderRow, 8, QStringLiteral("前走"));
    d.runnerTable.setText(RatioRow, 10, QStringLiteral("2"));
    d.setCountText(0, QStringLiteral("10"));
    d.buildTable();
    QCOMPARE(d.runnerTable.rows(), 12);
    for (int r = 1; r <= 10; ++r) {
        QCOMPARE(d.runnerTable.text(r + 1, ColName), QStringLiteral("馬%1").arg(r));
        QCOMPARE(d.runnerTable.text(r + 1, 9), QStringLiteral("騎手%1").arg(r));
    }
    QCOMPARE(d.runnerTable.text(HeaderRow, 8), QStringLiteral("前走"));
    QCOMPARE(d.runnerTable.text(RatioRow, 10), QStringLiteral("2"));
    QCOMPARE(columnTexts(d.runnerTable, ColBracket),
             QStringList({"1", "2", "3", "4", "5", "6", "7", "7", "8", "8"}));
    QCOMPARE(backColorAt(d.runnerTable, 10, ColBracket), colorName(rgb(255, 192, 203)));

    // Growing again brings empty rows, not the dropped names.
    d.setCountText(0, QStringLiteral("12"));
    d.buildTable();
    QCOMPARE(d.runnerTable.text(12, ColName), QString());
    QCOMPARE(d.runnerTable.text(12, ColNumber), QStringLiteral("11"));
}

void TestRunnerTable::emptiedDefaultsComeBack()
{
    OddsDocument d;
    d.buildTable();
    d.runnerTable.setText(HeaderRow, 7, QString());
    d.runnerTable.setText(RatioRow, 8, QString());
    d.runnerTable.setText(HeaderRow, 2, QStringLiteral("馬名"));
    d.buildTable();
    QCOMPARE(d.runnerTable.text(HeaderRow, 7), QStringLiteral("投票金"));
    QCOMPARE(d.runnerTable.text(RatioRow, 8), QStringLiteral("-1"));
    QCOMPARE(d.runnerTable.text(HeaderRow, 2), QStringLiteral("馬名"));
}

void TestRunnerTable::bracketTextColourDoesNotLinger()
{
    // Bracket 2 writes near-white text; without brackets that text would vanish on white.
    OddsDocument d;
    d.buildTable();
    QCOMPARE(fore(d.runnerTable, 4, ColBracket), colorName(rgb(250, 250, 250)));
    d.setCountText(0, QStringLiteral("7"));
    d.buildTable();
    QCOMPARE(d.runnerTable.text(4, ColBracket), QStringLiteral("2"));
    QCOMPARE(d.runnerTable.cellForeColor(4, ColBracket), NoColor);
    QCOMPARE(backColorAt(d.runnerTable, 4, ColBracket), colorName(rgb(255, 255, 255)));
}

void TestRunnerTable::bracketTableCases_data()
{
    QTest::addColumn<int>("runners");
    QTest::addColumn<QString>("perBracket");

    QTest::newRow("7 has no table") << 7 << "";
    QTest::newRow("25 has no table") << 25 << "";
    const char *const rows[] = {"11111111", "11111112", "11111122", "11111222", "11112222",
                                "11122222", "11222222", "12222222", "22222222", "22222223",
                                "22222233", "22222333", "22223333", "22233333", "22333333",
                                "23333333", "33333333"};
    for (int n = 8; n <= 24; ++n)
        QTest::addRow("%d runners: last brackets take the extra ones", n)
            << n << QString::fromLatin1(rows[n - 8]);
}

void TestRunnerTable::bracketTableCases()
{
    QFETCH(int, runners);
    QFETCH(QString, perBracket);
    QStringList expected;
    for (int b = 0; b < perBracket.size(); ++b)
        for (int k = 0; k < perBracket[b].digitValue(); ++k)
            expected << QString::number(b + 1);
    QCOMPARE(bracketTable(runners), expected);
}

void TestRunnerTable::countRule_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stays");

    QTest::newRow("leading zero reads as its own value and stays") << "018"
                                                                   << "018";
    QTest::newRow("above 36 becomes 36") << "40"
                                         << "36";
    QTest::newRow("fraction is rounded") << "2.6"
                                         << "3";
    QTest::newRow("half rounds to even") << "2.5"
                                         << "2";
    QTest::newRow("negative becomes 0") << "-5"
                                        << "0";
    QTest::newRow("below 1 becomes 0") << "0.4"
                                       << "0";
    QTest::newRow("empty stays") << ""
                                 << "";
    QTest::newRow("letters stay") << "abc"
                                  << "abc";
    QTest::newRow("36 stays") << "36"
                              << "36";
    QTest::newRow("trailing text after a valid number stays") << "12頭"
                                                              << "12頭";
    QTest::newRow("huge exponent becomes 36") << "1E300"
                                              << "36";
}

void TestRunnerTable::countRule()
{
    QFETCH(QString, typed);
    QFETCH(QString, stays);
    OddsDocument d;
    d.setCountText(0, typed);
    QCOMPARE(d.countText(0), stays);
    d.setCountText(1, typed);
    QCOMPARE(d.countText(1), stays);
    QCOMPARE(d.countText(0), stays);
}

void TestRunnerTable::payoutRatioRule_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stays");

    QTest::newRow("empty becomes 1") << ""
                                     << "1";
    QTest::newRow("letters become 1") << "abc"
                                      << "1";
    QTest::newRow("above 100 becomes 100") << "150"
                                           << "100";
    QTest::newRow("0 becomes 1") << "0"
                                 << "1";
    QTest::newRow("fraction is rounded to even") << "84.5"
                                                 << "84";
    QTest::newRow("valid value stays as typed") << "075"
                                                << "075";
}

void TestRunnerTable::payoutRatioRule()
{
    QFETCH(QString, typed);
    QFETCH(QString, stays);
    OddsDocument d;
    d.setPayoutRatioText(typed);
    QCOMPARE(d.payoutRatioText(), stays);
}

void TestRunnerTable::columnFitting()
{
    FixedMeasurer m;
    OddsDocument d;
    d.setMeasurer(&m);
    d.twipsPerPixelX = 12;
    d.buildTable();
    QCOMPARE(m.lastPointSize, 13.0);
    const Grid &g = d.runnerTable;
    // "ﾃﾞｰﾀA" + blank = 6 characters = 60 px = 720 twips at 12 twips per pixel.
    QCOMPARE(g.colWidth(14), 720);
    // Short texts stay at the 320-twip minimum: "枠" + blank = 240 twips.
    QCOMPARE(g.colWidth(ColBracket), 320);
    // Runner numbers decide column 0: "18" + blank = 360 twips.
    QCOMPARE(g.colWidth(ColNumber), 360);
    // The longest text of the column decides, data rows included.
    d.runnerTable.setText(5, ColName, QStringLiteral("ABCDEFGHIJ"));
    d.fitColumnWidths();
    QCOMPARE(g.colWidth(ColName), 1320);

    // An emptied column falls back to exactly the minimum.
    d.setCountText(1, QStringLiteral("0"));
    d.buildTable();
    for (int r = 0; r < g.rows(); ++r)
        d.runnerTable.setText(r, ColName, QString());
    d.fitColumnWidths();
    QCOMPARE(g.colWidth(ColName), 320);
}

void TestRunnerTable::columnFittingEstimate()
{
    // Without a measurer: half-width characters half an em, others one em; 13 pt = 52/3 px.
    OddsDocument d;
    d.buildTable();
    // "名前 " and "…… " are 2.5 em; "比率→ " is 3.5 em; "番 " stays under the minimum.
    QCOMPARE(d.runnerTable.colWidth(ColName), 650);
    QCOMPARE(d.runnerTable.colWidth(ColSupport), 910);
    QCOMPARE(d.runnerTable.colWidth(ColNumber), 390);
    d.runnerTable.setText(3, ColNumber, QStringLiteral("ab"));
    d.fitColumnWidths();
    QCOMPARE(d.runnerTable.colWidth(ColNumber), 390);
}

QTEST_GUILESS_MAIN(TestRunnerTable)
#include "tst_runnertable.moc"
