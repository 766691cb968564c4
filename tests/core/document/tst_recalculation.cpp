// Pool, scores, support, ranks, odds and payouts of the runner table.
#include "core/document/oddsdocument.h"

#include "core/text/fixed4.h"
#include "core/text/numbertext.h"

#include <QRandomGenerator>
#include <QTest>
#include <bit>
#include <memory>

namespace {

constexpr int StakeCol = 7;   // "投票金", weight 1
constexpr int WinOddsCol = 8; // "単勝", weight -1
constexpr int JockeyCol = 9;  // weight 0
constexpr int DataCol = 10;   // "ﾃﾞｰﾀ", weight 1

// A default document with the given cells of one column filled for runners 1, 2, ...
void fill(OddsDocument &d, int col, const QStringList &cells)
{
    for (int i = 0; i < cells.size(); ++i)
        d.runnerTable.setText(i + 2, col, cells[i]);
}

QStringList column(const OddsDocument &d, int col, int runners)
{
    QStringList out;
    for (int r = 1; r <= runners; ++r)
        out << d.runnerTable.text(r + 1, col);
    return out;
}

QString back(const Grid &g, int row, int col)
{
    return colorName(g.cellBackColor(row, col));
}

} // namespace

class TestRecalculation : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cutDecimals_data();
    void cutDecimals();
    void fractionCells_data();
    void fractionCells();
    void oddsColumnShares();
    void stakesExample();
    void widthsFitComputedValues();
    void poolRule_data();
    void poolRule();
    void oddsExample();
    void equalSupportsShareRank();
    void excludedColumn_data();
    void excludedColumn();
    void singleRunner_data();
    void singleRunner();
    void tinySupportIsCapped();
    void zeroTotalLeavesColumns_data();
    void zeroTotalLeavesColumns();
    void hugeNumbersDoNotCrash_data();
    void hugeNumbersDoNotCrash();
    void onlyNegativeOddsAddNothing();
    void oversizedShareRanksAlone();
    void syukeiHidesQuinella();
    void commonCellFormsReadAsTheGeneralRules_data();
    void commonCellFormsReadAsTheGeneralRules();
    void cutDecimalsFollowsTheText();
};

void TestRecalculation::cutDecimals_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("digits");
    QTest::addColumn<double>("expected");

    QTest::newRow("drops digits beyond two") << 12.3456 << 2 << 12.34;
    QTest::newRow("negative truncates toward zero") << -1.2345 << 2 << -1.23;
    QTest::newRow("never rounds up") << 7.89 << 1 << 7.8;
    QTest::newRow("whole number unchanged") << 5.0 << 3 << 5.0;
    QTest::newRow("nines are not carried") << 0.9999 << 2 << 0.99;
    QTest::newRow("binary 8.5 stays") << 8.5 << 1 << 8.5;
    QTest::newRow("2.8333 from 85000/30000") << 85000.0 / 30000 << 1 << 2.8;
    QTest::newRow("zero digits") << 3.99 << 0 << 3.0;
}

void TestRecalculation::cutDecimals()
{
    QFETCH(double, value);
    QFETCH(int, digits);
    QFETCH(double, expected);
    QCOMPARE(truncateDecimals(value, digits), expected);
}

// The shortcut for values away from a cut point must keep exactly what the number's text keeps.
void TestRecalculation::cutDecimalsFollowsTheText()
{
    QRandomGenerator rng(4711);
    for (int i = 0; i < 100000; ++i) {
        double v = rng.generateDouble() * (i % 2 ? 10000.0 : 10.0);
        if (i % 5 == 0) // on or next to a cut point
            v = double(qint64(v * 100)) / 100 + (i % 3 - 1) * 1e-12;
        if (i % 7 == 0)
            v = -v;
        const int digits = i % 4;
        const QStringList parts =
            (numberToText(v).trimmed() + QStringLiteral(".000")).split(QLatin1Char('.'));
        const double expected = textToNumber(parts[0] + QLatin1Char('.') + parts[1].left(digits));
        if (truncateDecimals(v, digits) != expected)
            QFAIL(qPrintable(QStringLiteral("%1 cut to %2: %3, expected %4")
                                 .arg(v, 0, 'g', 17)
                                 .arg(digits)
                                 .arg(truncateDecimals(v, digits), 0, 'g', 17)
                                 .arg(expected, 0, 'g', 17)));
    }
}

void TestRecalculation::fractionCells_data()
{
    QTest::addColumn<QString>("cell");
    QTest::addColumn<QString>("weight");
    QTest::addColumn<QString>("contribution");

    QTest::newRow("7/2 is 3.5") << "7/2"
                                << "1"
                                << "3.5";
    QTest::newRow("3/2 is 1.5") << "3/2"
                                << "1"
                                << "1.5";
    QTest::newRow("missing denominator is 0") << "5/"
                                              << "1"
                                              << "0";
    QTest::newRow("extra parts are ignored") << "1/2/3"
                                             << "1"
                                             << "0.5";
    QTest::newRow("division by zero counts 0") << "3/0"
                                               << "1"
                                               << "0";
    QTest::newRow("full-width slash is a slash") << "7／2"
                                                 << "1"
                                                 << "3.5";
    QTest::newRow("weight multiplies") << "7/2"
                                       << "2"
                                       << "7";
    QTest::newRow("plain number times weight") << "12.5"
                                               << "0.5"
                                               << "6.25";
    QTest::newRow("text without number is 0") << "abc"
                                              << "1"
                                              << "0";
}

void TestRecalculation::fractionCells()
{
    QFETCH(QString, cell);
    QFETCH(QString, weight);
    QFETCH(QString, contribution);
    OddsDocument d;
    d.buildTable();
    fill(d, DataCol, {cell});
    const QStringList v = d.columnContributions(DataCol, weight.toDouble());
    QCOMPARE(v.size(), 19);
    QCOMPARE(v[0], QString());
    QCOMPARE(v[1], contribution);
    QCOMPARE(v[2], QStringLiteral("0"));
}

void TestRecalculation::oddsColumnShares()
{
    OddsDocument d;
    d.buildTable();
    fill(d, WinOddsCol, {"2.0", "4.0", "", "8/2"});
    // |weight| does not matter for a column of odds.
    for (double w : {-1.0, -3.0}) {
        const QStringList v = d.columnContributions(WinOddsCol, w);
        QCOMPARE(v.mid(1, 4), QStringList({"50.00", "25.00", "00.00", "25.00"}));
    }
}

void TestRecalculation::widthsFitComputedValues()
{
    OddsDocument d;
    d.buildTable();
    fill(d, StakeCol, {"12345678", "1"});
    d.recalculate();
    const int payoutWidth = d.runnerTable.colWidth(ColPayout);
    d.fitColumnWidths();
    QCOMPARE(d.runnerTable.colWidth(ColPayout), payoutWidth);
}

void TestRecalculation::stakesExample()
{
    OddsDocument d;
    d.buildTable();
    fill(d, StakeCol, {"100", "300", "600"});
    d.recalculate();
    QCOMPARE(d.poolText(), QStringLiteral("1000"));
    QCOMPARE(column(d, ColSupport, 4), QStringList({"10.000", "30.000", "60.000", "00.000"}));
    QCOMPARE(column(d, ColRank, 3), QStringList({"3着", "2着", "1着"}));
    QCOMPARE(column(d, ColOdds, 4), QStringList({"8.5", "2.8", "1.4", ""}));
    QCOMPARE(column(d, ColPayout, 4), QStringList({"850.0", "840.0", "840.0", ""}));
    QCOMPARE(back(d.runnerTable, 4, ColRank), colorName(rgb(128, 255, 255)));
    QCOMPARE(back(d.runnerTable, 3, ColRank), colorName(rgb(255, 255, 150)));
    QCOMPARE(back(d.runnerTable, 2, ColRank), colorName(rgb(255, 128, 128)));
    // Runners without stakes share the last rank.
    for (int r = 4; r <= 18; ++r) {
        QCOMPARE(d.runnerTable.text(r + 1, ColRank), QStringLiteral("4着"));
        QCOMPARE(back(d.runnerTable, r + 1, ColRank), colorName(rgb(199, 199, 199)));
    }
    QCOMPARE(d.rankList.size(), 18);
    QCOMPARE(d.rankList.first(), QStringLiteral("0000.0000,10"));
    QCOMPARE(d.rankList.mid(15), QStringList({"0010.0000,1", "0030.0000,2", "0060.0000,3"}));
    QStringList sorted = d.rankList;
    sorted.sort();
    QCOMPARE(d.rankList, sorted);
}

void TestRecalculation::poolRule_data()
{
    QTest::addColumn<QStringList>("stakes");
    QTest::addColumn<QString>("pool");

    QTest::newRow("9 or less falls back to 100000") << QStringList{"4", "5"} << "100000";
    QTest::newRow("just above 9 is used") << QStringList{"4", "6"} << "10";
    QTest::newRow("99999999 falls back to 100000") << QStringList{"99999990", "9"} << "100000";
    QTest::newRow("just below 99999999 is used") << QStringList{"99999990", "8"} << "99999998";
    QTest::newRow("decimal stakes are summed") << QStringList{"10.5", "2.25"} << "12.75";
    QTest::newRow("fractions are not stakes") << QStringList{"100/2", "20"} << "120";
}

void TestRecalculation::poolRule()
{
    QFETCH(QStringList, stakes);
    QFETCH(QString, pool);
    OddsDocument d;
    d.buildTable();
    d.setPoolText(QStringLiteral("5555"));
    fill(d, StakeCol, stakes);
    d.recalculate();
    QCOMPARE(d.poolText(), pool);
}

void TestRecalculation::oddsExample()
{
    OddsDocument d;
    d.buildTable();
    fill(d, WinOddsCol, {"2.0", "4.0"});
    d.recalculate();
    QCOMPARE(d.poolText(), QStringLiteral("100000"));
    QCOMPARE(column(d, ColSupport, 3), QStringList({"66.670", "33.330", "00.000"}));
    QCOMPARE(column(d, ColRank, 3), QStringList({"1着", "2着", "3着"}));
    QCOMPARE(column(d, ColOdds, 3), QStringList({"1.2", "2.5", ""}));
    QCOMPARE(column(d, ColPayout, 3), QStringList({"80004.0", "83325.0", ""}));
}

void TestRecalculation::equalSupportsShareRank()
{
    OddsDocument d;
    d.setCountText(0, QStringLiteral("4"));
    d.buildTable();
    fill(d, StakeCol, {"300", "200", "300", "200"});
    d.recalculate();
    QCOMPARE(column(d, ColRank, 4), QStringList({"1着", "3着", "1着", "3着"}));
    QCOMPARE(back(d.runnerTable, 3, ColRank), colorName(rgb(255, 128, 128)));
}

void TestRecalculation::excludedColumn_data()
{
    QTest::addColumn<QString>("weight");
    QTest::newRow("weight 0 removes the column") << "0";
    QTest::newRow("text weight removes the column") << "abc";
    QTest::newRow("empty weight removes the column") << "";
}

void TestRecalculation::excludedColumn()
{
    QFETCH(QString, weight);
    OddsDocument d;
    d.buildTable();
    fill(d, StakeCol, {"900", "100"});
    fill(d, DataCol, {"1", "3"});
    fill(d, JockeyCol, {"5", "5"}); // weight 0 by default
    d.runnerTable.setText(RatioRow, StakeCol, weight);
    d.recalculate();
    // Stakes still make the pool; the scores come from the data column alone.
    QCOMPARE(d.poolText(), QStringLiteral("1000"));
    QCOMPARE(column(d, ColSupport, 3), QStringList({"25.000", "75.000", "00.000"}));
}

void TestRecalculation::singleRunner_data()
{
    QTest::addColumn<QString>("ratio");
    QTest::addColumn<QString>("odds");
    QTest::addColumn<QString>("payout");

    QTest::newRow("odds are the payout ratio truncated") << "85"
                                                         << "0.8"
                                                         << "80.0";
    QTest::newRow("below 10 percent odds are 0.1") << "5"
                                                   << "0.1"
                                                   << "10.0";
    QTest::newRow("ratio 100 pays the pool back") << "100"
                                                  << "1.0"
                                                  << "100.0";
}

void TestRecalculation::singleRunner()
{
    QFETCH(QString, ratio);
    QFETCH(QString, odds);
    QFETCH(QString, payout);
    OddsDocument d;
    d.buildTable();
    d.setPayoutRatioText(ratio);
    fill(d, StakeCol, {"", "", "100"});
    d.recalculate();
    QCOMPARE(d.runnerTable.text(4, ColSupport), QStringLiteral("100.000"));
    QCOMPARE(d.runnerTable.text(4, ColRank), QStringLiteral("1着"));
    QCOMPARE(d.runnerTable.text(4, ColOdds), odds);
    QCOMPARE(d.runnerTable.text(4, ColPayout), payout);
}

void TestRecalculation::tinySupportIsCapped()
{
    OddsDocument d;
    d.buildTable();
    fill(d, StakeCol, {"1", "99999"});
    d.recalculate();
    QCOMPARE(d.runnerTable.text(2, ColSupport), QStringLiteral("00.001"));
    QCOMPARE(d.runnerTable.text(2, ColOdds), QStringLiteral("9999.0"));
    QCOMPARE(d.runnerTable.text(2, ColPayout), QStringLiteral("9999.0"));
}

void TestRecalculation::zeroTotalLeavesColumns_data()
{
    QTest::addColumn<QStringList>("stakes");
    QTest::newRow("no data at all") << QStringList{};
    QTest::newRow("contributions cancel") << QStringList{"5", "-5"};
}

void TestRecalculation::zeroTotalLeavesColumns()
{
    QFETCH(QStringList, stakes);
    OddsDocument d;
    d.buildTable();
    fill(d, StakeCol, {"100", "300"});
    d.recalculate();
    const QStringList ranks = d.rankList;
    fill(d, StakeCol, {"", ""});
    fill(d, StakeCol, stakes);
    d.recalculate();
    QCOMPARE(d.poolText(), QStringLiteral("100000"));
    QCOMPARE(column(d, ColSupport, 2), QStringList({"25.000", "75.000"}));
    QCOMPARE(column(d, ColRank, 2), QStringList({"2着", "1着"}));
    QCOMPARE(column(d, ColOdds, 2), QStringList({"3.4", "1.1"}));
    QCOMPARE(column(d, ColPayout, 2), QStringList({"340.0", "330.0"}));
    QCOMPARE(back(d.runnerTable, 3, ColRank), colorName(rgb(128, 255, 255)));
    QCOMPARE(d.rankList, ranks);
    QVERIFY(!d.quinellaVisible());
}

void TestRecalculation::hugeNumbersDoNotCrash_data()
{
    QTest::addColumn<int>("col");
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<QString>("weight");

    QTest::newRow("huge stake") << StakeCol << QStringList{"1E300", "100"} << "1";
    QTest::newRow("stakes overflow when added") << StakeCol << QStringList{"1E308", "1E308"} << "1";
    QTest::newRow("huge weight") << DataCol << QStringList{"1E300", "1"} << "1E300";
    QTest::newRow("huge odds") << WinOddsCol << QStringList{"1E300", "2"} << "-1";
    QTest::newRow("tiny odds") << WinOddsCol << QStringList{"1E-300", "2"} << "-1";
    QTest::newRow("huge fraction") << DataCol << QStringList{"1E300/1E-300", "1"} << "1";
    QTest::newRow("shares far beyond 100 percent")
        << DataCol << QStringList{"1E15", "-999999999999999"} << "1";
    QTest::newRow("negative score") << DataCol << QStringList{"-3", "5", "1"} << "1";
}

void TestRecalculation::hugeNumbersDoNotCrash()
{
    QFETCH(int, col);
    QFETCH(QStringList, cells);
    QFETCH(QString, weight);
    OddsDocument d;
    d.buildTable();
    d.runnerTable.setText(RatioRow, col, weight);
    fill(d, col, cells);
    d.recalculate();
    QVERIFY(!d.quinellaVisible());
    QVERIFY(!d.poolText().isEmpty());
    // Every runner that has odds has them within the allowed range.
    for (int r = 1; r <= d.runnerCount; ++r) {
        const QString odds = d.runnerTable.text(r + 1, ColOdds);
        if (odds.isEmpty())
            continue;
        QVERIFY2(odds.toDouble() >= 0.1 && odds.toDouble() <= 9999, qPrintable(odds));
    }
    QVERIFY(d.estimateQuinella());
}

void TestRecalculation::onlyNegativeOddsAddNothing()
{
    OddsDocument d;
    d.buildTable();
    fill(d, WinOddsCol, {"-2", "-4"});
    fill(d, DataCol, {"1", "1"});
    const QStringList v = d.columnContributions(WinOddsCol, -1);
    QCOMPARE(v.mid(1, 2), QStringList({"0", "0"}));
    d.recalculate();
    QCOMPARE(column(d, ColSupport, 2), QStringList({"50.000", "50.000"}));
}

void TestRecalculation::oversizedShareRanksAlone()
{
    // Scores that nearly cancel give a share of 1E17 percent: too large to compare as Fixed4.
    OddsDocument d;
    d.buildTable();
    fill(d, DataCol, {"1E15", "-999999999999999"});
    d.recalculate();
    QCOMPARE(d.runnerTable.text(2, ColRank), QStringLiteral("1着"));
    QCOMPARE(d.runnerTable.text(4, ColRank), QStringLiteral("2着"));
    QCOMPARE(d.runnerTable.text(19, ColRank), QStringLiteral("2着"));
    QCOMPARE(d.runnerTable.text(2, ColOdds), QString());
}

void TestRecalculation::syukeiHidesQuinella()
{
    OddsDocument d;
    d.buildTable();
    fill(d, StakeCol, {"100", "300"});
    d.recalculate();
    QVERIFY(d.estimateQuinella());
    QVERIFY(d.quinellaVisible());
    d.recalculate();
    QVERIFY(!d.quinellaVisible());
    QVERIFY(!d.quinellaVisible());
}

// Plain decimals and fractions of them are read in one pass; a leading blank keeps a cell off
// that way, so the same cell with one must give the very same scores and texts.
void TestRecalculation::commonCellFormsReadAsTheGeneralRules_data()
{
    QTest::addColumn<QString>("cell");
    for (const char *form : {"12",
                             "-3.5",
                             "+7",
                             ".5",
                             "5.",
                             "-0",
                             "0.000",
                             "00012.500",
                             "123456789012345",
                             "1234567890123456",
                             "0.0000000000000000000001",
                             "0.00000000000000000000001",
                             "5/3",
                             "7/2",
                             "-7/3",
                             "0/3",
                             "-0/-5",
                             "3/0",
                             "2.5/0.5",
                             "-.25/4",
                             "1/0.0000000000000000000001",
                             "123456789012345/7",
                             "1234567890123456/7",
                             "1/3/5",
                             "1/3/",
                             "5/",
                             "/4",
                             "1／3",
                             "1.2.3",
                             "1,5",
                             "12abc",
                             "1E3",
                             "1E3/2",
                             "&H10",
                             "1 2"})
        QTest::newRow(form) << QString::fromUtf8(form);
}

void TestRecalculation::commonCellFormsReadAsTheGeneralRules()
{
    QFETCH(QString, cell);
    auto recalculated = [](const QString &text) {
        auto d = std::make_unique<OddsDocument>();
        d->buildTable();
        d->runnerTable.setText(RatioRow, DataCol, QStringLiteral("2.5"));
        // One of each kind of column: stakes, odds and data.
        for (const int col : {StakeCol, WinOddsCol, DataCol}) {
            fill(*d, col, {text, QStringLiteral("3"), QStringLiteral("11.5")});
            d->runnerTable.setText(5, col, QStringLiteral("/") + text);
        }
        d->recalculate();
        return d;
    };
    const auto oneWay = recalculated(cell);
    const auto general = recalculated(QLatin1Char(' ') + cell);
    const std::vector<double> a = oneWay->supportScores();
    const std::vector<double> b = general->supportScores();
    QCOMPARE(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i)
        QCOMPARE(std::bit_cast<quint64>(a[i]), std::bit_cast<quint64>(b[i]));
    for (int r = 1; r <= 4; ++r)
        for (int c = ColRank; c <= ColSupport; ++c)
            QCOMPARE(oneWay->runnerTable.text(r + 1, c), general->runnerTable.text(r + 1, c));
}

QTEST_GUILESS_MAIN(TestRecalculation)
#include "tst_recalculation.moc"
