#include "core/market/payouts.h"

#include <QTest>

class TestPayouts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parse_data();
    void parse();
    void refusals_data();
    void refusals();
    void contradiction_data();
    void contradiction();
};

// Each payout written as "type ticket=yen", in the map's order.
static QStringList listed(const Payouts &payouts)
{
    QStringList out;
    for (const auto &[key, yen] : payouts)
        out << payoutKeyText(key.first, key.second) + QLatin1Char('=') + QString::number(yen);
    return out;
}

void TestPayouts::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("payouts");

    QTest::newRow("win") << "単勝 7 350円" << QStringList{"win 7=350"};
    QTest::newRow("place, three on a line")
        << "複勝 7 150円 3 210円 12 380円"
        << QStringList{"place 3=210", "place 7=150", "place 12=380"};
    QTest::newRow("quinella with commas and popularity")
        << "馬連 3-7 1,230円 5番人気" << QStringList{"quinella 3-7=1230"};
    QTest::newRow("trifecta with arrows")
        << "3連単 3→7→12 45,670円" << QStringList{"trifecta 3>7>12=45670"};
    QTest::newRow("full-width") << "３連複　３－７－１２　１２，３４０円　（４０番人気）"
                                << QStringList{"trio 3-7-12=12340"};
    QTest::newRow("no yen sign, tab, popularity after each")
        << "ワイド\t3-7\t450\t2番人気\t3-12\t1,020\t9番人気\n7-12 880"
        << QStringList{"wide 3-7=450", "wide 3-12=1020", "wide 7-12=880"};
    QTest::newRow("heading line, several types, exacta written with a dash")
        << "券種 馬番 払戻金 人気\r\n単勝 7 350円 1番人気\r\n\r\n馬単 7-3 2,100円\r\n枠連 2-6 800円"
        << QStringList{"win 7=350", "bracket-quinella 2-6=800", "exacta 7>3=2100"};
    QTest::newRow("a repeated equal line")
        << "単勝 7 350\n単勝 7 350円" << QStringList{"win 7=350"};
}

void TestPayouts::parse()
{
    QFETCH(QString, text);
    QFETCH(QStringList, payouts);
    const Result<Payouts> read = parsePayoutText(text, 18);
    QVERIFY2(read.ok(), qPrintable(read.error));
    QCOMPARE(listed(read.value), payouts);
    // The window's lines read back the same.
    QCOMPARE(listed(parsePayoutText(payoutLinesText(read.value), 18).value), payouts);
}

void TestPayouts::refusals_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("error");

    QTest::newRow("no bet type") << "7 350円"
                                 << "1行目「7 350円」: 券種";
    QTest::newRow("no amount") << "単勝 7 350円\n馬連 3-7"
                               << "2行目「馬連 3-7」: 馬連 3-7 の払戻金";
    QTest::newRow("short ticket") << "3連単 3→7 45,670円"
                                  << "1行目「3連単 3→7 45,670円」: 3連単の組番";
    QTest::newRow("runner out of range") << "単勝 19 350円"
                                         << "1行目「単勝 19 350円」: 単勝 19 は組番";
    QTest::newRow("bracket beyond 8")
        << "枠連 2-9 800円"
        << "1行目「枠連 2-9 800円」: 枠連 2-9 は組番になりません（枠番 は 1～8）";
    QTest::newRow("bad commas") << "馬連 3-7 12,30円"
                                << "馬連 3-7 の払戻金";
    QTest::newRow("trailing text") << "単勝 7 350円 特払"
                                   << "1行目";
    QTest::newRow("same ticket, two amounts")
        << "単勝 7 350円\n単勝 7 360円"
        << "2行目「単勝 7 360円」: 単勝 7 の払戻金が1行目と違います";
}

void TestPayouts::refusals()
{
    QFETCH(QString, text);
    QFETCH(QString, error);
    const Result<Payouts> read = parsePayoutText(text, 18);
    QVERIFY(!read.ok());
    QVERIFY2(read.error.startsWith(error) || read.error.contains(error), qPrintable(read.error));
}

void TestPayouts::contradiction_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("runners");
    QTest::addColumn<QString>("error"); // empty: consistent

    QTest::newRow("all consistent") << "単勝 3 350\n複勝 3 150 7 210 12 380\n枠連 2-6 800\n"
                                       "馬連 3-7 1230\nワイド 3-7 400 3-12 900 7-12 1000\n"
                                       "馬単 3-7 2000\n3連複 3-7-12 5000\n3連単 3-7-12 45670"
                                    << 18 << "";
    QTest::newRow("exacta the wrong way")
        << "馬単 7-3 2000" << 18 << "払戻 馬単 7>3 2000円 は結果 3-7-12 と合いません";
    QTest::newRow("third place does not pay place below 8 runners")
        << "複勝 3 150 7 210 5 380" << 7 << "払戻 複勝 5 380円 は結果 3-7-5 と合いません";
    QTest::newRow("bracket of the winner") << "枠連 2-5 800" << 18 << "枠連 2-5";
}

void TestPayouts::contradiction()
{
    QFETCH(QString, text);
    QFETCH(int, runners);
    QFETCH(QString, error);
    const Result<Payouts> read = parsePayoutText(text, 18);
    QVERIFY2(read.ok(), qPrintable(read.error));
    const std::vector<int> order =
        runners == 7 ? std::vector<int>{3, 7, 5} : std::vector<int>{3, 7, 12};
    std::vector<int> brackets(size_t(runners) + 1, 0);
    brackets[3] = 2;
    brackets[7] = 6;
    const QString got = payoutContradiction(read.value, order, runners, brackets);
    QVERIFY2(error.isEmpty() ? got.isEmpty() : got.contains(error), qPrintable(got));
}

QTEST_GUILESS_MAIN(TestPayouts)
#include "tst_analysis_payouts.moc"
