// The rounding of ratios and expected values: the digits shown are the digits compared.
#include "core/analysis/analysistable.h"
#include "core/analysis/shownrounding.h"

#include <QTest>

class TestShownRounding : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void halfUpOfTheDouble_data();
    void halfUpOfTheDouble();
    void bandOfShownRatio_data();
    void bandOfShownRatio();
};

void TestShownRounding::halfUpOfTheDouble_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("shown");
    // 23.9 / 20.0 is 1.194999... as a double: printf's rounding shows 1.19.
    QTest::newRow("ratio half below in binary") << 23.9 / 20.0 << 2 << "1.20";
    QTest::newRow("ratio just under a half") << 1.19499 << 2 << "1.19";
    QTest::newRow("ratio exact") << 0.8 << 2 << "0.80";
    QTest::newRow("EV half below in binary") << 1.0045 << 3 << "1.005";
    QTest::newRow("EV 2.0005") << 2.0005 << 3 << "2.001";
    QTest::newRow("EV below a half") << 2.00049 << 3 << "2.000";
    QTest::newRow("large") << 12345.675 << 2 << "12345.68";
}

void TestShownRounding::halfUpOfTheDouble()
{
    QFETCH(double, value);
    QFETCH(int, decimals);
    QFETCH(QString, shown);
    QCOMPARE(QString::number(RoundHalfUp(value, decimals), 'f', decimals), shown);
}

void TestShownRounding::bandOfShownRatio_data()
{
    QTest::addColumn<double>("ratio");
    QTest::addColumn<int>("band");
    QTest::newRow("shown 1.20 at 1.2") << 23.9 / 20.0 << int(RatioBand::Overlooked);
    QTest::newRow("shown 1.19") << 1.194 << int(RatioBand::Neutral);
    QTest::newRow("shown 0.80 at 0.8") << 0.8049 << int(RatioBand::OverBet);
    QTest::newRow("shown 0.81") << 0.805 << int(RatioBand::Neutral);
    QTest::newRow("no odds") << 0.0 << int(RatioBand::None);
}

void TestShownRounding::bandOfShownRatio()
{
    QFETCH(double, ratio);
    QFETCH(int, band);
    AnalysisInputs thresholds; // 1.2 and 0.8
    QCOMPARE(int(BandOf(ratio, thresholds)), band);
}

QTEST_GUILESS_MAIN(TestShownRounding)
#include "tst_shownrounding.moc"
