#include "core/text/textcompare.h"

#include <QTest>

class TestTextCompare : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void textEqualsCases_data();
    void textEqualsCases();
    void textIndexOfCases_data();
    void textIndexOfCases();
    void textMatchLengthCases_data();
    void textMatchLengthCases();
    void textSplitCases_data();
    void textSplitCases();
    void textReplaceCases_data();
    void textReplaceCases();
    void textLikeCases_data();
    void textLikeCases();
    void toFullWidthCases();
};

void TestTextCompare::textEqualsCases_data()
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

void TestTextCompare::textEqualsCases()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(bool, equal);
    QCOMPARE(textEquals(a, b), equal);
    QCOMPARE(textEquals(b, a), equal);
    QCOMPARE(foldText(a) == foldText(b), equal);
}

void TestTextCompare::textIndexOfCases_data()
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

void TestTextCompare::textIndexOfCases()
{
    QFETCH(QString, haystack);
    QFETCH(QString, needle);
    QFETCH(int, from);
    QFETCH(int, expected);
    QCOMPARE(textIndexOf(haystack, needle, from), qsizetype(expected));
}

void TestTextCompare::textMatchLengthCases_data()
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

void TestTextCompare::textMatchLengthCases()
{
    QFETCH(QString, text);
    QFETCH(int, pos);
    QFETCH(QString, needle);
    QFETCH(int, expected);
    QCOMPARE(textMatchLength(text, pos, needle), qsizetype(expected));
}

void TestTextCompare::textSplitCases_data()
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

void TestTextCompare::textSplitCases()
{
    QFETCH(QString, text);
    QFETCH(QString, separator);
    QFETCH(QStringList, expected);
    QCOMPARE(textSplit(text, separator), expected);
}

void TestTextCompare::textReplaceCases_data()
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

void TestTextCompare::textReplaceCases()
{
    QFETCH(QString, text);
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, expected);
    QCOMPARE(textReplace(text, from, to), expected);
}

void TestTextCompare::textLikeCases_data()
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

void TestTextCompare::textLikeCases()
{
    QFETCH(QString, text);
    QFETCH(QString, pattern);
    QFETCH(bool, match);
    QCOMPARE(textLike(text, pattern), match);
}

void TestTextCompare::toFullWidthCases()
{
    QCOMPARE(toFullWidth("1"), QString("１"));
    QCOMPARE(toFullWidth("a Z~"), QString("ａ　Ｚ～"));
    QCOMPARE(toFullWidth("ｵ頭"), QString("ｵ頭"));
}

QTEST_GUILESS_MAIN(TestTextCompare)
#include "tst_textcompare.moc"
