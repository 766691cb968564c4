// The rounding of ratios and expected values: the digits shown are the digits compared.
#include "core/analysis/analysistable.h"
#include "core/racemodel/valuerounding.h"

#include <QTest>

class TestValueRounding : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void halfUpOfTheDouble_data();
    void halfUpOfTheDouble();
};

void TestValueRounding::halfUpOfTheDouble_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("band"); // of a ratio against 1.2 and 0.8
    // 23.9 / 20.0 is 1.194999... as a double: printf's rounding shows 1.19.
    QTest::newRow("ratio half, below in binary") << 23.9 / 20.0 << 2 << "1.20" << 1;
    QTest::newRow("ratio at the low threshold") << 0.8049 << 2 << "0.80" << 3;
    QTest::newRow("ratio above it") << 0.805 << 2 << "0.81" << 2;
    QTest::newRow("EV half, below in binary") << 1.0045 << 3 << "1.005" << 2;
}

void TestValueRounding::halfUpOfTheDouble()
{
    QFETCH(double, value);
    QFETCH(int, decimals);
    QFETCH(QString, shown);
    QFETCH(int, band);
    QCOMPARE(QString::number(roundedHalfUp(value, decimals), 'f', decimals), shown);
    QCOMPARE(int(bandOf(value, AnalysisInputs{})), band);
}

QTEST_GUILESS_MAIN(TestValueRounding)
#include "tst_valuerounding.moc"
