#include "core/text/numbertext.h"

#include <QTest>
#include <limits>

class TestNumberText : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void textToNumberCases_data();
    void textToNumberCases();
    void textToNumberHugeInput();
    void numberToTextCases_data();
    void numberToTextCases();
    void numberToTextReadsBack();
    void formatNumberCases_data();
    void formatNumberCases();
    void roundHalfEven_data();
    void roundHalfEven();
};

void TestNumberText::textToNumberCases_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");

    QTest::newRow("empty is 0") << "" << 0.0;
    QTest::newRow("no leading number is 0") << "abc" << 0.0;
    QTest::newRow("plain integer") << "42" << 42.0;
    QTest::newRow("leading blanks, tabs and LF skipped") << " \t\n 7" << 7.0;
    QTest::newRow("CR is not skipped") << "\r7" << 0.0;
    QTest::newRow("blanks inside ignored") << "1 2 3" << 123.0;
    QTest::newRow("blank between sign and digits") << "- 5" << -5.0;
    QTest::newRow("comma is no separator") << "1,000" << 1.0;
    QTest::newRow("stops at first other char") << "12abc" << 12.0;
    QTest::newRow("only one point") << "1.2.3" << 1.2;
    QTest::newRow("negative fraction without zero") << "-.5" << -0.5;
    QTest::newRow("plus sign") << "+3" << 3.0;
    QTest::newRow("sign alone is 0") << "-" << 0.0;
    QTest::newRow("point alone is 0") << "." << 0.0;
    QTest::newRow("exponent E") << "1.5E3" << 1500.0;
    QTest::newRow("exponent D") << "2D2" << 200.0;
    QTest::newRow("exponent lower case with sign") << "25e-1" << 2.5;
    QTest::newRow("exponent without digits") << "3E" << 3.0;
    QTest::newRow("hex") << "&H1F" << 31.0;
    QTest::newRow("hex lower case") << "&hff" << 255.0;
    QTest::newRow("hex stops at non-hex") << "&H1G" << 1.0;
    QTest::newRow("octal") << "&O17" << 15.0;
    QTest::newRow("octal stops at 8") << "&O18" << 1.0;
    QTest::newRow("ampersand alone") << "&X1" << 0.0;
    QTest::newRow("full-width digits are no digits") << "１２" << 0.0;
    QTest::newRow("leading zeros") << "007.50" << 7.5;
    QTest::newRow("tiny fraction") << "0.000001" << 1e-6;
    QTest::newRow("overflow saturates") << "1E400" << std::numeric_limits<double>::max();
    QTest::newRow("negative overflow saturates")
        << "-9E999999999" << std::numeric_limits<double>::lowest();
    QTest::newRow("underflow is 0") << "1E-400" << 0.0;
    QTest::newRow("text NaN is 0") << "NaN" << 0.0;
}

void TestNumberText::textToNumberCases()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(textToNumber(text), expected);
}

void TestNumberText::textToNumberHugeInput()
{
    // Never hangs or overflows on long input; correct rounding can hinge on a digit far beyond
    // the 17th (2^53 + 1 is exactly half-way between two doubles).
    QString digits(100000, u'9');
    QCOMPARE(textToNumber(digits), std::numeric_limits<double>::max());
    QCOMPARE(textToNumber("0." + QString(100000, u'0') + "1"), 0.0);
    QCOMPARE(textToNumber("1" + QString(100000, u'0') + "E-100000"), 1.0);
    const QString aboveHalf = "9007199254740993." + QString(2000, u'0') + "1";
    QCOMPARE(textToNumber(aboveHalf), 9007199254740994.0);
    QCOMPARE(textToNumber("9007199254740993"), 9007199254740992.0);
    QCOMPARE(textToNumber("&H" + QString(1000, u'F')), std::numeric_limits<double>::max());
}

void TestNumberText::numberToTextCases_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<QString>("expected");

    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("whole number has no point") << 100.0 << "100";
    QTest::newRow("negative") << -2.5 << "-2.5";
    QTest::newRow("binary noise cut at 15 digits") << 0.1 + 0.2 << "0.3";
    QTest::newRow("third") << 1.0 / 3 << "0.333333333333333";
    QTest::newRow("15 digits stay positional") << 123456789012345.0 << "123456789012345";
    QTest::newRow("1E15 is exponent form") << 1e15 << "1E+15";
    QTest::newRow("rounding up to 1E15") << 999999999999999.9 << "1E+15";
    QTest::newRow("exponent with mantissa") << 1.5e20 << "1.5E+20";
    QTest::newRow("three-digit exponent") << 1e100 << "1E+100";
    QTest::newRow("0.0001 positional") << 0.0001 << "0.0001";
    QTest::newRow("0.00001 exponent form") << 0.00001 << "1E-05";
    QTest::newRow("negative small") << -1.5e-20 << "-1.5E-20";
    QTest::newRow("odds value") << 12.3 << "12.3";
    QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << "NaN";
    QTest::newRow("infinity") << -std::numeric_limits<double>::infinity() << "-Inf";
}

void TestNumberText::numberToTextCases()
{
    QFETCH(double, x);
    QFETCH(QString, expected);
    QCOMPARE(numberToText(x), expected);
}

void TestNumberText::numberToTextReadsBack()
{
    // Every written text reads back to within 15 significant digits.
    const double xs[] = {1.0 / 7, 2.0 / 3 * 1e10, 123.456, -98765.4321e-8, 5e-324, 1.7e308};
    for (double x : xs) {
        const double back = textToNumber(numberToText(x));
        QVERIFY2(std::abs(back - x) <= std::abs(x) * 1e-14, qPrintable(numberToText(x)));
    }
}

void TestNumberText::formatNumberCases_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("expected");

    QTest::newRow("# drops leading zero") << 0.5 << "#.0"
                                          << ".5";
    QTest::newRow("# keeps significant digits") << 12.34 << "#.0"
                                                << "12.3";
    QTest::newRow("# with zero") << 0.0 << "#.0"
                                 << ".0";
    QTest::newRow("extra integer digits shown") << 100.0 << "00.000"
                                                << "100.000";
    QTest::newRow("leading zeros padded") << 5.0 << "0000"
                                          << "0005";
    QTest::newRow("trailing zeros padded") << 12.345 << "0000.0000"
                                           << "0012.3450";
    QTest::newRow("half away from zero") << 0.25 << "0.0"
                                         << "0.3";
    QTest::newRow("negative half away from zero") << -0.25 << "0.0"
                                                  << "-0.3";
    QTest::newRow("whole half away from zero") << 2.5 << "0"
                                               << "3";
    QTest::newRow("negative whole half") << -2.5 << "0"
                                         << "-3";
    QTest::newRow("exact binary half") << 0.125 << "00.00"
                                       << "00.13";
    QTest::newRow("decimal intuition 2.675") << 2.675 << "00.00"
                                             << "02.68";
    QTest::newRow("decimal intuition 1.005") << 1.005 << "0.00"
                                             << "1.01";
    QTest::newRow("carry into new digit") << 9.96 << "0.0"
                                          << "10.0";
    QTest::newRow("carry with # mask") << 0.96 << "#.0"
                                       << "1.0";
    QTest::newRow("negative rounding to zero keeps its minus") << -0.04 << "0.0"
                                                               << "-0.0";
    QTest::newRow("below rounding point") << 0.0004 << "0.000"
                                          << "0.000";
    QTest::newRow("tiny value") << 1e-20 << "00.00"
                                << "00.00";
    QTest::newRow("large value all digits") << 1e20 << "0.0"
                                            << "100000000000000000000.0";
    QTest::newRow("support percent") << 33.3333333333 << "00.000"
                                     << "33.333";
    QTest::newRow("rank key") << 7.0 << "0000.0000"
                              << "0007.0000";
    QTest::newRow("two-digit mask") << 7.6 << "00"
                                    << "08";
    QTest::newRow("unknown mask falls back") << 1.5 << "x"
                                             << "1.5";
}

void TestNumberText::formatNumberCases()
{
    QFETCH(double, x);
    QFETCH(QString, mask);
    QFETCH(QString, expected);
    QCOMPARE(formatNumber(x, mask), expected);
}

void TestNumberText::roundHalfEven_data()
{
    QTest::addColumn<double>("x");
    QTest::addColumn<int>("expected");
    QTest::newRow("half down to even") << 2.5 << 2;
    QTest::newRow("half up to even") << 3.5 << 4;
    QTest::newRow("negative half to even") << -2.5 << -2;
    QTest::newRow("not a half") << 2.6 << 3;
    QTest::newRow("saturates high") << 1e12 << std::numeric_limits<int>::max();
    QTest::newRow("saturates low") << -1e12 << std::numeric_limits<int>::min();
    QTest::newRow("NaN is 0") << std::numeric_limits<double>::quiet_NaN() << 0;
}

void TestNumberText::roundHalfEven()
{
    QFETCH(double, x);
    QFETCH(int, expected);
    QCOMPARE(roundHalfEvenToInt(x), expected);
}

QTEST_GUILESS_MAIN(TestNumberText)
#include "tst_numbertext.moc"
