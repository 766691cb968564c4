#include "core/text/narrownumber.h"
#include "core/text/numbertext.h"

#include <QTest>

class TestNarrowNumber : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void narrows_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<double>("value");
        QTest::newRow("full-width stake") << u"１２００"_qs << u"1200"_qs << 1200.0;
        QTest::newRow("full-width point") << u"３．５"_qs << u"3.5"_qs << 3.5;
        QTest::newRow("ideographic full stop") << u"１２。５"_qs << u"12.5"_qs << 12.5;
        QTest::newRow("half-width kana full stop") << u"2｡5"_qs << u"2.5"_qs << 2.5;
        QTest::newRow("full-width minus") << u"－１０"_qs << u"-10"_qs << -10.0;
        QTest::newRow("minus sign") << u"−２"_qs << u"-2"_qs << -2.0;
        QTest::newRow("long vowel mark typed as minus") << u"ー３"_qs << u"-3"_qs << -3.0;
        QTest::newRow("half-width long vowel mark") << u"ｰ3"_qs << u"-3"_qs << -3.0;
        QTest::newRow("full-width plus and space") << u"＋　７"_qs << u"+ 7"_qs << 7.0;
        QTest::newRow("other text stays") << u"予想Ａ，1"_qs << u"予想Ａ，1"_qs << 0.0;
        QTest::newRow("ASCII unchanged") << u"-12.5e1"_qs << u"-12.5e1"_qs << -125.0;
    }
    void narrows()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QFETCH(double, value);
        const QString narrow = narrowNumberText(text);
        QCOMPARE(narrow, expected);
        QCOMPARE(textToNumber(narrow), value);
    }
};

QTEST_GUILESS_MAIN(TestNarrowNumber)
#include "tst_narrownumber.moc"
