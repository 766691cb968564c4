#include "core/text/datetext.h"

#include <QTest>

class TestDateText : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void formatDateCases_data();
    void formatDateCases();
    void parseDateFieldCases_data();
    void parseDateFieldCases();
};

void TestDateText::formatDateCases_data()
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

void TestDateText::formatDateCases()
{
    QFETCH(QDate, date);
    QFETCH(QString, mask);
    QFETCH(QString, expected);
    QCOMPARE(formatDate(date, mask), expected);
}

void TestDateText::parseDateFieldCases_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("date"); // invalid: not a date

    const QDate d(2003, 12, 5);
    QTest::newRow("slashes") << "2003/12/05" << d;
    QTest::newRow("dashes, one digit") << "2003-12-5" << d;
    QTest::newRow("japanese, one digit") << "2003年12月5日" << d;
    QTest::newRow("japanese with weekday") << "2003年12月05日(金)" << d;
    QTest::newRow("full-width with weekday") << "２００３／１２／０５（金曜日）" << d;
    QTest::newRow("spaces around") << "  2003/12/05 (金) " << d;
    QTest::newRow("the template's text") << "作成日" << QDate();
    QTest::newRow("no such day") << "2003/02/30" << QDate();
    QTest::newRow("mixed separators") << "2003/12-05" << QDate();
    QTest::newRow("two-digit year") << "03/12/05" << QDate();
    QTest::newRow("text after") << "2003/12/05 晴" << QDate();
    QTest::newRow("not a weekday") << "2003/12/05(晴)" << QDate();
}

void TestDateText::parseDateFieldCases()
{
    QFETCH(QString, text);
    QFETCH(QDate, date);
    const std::optional<QDate> got = parseDateField(text);
    QCOMPARE(got.value_or(QDate()), date);
}

QTEST_GUILESS_MAIN(TestDateText)
#include "tst_datetext.moc"
