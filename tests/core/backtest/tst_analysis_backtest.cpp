#include "core/analysisfile/sidecarodds.h"
#include "core/backtest/backtest.h"
#include "core/market/oddssnapshots.h"

#include <QTest>

class TestBacktest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void play_data();
    void play();
    void order();
    void snapshotAtCases_data();
    void snapshotAtCases();
    void suddenDrop_data();
    void readBetOddsCases_data();
    void readBetOddsCases();
    void suddenDrop();
    void breakdown();
};

// "runner/P/estimated/actual ... ; winners ; runner=payout ...": single-runner tickets.
static BacktestRace raceFrom(const QString &description)
{
    const QStringList parts = description.split(QLatin1Char(';'));
    BacktestRace race;
    race.file = parts[0].trimmed().isEmpty() ? QStringLiteral("no odds") : parts[0].trimmed();
    for (const QString &t : parts[0].split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList f = t.split(QLatin1Char('/'));
        race.tickets.push_back({{f[0].toInt()}, f[1].toDouble(), f[2].toDouble(), f[3].toDouble()});
    }
    for (const QString &w : parts[1].split(QLatin1Char(' '), Qt::SkipEmptyParts))
        race.winners.insert({w.toInt()});
    for (const QString &p : parts.value(2).split(QLatin1Char(' '), Qt::SkipEmptyParts))
        race.payouts[{p.section(QLatin1Char('='), 0, 0).toInt()}] =
            p.section(QLatin1Char('='), 1).toLongLong();
    return race;
}

void TestBacktest::play_data()
{
    QTest::addColumn<QString>("rule");
    QTest::addColumn<QStringList>("races");
    QTest::addColumn<QStringList>("lines"); // tickets staked returned cumulative profit
    QTest::addColumn<QString>("summary");

    const QStringList season = {
        // 2.0/1.6 = 1.25 bought, 4.4/4.0 = 1.1 not; 1 wins and pays 210.
        "1/.5/1.6/2.0 2/.2/4.0/4.4 ; 1 ; 1=210",
        // 6.0/5.0 = 1.2; 23.9/20.0 = 1.19499.. shows 1.20 and is bought; 5 wins.
        "3/.1/5.0/6.0 4/.04/20.0/23.9 ; 5 ; 5=900",
        " ; 1 ; ",
        "2/.3/2.5/3.0 ; 1 ; 1=150",
        // 1 wins without a payout: 100 x 2.4 back, from the odds.
        "1/.4/2.0/2.4 ; 1 ; 2=500",
    };
    QTest::newRow("flat 100 at ratio 1.2: the run of two losses spans the race without odds; "
                  "peak 110 to low -190")
        << "ratio 1.2 flat 100" << season
        << QStringList{"1 100 210 110", "2 200 0 -90", "0 0 0 -90", "1 100 0 -190", "1 100 240 -50"}
        << "races 5 bet 4 tickets 5 hits 2 staked 500 returned 450 profit -50 drawdown 300 "
           "losing 2 fromodds 1";
    QTest::newRow("EV 0.9: .5x2.0 yes, .2x4.4 = .88 no, .04x23.9 = .956 yes, .3x3.0 computed "
                  ".8999.. shows .900 yes, .4x2.4 = .96 yes")
        << "ev 0.9 flat 200" << season
        << QStringList{"1 200 420 220", "1 200 0 20", "0 0 0 20", "1 200 0 -180", "1 200 480 100"}
        << "races 5 bet 4 tickets 4 hits 2 staked 800 returned 900 profit 100 drawdown 400 "
           "losing 2 fromodds 1";
    // R_S = (1-.8)/(1-2/3) = .6: f = .5-.2 = .3 and .3-.2 = .1 of the bankroll as it stands.
    const QStringList kellyRaces = {
        "1/.5/2.0/3.0 2/.3/2.5/3.0 3/.2/3.0/2.5 ; 2 ; 2=300",
        "1/.5/2.0/3.0 2/.3/2.5/3.0 3/.2/3.0/2.5 ; 1 ; ",
        // f = .334 - .999/3 = .001 of 13,500: 13 yen rounds to no ticket.
        "1/.334/2.5/3.0 ; 1 ; 1=300",
    };
    QTest::newRow("Kelly on 10,000: 3000+1000, then on 9,000 2700+900, then nothing")
        << "ratio 1.2 kelly 1 10000" << kellyRaces
        << QStringList{"2 4000 3000 -1000", "2 3600 8100 3500", "0 0 0 3500"}
        << "races 3 bet 2 tickets 4 hits 2 staked 7600 returned 11100 profit 3500 drawdown 1000 "
           "losing 1 fromodds 1";
}

void TestBacktest::play()
{
    QFETCH(QString, rule);
    QFETCH(QStringList, races);
    QFETCH(QStringList, lines);
    QFETCH(QString, summary);

    const QStringList r = rule.split(QLatin1Char(' '));
    BacktestRule b;
    b.select = r[0] == QLatin1String("ev") ? BacktestRule::Select::ExpectedValue
                                           : BacktestRule::Select::Ratio;
    b.threshold = r[1].toDouble();
    b.kelly = r[2] == QLatin1String("kelly");
    if (b.kelly) {
        b.kellyFraction = r[3].toDouble();
        b.bankroll = r[4].toLongLong();
    } else {
        b.flatStake = r[3].toLongLong();
    }
    // A season keeps of each race only the tickets a stake can fall on: the same play.
    Backtest test(b);
    Backtest kept(b);
    QStringList got;
    for (const QString &race : races) {
        const BacktestLine l = test.add(raceFrom(race));
        got << QStringLiteral("%1 %2 %3 %4")
                   .arg(l.tickets)
                   .arg(l.staked)
                   .arg(l.returned)
                   .arg(l.profit);
        BacktestRace pruned = raceFrom(race);
        pruned.tickets = stakeableTickets(b, pruned.tickets);
        QCOMPARE(kept.add(pruned).profit, l.profit);
    }
    QCOMPARE(got, lines);
    const BacktestSummary &s = test.summary();
    QCOMPARE(QStringLiteral("races %1 bet %2 tickets %3 hits %4 staked %5 returned %6 profit %7 "
                            "drawdown %8 losing %9 fromodds %10")
                 .arg(s.races)
                 .arg(s.betRaces)
                 .arg(s.tickets)
                 .arg(s.hits)
                 .arg(s.staked)
                 .arg(s.returned)
                 .arg(s.profit)
                 .arg(s.maxDrawdown)
                 .arg(s.longestLosing)
                 .arg(s.fromOdds),
             summary);
}

void TestBacktest::order()
{
    const std::vector<DatedPath> docs = {
        {"b/2.csv", QDate(2026, 5, 2)}, {"z.csv", std::nullopt},
        {"b/1.csv", QDate(2026, 5, 2)}, {"a.csv", QDate(2026, 6, 1)},
        {"c.csv", QDate(2025, 12, 28)}, {"y.csv", std::nullopt}};
    QStringList paths;
    for (const size_t i : dateOrder(docs))
        paths << docs[i].path;
    QCOMPARE(paths, (QStringList{"c.csv", "b/1.csv", "b/2.csv", "a.csv", "y.csv", "z.csv"}));
}

void TestBacktest::snapshotAtCases_data()
{
    QTest::addColumn<QStringList>("times"); // newest first, as stored
    QTest::addColumn<QString>("at");
    QTest::addColumn<int>("chosen");

    const QStringList day = {"2026-12-12 15:20:00", "2026-12-12 14:05:00", "2026-12-12 13:30:00"};
    QTest::newRow("latest without --at") << day << "" << 0;
    QTest::newRow("at a snapshot's minute") << day << "14:05" << 1;
    QTest::newRow("between two") << day << "14:04" << 2;
    QTest::newRow("before the first") << day << "13:29" << -1;
    QTest::newRow("the evening before stays in effect")
        << QStringList{"2026-12-12 10:00:00", "2026-12-11 20:00:00"} << "09:00" << 1;
    QTest::newRow("a latest without a time counts as the latest only")
        << QStringList{"", "2026-12-12 13:30:00"} << "23:59" << 1;
    QTest::newRow("without a time, and no --at") << QStringList{""} << "" << 0;
    QTest::newRow("an edited time out of order")
        << QStringList{"2026-12-12 13:00:00", "2026-12-12 14:00:00"} << "15:00" << 1;
}

void TestBacktest::snapshotAtCases()
{
    QFETCH(QStringList, times);
    QFETCH(QString, at);
    QFETCH(int, chosen);
    OddsHistory history;
    for (const QString &t : times)
        history.push_back({t, {}});
    const std::optional<QTime> time = parseTimeOfDay(at);
    QCOMPARE(time.has_value(), !at.isEmpty());
    QCOMPARE(snapshotAt(history, time), chosen);
}

void TestBacktest::suddenDrop_data()
{
    QTest::addColumn<double>("previous");
    QTest::addColumn<double>("now");
    QTest::addColumn<double>("change");
    QTest::addColumn<bool>("flagged"); // at a threshold of 30 %

    QTest::newRow("exactly 30 % down") << 10.0 << 7.0 << -30.0 << true;
    QTest::newRow("computed 29.99..% shows -30.0 and is flagged") << 3.3 << 2.31 << -30.0 << true;
    QTest::newRow("29.5 % down") << 2.0 << 1.41 << -29.5 << false;
    QTest::newRow("a rise") << 7.0 << 10.0 << 42.9 << false;
}

void TestBacktest::suddenDrop()
{
    QFETCH(double, previous);
    QFETCH(double, now);
    QFETCH(double, change);
    QFETCH(bool, flagged);
    const OddsMove m = moveOf(previous, now, 30);
    QCOMPARE(m.changePercent, change);
    QCOMPARE(m.suddenDrop, flagged);
}

void TestBacktest::readBetOddsCases_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("at");
    QTest::addColumn<QString>("read"); // "ticket=odds ... | ticket=yen ..." or the error

    const QByteArray v3 = "[Analysis]\r\nVersion=3\r\n[win]\r\n5=2.0\r\n"
                          "[place]\r\nRatio=0.8\r\nTime=2026-12-12 14:05:00\r\n"
                          "3=1.5-2.0\r\n7=3.4-4.1\r\n"
                          "[place@2026-12-12 13:30:00]\r\n7=1.9-2.2\r\n3=2.5-3.0\r\n"
                          "[place@]\r\n3=9.9\r\n"
                          "[Payouts]\r\nquinella 3-7=1230\r\nplace 3=150\r\nplace 7=210\r\n";
    QTest::newRow("latest, ranges by their lower end") << v3 << ""
                                                       << "3=1.5 7=3.4 | 3=150 7=210";
    QTest::newRow("at 13:59, read in ticket order") << v3 << "13:59"
                                                    << "3=2.5 7=1.9 | 3=150 7=210";
    QTest::newRow("before the first") << v3 << "13:00"
                                      << " | 3=150 7=210";
    QTest::newRow("version 1: no times")
        << QByteArray("[Analysis]\nVersion=1\n[place]\nRatio=0.8\nPicks=3\n3=2.1\n") << ""
        << "3=2.1 | ";
    QTest::newRow("a later version") << QByteArray("[Analysis]\nVersion=4\n") << ""
                                     << "line 2: bad Version '4'";
    QTest::newRow("bad odds in the chosen snapshot") << QByteArray("[place]\n3=2.1\n7=0.5\n") << ""
                                                     << "line 3: '0.5' is not odds (odds "
                                                        "from 1.0 to 99,999,999.9 with one "
                                                        "decimal)";
    // The analysis window's reader: what it refuses anywhere in the file, the back-test does.
    QTest::newRow("bad odds elsewhere")
        << QByteArray("[place]\n3=2.1\n[win]\n7=x\n") << ""
        << "line 4: 'x' is not odds (odds from 1.0 to 99,999,999.9 with one decimal)";
    QTest::newRow("repeated latest sections are one snapshot")
        << QByteArray("[place]\n3=2.1\n[place]\n7=3.0\n[place]\n3=2.2\n") << ""
        << "3=2.2 7=3 | ";
    QByteArray many = "[place]\nTime=2026-12-12 14:05:00\n3=2.1\n";
    for (int k = 1; k < 200; ++k)
        many += "[place@2026-12-12 13:30:00]\n3=2.0\n";
    QTest::newRow("200 snapshots") << many << ""
                                   << "3=2.1 | ";
    QTest::newRow("201 snapshots: refused at the section")
        << QByteArray(many + "[place@2026-12-12 13:00:00]\n3=1.9\n") << ""
        << "line 402: more than 200 snapshots of place";
}

void TestBacktest::readBetOddsCases()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, at);
    QFETCH(QString, read);
    const Result<BetOdds> got = readBetOdds(file, BetType::Place, parseTimeOfDay(at));
    if (!got.ok()) {
        QCOMPARE(got.error, read);
        return;
    }
    QStringList odds;
    for (const auto &[ticket, value] : got.value.odds)
        odds << QStringLiteral("%1=%2").arg(ticket[0]).arg(value);
    QStringList payouts;
    for (const auto &[ticket, yen] : got.value.payouts)
        payouts << QStringLiteral("%1=%2").arg(ticket[0]).arg(yen);
    QCOMPARE(odds.join(' ') + " | " + payouts.join(' '), read);
    QCOMPARE(got.value.hasOdds, !odds.isEmpty());
}

void TestBacktest::breakdown()
{
    // Flat 100 yen on ratio ≥ 1.2: race one buys 1 (odds 2.0, rank 1, wins, pays 210) and 3
    // (odds 60.0, rank 3); race two buys 2 (odds 5.0: the 5–10 band's start; rank 2) and loses.
    Backtest b(BacktestRule{});
    b.add(raceFrom("1/.5/1.6/2.0 2/.3/3.0/3.0 3/.02/40/60.0 ; 1 ; 1=210"));
    b.add(raceFrom("1/.6/1.5/1.6 2/.25/4.0/5.0 ; 1 ; 1=160"));
    const BacktestBreakdown &d = b.breakdown();
    const auto row = [](const BacktestBand &x) {
        return QStringLiteral("%1 %2 %3 %4 %5")
            .arg(x.tickets)
            .arg(x.hits)
            .arg(x.expected)
            .arg(x.staked)
            .arg(x.returned);
    };
    QStringList odds, ranks;
    for (const BacktestBand &x : d.odds)
        odds << row(x);
    for (const BacktestBand &x : d.ranks)
        ranks << row(x);
    QCOMPARE(odds, QStringList({"0 0 0 0 0", "1 1 0.5 100 210", "1 0 0.25 100 0", "0 0 0 0 0",
                                "0 0 0 0 0", "1 0 0.02 100 0", "0 0 0 0 0"}));
    QCOMPARE(ranks, QStringList({"1 1 0.5 100 210", "1 0 0.25 100 0", "1 0 0.02 100 0", "0 0 0 0 0",
                                 "0 0 0 0 0", "0 0 0 0 0", "0 0 0 0 0", "0 0 0 0 0"}));
    QCOMPARE(d.odds[1].recovery(), 2.1);
}

QTEST_GUILESS_MAIN(TestBacktest)
#include "tst_analysis_backtest.moc"
