#include "core/analysis/actualodds.h"
#include "core/codepage/codepage.h"

#include <QTest>

class TestActualOdds : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lines_data();
    void lines();
    void decoding();
};

void TestActualOdds::lines_data()
{
    QTest::addColumn<int>("bet");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("read"); // "TICKET=ODDS ..." in ticket order, or the error

    QTest::newRow("exotics' own lines: the last field is the odds")
        << int(BetType::Trifecta) << "1>2>3\t0.001619417\t447.6\n2>1>3\t0.0016\t450.7\n"
        << "1>2>3=447.6 2>1>3=450.7";
    QTest::newRow("CR LF, blank lines and blanks around fields")
        << int(BetType::Quinella) << "\r\n 2-1 \t 12.5 \r\n\r\n3-4\t8\r\n"
        << "1-2=12.5 3-4=8";
    QTest::newRow("a later line for the same ticket wins")
        << int(BetType::Quinella) << "1-2\t5.0\n2-1\t6.5\n"
        << "1-2=6.5";
    QTest::newRow("a name between ticket and odds") << int(BetType::Win) << "3\tｷﾙﾚﾙﾎﾞｰｲ\t2.4\n"
                                                    << "3=2.4";
    QTest::newRow("runner beyond the race")
        << int(BetType::Quinella) << "1-2\t5\n1-19\t8\n"
        << "line 2: 1-19 names runner 19, the race has runners 1 to 18";
    QTest::newRow("a header line") << int(BetType::Win) << "馬番\tオッズ\n1\t2.0\n"
                                   << "line 1: '馬番' is not a win combination (like 7)";
    QTest::newRow("no odds field")
        << int(BetType::Win) << "1\n"
        << "line 1: no odds after 1 (a positive number in the last field)";
    QTest::newRow("odds 0") << int(BetType::Win) << "1\t0\n"
                            << "line 1: no odds after 1 (a positive number in the last field)";
}

void TestActualOdds::lines()
{
    QFETCH(int, bet);
    QFETCH(QString, text);
    QFETCH(QString, read);
    const Result<ActualOdds> odds = ParseActualOdds(text, BetType(bet), 18);
    QString got = odds.error;
    if (odds.ok()) {
        QStringList items;
        for (const auto &[ticket, value] : odds.value)
            items << TicketText(BetType(bet), ticket) + QLatin1Char('=') + QString::number(value);
        got = items.join(QLatin1Char(' '));
    }
    QCOMPARE(got, read);
}

void TestActualOdds::decoding()
{
    const QString text = QStringLiteral("1-2\tｷﾙﾚﾙ①\t5.5\r\n");
    QCOMPARE(DecodeOddsText(Cp932::encode(text).bytes), text);
    QCOMPARE(DecodeOddsText("\xEF\xBB\xBF" + text.toUtf8()), text);
    QCOMPARE(DecodeOddsText(text.toUtf8()), text);
}

QTEST_GUILESS_MAIN(TestActualOdds)
#include "tst_analysis_actualodds.moc"
