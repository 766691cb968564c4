#include "core/text/datetext.h"

#include <QTest>

class TestDateText : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void formatDate_data();
    void formatDate();
};

void TestDateText::formatDate_data()
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

void TestDateText::formatDate()
{
    QFETCH(QDate, date);
    QFETCH(QString, mask);
    QFETCH(QString, expected);
    QCOMPARE(FormatDate(date, mask), expected);
}

QTEST_GUILESS_MAIN(TestDateText)
#include "tst_datetext.moc"
