#include "core/text/fixedtext.h"

#include <QRandomGenerator>
#include <QTest>
#include <bit>
#include <charconv>
#include <cmath>
#include <limits>

class TestFixedText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sameAsToChars_data();
    void sameAsToChars();
    void decimalsSameAsToChars();
};

// Each family of values is checked at every number of decimals against std::to_chars.
void TestFixedText::sameAsToChars_data()
{
    QTest::addColumn<QList<double>>("values");
    QTest::newRow("special values") << QList<double>{0.0,
                                                     -0.0,
                                                     -1.5,
                                                     -0.0000000001,
                                                     std::numeric_limits<double>::denorm_min(),
                                                     std::numeric_limits<double>::min(),
                                                     std::numeric_limits<double>::max(),
                                                     std::numeric_limits<double>::infinity(),
                                                     std::numeric_limits<double>::quiet_NaN(),
                                                     9007199254740993.0,
                                                     18446744073709551615.0,
                                                     1e19,
                                                     1e20,
                                                     0.95,
                                                     999999999.9999999999};
    // k / 2^m: an exact half at some number of decimals, rounded to the even neighbour.
    QList<double> halves;
    for (int m = 1; m <= 40; ++m) {
        for (int k = 1; k < 64; k += 2) {
            for (const double h : {std::ldexp(double(k), -m), std::ldexp(double(k), -m) + 1e6})
                halves << h << std::nextafter(h, 0.0) << std::nextafter(h, 2e6);
        }
    }
    // A hair from a half once scaled: 0.xxx5 and 12.35 are not exact in binary.
    for (int i = 0; i < 2000; ++i)
        halves << (2 * i + 1) / 2e9 << (2 * i + 1) / 20.0 << (2 * i + 1) / 2e3;
    QTest::newRow("exact halves") << halves;
    // Each number of digits before the point, at its edges.
    QList<double> digitCounts;
    for (int k = -10; k <= 20; ++k) {
        const double p = std::pow(10.0, k);
        digitCounts << p << std::nextafter(p, 0.0) << std::nextafter(p, 1e300) << p - 0.5 << 4e9 / p
                    << std::nextafter(4e9 / p, 0.0);
    }
    QTest::newRow("digit counts") << digitCounts;
    // Probabilities and odds as the analysis prints them, and any bit pattern at all.
    QRandomGenerator random(19);
    QList<double> probabilities, odds, bits;
    for (int i = 0; i < 20000; ++i) {
        probabilities << random.generateDouble() * std::pow(10.0, -random.bounded(8));
        odds << std::round(random.generateDouble() * 1e7) / 10;
        bits << std::bit_cast<double>(random.generate64());
    }
    QTest::newRow("probabilities") << probabilities;
    QTest::newRow("odds") << odds;
    QTest::newRow("random bit patterns") << bits;
}

void TestFixedText::sameAsToChars()
{
    QFETCH(QList<double>, values);
    char expected[FixedTextRoom], written[FixedTextRoom];
    for (const double v : values) {
        for (int decimals = 0; decimals <= 9; ++decimals) {
            const char *end = std::to_chars(expected, expected + sizeof expected, v,
                                            std::chars_format::fixed, decimals)
                                  .ptr;
            const char *got = writeFixed(written, v, decimals);
            QCOMPARE(QByteArray(written, got - written), QByteArray(expected, end - expected));
        }
    }
}

void TestFixedText::decimalsSameAsToChars()
{
    QList<quint64> values{0, std::numeric_limits<quint64>::max(), 4294967295u, 4294967296u};
    for (quint64 p = 1; p <= 1000000000000000000u; p *= 10)
        values << p - 1 << p << p + 1 << 2 * p - 1 << 9 * p;
    QRandomGenerator random(23);
    for (int i = 0; i < 20000; ++i)
        values << random.generate64() << (random.generate64() >> random.bounded(64));
    char expected[24], written[24];
    for (const quint64 v : values) {
        const char *end = std::to_chars(expected, expected + sizeof expected, v).ptr;
        const char *got = writeDecimal(written, v);
        QCOMPARE(QByteArray(written, got - written), QByteArray(expected, end - expected));
    }
}

QTEST_GUILESS_MAIN(TestFixedText)
#include "tst_fixedtext.moc"
