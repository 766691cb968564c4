#include "core/text/fixed4.h"

#include <QTest>
#include <limits>

class TestFixed4 : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void fixed4FromDouble_data();
    void fixed4FromDouble();
    void fixed4Arithmetic();
};

void TestFixed4::fixed4FromDouble_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<qint64>("raw");

    QTest::newRow("exact") << 1.25 << true << qint64(12500);
    QTest::newRow("half to even down") << 0.00005 << true << qint64(0);
    QTest::newRow("half to even up") << 0.00015 << true << qint64(2);
    QTest::newRow("negative half to even") << -0.00025 << true << qint64(-2);
    QTest::newRow("above half") << 1.23456 << true << qint64(12346);
    QTest::newRow("below half") << 1.23454 << true << qint64(12345);
    QTest::newRow("binary noise ignored") << 0.1 + 0.2 << true << qint64(3000);
    QTest::newRow("largest") << 922337203685477.0 << true << qint64(9223372036854770000);
    QTest::newRow("overflow") << 1e15 << false << qint64(0);
    QTest::newRow("negative overflow") << -1e300 << false << qint64(0);
    QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << false << qint64(0);
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << false << qint64(0);
    QTest::newRow("tiny is zero") << 1e-300 << true << qint64(0);
}

void TestFixed4::fixed4FromDouble()
{
    QFETCH(double, x);
    QFETCH(bool, ok);
    QFETCH(qint64, raw);
    const auto f = Fixed4::fromDouble(x);
    QCOMPARE(f.has_value(), ok);
    if (ok)
        QCOMPARE(f->raw(), raw);
}

void TestFixed4::fixed4Arithmetic()
{
    // 1.0001 x 1.0001 = 1.00020001 -> 1.0002.
    QCOMPARE(Fixed4::fromRaw(10001).times(Fixed4::fromRaw(10001))->raw(), qint64(10002));
    // 0.5 x 0.0001 = 0.00005: half, to even 0.0000.
    QCOMPARE(Fixed4::fromRaw(5000).times(Fixed4::fromRaw(1))->raw(), qint64(0));
    // 1.5 x 0.0001 = 0.00015: half, to even 0.0002.
    QCOMPARE(Fixed4::fromRaw(15000).times(Fixed4::fromRaw(1))->raw(), qint64(2));
    QCOMPARE(Fixed4::fromRaw(-15000).times(Fixed4::fromRaw(1))->raw(), qint64(-2));
    // Products far beyond 64 bits before scaling are still exact.
    const Fixed4 big = Fixed4::fromRaw(3037000499LL * 10000);
    QCOMPARE(big.times(Fixed4::fromRaw(10000))->raw(), big.raw());
    QVERIFY(!big.times(big).has_value());
    const Fixed4 max = Fixed4::fromRaw(std::numeric_limits<qint64>::max());
    QVERIFY(!max.plus(Fixed4::fromRaw(1)).has_value());
    QCOMPARE(max.plus(Fixed4::fromRaw(-1))->raw(), std::numeric_limits<qint64>::max() - 1);
    QCOMPARE(Fixed4::fromRaw(12345).toDouble(), 1.2345);
}

QTEST_GUILESS_MAIN(TestFixed4)
#include "tst_fixed4.moc"
