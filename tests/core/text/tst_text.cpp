#include "core/text/text.h"

#include <QTest>
#include <limits>

class TestText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void textToNumberCases_data();
    void textToNumberCases();
    void textToNumberHugeInput();
    void numberToTextCases_data();
    void numberToTextCases();
    void numberToTextReadsBack();
    void formatNumber_data();
    void formatNumber();
    void formatDate_data();
    void formatDate();
    void roundHalfEven_data();
    void roundHalfEven();
    void fixed4FromDouble_data();
    void fixed4FromDouble();
    void fixed4Arithmetic();
    void textEquals_data();
    void textEquals();
    void textIndexOf_data();
    void textIndexOf();
    void textMatchLength_data();
    void textMatchLength();
    void textSplit_data();
    void textSplit();
    void textReplace_data();
    void textReplace();
    void textLike_data();
    void textLike();
    void toFullWidth();
};

void TestText::textToNumberCases_data()
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

void TestText::textToNumberCases()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(textToNumber(text), expected);
}

void TestText::textToNumberHugeInput()
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

void TestText::numberToTextCases_data()
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

void TestText::numberToTextCases()
{
    QFETCH(double, x);
    QFETCH(QString, expected);
    QCOMPARE(numberToText(x), expected);
}

void TestText::numberToTextReadsBack()
{
    // Every written text reads back to within 15 significant digits.
    const double xs[] = {1.0 / 7, 2.0 / 3 * 1e10, 123.456, -98765.4321e-8, 5e-324, 1.7e308};
    for (double x : xs) {
        const double back = textToNumber(numberToText(x));
        QVERIFY2(std::abs(back - x) <= std::abs(x) * 1e-14, qPrintable(numberToText(x)));
    }
}

void TestText::formatNumber_data()
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

void TestText::formatNumber()
{
    QFETCH(double, x);
    QFETCH(QString, mask);
    QFETCH(QString, expected);
    QCOMPARE(FormatNumber(x, mask), expected);
}

void TestText::formatDate_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("expected");

    QTest::newRow("slash mask") << QDate(2003, 12, 15) << "yyyy/mm/dd"
                                << "2003/12/15";
    QTest::newRow("slash mask pads") << QDate(2024, 1, 5) << "yyyy/mm/dd"
                                     << "2024/01/05";
    QTest::newRow("japanese monday") << QDate(2003, 12, 15) << "yyyy年mm月dd日(aaa)"
                                     << "2003年12月15日(月)";
    QTest::newRow("japanese sunday") << QDate(2003, 12, 21) << "yyyy年mm月dd日(aaa)"
                                     << "2003年12月21日(日)";
    QTest::newRow("japanese saturday") << QDate(2024, 3, 2) << "yyyy年mm月dd日(aaa)"
                                       << "2024年03月02日(土)";
    QTest::newRow("invalid date") << QDate() << "yyyy/mm/dd"
                                  << "";
}

void TestText::formatDate()
{
    QFETCH(QDate, date);
    QFETCH(QString, mask);
    QFETCH(QString, expected);
    QCOMPARE(FormatDate(date, mask), expected);
}

void TestText::roundHalfEven_data()
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

void TestText::roundHalfEven()
{
    QFETCH(double, x);
    QFETCH(int, expected);
    QCOMPARE(RoundHalfEvenToInt(x), expected);
}

void TestText::fixed4FromDouble_data()
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

void TestText::fixed4FromDouble()
{
    QFETCH(double, x);
    QFETCH(bool, ok);
    QFETCH(qint64, raw);
    const auto f = Fixed4::fromDouble(x);
    QCOMPARE(f.has_value(), ok);
    if (ok)
        QCOMPARE(f->raw(), raw);
}

void TestText::fixed4Arithmetic()
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

void TestText::textEquals_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<bool>("equal");

    QTest::newRow("case folded") << "ABC"
                                 << "abc" << true;
    QTest::newRow("full-width letters") << "ＡＢｃ"
                                        << "abC" << true;
    QTest::newRow("full-width digits") << "１２"
                                       << "12" << true;
    QTest::newRow("full-width comma") << "，"
                                      << "," << true;
    QTest::newRow("full-width space") << "a　b"
                                      << "a b" << true;
    QTest::newRow("half-width katakana") << "ｵｯｽﾞ"
                                         << "オッズ" << true;
    QTest::newRow("semi-voiced mark") << "ﾊﾟ"
                                      << "パ" << true;
    QTest::newRow("voiced u") << "ｳﾞ"
                              << "ヴ" << true;
    QTest::newRow("voiced is not plain") << "ｶﾞ"
                                         << "カ" << false;
    QTest::newRow("mark on unvoiceable kana stays a mark") << "ｱﾞ"
                                                           << "ア゛" << true;
    QTest::newRow("hiragana differs from katakana") << "あ"
                                                    << "ア" << false;
    QTest::newRow("different lengths") << "ab"
                                       << "abc" << false;
    QTest::newRow("greek case") << "Σ"
                                << "σ" << true;
    QTest::newRow("yen sign") << "￥"
                              << "¥" << true;
    QTest::newRow("emoji equal") << "😀"
                                 << "😀" << true;
}

void TestText::textEquals()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(bool, equal);
    QCOMPARE(TextEquals(a, b), equal);
    QCOMPARE(TextEquals(b, a), equal);
    QCOMPARE(FoldText(a) == FoldText(b), equal);
}

void TestText::textIndexOf_data()
{
    QTest::addColumn<QString>("haystack");
    QTest::addColumn<QString>("needle");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("expected");

    QTest::newRow("plain") << "abcabc"
                           << "C" << 0 << 2;
    QTest::newRow("from skips first") << "abcabc"
                                      << "c" << 3 << 5;
    QTest::newRow("not found") << "abc"
                               << "x" << 0 << -1;
    QTest::newRow("index in original after merged kana") << "ﾊﾟﾊﾟX"
                                                         << "x" << 0 << 4;
    QTest::newRow("full-width needle in half-width text") << "ｵｯｽﾞﾄﾞｷｭﾒﾝﾄ"
                                                          << "ドキ" << 0 << 4;
    QTest::newRow("from inside a merged pair") << "ﾊﾟﾊﾟ"
                                               << "パ" << 1 << 2;
    QTest::newRow("empty needle") << "abc"
                                  << "" << 1 << 1;
    QTest::newRow("from past end") << "abc"
                                   << "a" << 9 << -1;
    QTest::newRow("negative from") << "abc"
                                   << "a" << -3 << 0;
}

void TestText::textIndexOf()
{
    QFETCH(QString, haystack);
    QFETCH(QString, needle);
    QFETCH(int, from);
    QFETCH(int, expected);
    QCOMPARE(TextIndexOf(haystack, needle, from), qsizetype(expected));
}

void TestText::textMatchLength_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("pos");
    QTest::addColumn<QString>("needle");
    QTest::addColumn<int>("expected");

    QTest::newRow("same length") << "xABC" << 1 << "abc" << 3;
    QTest::newRow("merged kana count twice") << "ﾊﾟﾝx" << 0 << "パン" << 3;
    QTest::newRow("no match") << "abc" << 0 << "b" << -1;
    QTest::newRow("runs past the end") << "ab" << 1 << "bc" << -1;
    QTest::newRow("half a merged pair is no match") << "ﾊﾟ" << 0 << "ﾊ" << -1;
    QTest::newRow("empty needle") << "ab" << 2 << "" << 0;
    QTest::newRow("position out of range") << "ab" << 3 << "" << -1;
}

void TestText::textMatchLength()
{
    QFETCH(QString, text);
    QFETCH(int, pos);
    QFETCH(QString, needle);
    QFETCH(int, expected);
    QCOMPARE(TextMatchLength(text, pos, needle), qsizetype(expected));
}

void TestText::textSplit_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("comma") << "a,b,,c"
                           << "," << QStringList{"a", "b", "", "c"};
    QTest::newRow("full-width comma splits") << "a，b"
                                             << "," << QStringList{"a", "b"};
    QTest::newRow("trailing separator") << "a@b@"
                                        << "@" << QStringList{"a", "b", ""};
    QTest::newRow("case-folded separator") << "1x2X3"
                                           << "x" << QStringList{"1", "2", "3"};
    QTest::newRow("empty text") << ""
                                << "," << QStringList{""};
    QTest::newRow("empty separator") << "a,b"
                                     << "" << QStringList{"a,b"};
    QTest::newRow("kana kept whole") << "ﾊﾟ,ｶﾞ"
                                     << "," << QStringList{"ﾊﾟ", "ｶﾞ"};
}

void TestText::textSplit()
{
    QFETCH(QString, text);
    QFETCH(QString, separator);
    QFETCH(QStringList, expected);
    QCOMPARE(TextSplit(text, separator), expected);
}

void TestText::textReplace_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("expected");

    QTest::newRow("first of csv.csv") << "a.CSV.csv"
                                      << ".csv.csv"
                                      << ".Csv"
                                      << "a.Csv";
    QTest::newRow("every match") << "a-b-c"
                                 << "-"
                                 << "+"
                                 << "a+b+c";
    QTest::newRow("merged kana replaced whole") << "xﾊﾟy"
                                                << "パ"
                                                << "P"
                                                << "xPy";
    QTest::newRow("full-width match") << "１,２"
                                      << ","
                                      << ""
                                      << "１２";
    QTest::newRow("no match keeps text") << "abc"
                                         << "z"
                                         << "y"
                                         << "abc";
    QTest::newRow("empty from keeps text") << "abc"
                                           << ""
                                           << "y"
                                           << "abc";
    QTest::newRow("no overlap") << "aaa"
                                << "aa"
                                << "b"
                                << "ba";
}

void TestText::textReplace()
{
    QFETCH(QString, text);
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, expected);
    QCOMPARE(TextReplace(text, from, to), expected);
}

void TestText::textLike_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("match");

    QTest::newRow("untitled caption") << "新規ｵｯｽﾞﾄﾞｷｭﾒﾝﾄ 1"
                                      << "*新規オッズ*" << true;
    QTest::newRow("template any case") << "/home/u/Default.DEF"
                                       << "*.Def*" << true;
    QTest::newRow("csv is not def") << "/home/u/race.csv"
                                    << "*.Def*" << false;
    QTest::newRow("question mark one char") << "ab"
                                            << "a?" << true;
    QTest::newRow("question mark needs a char") << "a"
                                                << "a?" << false;
    QTest::newRow("question mark takes merged kana") << "ﾊﾟ"
                                                     << "?" << true;
    QTest::newRow("hash is a digit") << "a1"
                                     << "a#" << true;
    QTest::newRow("hash takes full-width digit") << "a１"
                                                 << "a#" << true;
    QTest::newRow("hash rejects letter") << "ab"
                                         << "a#" << false;
    QTest::newRow("full-width star is literal") << "abc"
                                                << "＊" << false;
    QTest::newRow("star matches empty") << ""
                                        << "*" << true;
    QTest::newRow("backtracking") << "abcbd"
                                  << "a*bd" << true;
    QTest::newRow("anchored end") << "abcx"
                                  << "a*c" << false;
}

void TestText::textLike()
{
    QFETCH(QString, text);
    QFETCH(QString, pattern);
    QFETCH(bool, match);
    QCOMPARE(TextLike(text, pattern), match);
}

void TestText::toFullWidth()
{
    QCOMPARE(ToFullWidth("1"), QString("１"));
    QCOMPARE(ToFullWidth("a Z~"), QString("ａ　Ｚ～"));
    QCOMPARE(ToFullWidth("ｵ頭"), QString("ｵ頭"));
}

QTEST_GUILESS_MAIN(TestText)
#include "tst_text.moc"
