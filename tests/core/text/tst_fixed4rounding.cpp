// Fixed4 conversion takes shortcuts for most doubles; they must agree with rounding the
// shortest decimal text of the double, half to even, done here digit by digit.
#include "core/text/fixed4.h"

#include <QRandomGenerator>
#include <QTest>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace {

// Reference: shortest round-trip text, then decimal rounding to four places, half to even.
qint64 referenceRaw(double value)
{
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::fixed);
    std::string s(buf, r.ptr);
    const auto point = s.find('.');
    std::string integerPart = point == std::string::npos ? s : s.substr(0, point);
    std::string frac = point == std::string::npos ? std::string() : s.substr(point + 1);
    frac.resize(std::max<size_t>(frac.size(), 5), '0');
    std::string kept = integerPart + frac.substr(0, 4);
    const char next = frac[4];
    const bool restNonZero = frac.find_first_not_of('0', 5) != std::string::npos;
    qint64 raw = std::stoll(kept);
    const bool up = next > '5' || (next == '5' && (restNonZero || (raw % 2) == 1));
    if (up)
        ++raw;
    return value < 0 ? -raw : raw;
}

} // namespace

class TestFixed4Rounding : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void matchesDecimalRounding_data()
    {
        QTest::addColumn<double>("scale");
        QTest::newRow("shares below 100") << 100.0;
        QTest::newRow("stakes below 1E6") << 1e6;
        QTest::newRow("pools below 1E11") << 1e11;
    }
    void matchesDecimalRounding()
    {
        QFETCH(double, scale);
        QRandomGenerator rng(12345);
        for (int i = 0; i < 200000; ++i) {
            double v = rng.generateDouble() * scale;
            if (i % 4 == 1) // values typed with few decimals, some exactly on a half
                v = double(qint64(v * 100000)) / 100000;
            if (i % 4 == 2)
                v = -v;
            const std::optional<Fixed4> f = Fixed4::fromDouble(v);
            QVERIFY(f.has_value());
            if (f->raw() != referenceRaw(v))
                QFAIL(qPrintable(QStringLiteral("%1: got %2, expected %3")
                                     .arg(v, 0, 'g', 17)
                                     .arg(f->raw())
                                     .arg(referenceRaw(v))));
        }
    }

    // The running total's shortcut against its definition, with steps on and next to halves,
    // totals of every size, and steps that fail.
    void plusRoundedAsTheSum_data()
    {
        QTest::addColumn<double>("scale");
        QTest::newRow("implied stakes") << 1e5;
        QTest::newRow("beyond the shortcut's reach") << 1e8;
        QTest::newRow("near the end of the range") << 9e14;
    }
    void plusRoundedAsTheSum()
    {
        QFETCH(double, scale);
        QRandomGenerator rng(4242);
        Fixed4 sum;
        for (int i = 0; i < 200000; ++i) {
            double v = rng.generateDouble() * scale;
            if (i % 5 == 1) // a half of a ten-thousandth, or within a rounding error of one
                v = (double(qint64(v)) + 0.5 + (int(rng.bounded(3)) - 1) * 1e-7) / 10000;
            if (i % 5 == 2)
                v = -v;
            if (i % 97 == 3)
                v = std::numeric_limits<double>::quiet_NaN();
            if (i % 1000 == 4)
                sum = Fixed4();
            const Fixed4 expected = Fixed4::fromDouble(sum.toDouble() + v).value_or(sum);
            const Fixed4 got = sum.plusRounded(v);
            if (got != expected)
                QFAIL(qPrintable(QStringLiteral("%1 + %2: got %3, expected %4")
                                     .arg(sum.raw())
                                     .arg(v, 0, 'g', 17)
                                     .arg(got.raw())
                                     .arg(expected.raw())));
            sum = got;
        }
    }
};

QTEST_GUILESS_MAIN(TestFixed4Rounding)
#include "tst_fixed4rounding.moc"
