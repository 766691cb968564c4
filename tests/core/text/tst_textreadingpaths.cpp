// Number reading takes a short way for plain decimals and the recalculation reads 15-digit
// numbers back without their text; both must give exactly what the full text path gives.
#include "core/text/numbertext.h"
#include "core/text/textcompare.h"

#include <QRandomGenerator>
#include <QTest>
#include <bit>
#include <charconv>
#include <cmath>
#include <string>

namespace {

// Bits of a double, so that -0 and 0 differ.
quint64 bits(double v)
{
    return std::bit_cast<quint64>(v);
}

QString randomNumberText(QRandomGenerator &rng)
{
    static const char16_t alphabet[] = u"0000123456789...--+ eEdDx,/&H";
    QString s;
    const int length = int(rng.bounded(24));
    for (int i = 0; i < length; ++i) {
        // Mostly digits, so that long plain numbers come up as often as odd characters.
        if (rng.bounded(3) != 0)
            s += QChar(char16_t(u'0' + rng.bounded(10)));
        else
            s += QChar(alphabet[rng.bounded(int(std::size(alphabet)) - 1)]);
    }
    return s;
}

// Digits of |x| x 10^decimals rounded half away from zero, done on the 15-digit decimal form
// digit by digit, with the point placed as a "0.000" mask places it.
QString referenceFixed(double x, int decimals)
{
    char buf[64];
    const auto r =
        std::to_chars(buf, buf + sizeof buf, std::fabs(x), std::chars_format::scientific, 14);
    std::string digits;
    const char *p = buf;
    for (; *p != 'e'; ++p)
        if (*p != '.')
            digits.push_back(*p);
    int exp = 0;
    std::from_chars(p + (p[1] == '+' ? 2 : 1), r.ptr, exp);
    // value = 0.digits x 10^(exp + 1); keep exp + 1 + decimals digits
    const int keep = exp + 1 + decimals;
    std::string n;
    if (keep >= int(digits.size()))
        n = digits + std::string(size_t(keep - int(digits.size())), '0');
    else if (keep >= 0) {
        n = "0" + digits.substr(0, size_t(keep));
        if (digits[size_t(keep)] >= '5') {
            int i = int(n.size()) - 1;
            while (n[size_t(i)] == '9')
                n[size_t(i--)] = '0';
            ++n[size_t(i)];
        }
    }
    n.erase(0, std::min(n.find_first_not_of('0'), n.size()));
    if (n.size() <= size_t(decimals))
        n.insert(0, size_t(decimals) + 1 - n.size(), '0');
    n.insert(n.size() - size_t(decimals), ".");
    return QString::fromStdString(n);
}

} // namespace

class TestTextReadingPaths : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void plainDecimalsReadAsTheFullReader_data();
    void plainDecimalsReadAsTheFullReader();
    void randomTextsReadAsTheFullReader();
    void fifteenDigitsReadBackWithoutText();
    void fixedDecimalsRoundTheFifteenDigitForm();
    void formattingIntoAReusedTextAsFresh();
    void containsAsTextSkipsTextsWithoutTheIdeograph();
};

// A leading blank is skipped by the reader but keeps the text off the short way, so the two
// readings compare the short way with the full reader.
void TestTextReadingPaths::plainDecimalsReadAsTheFullReader_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QString();
    QTest::newRow("whole") << QStringLiteral("1200");
    QTest::newRow("negative decimal") << QStringLiteral("-3.5");
    QTest::newRow("plus sign") << QStringLiteral("+12.75");
    QTest::newRow("point first") << QStringLiteral("-.5");
    QTest::newRow("point last") << QStringLiteral("5.");
    QTest::newRow("negative zero has no sign") << QStringLiteral("-0.000");
    QTest::newRow("fifteen digits") << QStringLiteral("123456789012345");
    QTest::newRow("sixteen digits") << QStringLiteral("1234567890123456");
    QTest::newRow("leading zeros do not count") << QStringLiteral("000000000123456789012345");
    QTest::newRow("22 decimals") << QStringLiteral("0.0000000000000000000001");
    QTest::newRow("23 decimals") << QStringLiteral("0.00000000000000000000001");
    QTest::newRow("inexact tenth") << QStringLiteral("0.1");
    QTest::newRow("second point ends") << QStringLiteral("1.2.3");
    QTest::newRow("comma ends") << QStringLiteral("1,000");
    QTest::newRow("blank inside is skipped") << QStringLiteral("1 2");
    QTest::newRow("exponent") << QStringLiteral("1.5E3");
    QTest::newRow("D exponent") << QStringLiteral("2d2");
    QTest::newRow("letter ends") << QStringLiteral("12abc");
    QTest::newRow("slash ends") << QStringLiteral("7/3");
    QTest::newRow("sign alone") << QStringLiteral("-");
    QTest::newRow("sign then blank") << QStringLiteral("- 5");
    QTest::newRow("hex prefix") << QStringLiteral("&H1F");
    QTest::newRow("full-width digits") << QStringLiteral("１２");
}

void TestTextReadingPaths::plainDecimalsReadAsTheFullReader()
{
    QFETCH(QString, text);
    QCOMPARE(bits(textToNumber(text)), bits(textToNumber(QLatin1Char(' ') + text)));
}

void TestTextReadingPaths::randomTextsReadAsTheFullReader()
{
    QRandomGenerator rng(2718);
    for (int i = 0; i < 200000; ++i) {
        const QString text = randomNumberText(rng);
        const double shortWay = textToNumber(text);
        const double full = textToNumber(QLatin1Char(' ') + text);
        if (bits(shortWay) != bits(full))
            QFAIL(qPrintable(QStringLiteral("\"%1\": %2, the full reader %3")
                                 .arg(text)
                                 .arg(shortWay, 0, 'g', 17)
                                 .arg(full, 0, 'g', 17)));
    }
}

// The number's text is its 15-digit rounding and reading it is correctly rounded, so printing 15
// digits and parsing them directly must give what the text gives, for quotients of every size.
void TestTextReadingPaths::fifteenDigitsReadBackWithoutText()
{
    QRandomGenerator rng(31415);
    for (int i = 0; i < 200000; ++i) {
        const double num = double(rng.bounded(100000)) - 50000;
        const double den = double(rng.bounded(999)) + 1;
        double x = num / den;
        if (i % 3 == 1)
            x = std::ldexp(rng.generateDouble() + 0.5, int(rng.bounded(1980)) - 990);
        if (i % 3 == 2)
            x = x * 1e-7 / 3;
        if (x == 0 || !(std::fabs(x) > 1e-300 && std::fabs(x) < 1e300))
            continue;
        char buf[64];
        const auto t = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::scientific, 14);
        double direct = 0;
        QCOMPARE(std::from_chars(buf, t.ptr, direct).ec, std::errc());
        const double viaText = textToNumber(numberToText(x));
        if (bits(direct) != bits(viaText))
            QFAIL(qPrintable(QStringLiteral("%1: %2, through the text %3")
                                 .arg(x, 0, 'g', 17)
                                 .arg(direct, 0, 'g', 17)
                                 .arg(viaText, 0, 'g', 17)));
    }
}

// The writer rounds by the product away from halves; it must keep what rounding the 15-digit
// form gives, also next to halves (2.675 typed) and for large and tiny values.
void TestTextReadingPaths::fixedDecimalsRoundTheFifteenDigitForm()
{
    static const char *const masks[] = {"0.0", "0.00", "0.000", "0.0000"};
    QRandomGenerator rng(1618);
    for (int i = 0; i < 200000; ++i) {
        const int decimals = 1 + i % 4;
        double x = rng.generateDouble() * (i % 3 ? 1000.0 : 1e6);
        if (i % 5 == 1) // typed with one more decimal than kept: 2.675, many of them halves
            x = double(qint64(x * std::pow(10, decimals + 1))) / std::pow(10, decimals + 1);
        if (i % 5 == 2)
            x = std::ldexp(rng.generateDouble(), int(rng.bounded(80)) - 40);
        if (i % 7 == 3)
            x = -x;
        QString got = formatNumber(x, QString::fromLatin1(masks[decimals - 1]));
        if (got.startsWith(QLatin1Char('-')))
            got.remove(0, 1);
        if (got != referenceFixed(x, decimals))
            QFAIL(qPrintable(QStringLiteral("%1 to %2 decimals: %3, expected %4")
                                 .arg(x, 0, 'g', 17)
                                 .arg(decimals)
                                 .arg(got, referenceFixed(x, decimals))));
    }
}

// Formatting into one text over and over (longer and shorter results, a copy still held) must
// give what a fresh text gets and leave the copy alone.
void TestTextReadingPaths::formattingIntoAReusedTextAsFresh()
{
    static const char *const masks[] = {"0.0", "00.000", "0000.0000", "#.0",
                                        "0",   "#.##",   "bad",       ""};
    QRandomGenerator rng(2024);
    QString reused;
    for (int i = 0; i < 20000; ++i) {
        const QString mask = QString::fromLatin1(masks[size_t(i) % std::size(masks)]);
        double x = (rng.generateDouble() - 0.3) * 1000;
        if (i % 3 == 1)
            x = std::ldexp(rng.generateDouble(), int(rng.bounded(2000)) - 1000);
        const QString held = i % 2 ? reused : QString();
        const QString heldText(held.constData(), held.size()); // a copy of its own
        formatNumberTo(reused, x, NumberMask(mask));
        QCOMPARE(reused, formatNumber(x, mask));
        QCOMPARE(held, heldText);
    }
}

// Containment checks the needle's first ideograph before folding anything; it must answer as
// the search does, with the other characters in every width and case.
void TestTextReadingPaths::containsAsTextSkipsTextsWithoutTheIdeograph()
{
    static const char16_t pieces[] = u"投票金額aAＡｱｲﾞ ｡\u3000\U0001D400";
    QRandomGenerator rng(8128);
    for (int i = 0; i < 100000; ++i) {
        QString haystack, needle;
        for (int k = int(rng.bounded(8)); k > 0; --k)
            haystack += QChar(pieces[rng.bounded(int(std::size(pieces)) - 1)]);
        for (int k = int(rng.bounded(4)); k > 0; --k)
            needle += QChar(pieces[rng.bounded(int(std::size(pieces)) - 1)]);
        if (textContains(haystack, needle) != (textIndexOf(haystack, needle) >= 0))
            QFAIL(qPrintable(QStringLiteral("\"%1\" in \"%2\"").arg(needle, haystack)));
    }
    QVERIFY(textContains(QStringLiteral("ｵｯｽﾞ投票金"), QStringLiteral("投票金")));
    QVERIFY(!textContains(QStringLiteral("票金"), QStringLiteral("投票金")));
}

QTEST_GUILESS_MAIN(TestTextReadingPaths)
#include "tst_textreadingpaths.moc"
