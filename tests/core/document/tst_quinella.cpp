// Quinella estimates (quinellaList) and their matrix layout.
#include "core/document/oddsdocument.h"

#include <QSet>
#include <QTest>

namespace {

// A document of n runners whose odds column holds the given texts (then "2.0" for the rest).
void prepare(OddsDocument &d, int n, const QStringList &odds = {})
{
    d.setCountText(0, QString::number(n));
    d.buildTable();
    for (int r = 1; r <= n; ++r)
        d.runnerTable.setText(r + 1, ColOdds,
                              r <= odds.size() ? odds[r - 1] : QStringLiteral("2.0"));
}

QString backColorAt(const Grid &g, int row, int col)
{
    return colorName(g.cellBackColor(row, col));
}

struct Snapshot
{
    int rows, cols;
    QStringList texts;
    QList<Color> colours;
    QList<int> widths;
    bool operator==(const Snapshot &) const = default;
};

Snapshot take(const Grid &g)
{
    Snapshot s{g.rows(), g.cols(), {}, {}, {}};
    for (int r = 0; r < g.rows(); ++r)
        for (int c = 0; c < g.cols(); ++c) {
            s.texts << g.text(r, c);
            s.colours << g.cellBackColor(r, c);
        }
    for (int c = 0; c < g.cols(); ++c)
        s.widths << g.colWidth(c);
    return s;
}

} // namespace

class TestQuinella : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void threeRunnerExample();
    void layout_data();
    void layout();
    void foldedBlockLeavesEmptyRow();
    void estimateText_data();
    void estimateText();
    void noLayoutLeavesDocument_data();
    void noLayoutLeavesDocument();
    void unconfirmedCountSkipsItems();
    void repeatable();
    void matrixFontFollowsScreen();
};

void TestQuinella::threeRunnerExample()
{
    OddsDocument d;
    prepare(d, 3, {"2.0", "3.0", "4.0"});
    QVERIFY(d.estimateQuinella());
    QCOMPARE(d.quinellaList, QStringList({"1-2:4.3", "1-3:5.8", "2-3:8.7"}));
    const Grid &g = d.quinellaMatrix;
    QVERIFY(d.quinellaVisible());
    QCOMPARE(g.cols(), 6);
    QCOMPARE(g.rows(), 5);
    QCOMPARE(g.fixedRows(), 0);
    QCOMPARE(g.fixedCols(), 0);
    QCOMPARE(colorName(g.backColor()), colorName(rgb(240, 240, 240)));
    QCOMPARE(g.text(1, 1), QStringLiteral("■1■"));
    QCOMPARE(g.text(2, 0), QStringLiteral("1-2"));
    QCOMPARE(g.text(2, 1), QStringLiteral("4.3"));
    QCOMPARE(g.text(3, 0), QStringLiteral("1-3"));
    QCOMPARE(g.text(3, 1), QStringLiteral("5.8"));
    QCOMPARE(g.text(1, 4), QStringLiteral("■2■"));
    QCOMPARE(g.text(2, 3), QStringLiteral("2-3"));
    QCOMPARE(g.text(2, 4), QStringLiteral("8.7"));
    QCOMPARE(g.text(1, 0), QString());
    QCOMPARE(g.text(3, 3), QString());
    // Label row colours and block column widths.
    QCOMPARE(backColorAt(g, 1, 0), colorName(rgb(200, 200, 200)));
    QCOMPARE(backColorAt(g, 1, 1), colorName(rgb(230, 230, 230)));
    QCOMPARE(backColorAt(g, 1, 2), colorName(rgb(20, 20, 20)));
    QCOMPARE(backColorAt(g, 2, 0), colorName(rgb(230, 230, 230)));
    QCOMPARE(backColorAt(g, 2, 1), colorName(rgb(255, 255, 0)));
    QCOMPARE(backColorAt(g, 3, 2), colorName(rgb(20, 20, 20)));
    QCOMPARE(g.cellBackColor(3, 3), NoColor);
    QCOMPARE(g.colWidth(0), 720);
    QCOMPARE(g.colWidth(1), 1000);
    QCOMPARE(g.colWidth(2), 60);
    QCOMPARE(g.colWidth(5), 60);
}

void TestQuinella::layout_data()
{
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("cols");
    QTest::addColumn<int>("rows");

    const int size[][2] = {{3, 5},   {6, 5},   {6, 9},   {6, 11},  {9, 11},  {9, 13},
                           {12, 13}, {12, 15}, {15, 15}, {15, 17}, {18, 17}, {18, 19},
                           {21, 19}, {21, 21}, {24, 22}, {24, 23}, {27, 23}};
    for (int n = 2; n <= 18; ++n)
        QTest::addRow("%d runners fill %d x %d, one cell per pair", n, size[n - 2][0],
                      size[n - 2][1])
            << n << size[n - 2][0] << size[n - 2][1];
}

void TestQuinella::layout()
{
    QFETCH(int, n);
    QFETCH(int, cols);
    QFETCH(int, rows);
    OddsDocument d;
    QStringList odds;
    for (int r = 1; r <= n; ++r)
        odds << QString::number(r) + QStringLiteral(".0");
    prepare(d, n, odds);
    QVERIFY(d.estimateQuinella());
    QCOMPARE(d.quinellaList.size(), n * (n - 1) / 2);
    const Grid &g = d.quinellaMatrix;
    QCOMPARE(g.cols(), cols);
    QCOMPARE(g.rows(), rows);

    QSet<QString> pairs, labels;
    int filled = 0;
    for (int r = 0; r < g.rows(); ++r) {
        for (int c = 0; c < g.cols(); ++c) {
            const QString t = g.text(r, c);
            if (t.isEmpty())
                continue;
            ++filled;
            if (c % 3 == 0) {
                // A pair: its estimate to the right, the label of its first runner above.
                QVERIFY2(!pairs.contains(t), qPrintable(t));
                pairs.insert(t);
                const QStringList ij = t.split(QLatin1Char('-'));
                const int i = ij[0].toInt(), j = ij[1].toInt();
                QVERIFY(!g.text(r, c + 1).isEmpty());
                QCOMPARE(g.text(r - (j - i), c + 1), QStringLiteral("■%1■").arg(i));
                QCOMPARE(backColorAt(g, r, c + 2), colorName(rgb(20, 20, 20)));
            } else if (c % 3 == 1 && t.startsWith(QStringLiteral("■"))) {
                labels.insert(t);
            } else {
                QCOMPARE(c % 3, 1);
            }
        }
    }
    QCOMPARE(pairs.size(), n * (n - 1) / 2);
    QCOMPARE(labels.size(), n - 1);
    QCOMPARE(filled, (n - 1) + n * (n - 1));
    for (int c = 0; c < g.cols(); c += 3)
        QCOMPARE(g.colWidth(c + 2), 60);
}

void TestQuinella::foldedBlockLeavesEmptyRow()
{
    OddsDocument d;
    prepare(d, 18);
    QVERIFY(d.estimateQuinella());
    const Grid &g = d.quinellaMatrix;
    QCOMPARE(g.text(1, 25), QStringLiteral("■9■"));
    QCOMPARE(g.text(2, 24), QStringLiteral("9-10"));
    QCOMPARE(g.text(10, 24), QStringLiteral("9-18"));
    QCOMPARE(g.text(11, 24), QString());
    QCOMPARE(g.text(11, 25), QString());
    QCOMPARE(g.cellBackColor(11, 26), NoColor);
    QCOMPARE(g.text(12, 25), QStringLiteral("■10■"));
    QCOMPARE(g.text(13, 24), QStringLiteral("10-11"));
    QCOMPARE(g.text(20, 24), QStringLiteral("10-18"));
    // The last folded runner sits under block 1.
    QCOMPARE(g.text(19, 4), QStringLiteral("■17■"));
    QCOMPARE(g.text(20, 3), QStringLiteral("17-18"));
}

void TestQuinella::estimateText_data()
{
    QTest::addColumn<QString>("ratio");
    QTest::addColumn<QString>("odds1");
    QTest::addColumn<QString>("odds2");
    QTest::addColumn<QString>("estimate");
    QTest::addColumn<Color>("back");

    QTest::newRow("below 1 has no leading zero") << "100"
                                                 << "1.0"
                                                 << "0.7"
                                                 << ".7" << rgb(255, 255, 0);
    QTest::newRow("19.9 is the strongest yellow") << "100"
                                                  << "1.99"
                                                  << "10.0"
                                                  << "19.9" << rgb(255, 255, 0);
    QTest::newRow("20.0 is the next band") << "100"
                                           << "4.0"
                                           << "5.0"
                                           << "20.0" << rgb(255, 255, 100);
    QTest::newRow("band follows the written text: 19.96 shows 20.0")
        << "100"
        << "1.996"
        << "10.0"
        << "20.0" << rgb(255, 255, 100);
    QTest::newRow("40 band") << "100"
                             << "4.0"
                             << "11.0"
                             << "44.0" << rgb(255, 255, 200);
    QTest::newRow("50 and above is grey") << "100"
                                          << "5.0"
                                          << "10.0"
                                          << "50.0" << rgb(220, 220, 220);
    QTest::newRow("beyond 9999.9 is pink") << "100"
                                           << "9999"
                                           << "9999"
                                           << "99980001.0" << rgb(255, 200, 255);
    QTest::newRow("no odds gives .0") << "85"
                                      << ""
                                      << "3.0"
                                      << ".0" << rgb(255, 255, 0);
    QTest::newRow("single-precision ratio 0.85") << "85"
                                                 << "2.0"
                                                 << "3.0"
                                                 << "4.3" << rgb(255, 255, 0);
    // 0.7225 x 653.91 = 472.449975; the single-precision ratio lifts it over the half.
    QTest::newRow("ratio held in single precision") << "85"
                                                    << "21.3"
                                                    << "30.7"
                                                    << "472.5" << rgb(220, 220, 220);
    // 0.5 x 4.4999 = 2.24995 rounds (half to even) to 2.2500, which the mask shows as 2.3.
    QTest::newRow("odds product rounds to four decimals first") << "100"
                                                                << "0.5"
                                                                << "4.4999"
                                                                << "2.3" << rgb(255, 255, 0);
}

void TestQuinella::estimateText()
{
    QFETCH(QString, ratio);
    QFETCH(QString, odds1);
    QFETCH(QString, odds2);
    QFETCH(QString, estimate);
    QFETCH(Color, back);
    OddsDocument d;
    prepare(d, 2, {odds1, odds2});
    d.setPayoutRatioText(ratio);
    QVERIFY(d.estimateQuinella());
    QCOMPARE(d.quinellaList, QStringList{QStringLiteral("1-2:") + estimate});
    QCOMPARE(d.quinellaMatrix.text(2, 1), estimate);
    QCOMPARE(backColorAt(d.quinellaMatrix, 2, 1), colorName(back));
}

void TestQuinella::noLayoutLeavesDocument_data()
{
    QTest::addColumn<QString>("countText");
    QTest::addColumn<bool>("shownBefore");

    for (const char *k : {"0", "1", "19", "36"}) {
        QTest::addRow("count %s, matrix hidden", k) << QString::fromLatin1(k) << false;
        QTest::addRow("count %s, matrix shown", k) << QString::fromLatin1(k) << true;
    }
}

void TestQuinella::noLayoutLeavesDocument()
{
    QFETCH(QString, countText);
    QFETCH(bool, shownBefore);
    OddsDocument d;
    prepare(d, 5);
    if (shownBefore)
        QVERIFY(d.estimateQuinella());
    d.setCountText(0, countText); // typed, not confirmed with Enter
    const Snapshot matrix = take(d.quinellaMatrix);
    const Snapshot table = take(d.runnerTable);
    const QStringList items = d.quinellaList;
    const double fontSize = d.quinellaMatrix.fontSize();
    d.twipsPerPixelX = 12;
    QVERIFY(!d.estimateQuinella());
    QVERIFY(!d.buildQuinellaMatrix());
    QVERIFY(take(d.quinellaMatrix) == matrix);
    QVERIFY(take(d.runnerTable) == table);
    QCOMPARE(d.quinellaList, items);
    QCOMPARE(d.quinellaMatrix.fontSize(), fontSize);
    QCOMPARE(d.quinellaVisible(), shownBefore);
}

void TestQuinella::unconfirmedCountSkipsItems()
{
    OddsDocument d;
    prepare(d, 8);
    d.setCountText(0, QStringLiteral("4"));
    QVERIFY(d.estimateQuinella());
    // Estimates come from the 8 runners of the table, the layout from the field.
    QCOMPARE(d.quinellaList.size(), 28);
    QCOMPARE(d.quinellaMatrix.cols(), 6);
    QCOMPARE(d.quinellaMatrix.rows(), 9);
    QCOMPARE(d.quinellaMatrix.text(4, 0), QStringLiteral("1-4"));
    QCOMPARE(d.quinellaMatrix.text(5, 0), QString());
    QCOMPARE(d.quinellaMatrix.text(6, 3), QStringLiteral("3-4"));

    d.setCountText(0, QStringLiteral("12"));
    QVERIFY(d.estimateQuinella());
    // First runners 8 to 11 have no items: only their label rows show.
    QCOMPARE(d.quinellaMatrix.text(10, 13), QStringLiteral("■8■"));
    QCOMPARE(d.quinellaMatrix.text(11, 12), QString());
    QCOMPARE(d.quinellaMatrix.text(8, 0), QStringLiteral("1-8"));
    QCOMPARE(d.quinellaMatrix.text(9, 0), QString());
}

void TestQuinella::repeatable()
{
    OddsDocument d;
    d.buildTable();
    for (int r = 1; r <= 18; ++r)
        d.runnerTable.setText(r + 1, 7, QString::number(r * 37 % 101));
    d.recalculate();
    QVERIFY(d.estimateQuinella());
    const Snapshot first = take(d.quinellaMatrix);
    const QStringList items = d.quinellaList;
    QVERIFY(d.estimateQuinella());
    QVERIFY(take(d.quinellaMatrix) == first);
    d.recalculate();
    QVERIFY(!d.quinellaVisible());
    QVERIFY(d.estimateQuinella());
    QVERIFY(take(d.quinellaMatrix) == first);
    QCOMPARE(d.quinellaList, items);
}

void TestQuinella::matrixFontFollowsScreen()
{
    OddsDocument d;
    prepare(d, 3);
    d.twipsPerPixelX = 12;
    QVERIFY(d.estimateQuinella());
    QCOMPARE(d.quinellaMatrix.fontSize(), 10.2);
}

QTEST_GUILESS_MAIN(TestQuinella)
#include "tst_quinella.moc"
