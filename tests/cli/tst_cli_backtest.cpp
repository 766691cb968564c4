#include "core/codepage/codepage.h"
#include "testfiles.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run cli(QStringList args)
{
    QProcess p;
    args.prepend(QStringLiteral("backtest"));
    p.start(QStringLiteral(KIRREL_CLI_PATH), args);
    Run r;
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.exitCode = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

} // namespace

// Win odds of 9999.9 on one runner and 1.0 on the others: whatever the model estimates, the
// first is bought (actual / estimated far above 1.2) and no other (1.0 / at least 1.0).
class TestCliBacktest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void run_data();
    void run();
    void combined();

private:
    void make(const QString &name, const QString &date, const QString &result, int favoured,
              const QByteArray &extra);
    QTemporaryDir m_dir;
};

void TestCliBacktest::make(const QString &name, const QString &date, const QString &result,
                           int favoured, const QByteArray &extra)
{
    QStringList lines = Cp932::decode(readAll(dataPath(QStringLiteral("race18.csv"))))
                            .split(QStringLiteral("\r\n"));
    QStringList header = lines[0].split(QLatin1Char(','));
    QStringList values = lines[1].split(QLatin1Char(','));
    header[3] = date;
    values[4] = result;
    lines[0] = header.join(QLatin1Char(','));
    lines[1] = values.join(QLatin1Char(','));
    const QString path = m_dir.filePath(name);
    QVERIFY(writeAll(path, Cp932::encode(lines.join(QStringLiteral("\r\n"))).bytes));
    if (favoured == 0)
        return;
    QByteArray analysis = "[Analysis]\r\nVersion=3\r\n[win]\r\nTime=2026-05-02 15:00:00\r\n";
    for (int r = 1; r <= 18; ++r)
        analysis += QByteArray::number(r) + (r == favoured ? "=9999.9\r\n" : "=1\r\n");
    QVERIFY(writeAll(path + QStringLiteral(".analysis"), analysis + extra));
}

void TestCliBacktest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("sub")));
    // b: 1 wins and pays 500; c, a day earlier: 5 loses; a, no date: 2 wins without a payout.
    make("b.csv", "2026/05/02", "1-2-3", 1,
         "[win@2026-05-02 13:00:00]\r\n1=1.0\r\n[Payouts]\r\nwin 1=500\r\nplace 1=150\r\n");
    make("c.csv", "2026年5月1日(金)", "2-3-4", 5, "");
    make("sub/a.csv", "作成日", "2-1-3", 2, "");
    make("d.csv", "2026/05/03", "結果", 1, "");
    make("e.csv", "2026/05/03", "1-2-3", 0, "");
    make("f.csv", "2026/05/04", "1-2-3", 3, "[Payouts]\r\nwin 1=x\r\n");
    // A stake of 10^12 yen at 922,337,203 per 100 returns just below 2^63; one yen more per
    // 100 passes it. Not ".csv": read only when named.
    make("below.yen", "2026/05/02", "1-2-3", 1, "[Payouts]\r\nwin 1=922337203\r\n");
    make("above.yen", "2026/05/02", "1-2-3", 1, "[Payouts]\r\nwin 1=922337204\r\n");
}

void TestCliBacktest::run_data()
{
    QTest::addColumn<QStringList>("args"); // "@" = the folder
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");

    QTest::newRow("by date, unreadable dates last; no result, no analysis file and a bad one "
                  "do not count")
        << QStringList{"@", "--bet", "win"} << 0
        << "@/d.csv\t-\tno result\n@/e.csv\t-\tno actual win odds\n"
           "@/f.csv\t-\tunreadable analysis file: line 24: bad win 1 'x'\n"
           "@/c.csv\t1\t100\t0\t-100\n@/b.csv\t1\t100\t500\t300\n"
           "@/sub/a.csv\t1\t100\t999990\t1000190\nraces\t3\nbet\t3\ntickets\t3\nhits\t2\n"
           "staked\t300\nreturned\t1000490\nrecovery\t3334.966667\nprofit\t1000190\n"
           "maxdrawdown\t100\nlongestlosing\t1\nfromodds\t1\n"
        << "kirrel-cli: @/f.csv.analysis: line 24: bad win 1 'x'\n";
    QTest::newRow("at 14:00 b has its earlier snapshot, which buys nothing; c none")
        << QStringList{"@/b.csv", "@/c.csv", "--bet", "win", "--at", "14:00", "--flat", "1000"} << 0
        << "@/c.csv\t-\tno actual win odds\n"
           "@/b.csv\t0\t0\t0\t0\nraces\t1\nbet\t0\ntickets\t0\nhits\t0\nstaked\t0\n"
           "returned\t0\nrecovery\t0.000000\nprofit\t0\nmaxdrawdown\t0\nlongestlosing\t0\n"
           "fromodds\t0\n"
        << "";
    QTest::newRow("no race counts: each document's reason first")
        << QStringList{"@/d.csv", "@/e.csv", "--bet", "win"} << 1
        << "@/d.csv\t-\tno result\n@/e.csv\t-\tno actual win odds\n"
        << "kirrel-cli: no race has a result and actual win odds\n";
    QTest::newRow("yen just below 2^63, exactly")
        << QStringList{"@/below.yen", "--bet", "win", "--flat", "1000000000000"} << 0
        << "@/below.yen\t1\t1000000000000\t9223372030000000000\t9223371030000000000\n"
           "races\t1\nbet\t1\ntickets\t1\nhits\t1\nstaked\t1000000000000\n"
           "returned\t9223372030000000000\nrecovery\t9223372.030000\n"
           "profit\t9223371030000000000\nmaxdrawdown\t0\nlongestlosing\t0\nfromodds\t0\n"
        << "";
    QTest::newRow("yen past 2^63: refused, naming the race")
        << QStringList{"@/below.yen", "@/above.yen", "--bet", "win", "--flat", "1000000000000"} << 1
        << ""
        << "kirrel-cli: @/above.yen: the sums of yen pass 9223372036854775807";
    const QString halfKelly =
        "@/b.csv\t1\t55100\t275500\t220400\nraces\t1\nbet\t1\ntickets\t1\nhits\t1\n"
        "staked\t55100\nreturned\t275500\nrecovery\t5.000000\nprofit\t220400\n"
        "maxdrawdown\t0\nlongestlosing\t0\nfromodds\t0\n";
    for (const char *half : {"0.5", "1/2"})
        QTest::newRow(qPrintable(QStringLiteral("Kelly %1").arg(QLatin1String(half))))
            << QStringList{"@/b.csv", "--bet", "win", "--kelly", half, "--bankroll", "1000000"} << 0
            << halfKelly << "";
    QTest::newRow("a path that does not exist")
        << QStringList{"@/nowhere", "--bet", "win"} << 1 << ""
        << "kirrel-cli: @/nowhere: No such file or directory\n";
    QTest::newRow("flat stake not in hundreds")
        << QStringList{"@", "--bet", "win", "--flat", "150"} << 2 << ""
        << "kirrel-cli: --flat takes a multiple of 100 yen, not 150\n";
    QTest::newRow("both rules") << QStringList{"@", "--bet",       "win", "--min-ev",
                                               "1", "--min-ratio", "1"}
                                << 2 << ""
                                << "kirrel-cli: give either --min-ratio or --min-ev\n";
    QTest::newRow("Kelly for place")
        << QStringList{"@", "--bet", "place", "--kelly", "0.5", "--bankroll", "1000"} << 2 << ""
        << "kirrel-cli: --kelly needs a bet type with one winning ticket";
    QTest::newRow("bad time") << QStringList{"@", "--bet", "win", "--at", "25:00"} << 2 << ""
                              << "kirrel-cli: bad time '25:00' for --at (HH:MM)\n";
}

void TestCliBacktest::run()
{
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    for (QString &a : args)
        a.replace(QLatin1Char('@'), m_dir.path());
    const Run r = cli(args);
    QCOMPARE(r.exitCode, status);
    QCOMPARE(QString::fromUtf8(r.out), QString(out).replace(QLatin1Char('@'), m_dir.path()));
    const QString errText = QString::fromUtf8(r.err);
    err.replace(QLatin1Char('@'), m_dir.path());
    QVERIFY2(err.isEmpty() ? errText.isEmpty() : errText.startsWith(err), r.err.constData());
}

// Six runners with one own column (評価 e = 1 2 4 5 3 4) and one odds column (単勝 o = 2 5 10 10
// 20 20, market shares 50 20 10 10 5 5 %). Worked by hand for alpha 2, gamma 1: p ∝ e² · m =
// 10 16 32 50 9 16 (m in 5 %), of 133; estimated odds 0.8 / p cut to one decimal = 10.6 6.6 3.3
// 2.1 11.8 6.6. Against actual odds 12.6 8.0 3.9 2.6 14.0 7.8 the ratios are 1.19 1.21 1.18
// 1.24 1.19 1.18: runners 2 and 4 are bought, 4 wins and pays 270.
void TestCliBacktest::combined()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QString doc =
        QStringLiteral("縦枠,横枠,合成,2026/06/01,,控除,投票\r\n6,3,合成,,4-2-3,80,100000\r\n"
                       "番,枠,名前,順位,オッズ,当選金,人気,単勝,評価,メモ\r"
                       "…,…,……,……,………,………,比率→,-1,1,0");
    const int own[] = {1, 2, 4, 5, 3, 4};
    const int odds[] = {2, 5, 10, 10, 20, 20};
    for (int r = 1; r <= 6; ++r)
        doc += QStringLiteral("\r%1,,馬%1,,,,,%2,%3,").arg(r).arg(odds[r - 1]).arg(own[r - 1]);
    const QString path = dir.filePath(QStringLiteral("g.csv"));
    QVERIFY(writeAll(path, Cp932::encode(doc + QStringLiteral("\r\n")).bytes));
    QVERIFY(writeAll(path + QStringLiteral(".analysis"),
                     "[Analysis]\r\nVersion=3\r\n[win]\r\nTime=2026-06-01 15:00:00\r\n1=12.6\r\n"
                     "2=8.0\r\n3=3.9\r\n4=2.6\r\n5=14.0\r\n6=7.8\r\n[Payouts]\r\nwin 4=270\r\n"));
    const Run r = cli({path, QStringLiteral("--bet"), QStringLiteral("win"),
                       QStringLiteral("--combine"), QStringLiteral("--alpha"), QStringLiteral("2"),
                       QStringLiteral("--gamma"), QStringLiteral("1")});
    QVERIFY2(r.err.isEmpty(), r.err.constData());
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(QString::fromUtf8(r.out),
             path + QStringLiteral("\t2\t200\t270\t70\nraces\t1\nbet\t1\ntickets\t2\nhits\t1\n"
                                   "staked\t200\nreturned\t270\nrecovery\t1.350000\nprofit\t70\n"
                                   "maxdrawdown\t0\nlongestlosing\t0\nfromodds\t0\n"));
}

QTEST_GUILESS_MAIN(TestCliBacktest)
#include "tst_cli_backtest.moc"
