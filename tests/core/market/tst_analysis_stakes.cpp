#include "core/market/stakes.h"

#include <QTest>

class TestStakes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void dutching_data();
    void dutching();
    void kellyCases_data();
    void kellyCases();
    void refusals();
};

// The cli test works two more cases: a loss (トリガミ) and stakes rounded both ways.
void TestStakes::dutching_data()
{
    QTest::addColumn<QList<double>>("odds");
    QTest::addColumn<qint64>("budget");
    QTest::addColumn<QList<qint64>>("stakes");
    QTest::addColumn<QList<qint64>>("payouts");
    QTest::addColumn<double>("combined");
    QTest::addColumn<bool>("loss");

    QTest::newRow("2.0 500.0 for 1000: C = 1/0.502 = 1.992 -> 1.99; 996 -> 1000, 3.98 -> at "
                  "least 100")
        << QList<double>{2.0, 500.0} << qint64(1000) << QList<qint64>{1000, 100}
        << QList<qint64>{2000, 50000} << 1.99 << false;
    QTest::newRow("7.3 three times for 300: C = 7.3/3 = 2.433 -> 2.43; 100 each pays 730")
        << QList<double>{7.3, 7.3, 7.3} << qint64(300) << QList<qint64>{100, 100, 100}
        << QList<qint64>{730, 730, 730} << 2.43 << false;
    QTest::newRow("the largest budget at 9,000,000.0 pays 9 x 10^18, still counted")
        << QList<double>{9000000.0} << qint64(1000000000000) << QList<qint64>{1000000000000}
        << QList<qint64>{9000000000000000000} << 9000000.0 << false;
}

void TestStakes::dutching()
{
    QFETCH(QList<double>, odds);
    QFETCH(qint64, budget);
    QFETCH(QList<qint64>, stakes);
    QFETCH(QList<qint64>, payouts);
    QFETCH(double, combined);
    QFETCH(bool, loss);

    const Result<Dutching> d = dutch(std::vector<double>(odds.begin(), odds.end()), budget);
    QVERIFY(d.ok());
    QList<qint64> gotStakes;
    QList<qint64> gotPayouts;
    for (const DutchingLine &l : d.value.lines) {
        gotStakes << l.stake;
        gotPayouts << l.payout;
    }
    QCOMPARE(gotStakes, stakes);
    QCOMPARE(gotPayouts, payouts);
    QCOMPARE(d.value.combinedOdds, combined);
    QCOMPARE(d.value.total, std::accumulate(stakes.begin(), stakes.end(), qint64(0)));
    QCOMPARE(d.value.minPayout, *std::min_element(payouts.begin(), payouts.end()));
    QCOMPARE(d.value.maxPayout, *std::max_element(payouts.begin(), payouts.end()));
    QCOMPARE(d.value.loss, loss);
}

void TestStakes::kellyCases_data()
{
    QTest::addColumn<QList<double>>("probabilities"); // ticket k + 1 for entry k
    QTest::addColumn<QList<double>>("odds");
    QTest::addColumn<double>("kellyFraction");
    QTest::addColumn<QList<int>>("tickets"); // staked, in the order they joined
    QTest::addColumn<QList<qint64>>("stakes");
    QTest::addColumn<double>("reserve");

    QTest::newRow("1: 0.5x3=1.5>1 joins, R=(1-.5)/(1-1/3)=.75; 2: .3x3=.9>.75 joins, "
                  "R=(1-.8)/(1-2/3)=.6; 3: .2x2.5=.5<.6 stops; f=.5-.6/3=.3, .3-.6/3=.1")
        << QList<double>{0.5, 0.3, 0.2} << QList<double>{3.0, 3.0, 2.5} << 1.0 << QList<int>{1, 2}
        << QList<qint64>{3000, 1000} << 0.6;
    QTest::newRow("the same at half Kelly: 1500, 500")
        << QList<double>{0.5, 0.3, 0.2} << QList<double>{3.0, 3.0, 2.5} << 0.5 << QList<int>{1, 2}
        << QList<qint64>{1500, 500} << 0.6;
    QTest::newRow("a third: 10000x.3/3=1000, 10000x.1/3=333 -> 300")
        << QList<double>{0.5, 0.3, 0.2} << QList<double>{3.0, 3.0, 2.5} << 1.0 / 3
        << QList<int>{1, 2} << QList<qint64>{1000, 300} << 0.6;
    QTest::newRow("by P x O: 2 (.4x3=1.2) before 1 (.2x4=.8); R=(1-.4)/(1-1/3)=.9 > .8; "
                  "f=.4-.9/3=.1")
        << QList<double>{0.2, 0.4} << QList<double>{4.0, 3.0} << 1.0 << QList<int>{2}
        << QList<qint64>{1000} << 0.9;
    QTest::newRow("no edge: .5x1.8=.9 and .3x3=.9 are not above 1")
        << QList<double>{0.5, 0.3} << QList<double>{1.8, 3.0} << 1.0 << QList<int>{}
        << QList<qint64>{} << 1.0;
}

void TestStakes::kellyCases()
{
    QFETCH(QList<double>, probabilities);
    QFETCH(QList<double>, odds);
    QFETCH(double, kellyFraction);
    QFETCH(QList<int>, tickets);
    QFETCH(QList<qint64>, stakes);
    QFETCH(double, reserve);

    std::vector<KellyCandidate> candidates;
    for (int k = 0; k < probabilities.size(); ++k)
        candidates.push_back({{k + 1}, probabilities[k], odds[k]});
    const Result<KellyStakes> result = kelly(candidates, 10000, kellyFraction);
    QVERIFY(result.ok());
    QList<int> gotTickets;
    QList<qint64> gotStakes;
    for (const KellyStake &s : result.value.stakes) {
        gotTickets << s.ticket[0];
        gotStakes << s.stake;
        QCOMPARE(s.fraction, s.probability - result.value.reserve / s.odds);
    }
    QCOMPARE(gotTickets, tickets);
    QCOMPARE(gotStakes, stakes);
    QVERIFY(std::fabs(result.value.reserve - reserve) < 1e-12);
}

void TestStakes::refusals()
{
    QVERIFY(!dutch({}, 1000).ok());
    QVERIFY(!dutch({2.0, 0.0}, 1000).ok());
    QVERIFY(!dutch({2.0}, 0).ok());
    QCOMPARE(dutch({2.0}, 1000000000001).problem.fault, Fault::BudgetRange);
    // 10^12 yen at 99,999,999.9 would pay about 10^20: beyond 64 bits, named, never wrapped.
    const Result<Dutching> over = dutch({99999999.9}, 1000000000000, {"3>2>1"});
    QCOMPARE(over.error, QStringLiteral("the payout of 3>2>1 is beyond what can be counted "
                                        "(9,223,372,036,854,775,807 yen at most)"));
    QVERIFY(!kelly({{{1}, 0.6, 2.0}, {{2}, 0.6, 2.0}}, 10000, 1).ok()); // more than certain
    QVERIFY(!kelly({{{1}, 0.6, 0.0}}, 10000, 1).ok());
    QVERIFY(!kelly({{{1}, 0.6, 2.0}}, 10000, 1.5).ok());
    QVERIFY(!kelly({{{1}, 0.6, 2.0}}, 0, 1).ok());
}

QTEST_GUILESS_MAIN(TestStakes)
#include "tst_analysis_stakes.moc"
